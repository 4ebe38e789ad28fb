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

#include "com_object.h"
#include "dispatch_support.h"

namespace ambrelle {

constexpr DISPID kDispidQueryValidate = 1;

class BillInfoObject final : public ComObject<Answers<DispatchWithoutTypeInfo, IID_IUnknown, IID_IDispatch>,
                                              SupportsErrorInfo<IID_IDispatch>> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IDispatch, written by hand so that every argument is seen as the caller passed it
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

private:
    BillInfoObject() = default;
    ~BillInfoObject() = default;
    HRESULT QueryValidate(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err);
};

}  // namespace ambrelle
