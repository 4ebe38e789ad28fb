#include "cell_format.h"

#include <cmath>
#include <limits>
#include <utility>
#include <vector>

#include "unique_bstr.h"
#include "unique_variant.h"

namespace ambrelle {

namespace {

// From this magnitude on every significant digit of a double stands before
// the point; such numbers are written out here, in the form the platform's
// format gives shorter ones (its fixed buffers do not take them).
constexpr double kLongNumber = 1e15;
// The significant digits a double keeps.
constexpr size_t kDoubleDigits = 15;

std::wstring LocaleText(LCTYPE type, const wchar_t* fallback) {
    wchar_t text[16];
    return GetLocaleInfoW(LOCALE_USER_DEFAULT, type, text, 16) > 0 ? std::wstring(text) : std::wstring(fallback);
}

// A number's own digits as its text carries them (in the regional settings
// `lcid`): the number is digits × 10^power, without zeros at either end.
struct OwnDigits {
    std::wstring digits;
    int power = 0;
    bool negative = false;
};

HRESULT ParseOwnDigits(BSTR text, LCID lcid, OwnDigits* number) {
    NUMPARSE parsed = {};
    std::vector<BYTE> values(SysStringLen(text) + 1);
    parsed.cDig = static_cast<INT>(values.size());
    parsed.dwInFlags = NUMPRS_STD;
    HRESULT hr = VarParseNumFromStr(text, lcid, 0, &parsed, values.data());
    if (FAILED(hr)) return hr;
    number->digits.assign(static_cast<size_t>(parsed.cDig), L'0');
    for (size_t i = 0; i < number->digits.size(); ++i) number->digits[i] = static_cast<wchar_t>(L'0' + values[i]);
    number->power = parsed.nPwr10;
    const size_t last = number->digits.find_last_not_of(L'0');
    number->power += static_cast<int>(number->digits.size() - (last == std::wstring::npos ? 0 : last + 1));
    number->digits.resize(last == std::wstring::npos ? 0 : last + 1);
    number->digits.erase(0, number->digits.find_first_not_of(L'0'));
    number->negative = (parsed.dwOutFlags & NUMPRS_NEG) != 0;
    return S_OK;
}

// "##,##0.00"-style writing of a number from its own digits: groups of three
// and `places` digits after the point, rounded half away from zero.
std::wstring WriteOwnDigits(OwnDigits number, int places) {
    std::wstring& digits = number.digits;
    int power = number.power;
    // The digits beyond `places` decimals are dropped, rounding the rest.
    const long long dropped = -static_cast<long long>(power) - places;
    if (dropped > 0) {
        const long long size = static_cast<long long>(digits.size());
        const bool up = dropped <= size && digits[static_cast<size_t>(size - dropped)] >= L'5';
        digits.resize(dropped < size ? static_cast<size_t>(size - dropped) : 0);
        power = -places;
        size_t at = digits.size();
        for (bool carry = up; carry;) {
            if (at == 0) {
                digits.insert(digits.begin(), L'1');
                carry = false;
            } else if (digits[--at] == L'9') {
                digits[at] = L'0';
            } else {
                ++digits[at];
                carry = false;
            }
        }
    }
    const bool negative = number.negative && digits.find_first_not_of(L'0') != std::wstring::npos;
    if (power > 0) digits.append(static_cast<size_t>(power), L'0');
    const size_t fraction = power < 0 ? static_cast<size_t>(-power) : 0;
    if (digits.size() <= fraction) digits.insert(0, fraction + 1 - digits.size(), L'0');
    const size_t whole = digits.size() - fraction;

    const std::wstring group = LocaleText(LOCALE_STHOUSAND, L",");
    std::wstring cell = negative ? LocaleText(LOCALE_SNEGATIVESIGN, L"-") : std::wstring();
    for (size_t i = 0; i < whole; ++i) {
        if (i > 0 && (whole - i) % 3 == 0) cell += group;
        cell += digits[i];
    }
    if (places > 0) {
        cell += LocaleText(LOCALE_SDECIMAL, L".");
        cell.append(digits, whole, fraction);
        cell.append(static_cast<size_t>(places) - fraction, L'0');
    }
    return cell;
}

// The same for a double of at least kLongNumber, from the digits of its text.
HRESULT FormatLongNumber(double number, int places, std::wstring* cell) {
    UniqueBstr text;
    OwnDigits digits;
    HRESULT hr = VarBstrFromR8(number, LOCALE_INVARIANT, 0, text.put());
    if (SUCCEEDED(hr)) hr = ParseOwnDigits(text.get(), LOCALE_INVARIANT, &digits);
    if (SUCCEEDED(hr)) *cell = WriteOwnDigits(std::move(digits), places);
    return hr;
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
    if (FAILED(hr)) {
        cell->assign(quantity, length);  // beyond a double: shown as it is
        return S_OK;
    }
    // A long number, or one with more significant digits than a double keeps
    // (a decimal or 64-bit field), is written out from its own digits.
    const bool long_number = !(std::fabs(number) < kLongNumber);
    OwnDigits digits;
    if ((long_number || length > kDoubleDigits) && SUCCEEDED(ParseOwnDigits(quantity, LOCALE_USER_DEFAULT, &digits)) &&
        (long_number || digits.digits.size() > kDoubleDigits)) {
        *cell = WriteOwnDigits(std::move(digits), PlacesOf(pattern));
        return S_OK;
    }
    if (long_number) return FormatLongNumber(number, PlacesOf(pattern), cell);
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
    // An empty text is no date, as Null is none.
    if (V_VT(plain) == VT_BSTR && SysStringLen(V_BSTR(plain)) == 0) return S_OK;
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
