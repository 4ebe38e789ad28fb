// Reading a text as a number the way the Automation runtime's Val does for a
// decimal number: blanks, tabs and line feeds are skipped wherever they stand,
// "." is the only decimal point whatever the regional or C-runtime settings,
// an exponent (E or D) is taken, and reading stops at the first character that
// cannot continue the number ("&H10" and "&O17" read as 0). A text without a
// number reads as 0.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace ambrelle {

// Fails with run-time error 6 (Overflow) when the number is beyond a double.
HRESULT ValOfText(const std::wstring& text, double* value);

// Val(CStr(value)) as it reads under regional settings whose decimal point is
// ".": a numeric value is written with "." whatever the user's settings, so it
// reads as the same number under every setting; any other value is converted
// to text as CStr does (Null fails with error 94).
HRESULT ValOfValue(const VARIANT& value, double* number);

}  // namespace ambrelle
