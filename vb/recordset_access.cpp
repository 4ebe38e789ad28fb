#include "recordset_access.h"

#include <wrl/client.h>

#include "unique_variant.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

VARIANT MissingArgument() {
    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    return missing;
}

namespace {
VARIANT NameArgument(const wchar_t* name) {
    // Borrowed for the duration of one by-value call.
    VARIANT argument;
    V_VT(&argument) = VT_BSTR;
    V_BSTR(&argument) = SysAllocString(name);
    return argument;
}
}  // namespace

HRESULT GetField(_ADORecordset* records, const wchar_t* name, ADOField** field) {
    *field = nullptr;
    ComPtr<ADOFields> fields;
    HRESULT hr = records->get_Fields(&fields);
    if (FAILED(hr)) return hr;
    UniqueVariant index;
    *index.ptr() = NameArgument(name);
    if (!V_BSTR(index.ptr())) return E_OUTOFMEMORY;
    return fields->get_Item(index.get(), field);
}

HRESULT GetFieldValue(_ADORecordset* records, const wchar_t* name, VARIANT* value) {
    VariantInit(value);
    ComPtr<ADOField> field;
    HRESULT hr = GetField(records, name, &field);
    if (FAILED(hr)) return hr;
    return field->get_Value(value);
}

HRESULT PutCollect(_ADORecordset* records, const wchar_t* name, const VARIANT& value) {
    UniqueVariant index;
    *index.ptr() = NameArgument(name);
    if (!V_BSTR(index.ptr())) return E_OUTOFMEMORY;
    return records->put_Collect(index.get(), value);
}

}  // namespace ambrelle
