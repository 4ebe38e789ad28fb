#include "outside_objects.h"

#include <wrl/client.h>

#include <string>

#include "com_error.h"
#include "thread_pointer.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

struct OutsideClass {
    const CLSID* clsid;
    const IID* iid;
    const wchar_t* name;
};

constexpr OutsideClass kValueTools = {&CLSID_ValueTools, &IID_IValueTools, L"ValueTools"};
constexpr OutsideClass kSettingsStore = {&CLSID_SettingsStore, &IID_ISettingsStore, L"SettingsStore"};

// The calling thread's objects, each created on its first use there and
// holding one reference.
ThreadPointer<IValueTools> g_value_tools;
ThreadPointer<ISettingsStore> g_settings_store;
// The empty text that every ValueOrDefault call of the thread passes as its
// default, made once.
ThreadPointer<OLECHAR> g_empty_text;

template <typename Interface>
void ReleaseThreadObject(ThreadPointer<Interface>* slot) {
    if (Interface* object = slot->get()) {
        slot->set(nullptr);
        object->Release();
    }
}

template <typename Interface>
HRESULT GetThreadObject(const OutsideClass& kind, ThreadPointer<Interface>* slot, Interface** object) {
    *object = slot->get();
    if (!*object) {
        ComPtr<Interface> created;
        HRESULT hr = CoCreateInstance(*kind.clsid, nullptr, CLSCTX_INPROC_SERVER, *kind.iid,
                                      reinterpret_cast<void**>(created.GetAddressOf()));
        if (FAILED(hr)) {
            const std::wstring description = std::wstring(L"The component ") + kind.name + L" cannot be created.";
            return RaiseComError(hr, GUID_NULL, L"Ambrelle", description.c_str());
        }
        if (!slot->set(created.Get())) return E_OUTOFMEMORY;
        *object = created.Detach();  // the thread's reference
    }
    (*object)->AddRef();
    return S_OK;
}

}  // namespace

HRESULT GetValueTools(IValueTools** tools) { return GetThreadObject(kValueTools, &g_value_tools, tools); }

HRESULT GetSettingsStore(ISettingsStore** store) {
    return GetThreadObject(kSettingsStore, &g_settings_store, store);
}

HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result) {
    VariantInit(result);
    // The thread keeps it: no reference of its own for each value.
    IValueTools* tools = g_value_tools.get();
    if (!tools) {
        ComPtr<IValueTools> created;
        HRESULT hr = GetValueTools(&created);
        if (FAILED(hr)) return hr;
        tools = g_value_tools.get();
    }
    BSTR empty = g_empty_text.get();
    if (!empty) {
        empty = SysAllocString(L"");
        if (!empty) return E_OUTOFMEMORY;
        if (!g_empty_text.set(empty)) {
            SysFreeString(empty);
            return E_OUTOFMEMORY;
        }
    }
    UniqueVariant value;
    V_VT(value.ptr()) = VT_DISPATCH;
    V_DISPATCH(value.ptr()) = field;
    field->AddRef();
    VARIANT empty_default;
    V_VT(&empty_default) = VT_BSTR;
    V_BSTR(&empty_default) = empty;
    // An error object the component leaves is this call's own, never an older one.
    SetErrorInfo(0, nullptr);
    const HRESULT hr = tools->ValueOrDefault(value.ptr(), &empty_default, result);
    // The default goes by reference. When the component put something else
    // there, that is ours to free and the thread's text is no longer its own:
    // the next call makes a new one. (A text at the same place is the one
    // given only if it is still empty.)
    if (V_VT(&empty_default) != VT_BSTR || V_BSTR(&empty_default) != empty || SysStringLen(empty) != 0) {
        g_empty_text.set(nullptr);
        VariantClear(&empty_default);
    }
    return hr;
}

void ReleaseThreadOutsideObjects() {
    ReleaseThreadObject(&g_value_tools);
    ReleaseThreadObject(&g_settings_store);
    SysFreeString(g_empty_text.get());
    g_empty_text.set(nullptr);
}

void AbandonOutsideObjects() {
    g_value_tools.set(nullptr);
    g_settings_store.set(nullptr);
    // The platform's own text, not the components': freed.
    SysFreeString(g_empty_text.get());
    g_empty_text.set(nullptr);
}

}  // namespace ambrelle
