// Reading the number at the start of a text the way the Automation runtime's
// Val does for a decimal number: blanks, tabs and line feeds are skipped
// wherever they stand, "." is the only decimal point whatever the regional or
// C-runtime settings, an exponent (E or D) is taken, and reading stops at the
// first character that cannot continue the number ("&H10" and "&O17" read as
// 0). A text without a number reads as 0.
#pragma once

#include <string>

namespace ambrelle {

// The number's text as it is read: ASCII, sign, digits, "." and an exponent
// written "e"; empty when the text has no number.
std::string LeadingNumberText(const std::wstring& text);

// The number at the start of text. False, with *value 0, when the number is
// beyond a double.
bool ReadLeadingNumber(const std::wstring& text, double* value);

}  // namespace ambrelle
