// What the stand-ins' members take as text and hand back through their
// out-parameters.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace ambrelle {

// The text of a BSTR argument (a null BSTR is the empty text).
inline std::wstring TextOf(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

// Puts value into *out once the pointer is checked.
template <typename T, typename Value>
HRESULT ReturnValue(T* out, const Value& value) {
    if (!out) return E_POINTER;
    *out = static_cast<T>(value);
    return S_OK;
}

// A new BSTR holding a copy of text, embedded nulls included.
inline HRESULT ReturnText(const std::wstring& text, BSTR* out) {
    if (!out) return E_POINTER;
    *out = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    return *out ? S_OK : E_OUTOFMEMORY;
}

// VT_BSTR holding a copy of text; on failure the VARIANT is left Empty.
inline HRESULT TextVariant(const std::wstring& text, VARIANT* value) {
    VariantInit(value);
    BSTR copy = nullptr;
    HRESULT hr = ReturnText(text, &copy);
    if (FAILED(hr)) return hr;
    V_VT(value) = VT_BSTR;
    V_BSTR(value) = copy;
    return S_OK;
}

// Keeps the DLL this code is linked into loaded until the process ends, for
// state that lives as long as the process even when COM finds no object of
// the DLL alive.
inline void PinThisModule() {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&PinThisModule), &pinned);
}

}  // namespace ambrelle
