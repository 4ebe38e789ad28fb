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

const wchar_t* DescriptionOf(AutomationError number) {
    switch (number) {
    case kOverflow: return L"Overflow";
    case kSubscriptOutOfRange: return L"Subscript out of range";
    case kTypeMismatch: return L"Type mismatch";
    case kObjectNotSet: return L"Object variable or With block variable not set";
    case kInvalidUseOfNull: return L"Invalid use of Null";
    case kFormAlreadyShown: return L"Form already displayed; can't show modally";
    case kObjectRequired: return L"Object required";
    case kCannotCreateObject: return L"ActiveX component can't create object";
    case kMemberNotSupported: return L"Object doesn't support this property or method";
    }
    return L"Application-defined or object-defined error";
}
}  // namespace

HRESULT RaiseAutomationError(AutomationError number) {
    return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number), kNoInterface, kComponentSource,
                         DescriptionOf(number));
}

HRESULT RaiseOwnError(HRESULT hr, const wchar_t* description) {
    switch (hr) {
    case DISP_E_TYPEMISMATCH: return RaiseAutomationError(kTypeMismatch);
    case DISP_E_OVERFLOW: return RaiseAutomationError(kOverflow);
    case DISP_E_MEMBERNOTFOUND:
    case DISP_E_UNKNOWNNAME: return RaiseAutomationError(kMemberNotSupported);
    default: return RaiseComError(hr, kNoInterface, kComponentSource, description);
    }
}

HRESULT RaiseInvalidUseOfNull() { return RaiseAutomationError(kInvalidUseOfNull); }

HRESULT RaiseObjectNotSet() { return RaiseAutomationError(kObjectNotSet); }

HRESULT ToText(const VARIANT& value, UniqueBstr* text) {
    const VARIANT& source = Dereferenced(value);
    if (V_VT(&source) == VT_NULL) return RaiseInvalidUseOfNull();
    if (V_VT(&source) == VT_DISPATCH || V_VT(&source) == VT_UNKNOWN) {
        if (!V_UNKNOWN(&source)) return RaiseObjectNotSet();
        if (V_VT(&source) == VT_UNKNOWN) return RaiseAutomationError(kTypeMismatch);
        // An object stands for its default value, which is converted in turn.
        DISPPARAMS none = {nullptr, nullptr, 0, 0};
        EXCEPINFO excep = {};
        UniqueVariant default_value;
        HRESULT hr = V_DISPATCH(&source)->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                                 DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none,
                                                 default_value.ptr(), &excep, nullptr);
        if (hr == DISP_E_EXCEPTION) return RaiseFromExcepInfo(excep, kNoInterface);
        if (FAILED(hr)) return RaiseAutomationError(kMemberNotSupported);
        if (default_value.vt() == VT_DISPATCH && V_DISPATCH(default_value.ptr()) == V_DISPATCH(&source))
            return RaiseAutomationError(kTypeMismatch);  // an object that is its own default value
        return ToText(default_value.get(), text);
    }
    UniqueVariant converted;
    HRESULT hr = VariantChangeTypeEx(converted.ptr(), const_cast<VARIANT*>(&source), LOCALE_USER_DEFAULT,
                                     VARIANT_ALPHABOOL, VT_BSTR);
    if (FAILED(hr)) return RaiseOwnError(hr, L"The value cannot be converted to text.");
    text->reset(V_BSTR(converted.ptr()));
    V_VT(converted.ptr()) = VT_EMPTY;
    return S_OK;
}

HRESULT NotIsTrue(const VARIANT& value, bool* is_true) {
    *is_true = false;
    UniqueVariant complement;
    HRESULT hr = VarNot(const_cast<VARIANT*>(&Dereferenced(value)), complement.ptr());
    if (FAILED(hr)) return RaiseAutomationError(hr == DISP_E_OVERFLOW ? kOverflow : kTypeMismatch);
    if (complement.vt() == VT_NULL) return S_OK;
    UniqueVariant as_bool;
    hr = VariantChangeType(as_bool.ptr(), complement.ptr(), 0, VT_BOOL);
    if (FAILED(hr)) return RaiseAutomationError(hr == DISP_E_OVERFLOW ? kOverflow : kTypeMismatch);
    *is_true = V_BOOL(as_bool.ptr()) != VARIANT_FALSE;
    return S_OK;
}

bool HoldsObject(const VARIANT& value) {
    const VARTYPE vt = V_VT(&Dereferenced(value));
    return vt == VT_DISPATCH || vt == VT_UNKNOWN || vt == (VT_BYREF | VT_DISPATCH) || vt == (VT_BYREF | VT_UNKNOWN);
}

}  // namespace ambrelle
