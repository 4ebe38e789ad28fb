// The in-process server surface of ValueTools.dll.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "registration.h"
#include "server_module.h"
#include "value_tools.h"
#include "value_tools_object.h"

namespace {

ambrelle::ClassFactory g_value_tools_factory(&ambrelle::ValueToolsObject::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&CLSID_ValueTools, &g_value_tools_factory},
};

const ambrelle::ClassRegistration kValueToolsRegistration = {
    &CLSID_ValueTools, L"ValueTools", L"ValueTools.ValueTools", L"Apartment", &LIBID_ValueToolsLib,
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
    return ambrelle::RegisterServer(ambrelle::ThisModule(), &kValueToolsRegistration, 1);
}

STDAPI DllUnregisterServer() {
    return ambrelle::UnregisterServer(ambrelle::ThisModule(), &kValueToolsRegistration, 1);
}
