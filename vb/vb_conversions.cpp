#include "vb_conversions.h"

#include <cmath>
#include <string>

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

HRESULT DescribedFailure(HRESULT hr) {
    if (SUCCEEDED(hr)) return hr;
    IErrorInfo* info = nullptr;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        SetErrorInfo(0, info);  // GetErrorInfo took it off the thread
        info->Release();
        return hr;
    }
    wchar_t* system_text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, static_cast<DWORD>(hr), 0, reinterpret_cast<wchar_t*>(&system_text), 0, nullptr);
    std::wstring description = system_text ? system_text : L"";
    if (system_text) LocalFree(system_text);
    while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r' ||
                                    description.back() == L' ' || description.back() == L'.'))
        description.pop_back();
    if (description.empty()) description = L"Automation error";
    return RaiseComError(hr, kNoInterface, kComponentSource, description.c_str());
}

HRESULT ToSingle(const VARIANT& value, float* number) {
    *number = 0;
    const VARIANT& source = Dereferenced(value);
    if (V_VT(&source) == VT_NULL) return RaiseInvalidUseOfNull();
    UniqueVariant converted;
    HRESULT hr = VariantChangeType(converted.ptr(), const_cast<VARIANT*>(&source), 0, VT_R4);
    if (FAILED(hr)) return RaiseAutomationError(hr == DISP_E_OVERFLOW ? kOverflow : kTypeMismatch);
    *number = V_R4(converted.ptr());
    return S_OK;
}

HRESULT RaiseInvalidUseOfNull() { return RaiseAutomationError(kInvalidUseOfNull); }

HRESULT RaiseObjectNotSet() { return RaiseAutomationError(kObjectNotSet); }

namespace {

bool IsObject(const VARIANT& value) { return V_VT(&value) == VT_DISPATCH || V_VT(&value) == VT_UNKNOWN; }

// An object stands for its default value: Nothing fails with error 91, an
// object without one with 438.
HRESULT DefaultValueOf(const VARIANT& object, UniqueVariant* default_value) {
    if (!V_UNKNOWN(&object)) return RaiseObjectNotSet();
    if (V_VT(&object) == VT_UNKNOWN) return RaiseAutomationError(kTypeMismatch);
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    EXCEPINFO excep = {};
    HRESULT hr = V_DISPATCH(&object)->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT,
                                             DISPATCH_PROPERTYGET | DISPATCH_METHOD, &none, default_value->ptr(),
                                             &excep, nullptr);
    if (hr == DISP_E_EXCEPTION) return RaiseFromExcepInfo(excep, kNoInterface);
    if (FAILED(hr)) return RaiseAutomationError(kMemberNotSupported);
    if (default_value->vt() == VT_DISPATCH && V_DISPATCH(default_value->ptr()) == V_DISPATCH(&object))
        return RaiseAutomationError(kTypeMismatch);  // an object that is its own default value
    return S_OK;
}

}  // namespace

HRESULT ToText(const VARIANT& value, UniqueBstr* text) {
    const VARIANT& source = Dereferenced(value);
    if (V_VT(&source) == VT_NULL) return RaiseInvalidUseOfNull();
    if (IsObject(source)) {
        UniqueVariant default_value;
        HRESULT hr = DefaultValueOf(source, &default_value);
        if (FAILED(hr)) return hr;
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

HRESULT TakeText(VARIANT* value, UniqueBstr* text) {
    if (V_VT(value) != VT_BSTR) return ToText(*value, text);
    text->reset(V_BSTR(value));
    V_VT(value) = VT_EMPTY;
    return S_OK;
}

HRESULT NotIsTrue(const VARIANT& value, bool* is_true) {
    *is_true = false;
    if (IsObject(Dereferenced(value))) {
        UniqueVariant default_value;
        HRESULT hr = DefaultValueOf(Dereferenced(value), &default_value);
        if (FAILED(hr)) return hr;
        return NotIsTrue(default_value.get(), is_true);
    }
    // A number that is no number has no Long value (some runtimes wrap it to the lowest one).
    const VARIANT& number = Dereferenced(value);
    if ((V_VT(&number) == VT_R8 && std::isnan(V_R8(&number))) || (V_VT(&number) == VT_R4 && std::isnan(V_R4(&number))))
        return RaiseAutomationError(kOverflow);
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
