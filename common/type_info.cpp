#include "type_info.h"

#include <wrl/client.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace ambrelle {

HRESULT LoadModuleTypeInfo(HMODULE module, REFIID riid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
    if (length == 0 || length >= path.size()) return E_FAIL;
    path.resize(length);
    ComPtr<ITypeLib> typelib;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, &typelib);
    if (FAILED(hr)) return hr;
    ComPtr<ITypeInfo> found;
    hr = typelib->GetTypeInfoOfGuid(riid, &found);
    if (FAILED(hr)) return hr;
    TYPEATTR* attr = nullptr;
    hr = found->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    const bool dual_dispatch_half = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    found->ReleaseTypeAttr(attr);
    if (dual_dispatch_half) {
        HREFTYPE href;
        hr = found->GetRefTypeOfImplType(-1, &href);
        if (FAILED(hr)) return hr;
        ComPtr<ITypeInfo> vtable_half;
        hr = found->GetRefTypeInfo(href, &vtable_half);
        if (FAILED(hr)) return hr;
        found = vtable_half;
    }
    *info = found.Detach();
    return S_OK;
}

HRESULT InvokeThroughTypeInfo(ITypeInfo* info, void* object, DISPID member, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    if (!params) return DispInvoke(object, info, member, flags, params, result, excep, arg_err);
    std::vector<VARIANT> args(params->cArgs);
    std::vector<VARIANT*> client_variants(params->cArgs, nullptr);
    bool unwrapped = false;
    for (UINT i = 0; i < params->cArgs; ++i) {
        VARIANT& arg = params->rgvarg[i];
        if (V_VT(&arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&arg)) {
            VARIANT* inner = V_VARIANTREF(&arg);
            client_variants[i] = inner;
            // Pass the client's variable by reference with its own type, so an
            // [in, out] parameter writes straight into it.
            VariantInit(&args[i]);
            if (V_VT(inner) & VT_BYREF) {
                args[i] = *inner;
            } else if (V_VT(inner) == VT_EMPTY || V_VT(inner) == VT_NULL || V_VT(inner) == VT_VARIANT) {
                V_VT(&args[i]) = VT_BYREF | VT_VARIANT;
                V_VARIANTREF(&args[i]) = inner;
            } else {
                V_VT(&args[i]) = static_cast<VARTYPE>(V_VT(inner) | VT_BYREF);
                V_BYREF(&args[i]) = V_VT(inner) == VT_DECIMAL ? static_cast<void*>(&V_DECIMAL(inner)) : static_cast<void*>(&V_I4(inner));
            }
            unwrapped = true;
        } else {
            args[i] = arg;  // shallow: the client keeps ownership
        }
    }
    if (!unwrapped) return DispInvoke(object, info, member, flags, params, result, excep, arg_err);
    DISPPARAMS unwrapped_params = *params;
    unwrapped_params.rgvarg = args.data();
    HRESULT hr = DispInvoke(object, info, member, flags, &unwrapped_params, result, excep, arg_err);
    if (hr == DISP_E_TYPEMISMATCH) {
        // Retry the mismatching argument by value: DispInvoke coerces a by-value
        // variant, but not a reference of another type.
        for (UINT i = 0; i < params->cArgs; ++i) {
            if (!client_variants[i] || (V_VT(client_variants[i]) & VT_BYREF)) continue;
            args[i] = *client_variants[i];
        }
        hr = DispInvoke(object, info, member, flags, &unwrapped_params, result, excep, arg_err);
    }
    return hr;
}

}  // namespace ambrelle
