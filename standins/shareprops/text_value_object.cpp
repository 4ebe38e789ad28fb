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

STDMETHODIMP TextValueObject::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch) return E_NOINTERFACE;
    *object = static_cast<IDispatch*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) TextValueObject::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) TextValueObject::Release() {
    ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

STDMETHODIMP TextValueObject::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
}

STDMETHODIMP TextValueObject::GetTypeInfo(UINT, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    return DISP_E_BADINDEX;
}

STDMETHODIMP TextValueObject::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    HRESULT hr = S_OK;
    for (UINT i = 0; i < count; ++i) {
        ids[i] = DISPID_UNKNOWN;
        if (i == 0 && IsMemberName(names[0], L"Value"))
            ids[0] = DISPID_VALUE;
        else
            hr = DISP_E_UNKNOWNNAME;
    }
    return hr;
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
