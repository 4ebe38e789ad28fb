// Conversions with the rules of the Automation runtime that hosts of this
// component expect (CStr, Not, Set), and the errors it raises for them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "unique_bstr.h"

namespace ambrelle {

// Source of the errors the component raises itself.
constexpr wchar_t kComponentSource[] = L"Ambrelle";

// "Invalid use of Null" (run-time error 94).
HRESULT RaiseInvalidUseOfNull();

// "Object variable not set" (run-time error 91).
HRESULT RaiseObjectNotSet();

// CStr: Empty gives "", an object its default value, a number its text in the
// user's locale, True/False "True"/"False"; Null fails with error 94.
HRESULT ToText(const VARIANT& value, UniqueBstr* text);

// If Not value Then ...: true when the bitwise complement of value is non-zero.
// Null counts as false; a value that is not numeric fails with a type mismatch.
HRESULT NotIsTrue(const VARIANT& value, bool* is_true);

// IsObject: the value holds an object reference (possibly Nothing).
bool HoldsObject(const VARIANT& value);

}  // namespace ambrelle
