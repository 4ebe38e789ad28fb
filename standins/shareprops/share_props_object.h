// Venlock.ShareProps: named properties of a process, published by its host
// and read by the components it loads. Driven by name through IDispatch:
//   GetProperty(processId, name) -> VARIANT     DISPID 1
//   SetProperty(processId, name, value)         DISPID 2 (Empty removes the property)
// The properties live in the DLL for the life of the process (shared_state.h).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "dispatch_support.h"

namespace ambrelle {

constexpr DISPID kDispidGetProperty = 1;
constexpr DISPID kDispidSetProperty = 2;

class SharePropsObject final : public HandWrittenDispatchObject<SharePropsObject, SupportsErrorInfo<IID_IDispatch>> {
public:
    static HRESULT Create(REFIID riid, void** object);
    static constexpr DispatchMember kMembers[] = {{L"GetProperty", kDispidGetProperty},
                                                  {L"SetProperty", kDispidSetProperty}};

private:
    SharePropsObject() = default;
    ~SharePropsObject() = default;
    HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                         UINT* arg_err) override;
    HRESULT GetProperty(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err);
    HRESULT SetProperty(DISPPARAMS* params, EXCEPINFO* excep, UINT* arg_err);
};

}  // namespace ambrelle
