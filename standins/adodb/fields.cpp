#include "fields.h"

#include <wrl/client.h>

#include "ado_errors.h"
#include "com_error.h"
#include "field_enumerator.h"
#include "optional_argument.h"
#include "recordset.h"
#include "type_info.h"

namespace ado_standin {
namespace {

constexpr ErrorSource kSource = ErrorSource::kFields;
// Dispatch ids of Fields.Append and of the hidden Fields20._Append.
constexpr DISPID kAppendId = 0x60040001;
constexpr DISPID kHiddenAppendId = 0x60030001;

}  // namespace

// IUnknown: the collection lives and dies with its record set.

STDMETHODIMP_(ULONG) FieldsCollection::AddRef() { return owner_->AddRef(); }

STDMETHODIMP_(ULONG) FieldsCollection::Release() { return owner_->Release(); }

// IDispatch

HRESULT FieldsCollection::InterfaceTypeInfo(ITypeInfo** info) { return owner_->TypeInfoOf(IID_Fields, info); }

STDMETHODIMP FieldsCollection::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                      VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    // fields("name") = value: Item, then the field's Value.
    if (member == DISPID_VALUE && (flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 2 &&
        params->cNamedArgs == 1 && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT) {
        FieldDefinition* field = nullptr;
        HRESULT hr = owner_->FindField(params->rgvarg[1], kSource, &field);
        if (SUCCEEDED(hr)) hr = owner_->WriteValue(*field, ErrorSource::kField, params->rgvarg[0]);
        if (FAILED(hr)) {
            ambrelle::FillExcepInfoFromErrorInfo(hr, excep);
            return DISP_E_EXCEPTION;
        }
        return S_OK;
    }
    // Append "name", type: DefinedSize 0 and Attributes adFldUnspecified. A
    // 64-bit type library cannot carry the pointer-sized default of
    // DefinedSize, so the omitted arguments are supplied here.
    const UINT positional = params ? params->cArgs - params->cNamedArgs : 0;
    if ((member == kAppendId || member == kHiddenAppendId) && (flags & DISPATCH_METHOD) && params &&
        params->cNamedArgs == 0 && positional >= 2 && positional < 4) {
        // In IDispatch order: Attributes, DefinedSize, Type, Name.
        VARIANT padded[4];
        V_VT(&padded[0]) = VT_I4;
        V_I4(&padded[0]) = adFldUnspecified;
        V_VT(&padded[1]) = VT_I4;
        V_I4(&padded[1]) = 0;
        for (UINT i = 0; i < positional; ++i) padded[4 - positional + i] = params->rgvarg[i];  // borrowed
        DISPPARAMS full = {padded, nullptr, 4, 0};
        return TypeInfoDispatch::Invoke(member, riid, lcid, flags, &full, result, excep, arg_err);
    }
    return TypeInfoDispatch::Invoke(member, riid, lcid, flags, params, result, excep, arg_err);
}

// The collection

STDMETHODIMP FieldsCollection::get_Count(long* count) {
    if (!count) return E_POINTER;
    *count = static_cast<long>(owner_->field_count());
    return S_OK;
}

STDMETHODIMP FieldsCollection::get_Item(VARIANT index, ADOField** field) {
    if (!field) return E_POINTER;
    *field = nullptr;
    FieldDefinition* definition = nullptr;
    HRESULT hr = owner_->FindField(index, kSource, &definition);
    if (FAILED(hr)) return hr;
    return owner_->FieldObjectFor(definition, field);
}

STDMETHODIMP FieldsCollection::_Append(BSTR name, DataTypeEnum type, ADO_LONGPTR defined_size,
                                       FieldAttributeEnum attributes) {
    return owner_->AppendField(name, type, defined_size, attributes);
}

STDMETHODIMP FieldsCollection::Append(BSTR name, DataTypeEnum type, ADO_LONGPTR defined_size,
                                      FieldAttributeEnum attributes, VARIANT field_value) {
    // A value is given with the field only when appending to a Record's fields.
    if (!IsMissing(field_value)) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    return owner_->AppendField(name, type, defined_size, attributes);
}

STDMETHODIMP FieldsCollection::Delete(VARIANT index) { return owner_->DeleteField(index); }

STDMETHODIMP FieldsCollection::Refresh() {
    // Refresh has no visible effect on a Fields collection.
    return S_OK;
}

STDMETHODIMP FieldsCollection::_NewEnum(IUnknown** enumerator) {
    if (!enumerator) return E_POINTER;
    *enumerator = nullptr;
    std::vector<Microsoft::WRL::ComPtr<IDispatch>> fields;
    try {
        fields.reserve(owner_->field_count());
        for (size_t i = 0; i < owner_->field_count(); ++i) {
            ADOField* field = nullptr;
            HRESULT hr = owner_->FieldObjectFor(&owner_->field_at(i), &field);
            if (FAILED(hr)) return hr;
            Microsoft::WRL::ComPtr<IDispatch> dispatch(field);
            field->Release();  // dispatch holds its own reference now
            fields.push_back(std::move(dispatch));
        }
    } catch (const std::bad_alloc&) {
        return RaiseFailure(E_OUTOFMEMORY, kSource, L"Out of memory while enumerating the fields.");
    }
    FieldEnumerator* created = FieldEnumerator::Create(std::move(fields));
    if (!created) return RaiseFailure(E_OUTOFMEMORY, kSource, L"Out of memory while enumerating the fields.");
    *enumerator = created;
    return S_OK;
}

STDMETHODIMP FieldsCollection::Update() { return RaiseNotImplemented(kSource, L"Update"); }

STDMETHODIMP FieldsCollection::Resync(ResyncEnum) { return RaiseNotImplemented(kSource, L"Resync"); }

STDMETHODIMP FieldsCollection::CancelUpdate() { return RaiseNotImplemented(kSource, L"CancelUpdate"); }

}  // namespace ado_standin
