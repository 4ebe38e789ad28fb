// Reading a text as a number the way the Automation runtime's Val does:
// blanks, tabs and line feeds are skipped wherever they stand, "." is the only
// decimal point whatever the regional settings, an exponent (E or D) is taken,
// &H and &O introduce hexadecimal and octal whole numbers, and reading stops
// at the first character that cannot continue the number. A text without a
// number reads as 0.
#pragma once

#include <windows.h>

#include <string>

namespace ambrelle {

// Fails with run-time error 6 (Overflow) when the number is beyond a double.
HRESULT ValOfText(const std::wstring& text, double* value);

}  // namespace ambrelle
