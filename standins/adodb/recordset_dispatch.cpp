// The record set's IDispatch, from the module's type library, with the
// indexed default member rs("name").
#include "recordset.h"

#include <memory>

#include "com_error.h"
#include "type_info.h"

namespace ado_standin {

HRESULT Recordset::TypeInfoOf(REFIID riid, ITypeInfo** info) {
    *info = nullptr;
    // std::addressof: ComPtr's own operator& empties the pointer it is applied
    // to, which here would drop the cached type information on every call and
    // with it the type library, loaded anew from the DLL for the next call.
    Microsoft::WRL::ComPtr<ITypeInfo>* slot = riid == IID_Fields  ? std::addressof(fields_info_)
                                              : riid == IID_Field ? std::addressof(field_info_)
                                                                  : std::addressof(recordset_info_);
    if (!*slot) {
        HRESULT hr = ambrelle::LoadModuleTypeInfo(ambrelle::ThisModule(), riid, slot->ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
    }
    return slot->CopyTo(info);
}

HRESULT Recordset::InterfaceTypeInfo(ITypeInfo** info) { return TypeInfoOf(IID__Recordset, info); }

STDMETHODIMP Recordset::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                               VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    // rs("name") and rs("name") = value: the default member Fields, its
    // default member Item, and that field's Value, in one call.
    if (member == DISPID_VALUE && params && params->cArgs > params->cNamedArgs)
        return InvokeIndexedDefault(flags, params, result, excep);
    return TypeInfoDispatch::Invoke(member, riid, lcid, flags, params, result, excep, arg_err);
}

HRESULT Recordset::InvokeIndexedDefault(WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep) {
    const UINT positional = params->cArgs - params->cNamedArgs;
    HRESULT hr;
    if ((flags & DISPATCH_PROPERTYPUT) && params->cNamedArgs == 1 &&
        params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT && positional == 1) {
        // rgvarg holds the value first (the named argument), then the index.
        FieldDefinition* field = nullptr;
        hr = FindField(params->rgvarg[1], kSource, &field);
        if (SUCCEEDED(hr)) hr = WriteValue(*field, ErrorSource::kField, params->rgvarg[0]);
    } else if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) && params->cNamedArgs == 0 && positional == 1) {
        FieldDefinition* field = nullptr;
        ADOField* object = nullptr;
        hr = FindField(params->rgvarg[0], kSource, &field);
        if (SUCCEEDED(hr)) hr = FieldObjectFor(field, &object);
        if (SUCCEEDED(hr)) {
            if (result) {
                VariantInit(result);
                V_VT(result) = VT_DISPATCH;
                V_DISPATCH(result) = object;
            } else {
                object->Release();
            }
        }
    } else {
        return DISP_E_BADPARAMCOUNT;
    }
    if (FAILED(hr)) {
        ambrelle::FillExcepInfoFromErrorInfo(hr, excep);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}
}  // namespace ado_standin
