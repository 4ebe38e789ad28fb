// Val as the component uses it: the number at the start of a text (read as
// leading_number.h describes) or of a value's text, with the Automation
// runtime's errors.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace ambrelle {

// The number at the start of text. Fails with run-time error 6 (Overflow)
// when the number is beyond a double.
HRESULT ValOfText(const std::wstring& text, double* value);

// Val(CStr(value)) as it reads under regional settings whose decimal point is
// ".": a numeric value is written with "." whatever the user's settings, so it
// reads as the same number under every setting; any other value is converted
// to text as CStr does (Null fails with error 94).
HRESULT ValOfValue(const VARIANT& value, double* number);

}  // namespace ambrelle
