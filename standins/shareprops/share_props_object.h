// Venlock.ShareProps: named properties of a process, published by its host
// and read by the components it loads. Driven by name through IDispatch:
//   GetProperty(processId, name) -> VARIANT     DISPID 1
//   SetProperty(processId, name, value)         DISPID 2 (Empty removes the property)
// The properties live in the DLL for the life of the process (shared_state.h).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "com_object.h"
#include "dispatch_support.h"

namespace ambrelle {

constexpr DISPID kDispidGetProperty = 1;
constexpr DISPID kDispidSetProperty = 2;

class SharePropsObject final : public ComObject<Answers<DispatchWithoutTypeInfo, IID_IUnknown, IID_IDispatch>,
                                                SupportsErrorInfo<IID_IDispatch>> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IDispatch, written by hand so that every argument is seen as the caller passed it
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    SharePropsObject() = default;
    ~SharePropsObject() = default;
    HRESULT GetProperty(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err);
    HRESULT SetProperty(DISPPARAMS* params, EXCEPINFO* excep, UINT* arg_err);
};

}  // namespace ambrelle
