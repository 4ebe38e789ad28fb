#include "record_set_argument.h"

namespace ambrelle {

HRESULT RecordSetArgument::Bind(VARIANT* arg) {
    dispatch_slot_ = nullptr;
    variant_slot_ = nullptr;
    by_value_ = nullptr;
    switch (V_VT(arg)) {
    case VT_BYREF | VT_DISPATCH:
        if (!V_DISPATCHREF(arg)) return DISP_E_TYPEMISMATCH;
        dispatch_slot_ = V_DISPATCHREF(arg);
        return S_OK;
    case VT_DISPATCH:
        by_value_ = V_DISPATCH(arg);
        return S_OK;
    case VT_BYREF | VT_VARIANT: {
        VARIANT* variable = V_VARIANTREF(arg);
        if (!variable) return DISP_E_TYPEMISMATCH;
        if (V_VT(variable) == (VT_BYREF | VT_VARIANT)) return Bind(variable);
        if (V_VT(variable) == (VT_BYREF | VT_DISPATCH)) return Bind(variable);
        // A variable holding an object, Nothing, or not yet anything.
        if (V_VT(variable) != VT_DISPATCH && V_VT(variable) != VT_EMPTY && V_VT(variable) != VT_NULL)
            return DISP_E_TYPEMISMATCH;
        variant_slot_ = variable;
        return S_OK;
    }
    default:
        return DISP_E_TYPEMISMATCH;
    }
}

IDispatch* RecordSetArgument::Current() const {
    if (dispatch_slot_) return *dispatch_slot_;
    if (variant_slot_) return V_VT(variant_slot_) == VT_DISPATCH ? V_DISPATCH(variant_slot_) : nullptr;
    return by_value_;
}

void RecordSetArgument::Replace(IDispatch* object) {
    if (object) object->AddRef();
    if (dispatch_slot_) {
        IDispatch* previous = *dispatch_slot_;
        *dispatch_slot_ = object;
        if (previous) previous->Release();
    } else if (variant_slot_) {
        VariantClear(variant_slot_);
        V_VT(variant_slot_) = VT_DISPATCH;
        V_DISPATCH(variant_slot_) = object;
    } else if (object) {
        object->Release();
    }
}

}  // namespace ambrelle
