#include "text_value_object.h"

#include "dispatch_support.h"
#include "out_values.h"

namespace ambrelle {

HRESULT TextValueObject::Create(const std::wstring& text, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    TextValueObject* created = new (std::nothrow) TextValueObject(text);
    if (!created) return E_OUTOFMEMORY;
    *object = created;
    return S_OK;
}

HRESULT TextValueObject::InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                      UINT*) {
    if (member != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    return TextVariant(text_, result);
}

}  // namespace ambrelle
