#include "settings_text.h"

#include "unique_variant.h"

namespace ambrelle {
namespace {
// English (United States): "." as the decimal point, no digit grouping in
// plain conversions, "True"/"False" for booleans.
const LCID kStorageLocale = MAKELCID(MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), SORT_DEFAULT);
}  // namespace

HRESULT SettingTextFromValue(const VARIANT& value, std::wstring* text) {
    text->clear();
    UniqueVariant plain;
    HRESULT hr = VariantCopyInd(plain.ptr(), const_cast<VARIANT*>(&value));
    if (FAILED(hr)) return hr;
    const VARTYPE vt = plain.vt();
    if (vt == VT_NULL) return kInvalidUseOfNull;
    if (vt == VT_EMPTY) return S_OK;
    if ((vt & VT_ARRAY) || vt == VT_ERROR || vt == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    UniqueVariant converted;
    hr = VariantChangeTypeEx(converted.ptr(), plain.ptr(), kStorageLocale, VARIANT_NOUSEROVERRIDE | VARIANT_ALPHABOOL,
                             VT_BSTR);
    if (FAILED(hr)) return hr;
    if (converted.vt() == VT_NULL) return kInvalidUseOfNull;  // an object whose default value is Null
    if (converted.vt() != VT_BSTR) return DISP_E_TYPEMISMATCH;
    BSTR stored = V_BSTR(converted.ptr());
    text->assign(stored ? stored : L"", SysStringLen(stored));
    return S_OK;
}

namespace {

// True when `text` is exactly what SettingTextFromValue writes for `number`.
bool IsStoredNumber(const std::wstring& text, double* number) {
    if (text.empty() || text.size() > 64) return false;
    UniqueVariant parsed;
    V_VT(parsed.ptr()) = VT_BSTR;
    V_BSTR(parsed.ptr()) = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    if (!V_BSTR(parsed.ptr())) return false;
    if (FAILED(VariantChangeTypeEx(parsed.ptr(), parsed.ptr(), kStorageLocale, VARIANT_NOUSEROVERRIDE, VT_R8)))
        return false;
    *number = V_R8(parsed.ptr());
    std::wstring written;
    return SUCCEEDED(SettingTextFromValue(parsed.get(), &written)) && written == text;
}

}  // namespace

HRESULT SettingValueFromText(const std::wstring& text, VARIANT* value) {
    VariantInit(value);
    double number = 0;
    if (IsStoredNumber(text, &number)) {
        VARIANT numeric;
        V_VT(&numeric) = VT_R8;
        V_R8(&numeric) = number;
        return VariantChangeTypeEx(value, &numeric, LOCALE_USER_DEFAULT, 0, VT_BSTR);
    }
    BSTR stored = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    if (!stored) return E_OUTOFMEMORY;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = stored;
    return S_OK;
}

}  // namespace ambrelle
