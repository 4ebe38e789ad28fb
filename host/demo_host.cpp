// A demo host, as an ERP client uses Ambrelle: it publishes its session
// string in the shared-properties service, creates Ambrelle.ClsValidate by
// ProgID, puts FID and QueryClass and calls show.
//
//   AmbrelleDemo.exe [FID [QueryClass]] [--close-after SECONDS]
//
// With --close-after the window is closed by the host after that many seconds
// (for unattended runs).
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "com_error.h"
#include "share_props.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;

namespace {

constexpr wchar_t kSessionString[] =
    L"Provider=SQLOLEDB.1;Data Source=ERP01;Initial Catalog=AIS20091215;UserName=demo;SessionID=7F3A21";

struct Options {
    LONG fid = 100231;
    LONG query_class = 0;
    int close_after_seconds = 0;
};

Options ParseOptions(int argc, wchar_t** argv) {
    Options options;
    int positional = 0;
    for (int i = 1; i < argc; ++i) {
        if (wcscmp(argv[i], L"--close-after") == 0 && i + 1 < argc) {
            options.close_after_seconds = _wtoi(argv[++i]);
        } else if (positional == 0) {
            options.fid = _wtol(argv[i]);
            ++positional;
        } else if (positional == 1) {
            options.query_class = _wtol(argv[i]);
            ++positional;
        }
    }
    return options;
}

HRESULT CreateByProgId(const wchar_t* prog_id, ComPtr<IDispatch>* object) {
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
    if (FAILED(hr)) return hr;
    return CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(object->ReleaseAndGetAddressOf()));
}

HRESULT Invoke(IDispatch* object, const wchar_t* name, WORD flags, VARIANT* args, UINT count, VARIANT* result,
               EXCEPINFO* excep) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return hr;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {args, flags == DISPATCH_PROPERTYPUT ? &put : nullptr, count,
                         flags == DISPATCH_PROPERTYPUT ? 1u : 0u};
    return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, excep, nullptr);
}

HRESULT PublishSessionString() {
    ComPtr<IDispatch> service;
    HRESULT hr = CreateByProgId(ambrelle::share_props::kProgId, &service);
    if (FAILED(hr)) return hr;
    UniqueBstr name(ambrelle::share_props::kPropsString);
    VARIANT args[3];
    V_VT(&args[0]) = VT_BSTR;
    V_BSTR(&args[0]) = SysAllocString(kSessionString);
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = name.get();
    V_VT(&args[2]) = VT_I4;
    V_I4(&args[2]) = static_cast<LONG>(GetCurrentProcessId());
    EXCEPINFO excep = {};
    hr = Invoke(service.Get(), L"SetProperty", DISPATCH_METHOD, args, 3, nullptr, &excep);
    VariantClear(&args[0]);
    return hr;
}

VOID CALLBACK CloseResultWindow(HWND, UINT, UINT_PTR timer, DWORD) {
    KillTimer(nullptr, timer);
    if (HWND window = FindWindowW(L"AmbrelleFrmValidateQuery", nullptr)) PostMessageW(window, WM_CLOSE, 0, 0);
}

void PrintFailure(const wchar_t* what, HRESULT hr, const EXCEPINFO& excep) {
    fwprintf(stderr, L"%ls failed: 0x%08lX\n", what, static_cast<unsigned long>(excep.scode ? excep.scode : hr));
    if (excep.bstrSource) fwprintf(stderr, L"  source: %ls\n", excep.bstrSource);
    if (excep.bstrDescription) fwprintf(stderr, L"  description: %ls\n", excep.bstrDescription);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const Options options = ParseOptions(argc, argv);
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 2;
    int exit_code = 0;
    {
        HRESULT hr = PublishSessionString();
        if (FAILED(hr)) {
            fwprintf(stderr, L"Publishing the session string failed: 0x%08lX\n", static_cast<unsigned long>(hr));
            exit_code = 1;
        }
        ComPtr<IDispatch> validate;
        if (exit_code == 0) {
            hr = CreateByProgId(L"Ambrelle.ClsValidate", &validate);
            if (FAILED(hr)) {
                fwprintf(stderr, L"Creating Ambrelle.ClsValidate failed: 0x%08lX\n", static_cast<unsigned long>(hr));
                exit_code = 1;
            }
        }
        if (exit_code == 0) {
            LONG fid = options.fid;
            LONG query_class = options.query_class;
            VARIANT arg;
            V_VT(&arg) = VT_BYREF | VT_I4;
            V_I4REF(&arg) = &fid;
            EXCEPINFO excep = {};
            hr = Invoke(validate.Get(), L"FID", DISPATCH_PROPERTYPUT, &arg, 1, nullptr, &excep);
            V_I4REF(&arg) = &query_class;
            if (SUCCEEDED(hr)) hr = Invoke(validate.Get(), L"QueryClass", DISPATCH_PROPERTYPUT, &arg, 1, nullptr, &excep);
            if (SUCCEEDED(hr) && options.close_after_seconds > 0)
                SetTimer(nullptr, 0, options.close_after_seconds * 1000, CloseResultWindow);
            UniqueVariant shown;
            if (SUCCEEDED(hr)) hr = Invoke(validate.Get(), L"show", DISPATCH_METHOD, nullptr, 0, shown.ptr(), &excep);
            if (FAILED(hr)) {
                PrintFailure(L"show", hr, excep);
                exit_code = 1;
            } else {
                wprintf(L"show(FID=%ld, QueryClass=%ld) returned %ls\n", options.fid, options.query_class,
                        V_BOOL(shown.ptr()) ? L"True" : L"False");
            }
            SysFreeString(excep.bstrSource);
            SysFreeString(excep.bstrDescription);
            SysFreeString(excep.bstrHelpFile);
        }
    }
    CoUninitialize();
    return exit_code;
}
