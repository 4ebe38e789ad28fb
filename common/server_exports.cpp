// The entry points of an in-process COM server, compiled into every server
// DLL of the project; each DLL says what it serves in its kThisServer.
#include <windows.h>
#include <ole2.h>

#include "server_module.h"

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ambrelle::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved && ambrelle::kThisServer.on_unload) {
        // Unloaded by COM once nothing of it is in use (at process exit there is nothing to tidy).
        ambrelle::kThisServer.on_unload(instance);
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() {
    // COM holds the DLL while it asks: pins nothing can need any more go first.
    ambrelle::ReleaseRetiredModulePins();
    return ambrelle::ModuleInUse() || ambrelle::ModulePinCount() ? S_FALSE : S_OK;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return ambrelle::GetClassObjectOf(ambrelle::kThisServer, clsid, riid, object);
}

STDAPI DllRegisterServer() { return ambrelle::RegisterServer(ambrelle::kThisServer); }

STDAPI DllUnregisterServer() { return ambrelle::UnregisterServer(ambrelle::kThisServer); }
