#include "outside_objects.h"

#include <string>

#include "com_error.h"
#include "unique_bstr.h"
#include "unique_variant.h"

namespace ambrelle {

namespace {

CRITICAL_SECTION* ObjectsLock() {
    static CRITICAL_SECTION lock = [] {
        CRITICAL_SECTION section;
        InitializeCriticalSection(&section);
        return section;
    }();
    return &lock;
}

IValueTools* g_value_tools = nullptr;
ISettingsStore* g_settings_store = nullptr;

// Creates the object of `clsid` under `iid` once; later calls hand out the same one.
template <typename Interface>
HRESULT KeptObject(Interface** kept, REFCLSID clsid, REFIID iid, const wchar_t* name, Interface** object) {
    *object = nullptr;
    EnterCriticalSection(ObjectsLock());
    HRESULT hr = S_OK;
    if (!*kept) hr = CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, iid, reinterpret_cast<void**>(kept));
    if (SUCCEEDED(hr)) {
        *object = *kept;
        (*object)->AddRef();
    } else {
        *kept = nullptr;
    }
    LeaveCriticalSection(ObjectsLock());
    if (FAILED(hr)) {
        const std::wstring description = std::wstring(L"The component ") + name + L" cannot be created.";
        return RaiseComError(hr, GUID_NULL, L"Ambrelle", description.c_str());
    }
    return S_OK;
}

}  // namespace

HRESULT GetValueTools(IValueTools** tools) {
    return KeptObject(&g_value_tools, CLSID_ValueTools, IID_IValueTools, L"ValueTools", tools);
}

HRESULT GetSettingsStore(ISettingsStore** store) {
    return KeptObject(&g_settings_store, CLSID_SettingsStore, IID_ISettingsStore, L"SettingsStore", store);
}

HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result) {
    VariantInit(result);
    IValueTools* tools = nullptr;
    HRESULT hr = GetValueTools(&tools);
    if (FAILED(hr)) return hr;
    UniqueVariant value;
    V_VT(value.ptr()) = VT_DISPATCH;
    V_DISPATCH(value.ptr()) = field;
    field->AddRef();
    UniqueVariant empty_text;
    V_VT(empty_text.ptr()) = VT_BSTR;
    V_BSTR(empty_text.ptr()) = SysAllocString(L"");
    hr = V_BSTR(empty_text.ptr()) ? tools->ValueOrDefault(value.ptr(), empty_text.ptr(), result) : E_OUTOFMEMORY;
    tools->Release();
    return hr;
}

void AbandonOutsideObjects() {
    EnterCriticalSection(ObjectsLock());
    g_value_tools = nullptr;
    g_settings_store = nullptr;
    LeaveCriticalSection(ObjectsLock());
}

}  // namespace ambrelle
