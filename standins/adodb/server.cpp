// The in-process server surface of AdoRecordsetStandin.dll: it serves the
// platform's ADODB.Recordset class in the project's Wine prefix, in place of
// Wine's own ADO, whose Recordset lacks Collect and Move.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "ado.h"
#include "recordset.h"
#include "registration.h"
#include "server_module.h"

namespace {

ambrelle::ClassFactory g_recordset_factory(&ado_standin::Recordset::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&CLSID_Recordset, &g_recordset_factory},
};

// The type library's own identifier: it describes the record set's interfaces
// for IDispatch and marshaling, and never stands in for ADO's type library.
// {6E0C3C52-58B1-4C5E-9A0B-1F3D7B2A9C41}
const GUID kLibId = {0x6E0C3C52, 0x58B1, 0x4C5E, {0x9A, 0x0B, 0x1F, 0x3D, 0x7B, 0x2A, 0x9C, 0x41}};

// Apartment, not ADO's optional "Both": the record set has no locking of its
// own, and every client of this project calls it from a single-threaded apartment.
const ambrelle::ClassRegistration kRecordsetRegistration = {
    &CLSID_Recordset, L"ADODB.Recordset", L"ADODB.Recordset", L"Apartment", &kLibId,
};

std::wstring ModulePath() {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(ambrelle::ThisModule(), path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? std::wstring(path, length) : std::wstring();
}

// True when the record set's class is registered to this DLL.
bool ClassServedByThisModule() {
    wchar_t clsid[39];
    ambrelle::GuidToString(CLSID_Recordset, clsid);
    const std::wstring key = std::wstring(L"CLSID\\") + clsid + L"\\InprocServer32";
    wchar_t server[MAX_PATH];
    DWORD size = sizeof(server);
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, server, &size) != ERROR_SUCCESS)
        return false;
    return lstrcmpiW(server, ModulePath().c_str()) == 0;
}

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
    HMODULE module = ambrelle::ThisModule();
    HRESULT hr = ambrelle::RegisterModuleTypeLib(module);
    if (FAILED(hr)) return hr;
    return ambrelle::RegisterClassKeys(module, kRecordsetRegistration);
}

STDAPI DllUnregisterServer() {
    // Only what points to this DLL goes; another server of the class stays registered.
    HRESULT class_hr = S_OK;
    if (ClassServedByThisModule()) class_hr = ambrelle::UnregisterClassKeys(kRecordsetRegistration);
    HRESULT typelib_hr = ambrelle::UnregisterModuleTypeLib(ambrelle::ThisModule());
    if (FAILED(typelib_hr)) return typelib_hr;
    return class_hr;
}
