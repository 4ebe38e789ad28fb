// VARIANTs made by value, for arguments and stored values. They own nothing
// but what NewText allocates: a BSTR or reference put into one stays the
// caller's.
#pragma once

#include <windows.h>
#include <ole2.h>

namespace ambrelle {

// A VARIANT of the given type whose value is all zero bits, for the caller to fill.
inline VARIANT TypedVariant(VARTYPE type) {
    VARIANT v{};
    V_VT(&v) = type;
    return v;
}

inline VARIANT EmptyValue() { return TypedVariant(VT_EMPTY); }
inline VARIANT NullValue() { return TypedVariant(VT_NULL); }
inline VARIANT LongValue(LONG value) { VARIANT v = TypedVariant(VT_I4); V_I4(&v) = value; return v; }
inline VARIANT ShortValue(SHORT value) { VARIANT v = TypedVariant(VT_I2); V_I2(&v) = value; return v; }
inline VARIANT BoolValue(bool value) { VARIANT v = TypedVariant(VT_BOOL); V_BOOL(&v) = value ? VARIANT_TRUE : VARIANT_FALSE; return v; }
inline VARIANT DoubleValue(double value) { VARIANT v = TypedVariant(VT_R8); V_R8(&v) = value; return v; }
inline VARIANT SingleValue(float value) { VARIANT v = TypedVariant(VT_R4); V_R4(&v) = value; return v; }
inline VARIANT DateValue(DATE value) { VARIANT v = TypedVariant(VT_DATE); V_DATE(&v) = value; return v; }
inline VARIANT ErrorValue(SCODE value) { VARIANT v = TypedVariant(VT_ERROR); V_ERROR(&v) = value; return v; }
// An optional argument left out, as late-bound callers pass it.
inline VARIANT MissingValue() { return ErrorValue(DISP_E_PARAMNOTFOUND); }
// The caller's BSTR, lent: the VARIANT must not be cleared.
inline VARIANT BorrowedText(BSTR text) { VARIANT v = TypedVariant(VT_BSTR); V_BSTR(&v) = text; return v; }
// A new BSTR copied up to the first NUL: VariantClear frees it.
inline VARIANT NewText(const wchar_t* text) { return BorrowedText(SysAllocString(text)); }
// The caller's object, lent: the VARIANT must not be cleared.
inline VARIANT DispatchValue(IDispatch* object) { VARIANT v = TypedVariant(VT_DISPATCH); V_DISPATCH(&v) = object; return v; }
// By-reference arguments: the callee reads and writes the caller's variable.
inline VARIANT LongRefValue(LONG* value) { VARIANT v = TypedVariant(VT_BYREF | VT_I4); V_I4REF(&v) = value; return v; }
inline VARIANT ShortRefValue(SHORT* value) { VARIANT v = TypedVariant(VT_BYREF | VT_I2); V_I2REF(&v) = value; return v; }
inline VARIANT BstrRefValue(BSTR* value) { VARIANT v = TypedVariant(VT_BYREF | VT_BSTR); V_BSTRREF(&v) = value; return v; }
inline VARIANT DispatchRefValue(IDispatch** value) { VARIANT v = TypedVariant(VT_BYREF | VT_DISPATCH); V_DISPATCHREF(&v) = value; return v; }
inline VARIANT VariantRefValue(VARIANT* value) { VARIANT v = TypedVariant(VT_BYREF | VT_VARIANT); V_VARIANTREF(&v) = value; return v; }

}  // namespace ambrelle
