// The in-process server surface of SettingsStore.dll.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "registration.h"
#include "server_module.h"
#include "settings_store.h"
#include "settings_store_object.h"

namespace {

ambrelle::ClassFactory g_settings_store_factory(&ambrelle::SettingsStoreObject::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&CLSID_SettingsStore, &g_settings_store_factory},
};

const ambrelle::ClassRegistration kSettingsStoreRegistration = {
    &CLSID_SettingsStore, L"SettingsStore", L"SettingsStore.SettingsStore", L"Apartment", &LIBID_SettingsStoreLib,
};

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void*) {
    if (reason == DLL_PROCESS_ATTACH) {
        ambrelle::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return ambrelle::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return ambrelle::GetClassObjectFrom(kServedClasses, ARRAYSIZE(kServedClasses), clsid, riid, object);
}

STDAPI DllRegisterServer() {
    return ambrelle::RegisterServer(ambrelle::ThisModule(), &kSettingsStoreRegistration, 1);
}

STDAPI DllUnregisterServer() {
    return ambrelle::UnregisterServer(ambrelle::ThisModule(), &kSettingsStoreRegistration, 1);
}
