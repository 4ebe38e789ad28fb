#include "cls_validate.h"

#include "com_error.h"
#include "type_info.h"

namespace ambrelle {

// {EE0605B6-F646-48D0-9FEC-8C698758F75F}
const IID IID_ClsValidate_v0 = {0xEE0605B6, 0xF646, 0x48D0, {0x9F, 0xEC, 0x8C, 0x69, 0x87, 0x58, 0xF7, 0x5F}};

namespace {
constexpr wchar_t kSource[] = L"Ambrelle.ClsValidate";
}

HRESULT ClsValidate::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) ClsValidate(), riid, object);
}

STDMETHODIMP ClsValidate::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__ClsValidate || riid == IID_ClsValidate_v0) {
        *object = static_cast<_ClsValidate*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ClsValidate::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) ClsValidate::Release() {
    ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

HRESULT ClsValidate::EnsureTypeInfo() {
    if (type_info_) return S_OK;
    return LoadModuleTypeInfo(ThisModule(), IID__ClsValidate, &type_info_);
}

STDMETHODIMP ClsValidate::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP ClsValidate::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return type_info_.CopyTo(info);
}

STDMETHODIMP ClsValidate::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(type_info_.Get(), names, count, ids);
}

STDMETHODIMP ClsValidate::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                 EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return InvokeThroughTypeInfo(type_info_.Get(), static_cast<_ClsValidate*>(this), member, flags, params, result,
                                 excep, arg_err);
}

STDMETHODIMP ClsValidate::put_FID(LONG* value) {
    if (!value) return E_POINTER;
    fid_ = *value;
    return S_OK;
}

STDMETHODIMP ClsValidate::put_QueryClass(LONG* value) {
    if (!value) return E_POINTER;
    query_class_ = *value;
    return S_OK;
}

STDMETHODIMP ClsValidate::show(VARIANT_BOOL* result) {
    if (!result) return E_POINTER;
    *result = VARIANT_FALSE;
    return RaiseComError(E_NOTIMPL, IID__ClsValidate, kSource,
                         L"The approval history window is not available in this version of Ambrelle.");
}

STDMETHODIMP ClsValidate::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__ClsValidate || riid == IID_ClsValidate_v0 ? S_OK : S_FALSE;
}

}  // namespace ambrelle
