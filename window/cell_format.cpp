#include "cell_format.h"

#include "unique_bstr.h"
#include "unique_variant.h"

namespace ambrelle {

namespace {

HRESULT Format(VARIANT* value, const wchar_t* pattern, std::wstring* text) {
    UniqueBstr formatted;
    HRESULT hr = VarFormat(value, const_cast<LPOLESTR>(pattern), 0, 0, 0, formatted.put());
    if (FAILED(hr)) return hr;
    text->assign(formatted.c_str(), formatted.length());
    return S_OK;
}

}  // namespace

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
}

std::wstring NumberWithSignPlace(LONG number) {
    return number < 0 ? std::to_wstring(number) : L" " + std::to_wstring(number);
}

std::wstring QuantityPattern(const std::wstring& decimals) {
    SHORT places = 0;
    if (!decimals.empty()) {
        UniqueBstr text(decimals.c_str(), static_cast<UINT>(decimals.size()));
        if (FAILED(VarI2FromStr(text.get(), LOCALE_USER_DEFAULT, 0, &places)) || places < 0) places = 0;
    }
    return places == 0 ? std::wstring(L"##,#0") : L"##,#0." + std::wstring(static_cast<size_t>(places), L'0');
}

HRESULT FormatQuantityText(const std::wstring& quantity, const std::wstring& pattern, std::wstring* cell) {
    cell->clear();
    if (quantity.empty()) return S_OK;
    UniqueVariant text;
    V_VT(text.ptr()) = VT_BSTR;
    V_BSTR(text.ptr()) = SysAllocStringLen(quantity.data(), static_cast<UINT>(quantity.size()));
    if (!V_BSTR(text.ptr())) return E_OUTOFMEMORY;
    double number = 0;
    if (FAILED(VarR8FromStr(V_BSTR(text.ptr()), LOCALE_USER_DEFAULT, 0, &number))) {
        *cell = quantity;  // not a number: shown as it is
        return S_OK;
    }
    return Format(text.ptr(), pattern.c_str(), cell);
}

HRESULT FormatDate(const VARIANT& value, std::wstring* cell) {
    cell->clear();
    const VARIANT* plain = &value;
    if (V_VT(plain) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(plain)) plain = V_VARIANTREF(plain);
    if (V_VT(plain) == VT_NULL || V_VT(plain) == VT_EMPTY) return S_OK;
    return Format(const_cast<VARIANT*>(plain), L"yyyy-mm-dd", cell);
}

HRESULT FormatTotal(double total, std::wstring* cell) {
    VARIANT value;
    V_VT(&value) = VT_R8;
    V_R8(&value) = total;
    return Format(&value, L"##,##0.0000", cell);
}

}  // namespace ambrelle
