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

// Val(CStr(x)) of a double without going through text, where that is exact:
// CStr writes a double with 15 significant digits and Val reads the text back
// as the nearest double. When x is the double nearest to a decimal d of at
// most 15 significant digits (x == n / 10^k as the division rounds, with
// |n| < 10^15 and 10^k exact), x lies closer to d than half a unit of the
// 15th digit, so the text is d and reads back as x. Other doubles (more
// digits, beyond 10^15, NaN) take the text.
bool ReadsBackUnchanged(double x) {
    if (x == 0) return true;
    if (!(std::fabs(x) < 1e15)) return false;
    double scale = 1;
    for (int k = 0; k <= 22; ++k, scale *= 10) {
        const double n = std::nearbyint(x * scale);
        if (std::fabs(n) >= 1e15) return false;
        if (n / scale == x) return true;
    }
    return false;
}

// Val(CStr(value)) of a number whose text need not be written: a double that
// reads back unchanged, or a whole number (its exact digits read back as the
// nearest double, as the conversion rounds).
bool ReadWithoutText(const VARIANT& value, double* number) {
    switch (V_VT(&value)) {
    case VT_R8:
        if (!ReadsBackUnchanged(V_R8(&value))) return false;
        *number = V_R8(&value) == 0 ? 0.0 : V_R8(&value);
        return true;
    case VT_I1: *number = V_I1(&value); return true;
    case VT_UI1: *number = V_UI1(&value); return true;
    case VT_I2: *number = V_I2(&value); return true;
    case VT_UI2: *number = V_UI2(&value); return true;
    case VT_I4: *number = V_I4(&value); return true;
    case VT_UI4: *number = V_UI4(&value); return true;
    case VT_INT: *number = V_INT(&value); return true;
    case VT_UINT: *number = V_UINT(&value); return true;
    case VT_I8: *number = static_cast<double>(V_I8(&value)); return true;
    case VT_UI8: *number = static_cast<double>(V_UI8(&value)); return true;
    default: return false;
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
    if (ReadWithoutText(*plain, number)) return S_OK;
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
