// IDispatch of a dual interface through its description in this module's
// type library: names resolve with DispGetIDsOfNames and calls go through
// InvokeThroughTypeInfo, so an object writes only its interface's members.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "com_error.h"
#include "com_object.h"
#include "dispatch_name_cache.h"
#include "server_module.h"
#include "type_info.h"

namespace ambrelle {

// The four IDispatch methods of Interface. The class that implements it says
// where the description comes from (InterfaceTypeInfo).
template <typename Interface>
class TypeInfoDispatch : public Interface {
public:
    STDMETHODIMP GetTypeInfoCount(UINT* count) override {
        if (!count) return E_POINTER;
        *count = 1;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
        if (!info) return E_POINTER;
        *info = nullptr;
        if (index != 0) return DISP_E_BADINDEX;
        return InterfaceTypeInfo(info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        HRESULT hr = InterfaceTypeInfo(info.GetAddressOf());
        if (FAILED(hr)) return hr;
        return CachedGetIDsOfNames(info.Get(), names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        Microsoft::WRL::ComPtr<ITypeInfo> info;
        HRESULT hr = InterfaceTypeInfo(info.GetAddressOf());
        if (FAILED(hr)) return hr;
        return InvokeThroughTypeInfo(info.Get(), static_cast<Interface*>(this), member, flags, params, result, excep,
                                     arg_err);
    }

protected:
    // The description of Interface, with a reference for the caller.
    virtual HRESULT InterfaceTypeInfo(ITypeInfo** info) = 0;
};

// A member that every row or value calls may be answered straight through the
// vtable, ahead of the type library's dispatch, when the call has the
// member's declared shape; these say which shape a call has and give the
// answer as the type library's dispatch would.

// A property read with `args` positional arguments.
inline bool IsPropertyGet(WORD flags, const DISPPARAMS* params, UINT args) {
    return (flags & DISPATCH_PROPERTYGET) && params && params->cArgs == args && params->cNamedArgs == 0;
}

// A property write of one value.
inline bool IsPropertyPut(WORD flags, const DISPPARAMS* params) {
    return (flags & DISPATCH_PROPERTYPUT) && params && params->cArgs == 1 && params->cNamedArgs == 1 &&
           params->rgdispidNamedArgs && params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT;
}

// A failure of the member becomes DISP_E_EXCEPTION, described by the error
// object the member left.
inline HRESULT AnswerOfDirectCall(HRESULT hr, EXCEPINFO* excep) {
    if (SUCCEEDED(hr)) return hr;
    if (excep) {
        excep->scode = hr;
        FillExcepInfoFromErrorInfo(hr, excep);
    }
    return DISP_E_EXCEPTION;
}

// The same, with the description (of iid) loaded from this module's type
// library on first use and kept by the object.
template <typename Interface, const IID& iid>
class ModuleTypeInfoDispatch : public TypeInfoDispatch<Interface> {
protected:
    HRESULT InterfaceTypeInfo(ITypeInfo** info) override {
        if (!info_) {
            HRESULT hr = LoadModuleTypeInfo(ThisModule(), iid, info_.ReleaseAndGetAddressOf());
            if (FAILED(hr)) return hr;
        }
        return info_.CopyTo(info);
    }

private:
    Microsoft::WRL::ComPtr<ITypeInfo> info_;
};

// A dual interface described by this module's type library: answered for
// IUnknown, IDispatch, its own IID and any older IIDs it still stands for.
template <typename Interface, const IID& iid, const IID&... older_iids>
using DualInterface =
    Answers<ModuleTypeInfoDispatch<Interface, iid>, IID_IUnknown, IID_IDispatch, iid, older_iids...>;

// An object whose one interface is such a dual interface, and whose failures
// in it are described by error objects.
template <typename Interface, const IID& iid, const IID&... older_iids>
using DualInterfaceObject =
    ComObject<DualInterface<Interface, iid, older_iids...>, SupportsErrorInfo<iid, older_iids...>>;

}  // namespace ambrelle
