#include "bench_support.h"

#include <algorithm>

#include "share_props.h"
#include "unique_bstr.h"

namespace bench {

double Now() {
    LARGE_INTEGER counter, frequency;
    QueryPerformanceCounter(&counter);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    return values.empty() ? 0 : values[values.size() / 2];
}

HRESULT CreateByProgId(const wchar_t* prog_id, Microsoft::WRL::ComPtr<IDispatch>* object) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(object->ReleaseAndGetAddressOf()));
}

HRESULT Call(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    const bool is_put = flags == DISPATCH_PROPERTYPUT;
    DISPPARAMS params = {args, is_put ? &put : nullptr, count, is_put ? 1u : 0u};
    EXCEPINFO excep = {};
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, nullptr);
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    return hr;
}

HRESULT NewQuery(LONG fid, LONG kind, Microsoft::WRL::ComPtr<IDispatch>* validate) {
    HRESULT hr = CreateByProgId(L"Ambrelle.ClsValidate", validate);
    if (FAILED(hr)) return hr;
    VARIANT arg;
    V_VT(&arg) = VT_BYREF | VT_I4;
    V_I4REF(&arg) = &fid;
    hr = Call(validate->Get(), L"FID", DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
    V_I4REF(&arg) = &kind;
    if (SUCCEEDED(hr)) hr = Call(validate->Get(), L"QueryClass", DISPATCH_PROPERTYPUT, &arg, 1, nullptr);
    return hr;
}

HRESULT PublishSessionString(const wchar_t* session) {
    Microsoft::WRL::ComPtr<IDispatch> service;
    HRESULT hr = CreateByProgId(ambrelle::share_props::kProgId, &service);
    if (FAILED(hr)) return hr;
    ambrelle::UniqueBstr text(session);
    ambrelle::UniqueBstr name(ambrelle::share_props::kPropsString);
    if (!text.allocated() || !name.allocated()) return E_OUTOFMEMORY;
    VARIANT args[3];  // in reverse: session, name, process id
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = text.get();
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = name.get();
    V_VT(&args[2]) = VT_I4;
    V_I4(&args[2]) = static_cast<LONG>(GetCurrentProcessId());
    return Call(service.Get(), L"SetProperty", DISPATCH_METHOD, args, 3, nullptr);
}

}  // namespace bench
