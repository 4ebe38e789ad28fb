#include "text_value_object.h"

#include "dispatch_support.h"

namespace ambrelle {

HRESULT TextValueObject::Create(const std::wstring& text, IDispatch** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    TextValueObject* created = new (std::nothrow) TextValueObject(text);
    if (!created) return E_OUTOFMEMORY;
    *object = created;
    return S_OK;
}

STDMETHODIMP TextValueObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    static const DispatchMember kMembers[] = {{L"Value", DISPID_VALUE}};
    return MemberIdsOfNames(kMembers, riid, names, count, ids);
}

STDMETHODIMP TextValueObject::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO*, UINT*) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (member != DISPID_VALUE) return DISP_E_MEMBERNOTFOUND;
    if (!(flags & (DISPATCH_PROPERTYGET | DISPATCH_METHOD))) return DISP_E_MEMBERNOTFOUND;
    if (params && params->cArgs != 0) return DISP_E_BADPARAMCOUNT;
    if (!result) return S_OK;
    VariantInit(result);
    BSTR text = SysAllocStringLen(text_.c_str(), static_cast<UINT>(text_.size()));
    if (!text) return E_OUTOFMEMORY;
    V_VT(result) = VT_BSTR;
    V_BSTR(result) = text;
    return S_OK;
}

}  // namespace ambrelle
