#include "vb_conversions.h"

#include "com_error.h"
#include "unique_variant.h"

namespace ambrelle {

namespace {
// {00000000-0000-0000-0000-000000000000}: errors of the component itself name no interface.
const GUID kNoInterface = {};
const VARIANT& Dereferenced(const VARIANT& value) {
    return V_VT(&value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&value) ? *V_VARIANTREF(&value) : value;
}
}  // namespace

HRESULT RaiseInvalidUseOfNull() {
    return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 94), kNoInterface, kComponentSource,
                         L"Invalid use of Null");
}

HRESULT RaiseObjectNotSet() {
    return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 91), kNoInterface, kComponentSource,
                         L"Object variable not set");
}

HRESULT ToText(const VARIANT& value, UniqueBstr* text) {
    const VARIANT& source = Dereferenced(value);
    if (V_VT(&source) == VT_NULL) return RaiseInvalidUseOfNull();
    UniqueVariant converted;
    HRESULT hr = VariantChangeTypeEx(converted.ptr(), const_cast<VARIANT*>(&source), LOCALE_USER_DEFAULT,
                                     VARIANT_ALPHABOOL, VT_BSTR);
    if (FAILED(hr)) {
        if (hr == DISP_E_TYPEMISMATCH)
            return RaiseComError(hr, kNoInterface, kComponentSource, L"Type mismatch");
        return hr;
    }
    text->reset(V_BSTR(converted.ptr()));
    V_VT(converted.ptr()) = VT_EMPTY;
    return S_OK;
}

HRESULT NotIsTrue(const VARIANT& value, bool* is_true) {
    *is_true = false;
    UniqueVariant complement;
    HRESULT hr = VarNot(const_cast<VARIANT*>(&Dereferenced(value)), complement.ptr());
    if (FAILED(hr)) return RaiseComError(DISP_E_TYPEMISMATCH, kNoInterface, kComponentSource, L"Type mismatch");
    if (complement.vt() == VT_NULL) return S_OK;
    UniqueVariant as_bool;
    hr = VariantChangeType(as_bool.ptr(), complement.ptr(), 0, VT_BOOL);
    if (FAILED(hr)) return RaiseComError(DISP_E_TYPEMISMATCH, kNoInterface, kComponentSource, L"Type mismatch");
    *is_true = V_BOOL(as_bool.ptr()) != VARIANT_FALSE;
    return S_OK;
}

bool HoldsObject(const VARIANT& value) {
    const VARTYPE vt = V_VT(&Dereferenced(value));
    return vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == (VT_BYREF | VT_DISPATCH) || vt == (VT_BYREF | VT_UNKNOWN);
}

}  // namespace ambrelle
