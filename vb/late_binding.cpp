#include "late_binding.h"

#include <string>

#include "com_error.h"
#include "vb_conversions.h"

namespace ambrelle {

namespace {
const GUID kNoInterface = {};
}

HRESULT CreateObjectByProgId(const wchar_t* prog_id, IDispatch** object) {
    *object = nullptr;
    CLSID clsid;
    HRESULT hr = CLSIDFromProgID(prog_id, &clsid);
    if (FAILED(hr)) return RaiseAutomationError(kCannotCreateObject);
    SetErrorInfo(0, nullptr);
    hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER | CLSCTX_LOCAL_SERVER, IID_IDispatch,
                          reinterpret_cast<void**>(object));
    if (FAILED(hr)) {
        // An error the object's server raised while creating it passes through.
        IErrorInfo* raised = nullptr;
        if (GetErrorInfo(0, &raised) == S_OK && raised) {
            SetErrorInfo(0, raised);
            raised->Release();
            return hr;
        }
        return RaiseAutomationError(kCannotCreateObject);
    }
    return S_OK;
}

HRESULT CallByName(IDispatch* object, const wchar_t* member, VARIANT* args, UINT arg_count, VARIANT* result) {
    DISPID id;
    LPOLESTR names[] = {const_cast<LPOLESTR>(member)};
    HRESULT hr = object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id);
    if (FAILED(hr)) return RaiseAutomationError(kMemberNotSupported);
    DISPPARAMS params = {args, nullptr, arg_count, 0};
    EXCEPINFO excep = {};
    UINT arg_err = 0;
    hr = object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD | DISPATCH_PROPERTYGET, &params, result,
                        &excep, &arg_err);
    if (hr == DISP_E_EXCEPTION) return RaiseFromExcepInfo(excep, kNoInterface);
    if (FAILED(hr)) {
        const std::wstring description = std::wstring(L"The call of ") + member + L" failed.";
        return RaiseOwnError(hr, description.c_str());
    }
    return S_OK;
}

HRESULT InvokeById(IDispatch* object, DISPID member, WORD flags, VARIANT* args, UINT arg_count, VARIANT* result) {
    DISPID named = DISPID_PROPERTYPUT;
    const bool put = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;
    DISPPARAMS params = {args, put ? &named : nullptr, arg_count, put ? 1u : 0u};
    EXCEPINFO excep = {};
    UINT arg_err = 0;
    HRESULT hr = object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep, &arg_err);
    if (hr == DISP_E_EXCEPTION) return RaiseFromExcepInfo(excep, kNoInterface);
    if (FAILED(hr)) {
        wchar_t description[64];
        wsprintfW(description, L"The call of member %ld failed.", static_cast<long>(member));
        return RaiseOwnError(hr, description);
    }
    return S_OK;
}

}  // namespace ambrelle
