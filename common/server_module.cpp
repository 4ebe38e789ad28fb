#include "server_module.h"

#include <vector>

namespace ambrelle {
namespace {
LONG g_module_count = 0;
HMODULE g_module = nullptr;
LONG g_pins = 0;
SRWLOCK g_retired_lock = SRWLOCK_INIT;
std::vector<HMODULE>& RetiredPins() {
    static std::vector<HMODULE> pins;
    return pins;
}
}  // namespace

HMODULE TakeModulePin() {
    HMODULE pin = nullptr;
    if (!g_module || !GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                                         reinterpret_cast<LPCWSTR>(&TakeModulePin), &pin))
        return nullptr;
    InterlockedIncrement(&g_pins);
    return pin;
}

static void GiveBackPin(HMODULE pin) {
    if (!pin) return;
    InterlockedDecrement(&g_pins);
    FreeLibrary(pin);
}

void RetireModulePin(HMODULE pin) {
    if (!pin) return;
    AcquireSRWLockExclusive(&g_retired_lock);
    // Kept for the next DllCanUnloadNow; should there be no room, the DLL stays pinned.
    try {
        RetiredPins().push_back(pin);
    } catch (...) {
    }
    ReleaseSRWLockExclusive(&g_retired_lock);
}

void ReleaseRetiredModulePins() {
    std::vector<HMODULE> pins;
    AcquireSRWLockExclusive(&g_retired_lock);
    pins.swap(RetiredPins());
    ReleaseSRWLockExclusive(&g_retired_lock);
    for (HMODULE pin : pins) GiveBackPin(pin);
}

LONG ModulePinCount() { return InterlockedCompareExchange(&g_pins, 0, 0); }

void ModuleAddRef() { InterlockedIncrement(&g_module_count); }
void ModuleRelease() { InterlockedDecrement(&g_module_count); }
bool ModuleInUse() { return InterlockedCompareExchange(&g_module_count, 0, 0) != 0; }

HMODULE ThisModule() { return g_module; }
void SetThisModule(HMODULE module) { g_module = module; }

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IClassFactory) {
        *object = static_cast<IClassFactory*>(this);
        return S_OK;
    }
    return E_NOINTERFACE;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return create_(riid, object);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock)
        ModuleAddRef();
    else
        ModuleRelease();
    return S_OK;
}

HRESULT GetClassObjectOf(const ServerDefinition& server, REFCLSID clsid, REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    for (size_t i = 0; i < server.class_count; ++i) {
        ServedClass& served = server.classes[i];
        if (*served.registration.clsid == clsid) return served.factory.QueryInterface(riid, object);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

HRESULT RegisterServer(const ServerDefinition& server) {
    const HMODULE module = ThisModule();
    HRESULT hr = RegisterModuleTypeLib(module);
    if (FAILED(hr)) return hr;
    for (size_t i = 0; i < server.class_count; ++i) {
        hr = RegisterClassKeys(module, server.classes[i].registration);
        if (FAILED(hr)) return hr;
    }
    return server.register_more ? server.register_more() : S_OK;
}

HRESULT UnregisterServer(const ServerDefinition& server) {
    const HMODULE module = ThisModule();
    const HRESULT more_hr = server.unregister_more ? server.unregister_more() : S_OK;
    HRESULT class_hr = S_OK;
    for (size_t i = 0; i < server.class_count; ++i) {
        const ClassRegistration& registration = server.classes[i].registration;
        // Another server's registration of a shared class stays.
        if (registration.only_while_ours && !ClassServedBy(module, *registration.clsid)) continue;
        HRESULT hr = UnregisterClassKeys(registration);
        if (FAILED(hr)) class_hr = hr;
    }
    HRESULT typelib_hr = UnregisterModuleTypeLib(module);
    if (FAILED(typelib_hr)) return typelib_hr;
    return FAILED(class_hr) ? class_hr : more_hr;
}

}  // namespace ambrelle
