// Reading the arguments of a late-bound call and reporting its failure, for
// the stand-in services whose IDispatch is written by hand.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "com_object.h"
#include "dispatch_without_type_info.h"

namespace ambrelle {

// Case-insensitive comparison of a member name, as IDispatch names compare.
bool IsMemberName(const wchar_t* name, const wchar_t* expected);

// S_OK when a call passes exactly expected arguments, none of them named.
HRESULT CheckArguments(const DISPPARAMS* params, UINT expected);

// The variant an argument stands for: VBScript passes its variables as VT_BYREF|VT_VARIANT.
const VARIANT* ArgumentValue(const VARIANT* arg);

// An argument converted to a 32-bit integer or to text (DISP_E_TYPEMISMATCH when it does not convert).
HRESULT ArgumentAsLong(const VARIANT* arg, LONG* value);
HRESULT ArgumentAsText(const VARIANT* arg, std::wstring* text);

// Reports a failure to a late-bound caller: with an EXCEPINFO, fills it and
// returns DISP_E_EXCEPTION; without, records the error object and returns hr.
HRESULT ReportDispatchFailure(HRESULT hr, const wchar_t* source, const wchar_t* description, EXCEPINFO* excep);

// Reports the failure of a call made on the caller's behalf, with the error
// object that call left, or with the fallback description when it left none.
HRESULT ReportInnerFailure(HRESULT hr, const wchar_t* source, const wchar_t* fallback, EXCEPINFO* excep);

// A number given by a test as an error to raise: 1 to 65535 becomes
// 0x800A0000 + number (as VB's Err.Raise does); a failing HRESULT stays as it is.
// Returns S_OK for a number that cannot be raised (0 or other positive numbers).
HRESULT ErrorNumberAsHresult(LONG number);

// A member of an IDispatch written by hand: its name and DISPID.
struct DispatchMember {
    const wchar_t* name;
    DISPID id;
};

// GetIDsOfNames of members that take no named arguments: the DISPID of the
// member names[0] (ignoring case); DISP_E_UNKNOWNNAME for an unknown member
// or for any argument name.
HRESULT MemberIdsOfNames(const DispatchMember* members, size_t member_count, REFIID riid, LPOLESTR* names,
                         UINT count, DISPID* ids);

template <size_t member_count>
HRESULT MemberIdsOfNames(const DispatchMember (&members)[member_count], REFIID riid, LPOLESTR* names, UINT count,
                         DISPID* ids) {
    return MemberIdsOfNames(members, member_count, riid, names, count, ids);
}

// IDispatch written by hand, so that every argument is seen as the caller
// passed it: names resolve through Object::kMembers, and calls for IID_NULL
// reach Object's InvokeMember.
template <typename Object>
class HandWrittenDispatch : public DispatchWithoutTypeInfo {
public:
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return MemberIdsOfNames(Object::kMembers, riid, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override {
        if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
        return InvokeMember(member, flags, params, result, excep, arg_err);
    }

protected:
    virtual HRESULT InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                 UINT* arg_err) = 0;
};

// An object whose one interface is such an IDispatch, with the further
// interface-table entries given.
template <typename Object, typename... MoreEntries>
using HandWrittenDispatchObject =
    ComObject<Answers<HandWrittenDispatch<Object>, IID_IUnknown, IID_IDispatch>, MoreEntries...>;

}  // namespace ambrelle
