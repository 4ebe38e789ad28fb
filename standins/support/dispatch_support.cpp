#include "dispatch_support.h"


#include "com_error.h"
#include "unique_variant.h"


namespace ambrelle {

bool IsMemberName(const wchar_t* name, const wchar_t* expected) {
    return name && CompareStringOrdinal(name, -1, expected, -1, TRUE) == CSTR_EQUAL;
}

HRESULT MemberIdsOfNames(const DispatchMember* members, size_t member_count, REFIID riid, LPOLESTR* names,
                         UINT count, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    if (!names || !ids || count == 0) return E_INVALIDARG;
    for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
    for (size_t i = 0; i < member_count; ++i) {
        if (!IsMemberName(names[0], members[i].name)) continue;
        ids[0] = members[i].id;
        return count == 1 ? S_OK : DISP_E_UNKNOWNNAME;
    }
    return DISP_E_UNKNOWNNAME;
}

HRESULT CheckArguments(const DISPPARAMS* params, UINT expected) {
    if (!params) return E_INVALIDARG;
    if (params->cNamedArgs != 0) return DISP_E_NONAMEDARGS;
    if (params->cArgs != expected) return DISP_E_BADPARAMCOUNT;
    return S_OK;
}

const VARIANT* ArgumentValue(const VARIANT* arg) {
    while (V_VT(arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(arg)) arg = V_VARIANTREF(arg);
    return arg;
}

HRESULT ArgumentAsLong(const VARIANT* arg, LONG* value) {
    *value = 0;
    UniqueVariant converted;
    HRESULT hr = VariantChangeType(converted.ptr(), const_cast<VARIANT*>(ArgumentValue(arg)), 0, VT_I4);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    *value = V_I4(converted.ptr());
    return S_OK;
}

HRESULT ArgumentAsText(const VARIANT* arg, std::wstring* text) {
    text->clear();
    UniqueVariant converted;
    HRESULT hr = VariantChangeType(converted.ptr(), const_cast<VARIANT*>(ArgumentValue(arg)), 0, VT_BSTR);
    if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
    BSTR value = V_BSTR(converted.ptr());
    text->assign(value ? value : L"", SysStringLen(value));
    return S_OK;
}

HRESULT ReportDispatchFailure(HRESULT hr, const wchar_t* source, const wchar_t* description, EXCEPINFO* excep) {
    if (!excep) return RaiseComError(hr, IID_IDispatch, source, description);
    SetErrorInfo(0, nullptr);
    *excep = EXCEPINFO{};
    excep->scode = hr;
    excep->bstrSource = SysAllocString(source);
    excep->bstrDescription = SysAllocString(description);
    return DISP_E_EXCEPTION;
}

HRESULT ReportInnerFailure(HRESULT hr, const wchar_t* source, const wchar_t* fallback, EXCEPINFO* excep) {
    ComErrorDetails details = TakeComError(hr);
    if (details.source.empty() && details.description.empty())
        return ReportDispatchFailure(hr, source, fallback, excep);
    return ReportDispatchFailure(hr, details.source.c_str(), details.description.c_str(), excep);
}

HRESULT ErrorNumberAsHresult(LONG number) {
    if (number < 0) return static_cast<HRESULT>(number);
    if (number >= 1 && number <= 0xFFFF) return MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, number);
    return S_OK;
}

}  // namespace ambrelle
