// The text a value is stored as. Numbers are written as decimal text with
// "." whatever the user's regional settings (a VT_R4 1234.5 is "1234.5"),
// booleans as "True" or "False", an object as the text of its default value.
// Read back, a number comes as text in the current user's regional format
// (as VB's GetSetting gives back what CStr wrote), so that it converts to the
// number written under any regional settings, also after they changed.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace ambrelle {

// S_OK with the text; DISP_E_TYPEMISMATCH for an array, an error value or an
// object without a default value; kInvalidUseOfNull for Null.
HRESULT SettingTextFromValue(const VARIANT& value, std::wstring* text);

// The value ReadSetting gives for stored text: a number in the stored form
// ("1234.5") as its text in the user's format ("1234,5" with a decimal
// comma); any other text as it stands.
HRESULT SettingValueFromText(const std::wstring& text, VARIANT* value);

// VB's run-time error 94, "Invalid use of Null", as an HRESULT.
constexpr HRESULT kInvalidUseOfNull = MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 94);

}  // namespace ambrelle
