// The in-process server surface of ShareProps.dll: the service
// Venlock.ShareProps and its steering class Venlock.ShareProps.Steering.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "registration.h"
#include "server_module.h"
#include "share_props_object.h"
#include "share_props_steering.h"
#include "steering_object.h"

namespace {

// {F0E68AF4-7B36-43DF-8CBE-56F13607ADEB}
const CLSID kClsidShareProps = {0xF0E68AF4, 0x7B36, 0x43DF, {0x8C, 0xBE, 0x56, 0xF1, 0x36, 0x07, 0xAD, 0xEB}};

ambrelle::ClassFactory g_share_props_factory(&ambrelle::SharePropsObject::Create);
ambrelle::ClassFactory g_steering_factory(&ambrelle::SteeringObject::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&kClsidShareProps, &g_share_props_factory},
    {&CLSID_SharePropsSteering, &g_steering_factory},
};

const ambrelle::ClassRegistration kRegistrations[] = {
    {&kClsidShareProps, L"Venlock.ShareProps", L"Venlock.ShareProps", L"Apartment", nullptr},
    {&CLSID_SharePropsSteering, L"Venlock.ShareProps.Steering", L"Venlock.ShareProps.Steering", L"Apartment",
     &LIBID_SharePropsLib},
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
    return ambrelle::RegisterServer(ambrelle::ThisModule(), kRegistrations, ARRAYSIZE(kRegistrations));
}

STDAPI DllUnregisterServer() {
    return ambrelle::UnregisterServer(ambrelle::ThisModule(), kRegistrations, ARRAYSIZE(kRegistrations));
}
