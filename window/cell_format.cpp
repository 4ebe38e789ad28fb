#include "cell_format.h"

#include <cmath>
#include <limits>

#include "unique_bstr.h"
#include "unique_variant.h"

namespace ambrelle {

namespace {

// From this magnitude on every significant digit of a double stands before
// the point; such numbers are written out here, in the form the platform's
// format gives shorter ones (its fixed buffers do not take them).
constexpr double kLongNumber = 1e15;

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
    wchar_t text[16];
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 16) > 0 ? std::wstring(text) : std::wstring(fallback);
}

// "##,##0.00"-style formatting of a number of at least kLongNumber: its
// significant digits (as the number's text carries them), zeros up to the
// point, groups of three, and `places` zeros after the point.
HRESULT FormatLongNumber(double number, int places, std::wstring* text) {
    UniqueBstr digits_text;
    HRESULT hr = VarBstrFromR8(number, LOCALE_INVARIANT, 0, digits_text.put());
    if (FAILED(hr)) return hr;
    NUMPARSE parsed = {};
    BYTE digits[32];
    parsed.cDig = sizeof(digits);
    parsed.dwInFlags = NUMPRS_STD;
    hr = VarParseNumFromStr(digits_text.get(), LOCALE_INVARIANT, 0, &parsed, digits);
    if (FAILED(hr)) return hr;
    if (parsed.nPwr10 < 0) return DISP_E_OVERFLOW;  // not a long number after all
    std::wstring whole;
    for (int i = 0; i < parsed.cDig; ++i) whole += static_cast<wchar_t>(L'0' + digits[i]);
    whole.append(static_cast<size_t>(parsed.nPwr10), L'0');

    const std::wstring group = LocaleText(LOCALE_STHOUSAND, L",");
    text->clear();
    if (parsed.dwOutFlags & NUMPRS_NEG) *text += LocaleText(LOCALE_SNEGATIVESIGN, L"-");
    for (size_t i = 0; i < whole.size(); ++i) {
        if (i > 0 && (whole.size() - i) % 3 == 0) *text += group;
        *text += whole[i];
    }
    if (places > 0) *text += LocaleText(LOCALE_SDECIMAL, L".") + std::wstring(static_cast<size_t>(places), L'0');
    return S_OK;
}

// The decimal places of a pattern ("##,#0.00" has 2).
int PlacesOf(const std::wstring& pattern) {
    const size_t point = pattern.find(L'.');
    return point == std::wstring::npos ? 0 : static_cast<int>(pattern.size() - point - 1);
}

HRESULT Format(VARIANT* value, const wchar_t* pattern, std::wstring* text) {
    UniqueBstr formatted;
    HRESULT hr = VarFormat(value, const_cast<LPOLESTR>(pattern), 0, 0, 0, formatted.put());
    if (FAILED(hr)) return hr;
    text->assign(formatted.c_str(), formatted.length());
    return S_OK;
}

}  // namespace

std::wstring QuantityPattern(const std::wstring& decimals) {
    if (decimals.empty()) return QuantityPatternOfCount(0);
    // Read up to the first null, as from a BSTR; the conversions only read the text.
    OLECHAR* text = const_cast<OLECHAR*>(decimals.c_str());
    SHORT places = 0;
    const HRESULT hr = VarI2FromStr(text, LOCALE_USER_DEFAULT, 0, &places);
    if (SUCCEEDED(hr)) return QuantityPatternOfCount(places);
    // A count beyond 16 bits asks for more places than can be shown.
    double count = 0;
    if (hr == DISP_E_OVERFLOW && SUCCEEDED(VarR8FromStr(text, LOCALE_USER_DEFAULT, 0, &count)) && count > 0)
        return QuantityPatternOfCount(std::numeric_limits<long long>::max());
    return QuantityPatternOfCount(0);
}

HRESULT FormatQuantityText(const std::wstring& quantity, const std::wstring& pattern, std::wstring* cell) {
    cell->clear();
    if (quantity.empty()) return S_OK;
    UniqueBstr text(quantity.data(), static_cast<UINT>(quantity.size()));
    if (!text.allocated()) return E_OUTOFMEMORY;
    return FormatQuantityText(text.get(), pattern, cell);
}

HRESULT FormatQuantityText(BSTR quantity, const std::wstring& pattern, std::wstring* cell) {
    cell->clear();
    const UINT length = SysStringLen(quantity);
    if (length == 0) return S_OK;
    double number = 0;
    const HRESULT hr = VarR8FromStr(quantity, LOCALE_USER_DEFAULT, 0, &number);
    if (FAILED(hr) && hr != DISP_E_OVERFLOW) {
        cell->assign(quantity, length);  // not a number: shown as it is
        return S_OK;
    }
    if (FAILED(hr) || !(std::fabs(number) < kLongNumber)) {
        // Beyond a double the text is shown as it is; a long number is written out.
        if (FAILED(hr)) cell->assign(quantity, length);
        return FAILED(hr) ? S_OK : FormatLongNumber(number, PlacesOf(pattern), cell);
    }
    VARIANT text;  // borrows the caller's text: never cleared here
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = quantity;
    return Format(&text, pattern.c_str(), cell);
}

HRESULT FormatDate(const VARIANT& value, std::wstring* cell) {
    cell->clear();
    const VARIANT* plain = &value;
    if (V_VT(plain) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(plain)) plain = V_VARIANTREF(plain);
    if (V_VT(plain) == VT_NULL || V_VT(plain) == VT_EMPTY) return S_OK;
    return Format(const_cast<VARIANT*>(plain), L"yyyy-mm-dd", cell);
}

HRESULT FormatTotal(double total, std::wstring* cell) {
    if (!std::isfinite(total)) return DISP_E_OVERFLOW;
    if (!(std::fabs(total) < kLongNumber)) return FormatLongNumber(total, 4, cell);
    VARIANT value;
    V_VT(&value) = VT_R8;
    V_R8(&value) = total;
    return Format(&value, L"##,##0.0000", cell);
}

}  // namespace ambrelle
