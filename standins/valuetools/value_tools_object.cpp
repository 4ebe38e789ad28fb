#include "value_tools_object.h"

#include "com_error.h"
#include "unique_variant.h"

namespace ambrelle {
namespace {

constexpr wchar_t kSource[] = L"ValueTools";

// Follows VT_BYREF|VT_VARIANT to the variant that holds the value.
const VARIANT* Unwrapped(const VARIANT* value) {
    while (V_VT(value) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(value)) value = V_VARIANTREF(value);
    return value;
}

bool HoldsObject(const VARIANT* value, IDispatch** object) {
    if (V_VT(value) == VT_DISPATCH) {
        *object = V_DISPATCH(value);
        return true;
    }
    if (V_VT(value) == (VT_BYREF | VT_DISPATCH)) {
        *object = V_DISPATCHREF(value) ? *V_DISPATCHREF(value) : nullptr;
        return true;
    }
    return false;
}

// The default value (DISPID_VALUE) of an object, such as a record-set field's Value.
HRESULT DefaultValueOf(IDispatch* object, VARIANT* value) {
    DISPPARAMS no_args = {nullptr, nullptr, 0, 0};
    EXCEPINFO excep = {};
    HRESULT hr = object->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &no_args, value,
                                &excep, nullptr);
    if (hr == DISP_E_EXCEPTION) return RaiseFromExcepInfo(excep, IID_IValueTools);
    if (FAILED(hr)) return RaiseComError(hr, IID_IValueTools, kSource, L"The object has no default value.");
    return S_OK;
}

}  // namespace

HRESULT ValueToolsObject::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) ValueToolsObject(), riid, object);
}

STDMETHODIMP ValueToolsObject::ValueOrDefault(VARIANT* value, VARIANT* default_value, VARIANT* result) {
    if (!result) return E_POINTER;
    VariantInit(result);
    if (!value || !default_value) return E_POINTER;
    const VARIANT* given = Unwrapped(value);
    UniqueVariant found;
    IDispatch* object = nullptr;
    HRESULT hr;
    if (HoldsObject(given, &object)) {
        // Nothing has no value: it counts as Empty.
        hr = object ? DefaultValueOf(object, found.ptr()) : S_OK;
    } else {
        hr = VariantCopyInd(found.ptr(), const_cast<VARIANT*>(given));
    }
    if (FAILED(hr)) return hr;
    const VARTYPE vt = V_VT(Unwrapped(found.ptr()));
    if (vt == VT_NULL || vt == VT_EMPTY) return VariantCopyInd(result, default_value);
    if (found.vt() & VT_BYREF) return VariantCopyInd(result, found.ptr());
    // A value of our own (the object's answer or a copy): handed over as it is.
    found.release_to(result);
    return S_OK;
}

}  // namespace ambrelle
