#include "optional_argument.h"

#include "unique_variant.h"

using ambrelle::UniqueVariant;

namespace ado_standin {

// An optional VARIANT argument the caller left out.
bool IsMissing(const VARIANT& value) {
    const VARIANT* v = &value;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
    return V_VT(v) == VT_EMPTY || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

// No source or connection: missing, Empty, Null, Nothing or an empty text.
bool IsNone(const VARIANT& value) {
    if (IsMissing(value)) return true;
    UniqueVariant direct;
    if (FAILED(VariantCopyInd(direct.ptr(), const_cast<VARIANT*>(&value)))) return false;
    switch (direct.vt()) {
    case VT_NULL:
        return true;
    case VT_DISPATCH:
        return V_DISPATCH(&direct.get()) == nullptr;
    case VT_UNKNOWN:
        return V_UNKNOWN(&direct.get()) == nullptr;
    case VT_BSTR:
        return SysStringLen(V_BSTR(&direct.get())) == 0;
    default:
        return false;
    }
}

}  // namespace ado_standin
