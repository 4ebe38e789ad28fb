#include "control_events.h"

#include <ocidl.h>
#include <wrl/client.h>

#include "vb_conversions.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

// The coclass that describes the control: from the control itself, or from
// the type library its class identifier is registered with.
HRESULT ControlClassInfo(IUnknown* control, ComPtr<ITypeInfo>* coclass) {
    ComPtr<IProvideClassInfo> provider;
    if (SUCCEEDED(control->QueryInterface(IID_PPV_ARGS(&provider))) &&
        SUCCEEDED(provider->GetClassInfo(coclass->ReleaseAndGetAddressOf())) && *coclass)
        return S_OK;
    ComPtr<IPersist> persist;
    CLSID clsid;
    HRESULT hr = control->QueryInterface(IID_PPV_ARGS(&persist));
    if (SUCCEEDED(hr)) hr = persist->GetClassID(&clsid);
    if (FAILED(hr)) return hr;
    wchar_t key[64] = L"CLSID\\";
    StringFromGUID2(clsid, key + 6, 39);
    lstrcatW(key, L"\\TypeLib");
    wchar_t libid_text[39];
    DWORD size = sizeof(libid_text);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key, nullptr, RRF_RT_REG_SZ, nullptr, libid_text, &size) != ERROR_SUCCESS)
        return TYPE_E_LIBNOTREGISTERED;
    GUID libid;
    hr = CLSIDFromString(libid_text, &libid);
    if (FAILED(hr)) return hr;
    // The newest registered version of the library, in any locale.
    ComPtr<ITypeLib> library;
    hr = LoadRegTypeLib(libid, 0xFFFF, 0xFFFF, LOCALE_NEUTRAL, &library);
    if (FAILED(hr)) return hr;
    return library->GetTypeInfoOfGuid(clsid, coclass->ReleaseAndGetAddressOf());
}

// The coclass's implemented type marked default and source.
HRESULT DefaultSource(ITypeInfo* coclass, ComPtr<ITypeInfo>* source) {
    TYPEATTR* attr = nullptr;
    HRESULT hr = coclass->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    const WORD implemented = attr->typekind == TKIND_COCLASS ? attr->cImplTypes : 0;
    coclass->ReleaseTypeAttr(attr);
    for (UINT i = 0; i < implemented; ++i) {
        INT flags = 0;
        if (FAILED(coclass->GetImplTypeFlags(i, &flags))) continue;
        const INT wanted = IMPLTYPEFLAG_FDEFAULT | IMPLTYPEFLAG_FSOURCE;
        if ((flags & wanted) != wanted) continue;
        HREFTYPE reference;
        hr = coclass->GetRefTypeOfImplType(i, &reference);
        if (FAILED(hr)) return hr;
        return coclass->GetRefTypeInfo(reference, source->ReleaseAndGetAddressOf());
    }
    return TYPE_E_ELEMENTNOTFOUND;
}

// The event at `position` of the source interface: of a dual interface, its
// own methods, after those of IUnknown and IDispatch.
HRESULT EventAt(ITypeInfo* source, UINT position, ControlEvent* event) {
    TYPEATTR* attr = nullptr;
    HRESULT hr = source->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    event->events_iid = attr->guid;
    const bool dual = attr->typekind == TKIND_DISPATCH && (attr->wTypeFlags & TYPEFLAG_FDUAL);
    source->ReleaseTypeAttr(attr);
    ComPtr<ITypeInfo> methods(source);
    if (dual) {
        HREFTYPE vtable_half;
        hr = source->GetRefTypeOfImplType(-1, &vtable_half);
        if (SUCCEEDED(hr)) hr = source->GetRefTypeInfo(vtable_half, methods.ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
    }
    hr = methods->GetTypeAttr(&attr);
    if (FAILED(hr)) return hr;
    const WORD count = attr->cFuncs;
    methods->ReleaseTypeAttr(attr);
    if (position >= count) return TYPE_E_ELEMENTNOTFOUND;
    FUNCDESC* function = nullptr;
    hr = methods->GetFuncDesc(position, &function);
    if (FAILED(hr)) return hr;
    event->dispid = function->memid;
    methods->ReleaseFuncDesc(function);
    return S_OK;
}

}  // namespace

HRESULT FindControlEvent(IUnknown* control, UINT position, ControlEvent* event) {
    *event = ControlEvent{};
    ComPtr<ITypeInfo> coclass;
    ComPtr<ITypeInfo> source;
    HRESULT hr = ControlClassInfo(control, &coclass);
    if (SUCCEEDED(hr)) hr = DefaultSource(coclass.Get(), &source);
    if (SUCCEEDED(hr)) hr = EventAt(source.Get(), position, event);
    if (FAILED(hr)) {
        *event = ControlEvent{};
        return RaiseOwnError(hr, L"The grid control does not describe its events in its type information.");
    }
    return S_OK;
}

}  // namespace ambrelle
