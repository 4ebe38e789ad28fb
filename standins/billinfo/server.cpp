// The in-process server surface of BillInfo.dll: the service
// Quistral.IBillInfo and its steering class Quistral.IBillInfo.Steering.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "bill_info_object.h"
#include "bill_info_steering.h"
#include "registration.h"
#include "server_module.h"
#include "steering_object.h"

namespace {

// {43E63261-5F42-4926-A109-18013B8C9130}
const CLSID kClsidBillInfo = {0x43E63261, 0x5F42, 0x4926, {0xA1, 0x09, 0x18, 0x01, 0x3B, 0x8C, 0x91, 0x30}};

ambrelle::ClassFactory g_bill_info_factory(&ambrelle::BillInfoObject::Create);
ambrelle::ClassFactory g_steering_factory(&ambrelle::SteeringObject::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&kClsidBillInfo, &g_bill_info_factory},
    {&CLSID_BillInfoSteering, &g_steering_factory},
};

const ambrelle::ClassRegistration kRegistrations[] = {
    {&kClsidBillInfo, L"Quistral.IBillInfo", L"Quistral.IBillInfo", L"Apartment", nullptr},
    {&CLSID_BillInfoSteering, L"Quistral.IBillInfo.Steering", L"Quistral.IBillInfo.Steering", L"Apartment",
     &LIBID_BillInfoLib},
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
