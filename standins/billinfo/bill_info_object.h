// Quistral.IBillInfo: the bill-information service. It answers QueryValidate,
// driven by name through IDispatch:
//   QueryValidate(props, recordset, billId, queryKind) -> VARIANT     DISPID 1
// props is the caller's session string; recordset an object variable passed
// by reference, which the service fills or replaces with an ADO record set of
// the bill's approval records; billId and queryKind 32-bit integers passed by
// reference. The result is True once records were produced. What it answers
// and does is steered through Quistral.IBillInfo.Steering (bill_info_state.h).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "server_module.h"

namespace ambrelle {

constexpr DISPID kDispidQueryValidate = 1;

class BillInfoObject final : public IDispatch, public ISupportErrorInfo {
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
    BillInfoObject() = default;
    ~BillInfoObject() = default;
    HRESULT QueryValidate(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err);

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
};

}  // namespace ambrelle
