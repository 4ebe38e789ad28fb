// The warning box in which the grid load reports its failures.
#pragma once

#include <windows.h>

#include <string>

namespace ambrelle {

// The error number a host of the Automation runtime sees for a failing
// HRESULT: the low word of a FACILITY_CONTROL code (0x800A0BCD is 3021), the
// runtime's number for the common COM codes (E_NOTIMPL is 445), otherwise the
// HRESULT itself as a signed number.
LONG ErrorNumberOf(HRESULT hr);

// The four lines of the report, joined by CR LF, without a line break at the end.
std::wstring LoadErrorMessage(LONG number, const std::wstring& source, const std::wstring& description);

// Shows the report modally, owned by `owner`, and returns once it is closed.
void ShowLoadErrorMessage(HWND owner, const std::wstring& message);

}  // namespace ambrelle
