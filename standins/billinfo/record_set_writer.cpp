#include "record_set_writer.h"

#include <vector>

#include "unique_bstr.h"
#include "unique_variant.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {
namespace {

VARIANT MissingArgument() {
    VARIANT missing;
    VariantInit(&missing);
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return missing;
}

HRESULT AppendFields(ADOFields* fields, BillLayout layout) {
    for (const FieldSpec& definition : FieldsOf(layout)) {
        UniqueBstr name(definition.name);
        if (!name.allocated()) return E_OUTOFMEMORY;
        HRESULT hr = fields->Append(name.get(), definition.type, definition.defined_size,
                                    static_cast<FieldAttributeEnum>(definition.attributes), MissingArgument());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

// The record set's Field objects in the layout's order: a Field shows the
// current record, so the objects looked up once serve every new record.
HRESULT LookUpFields(ADOFields* fields, BillLayout layout, std::vector<ComPtr<ADOField>>* objects) {
    const std::vector<FieldSpec>& specs = FieldsOf(layout);
    objects->assign(specs.size(), nullptr);
    for (size_t i = 0; i < specs.size(); ++i) {
        UniqueVariant index;
        V_VT(index.ptr()) = VT_BSTR;
        V_BSTR(index.ptr()) = SysAllocString(specs[i].name);
        if (!V_BSTR(index.ptr())) return E_OUTOFMEMORY;
        HRESULT hr = fields->get_Item(index.get(), (*objects)[i].ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT WriteRow(const std::vector<ComPtr<ADOField>>& objects, const BillRow& row) {
    for (size_t i = 0; i < objects.size() && i < row.size(); ++i) {
        // Empty stands for a value the row does not set.
        if (row[i].vt() == VT_EMPTY) continue;
        HRESULT hr = objects[i]->put_Value(row[i].get());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT CreateRecordset(ComPtr<_ADORecordset>* recordset) {
    recordset->Reset();
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(kRecordsetProgId, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, __uuidof(_ADORecordset),
                            reinterpret_cast<void**>(recordset->ReleaseAndGetAddressOf()));
}

HRESULT IsFillable(_ADORecordset* recordset, bool* fillable) {
    *fillable = false;
    LONG state = adStateOpen;
    HRESULT hr = recordset->get_State(&state);
    if (FAILED(hr)) return hr;
    if (state != adStateClosed) return S_OK;
    ComPtr<ADOFields> fields;
    hr = recordset->get_Fields(&fields);
    if (FAILED(hr)) return hr;
    long count = -1;
    hr = fields->get_Count(&count);
    if (FAILED(hr)) return hr;
    *fillable = count == 0;
    return S_OK;
}

HRESULT FillRecordset(_ADORecordset* recordset, BillLayout layout, const BillRows& rows) {
    ComPtr<ADOFields> fields;
    HRESULT hr = recordset->get_Fields(&fields);
    if (FAILED(hr)) return hr;
    hr = AppendFields(fields.Get(), layout);
    if (FAILED(hr)) return hr;
    hr = recordset->put_CursorLocation(adUseClient);
    if (FAILED(hr)) return hr;
    hr = recordset->Open(MissingArgument(), MissingArgument(), adOpenStatic, adLockBatchOptimistic, adCmdUnspecified);
    if (FAILED(hr)) return hr;
    std::vector<ComPtr<ADOField>> objects;
    hr = LookUpFields(fields.Get(), layout, &objects);
    if (FAILED(hr)) return hr;
    bool any = false;
    hr = rows.ForEach([&](const BillRow& row) {
        any = true;
        HRESULT added = recordset->AddNew(MissingArgument(), MissingArgument());
        return SUCCEEDED(added) ? WriteRow(objects, row) : added;
    });
    if (FAILED(hr)) return hr;
    if (!any) return S_OK;
    // Moving commits the last new record and leaves the set on its first.
    return recordset->MoveFirst();
}

}  // namespace ambrelle
