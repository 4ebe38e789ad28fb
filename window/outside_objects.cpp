#include "outside_objects.h"

#include <wrl/client.h>

#include <string>

#include "com_error.h"
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

// The calling thread's objects, each created on its first use there.
thread_local IValueTools* t_value_tools = nullptr;
thread_local ISettingsStore* t_settings_store = nullptr;

template <typename Interface>
void ReleaseThreadPointer(Interface** pointer) {
    if (*pointer) (*pointer)->Release();
    *pointer = nullptr;
}

template <typename Interface>
HRESULT GetThreadObject(const OutsideClass& kind, Interface** thread_pointer, Interface** object) {
    *object = nullptr;
    if (!*thread_pointer) {
        HRESULT hr = CoCreateInstance(*kind.clsid, nullptr, CLSCTX_INPROC_SERVER, *kind.iid,
                                      reinterpret_cast<void**>(thread_pointer));
        if (FAILED(hr)) {
            *thread_pointer = nullptr;
            const std::wstring description = std::wstring(L"The component ") + kind.name + L" cannot be created.";
            return RaiseComError(hr, GUID_NULL, L"Ambrelle", description.c_str());
        }
    }
    *object = *thread_pointer;
    (*object)->AddRef();
    return S_OK;
}

}  // namespace

HRESULT GetValueTools(IValueTools** tools) { return GetThreadObject(kValueTools, &t_value_tools, tools); }

HRESULT GetSettingsStore(ISettingsStore** store) {
    return GetThreadObject(kSettingsStore, &t_settings_store, store);
}

HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result) {
    VariantInit(result);
    if (!t_value_tools) {
        ComPtr<IValueTools> created;
        HRESULT hr = GetValueTools(&created);
        if (FAILED(hr)) return hr;
    }
    // The thread keeps it: no reference of its own for each value.
    IValueTools* tools = t_value_tools;
    UniqueVariant value;
    V_VT(value.ptr()) = VT_DISPATCH;
    V_DISPATCH(value.ptr()) = field;
    field->AddRef();
    UniqueVariant empty_text;
    V_VT(empty_text.ptr()) = VT_BSTR;
    V_BSTR(empty_text.ptr()) = SysAllocString(L"");
    return V_BSTR(empty_text.ptr()) ? tools->ValueOrDefault(value.ptr(), empty_text.ptr(), result) : E_OUTOFMEMORY;
}

void ReleaseThreadOutsideObjects() {
    ReleaseThreadPointer(&t_value_tools);
    ReleaseThreadPointer(&t_settings_store);
}

void AbandonOutsideObjects() {
    t_value_tools = nullptr;
    t_settings_store = nullptr;
}

}  // namespace ambrelle
