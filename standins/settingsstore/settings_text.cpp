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

}  // namespace ambrelle
