#include "type_info_dispatch.h"

#include "server_module.h"
#include "type_info.h"

namespace ambrelle {

HRESULT TypeInfoDispatch::EnsureTypeInfo() {
    if (info_) return S_OK;
    return LoadModuleTypeInfo(ThisModule(), iid_, &info_);
}

HRESULT TypeInfoDispatch::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

HRESULT TypeInfoDispatch::GetTypeInfo(UINT index, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return info_.CopyTo(info);
}

HRESULT TypeInfoDispatch::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(info_.Get(), names, count, ids);
}

HRESULT TypeInfoDispatch::Invoke(void* object, DISPID member, REFIID riid, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT hr = EnsureTypeInfo();
    if (FAILED(hr)) return hr;
    return InvokeThroughTypeInfo(info_.Get(), object, member, flags, params, result, excep, arg_err);
}

}  // namespace ambrelle
