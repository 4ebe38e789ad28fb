#include "com_error.h"

#include <wrl/client.h>

#include "unique_bstr.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

HRESULT RaiseComError(HRESULT hr, REFGUID iid, const wchar_t* source, const wchar_t* description) {
    ComPtr<ICreateErrorInfo> create;
    if (FAILED(CreateErrorInfo(&create))) return hr;
    create->SetGUID(iid);
    create->SetSource(const_cast<LPOLESTR>(source ? source : L""));
    create->SetDescription(const_cast<LPOLESTR>(description ? description : L""));
    ComPtr<IErrorInfo> info;
    if (SUCCEEDED(create.As(&info))) SetErrorInfo(0, info.Get());
    return hr;
}

HRESULT FailedWithoutErrorInfo(HRESULT hr) {
    SetErrorInfo(0, nullptr);
    return hr;
}

HRESULT FailedCall(IUnknown* object, REFIID iid, HRESULT hr) {
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info || !object) return hr;
    ComPtr<ISupportErrorInfo> support;
    if (SUCCEEDED(object->QueryInterface(IID_PPV_ARGS(&support))) && support->InterfaceSupportsErrorInfo(iid) == S_OK)
        SetErrorInfo(0, info.Get());  // GetErrorInfo took it off the thread
    return hr;
}

ComErrorDetails TakeComError(HRESULT hr) {
    ComErrorDetails details;
    details.hr = hr;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) == S_OK && info) {
        UniqueBstr text;
        if (SUCCEEDED(info->GetSource(text.put()))) details.source = text.c_str();
        if (SUCCEEDED(info->GetDescription(text.put()))) details.description = text.c_str();
    }
    return details;
}

void FillExcepInfoFromErrorInfo(HRESULT hr, EXCEPINFO* excep) {
    if (!excep) return;
    ComPtr<IErrorInfo> info;
    if (GetErrorInfo(0, &info) != S_OK || !info) return;
    excep->wCode = 0;
    excep->scode = hr;
    info->GetSource(&excep->bstrSource);
    info->GetDescription(&excep->bstrDescription);
    info->GetHelpFile(&excep->bstrHelpFile);
    info->GetHelpContext(&excep->dwHelpContext);
}

HRESULT RaiseFromExcepInfo(EXCEPINFO& excep, REFGUID iid) {
    if (excep.pfnDeferredFillIn) {
        excep.pfnDeferredFillIn(&excep);
        excep.pfnDeferredFillIn = nullptr;
    }
    // An exception is a failure whatever its EXCEPINFO says: a success code in
    // scode gives way to wCode, or to E_FAIL.
    HRESULT hr = excep.scode;
    if (SUCCEEDED(hr)) hr = excep.wCode ? MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, excep.wCode) : E_FAIL;
    RaiseComError(hr, iid, excep.bstrSource, excep.bstrDescription);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    excep.bstrSource = excep.bstrDescription = excep.bstrHelpFile = nullptr;
    return hr;
}

}  // namespace ambrelle
