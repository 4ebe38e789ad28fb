// Reading the arguments of a late-bound call and reporting its failure, for
// the stand-in services whose IDispatch is written by hand.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

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

}  // namespace ambrelle
