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

#include "dispatch_support.h"

namespace ambrelle {

constexpr DISPID kDispidQueryValidate = 1;

class BillInfoObject final : public HandWrittenDispatchObject<BillInfoObject, SupportsErrorInfo<IID_IDispatch>> {
public:
    static HRESULT Create(REFIID riid, void** object);
    static constexpr DispatchMember kMembers[] = {{L"QueryValidate", kDispidQueryValidate}};

private:
    BillInfoObject() = default;
    ~BillInfoObject() = default;
    HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                         UINT* arg_err) override;
    HRESULT QueryValidate(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err);
};

}  // namespace ambrelle
