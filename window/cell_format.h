// Cell texts of the grid: quantities with the record's decimal places, dates
// as year-month-day, totals with four decimals, through the platform's custom
// number and date formats in the user's regional settings.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "cell_text.h"

namespace ambrelle {

// The pattern of a quantity with `decimals` places: "##,#0" for an empty text
// or "0", "##,#0." and that many "0" otherwise, 28 at most (a larger count,
// up to any 32-bit one, gives 28). A text that is not a number from 0 up
// counts as 0 places.
std::wstring QuantityPattern(const std::wstring& decimals);

// A quantity's text formatted with the pattern: the empty text stays empty, a
// text that is not a number (or is beyond a double) is shown unchanged. A
// number of any magnitude gets its full text, and one whose text has more
// significant digits than a double keeps is shown with those digits.
HRESULT FormatQuantityText(const std::wstring& quantity, const std::wstring& pattern, std::wstring* cell);
// The same for a text held in a BSTR, which is read and not changed.
HRESULT FormatQuantityText(BSTR quantity, const std::wstring& pattern, std::wstring* cell);

// "yyyy-mm-dd" of a date value; Null, Empty and the empty text give the empty text.
HRESULT FormatDate(const VARIANT& value, std::wstring* cell);

// A total with the pattern "##,##0.0000", of any finite magnitude.
HRESULT FormatTotal(double total, std::wstring* cell);

}  // namespace ambrelle
