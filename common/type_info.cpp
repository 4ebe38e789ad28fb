#include "type_info.h"

#include "registration.h"

#include <wrl/client.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace ambrelle {

HRESULT LoadModuleTypeLib(HMODULE module, ITypeLib** typelib) {
    const std::wstring path = ModulePath(module);
    if (path.empty()) return E_FAIL;
    HRESULT hr = LoadTypeLibEx(path.c_str(), REGKIND_NONE, typelib);
    if (SUCCEEDED(hr) || path.size() < MAX_PATH) return hr;
    const std::wstring prefixed = path.compare(0, 4, L"\\\\?\\") == 0 ? path : L"\\\\?\\" + path;
    const DWORD size = GetShortPathNameW(prefixed.c_str(), nullptr, 0);
    if (size == 0) return hr;
    std::wstring short_path(size, L'\0');
    const DWORD length = GetShortPathNameW(prefixed.c_str(), &short_path[0], size);
    if (length == 0 || length >= size) return hr;
    short_path.resize(length);
    // Without the long-path prefix, which the loader does not take either.
    if (short_path.compare(0, 4, L"\\\\?\\") == 0) short_path.erase(0, 4);
    return LoadTypeLibEx(short_path.c_str(), REGKIND_NONE, typelib);
}

HRESULT LoadModuleTypeInfo(HMODULE module, REFIID riid, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    ComPtr<ITypeLib> typelib;
    HRESULT hr = LoadModuleTypeLib(module, &typelib);
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
