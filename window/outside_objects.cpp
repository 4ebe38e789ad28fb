#include "outside_objects.h"

#include <wrl/client.h>

#include <new>
#include <string>

#include "com_error.h"
#include "com_object.h"
#include "server_module.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using Microsoft::WRL::ComPtr;

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

// One component-wide object, registered in the Global Interface Table.
struct KeptObject {
    const CLSID* clsid;
    const IID* iid;
    const wchar_t* name;
    DWORD cookie;          // 0 while there is none; guarded by ObjectsLock
    DWORD creator_thread;  // the thread whose apartment created it
};

KeptObject g_value_tools = {&CLSID_ValueTools, &IID_IValueTools, L"ValueTools", 0, 0};
KeptObject g_settings_store = {&CLSID_SettingsStore, &IID_ISettingsStore, L"SettingsStore", 0, 0};

// What the calling thread holds while an OutsideObjectsInUse is alive.
thread_local int t_in_use_depth = 0;
thread_local IValueTools* t_value_tools = nullptr;
thread_local ISettingsStore* t_settings_store = nullptr;

template <typename Interface>
void ReleaseThreadPointer(Interface** pointer) {
    if (*pointer) (*pointer)->Release();
    *pointer = nullptr;
}

HRESULT GlobalInterfaceTable(IGlobalInterfaceTable** table) {
    return CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                            IID_IGlobalInterfaceTable, reinterpret_cast<void**>(table));
}

// Takes a kept object out of the table, in the apartment that created it.
void LetGoIfCreatedHere(IGlobalInterfaceTable* table, KeptObject* kept) {
    EnterCriticalSection(ObjectsLock());
    DWORD cookie = 0;
    if (kept->cookie && kept->creator_thread == GetCurrentThreadId()) {
        cookie = kept->cookie;
        kept->cookie = 0;
        kept->creator_thread = 0;
    }
    LeaveCriticalSection(ObjectsLock());
    if (cookie) table->RevokeInterfaceFromGlobal(cookie);
}

// Watches the end of the apartment of a thread that created a kept object:
// the thread's pointers and the objects it created are let go before its
// apartment goes. While it watches, the DLL stays loaded (its code is called).
class ApartmentEndWatch final : public ComObject<Answers<IInitializeSpy, IID_IUnknown, IID_IInitializeSpy>> {
public:
    // Starts watching the calling thread, once per apartment.
    static void Start() {
        if (t_watching) return;
        auto* watch = new (std::nothrow) ApartmentEndWatch();
        if (!watch) return;
        if (SUCCEEDED(CoRegisterInitializeSpy(watch, &t_cookie))) t_watching = true;
        watch->Release();
    }

    // Stops watching the calling thread: the DLL is going while its
    // apartment lives on, and the watch's code goes with the DLL.
    static void StopOnThisThread() {
        if (!t_watching) return;
        t_watching = false;
        CoRevokeInitializeSpy(t_cookie);
    }

    STDMETHODIMP PreInitialize(DWORD, DWORD) override { return S_OK; }
    STDMETHODIMP PostInitialize(HRESULT result, DWORD, DWORD) override { return result; }
    STDMETHODIMP PreUninitialize(DWORD apartment_refs) override {
        if (apartment_refs != 1) return S_OK;  // not the apartment's last CoUninitialize
        ReleaseThreadPointer(&t_value_tools);
        ReleaseThreadPointer(&t_settings_store);
        {
            ComPtr<IGlobalInterfaceTable> table;
            if (SUCCEEDED(GlobalInterfaceTable(&table))) {
                LetGoIfCreatedHere(table.Get(), &g_value_tools);
                LetGoIfCreatedHere(table.Get(), &g_settings_store);
            }
        }
        // Nothing is left to watch: the watch goes now, not after the
        // apartment has ended, so that the DLL no longer counts as in use when
        // the ending apartment asks whether it may be unloaded.
        StopOnThisThread();
        return S_OK;
    }
    STDMETHODIMP PostUninitialize(DWORD apartment_refs) override {
        if (apartment_refs == 0) StopOnThisThread();
        return S_OK;
    }

private:
    ApartmentEndWatch() = default;
    ~ApartmentEndWatch() = default;

    static thread_local bool t_watching;
    static thread_local ULARGE_INTEGER t_cookie;
};

thread_local bool ApartmentEndWatch::t_watching = false;
thread_local ULARGE_INTEGER ApartmentEndWatch::t_cookie = {};

// The kept object for the calling apartment: from the table, or created here
// and registered when there is none (or the one registered is gone with its
// apartment).
HRESULT FetchKeptObject(KeptObject* kept, void** object) {
    *object = nullptr;
    ComPtr<IGlobalInterfaceTable> table;
    HRESULT hr = GlobalInterfaceTable(&table);
    if (FAILED(hr)) return hr;
    EnterCriticalSection(ObjectsLock());
    DWORD cookie = kept->cookie;
    LeaveCriticalSection(ObjectsLock());
    if (cookie) {
        // No lock is held here: unmarshalling may call into another apartment.
        hr = table->GetInterfaceFromGlobal(cookie, *kept->iid, object);
        if (SUCCEEDED(hr)) return hr;
        // Its apartment ended without being watched (a thread that ended with
        // its apartment): forget it and create another.
        EnterCriticalSection(ObjectsLock());
        const bool still_kept = kept->cookie == cookie;
        if (still_kept) kept->cookie = 0;
        LeaveCriticalSection(ObjectsLock());
        if (still_kept) table->RevokeInterfaceFromGlobal(cookie);
    }
    ComPtr<IUnknown> created;
    hr = CoCreateInstance(*kept->clsid, nullptr, CLSCTX_INPROC_SERVER, *kept->iid,
                          reinterpret_cast<void**>(created.GetAddressOf()));
    if (FAILED(hr)) return hr;
    DWORD registered = 0;
    hr = table->RegisterInterfaceInGlobal(created.Get(), *kept->iid, &registered);
    if (FAILED(hr)) return hr;
    EnterCriticalSection(ObjectsLock());
    const bool first = kept->cookie == 0;
    if (first) {
        kept->cookie = registered;
        kept->creator_thread = GetCurrentThreadId();
    }
    LeaveCriticalSection(ObjectsLock());
    if (!first) {
        // Another thread registered one meanwhile: there is only one.
        table->RevokeInterfaceFromGlobal(registered);
        return FetchKeptObject(kept, object);
    }
    ApartmentEndWatch::Start();
    *object = created.Detach();
    return S_OK;
}

template <typename Interface>
HRESULT GetKeptObject(KeptObject* kept, Interface** thread_pointer, Interface** object) {
    *object = nullptr;
    if (*thread_pointer) {
        *object = *thread_pointer;
        (*object)->AddRef();
        return S_OK;
    }
    HRESULT hr = FetchKeptObject(kept, reinterpret_cast<void**>(object));
    if (FAILED(hr)) {
        const std::wstring description = std::wstring(L"The component ") + kept->name + L" cannot be created.";
        return RaiseComError(hr, GUID_NULL, L"Ambrelle", description.c_str());
    }
    if (t_in_use_depth > 0) {
        *thread_pointer = *object;
        (*thread_pointer)->AddRef();
    }
    return S_OK;
}

}  // namespace

HRESULT GetValueTools(IValueTools** tools) { return GetKeptObject(&g_value_tools, &t_value_tools, tools); }

HRESULT GetSettingsStore(ISettingsStore** store) {
    return GetKeptObject(&g_settings_store, &t_settings_store, store);
}

HRESULT FieldValueOrEmpty(IDispatch* field, VARIANT* result) {
    VariantInit(result);
    // During a show, the thread's own pointer, fetched once.
    IValueTools* tools = t_value_tools;
    ComPtr<IValueTools> fetched;
    if (!tools) {
        HRESULT hr = GetValueTools(&fetched);
        if (FAILED(hr)) return hr;
        tools = fetched.Get();
    }
    UniqueVariant value;
    V_VT(value.ptr()) = VT_DISPATCH;
    V_DISPATCH(value.ptr()) = field;
    field->AddRef();
    UniqueVariant empty_text;
    V_VT(empty_text.ptr()) = VT_BSTR;
    V_BSTR(empty_text.ptr()) = SysAllocString(L"");
    return V_BSTR(empty_text.ptr()) ? tools->ValueOrDefault(value.ptr(), empty_text.ptr(), result) : E_OUTOFMEMORY;
}

OutsideObjectsInUse::OutsideObjectsInUse() { ++t_in_use_depth; }

OutsideObjectsInUse::~OutsideObjectsInUse() {
    if (--t_in_use_depth > 0) return;
    ReleaseThreadPointer(&t_value_tools);
    ReleaseThreadPointer(&t_settings_store);
}

void AbandonOutsideObjects() {
    EnterCriticalSection(ObjectsLock());
    g_value_tools.cookie = 0;
    g_settings_store.cookie = 0;
    LeaveCriticalSection(ObjectsLock());
    // The thread that unloads the DLL keeps no pointers of its own either,
    // and its apartment must not call the DLL's watch once the DLL is gone.
    // (Other threads' watches keep the DLL loaded unless it is forced out.)
    t_value_tools = nullptr;
    t_settings_store = nullptr;
    ApartmentEndWatch::StopOnThisThread();
}

}  // namespace ambrelle
