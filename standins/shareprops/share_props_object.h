// Venlock.ShareProps: named properties of a process, published by its host
// and read by the components it loads. Driven by name through IDispatch:
//   GetProperty(processId, name) -> VARIANT     DISPID 1
//   SetProperty(processId, name, value)         DISPID 2 (Empty removes the property)
// The properties live in the DLL for the life of the process (shared_state.h).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "server_module.h"

namespace ambrelle {

constexpr DISPID kDispidGetProperty = 1;
constexpr DISPID kDispidSetProperty = 2;

class SharePropsObject final : public IDispatch, public ISupportErrorInfo {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, written by hand so that every argument is seen as the caller passed it
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    SharePropsObject() = default;
    ~SharePropsObject() = default;
    HRESULT GetProperty(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err);
    HRESULT SetProperty(DISPPARAMS* params, EXCEPINFO* excep, UINT* arg_err);

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
};

}  // namespace ambrelle
