#include "val_number.h"

#include <cmath>

#include "com_error.h"
#include "leading_number.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "vb_conversions.h"

namespace ambrelle {

namespace {

bool IsNumericType(VARTYPE vt) {
    switch (vt) {
    case VT_I1: case VT_I2: case VT_I4: case VT_I8: case VT_INT:
    case VT_UI1: case VT_UI2: case VT_UI4: case VT_UI8: case VT_UINT:
    case VT_R4: case VT_R8: case VT_CY: case VT_DECIMAL:
        return true;
    default:
        return false;
    }
}

}  // namespace

HRESULT ValOfText(const std::wstring& text, double* value) {
    return ReadLeadingNumber(text, value) ? S_OK : RaiseAutomationError(kOverflow);
}

HRESULT ValOfValue(const VARIANT& value, double* number) {
    *number = 0;
    const VARIANT* plain = &value;
    if (V_VT(plain) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(plain)) plain = V_VARIANTREF(plain);
    UniqueBstr text;
    if (IsNumericType(V_VT(plain))) {
        // The text a "." setting gives: the invariant locale writes "." and no grouping.
        UniqueVariant converted;
        HRESULT hr = VariantChangeTypeEx(converted.ptr(), const_cast<VARIANT*>(plain), LOCALE_INVARIANT, 0, VT_BSTR);
        if (FAILED(hr)) return RaiseOwnError(hr, L"The value cannot be converted to text.");
        text.reset(V_BSTR(converted.ptr()));
        V_VT(converted.ptr()) = VT_EMPTY;
    } else {
        HRESULT hr = ToText(*plain, &text);
        if (FAILED(hr)) return hr;
    }
    return ValOfText(std::wstring(text.c_str(), text.length()), number);
}

}  // namespace ambrelle
