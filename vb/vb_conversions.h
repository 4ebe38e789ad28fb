// Conversions with the rules of the Automation runtime that hosts of this
// component expect (CStr, Not, Set), and the errors it raises for them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "unique_bstr.h"

namespace ambrelle {

// Source of the errors the component raises itself.
constexpr wchar_t kComponentSource[] = L"Ambrelle";

// The run-time errors the component raises itself, by their usual numbers.
enum AutomationError : WORD {
    kOverflow = 6,
    kSubscriptOutOfRange = 9,
    kTypeMismatch = 13,
    kObjectNotSet = 91,
    kInvalidUseOfNull = 94,
    kFormAlreadyShown = 400,
    kObjectRequired = 424,
    kCannotCreateObject = 429,
    kMemberNotSupported = 438,
};

// Raises run-time error `number` (FACILITY_CONTROL) with its usual
// description and the component as its source; returns its HRESULT.
HRESULT RaiseAutomationError(AutomationError number);

// The component's own error for a failing HRESULT that carries no error of
// its callee: the run-time error a host expects for the common codes (type
// mismatch, overflow, member not found), otherwise hr with `description`.
HRESULT RaiseOwnError(HRESULT hr, const wchar_t* description);

// A failure that reaches a caller with no error of its own on the thread (an
// outside component that failed without describing it) gets one: its number
// stays, the component is its source and the platform's text for the number
// (or "Automation error") its description. A failure that has one, and a
// success, pass unchanged.
HRESULT DescribedFailure(HRESULT hr);

// CSng: a number, a numeric text or Empty (0) as a single-precision number;
// Null fails with error 94, anything else that is no number with 13, a
// number beyond the single range with 6.
HRESULT ToSingle(const VARIANT& value, float* number);

// "Invalid use of Null" (run-time error 94).
HRESULT RaiseInvalidUseOfNull();

// "Object variable or With block variable not set" (run-time error 91).
HRESULT RaiseObjectNotSet();

// CStr: Empty gives "", an object its default value, a number its text in the
// user's locale, True/False "True"/"False"; Null fails with error 94, an
// object reference that is Nothing with error 91.
HRESULT ToText(const VARIANT& value, UniqueBstr* text);

// ToText of a value the caller gives up: a text is moved out as it stands,
// without a copy, and the value left Empty; any other value is converted as
// ToText converts it.
HRESULT TakeText(VARIANT* value, UniqueBstr* text);

// If Not value Then ...: true when the bitwise complement of value is non-zero.
// Null counts as false; a value that is not numeric fails with a type
// mismatch, one outside the Long range with an overflow.
HRESULT NotIsTrue(const VARIANT& value, bool* is_true);

// IsObject: the value holds an object reference (possibly Nothing).
bool HoldsObject(const VARIANT& value);

}  // namespace ambrelle
