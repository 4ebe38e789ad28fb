// The in-process server surface of Ambrelle.dll: entry point, class object,
// unloading and self-registration.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include "ambrelle.h"
#include "cls_validate.h"
#include "frm_validate_query.h"
#include "registration.h"
#include "server_module.h"

namespace {

ambrelle::ClassFactory g_cls_validate_factory(&ambrelle::ClsValidate::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&CLSID_ClsValidate, &g_cls_validate_factory},
};

const ambrelle::ClassRegistration kClsValidateRegistration = {
    &CLSID_ClsValidate, L"Ambrelle.ClsValidate", L"Ambrelle.ClsValidate", L"Apartment", &LIBID_Ambrelle,
};

constexpr WORD kTypeLibMajor = 1;
constexpr WORD kTypeLibMinor = 1;

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ambrelle::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        // Unloaded by COM once nothing of it is in use: the window objects the
        // threads kept go with it. (At process exit there is nothing to tidy.)
        ambrelle::FrmValidateQuery::ReleaseAllInstances();
    }
    return TRUE;
}

STDAPI DllCanUnloadNow() { return ambrelle::ModuleInUse() ? S_FALSE : S_OK; }

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** object) {
    return ambrelle::GetClassObjectFrom(kServedClasses, ARRAYSIZE(kServedClasses), clsid, riid, object);
}

STDAPI DllRegisterServer() {
    HRESULT hr = ambrelle::RegisterServer(ambrelle::ThisModule(), &kClsValidateRegistration, 1);
    if (FAILED(hr)) return hr;
    // The type library registers the current IID; the first version's IID is
    // an alias there, so it is registered here, under the interface's name.
    hr = ambrelle::RegisterAutomationInterface(IID__ClsValidate, L"_ClsValidate", LIBID_Ambrelle, kTypeLibMajor,
                                               kTypeLibMinor);
    if (SUCCEEDED(hr))
        hr = ambrelle::RegisterAutomationInterface(ambrelle::IID_ClsValidate_v0, L"_ClsValidate", LIBID_Ambrelle,
                                                   kTypeLibMajor, kTypeLibMinor);
    return FAILED(hr) ? SELFREG_E_CLASS : S_OK;
}

STDAPI DllUnregisterServer() {
    HRESULT v0_hr = ambrelle::UnregisterInterface(ambrelle::IID_ClsValidate_v0);
    HRESULT current_hr = ambrelle::UnregisterInterface(IID__ClsValidate);
    HRESULT hr = ambrelle::UnregisterServer(ambrelle::ThisModule(), &kClsValidateRegistration, 1);
    if (FAILED(hr)) return hr;
    return FAILED(v0_hr) || FAILED(current_hr) ? SELFREG_E_CLASS : S_OK;
}
