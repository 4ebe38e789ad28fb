// The in-process server surface of Tessary.ocx: entry point, class object,
// unloading and self-registration as an ActiveX control.
#include <windows.h>
#include <ole2.h>
#include <olectl.h>

#include <string>

#include "grid_view.h"
#include "registration.h"
#include "server_module.h"
#include "tessary.h"
#include "tessary_control.h"

namespace {

ambrelle::ClassFactory g_tessary_factory(&tessary::TessaryControl::Create);

const ambrelle::ServedClass kServedClasses[] = {
    {&tessary::CLSID_Tessary, &g_tessary_factory},
};

const ambrelle::ClassRegistration kTessaryRegistration = {
    &tessary::CLSID_Tessary, L"Tessary Control", tessary::kProgId, L"Apartment", &tessary::LIBID_TESSARYLib, true,
};

// What a container reads before it creates the control (IOleObject::GetMiscStatus answers the same).
constexpr DWORD kMiscStatus = OLEMISC_RECOMPOSEONRESIZE | OLEMISC_CANTLINKINSIDE | OLEMISC_INSIDEOUT |
                              OLEMISC_ACTIVATEWHENVISIBLE | OLEMISC_SETCLIENTSITEFIRST;

bool SetText(const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    return RegSetKeyValueW(HKEY_CLASSES_ROOT, key.c_str(), name, REG_SZ, value.c_str(),
                           static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

// The versioned ProgID, the control's version and its MiscStatus, beside the
// keys RegisterClassKeys writes.
bool RegisterControlKeys() {
    wchar_t clsid[39];
    ambrelle::GuidToString(tessary::CLSID_Tessary, clsid);
    const std::wstring key = std::wstring(L"CLSID\\") + clsid;
    const std::wstring versioned = tessary::kVersionedProgId;
    bool ok = SetText(key + L"\\ProgID", nullptr, versioned);
    ok = ok && SetText(key + L"\\VersionIndependentProgID", nullptr, tessary::kProgId);
    ok = ok && SetText(key + L"\\Version", nullptr, L"1.0");
    ok = ok && SetText(key + L"\\MiscStatus", nullptr, L"0");
    ok = ok && SetText(key + L"\\MiscStatus\\1", nullptr, std::to_wstring(kMiscStatus));
    ok = ok && SetText(versioned, nullptr, L"Tessary Control");
    ok = ok && SetText(versioned + L"\\CLSID", nullptr, clsid);
    ok = ok && SetText(std::wstring(tessary::kProgId) + L"\\CurVer", nullptr, versioned);
    return ok;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, void* reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ambrelle::SetThisModule(instance);
        DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && !reserved) {
        tessary::GridView::UnregisterWindowClass(instance);
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
    hr = ambrelle::RegisterClassKeys(module, kTessaryRegistration);
    if (FAILED(hr)) return hr;
    if (!RegisterControlKeys()) {
        ambrelle::UnregisterClassKeys(kTessaryRegistration);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

STDAPI DllUnregisterServer() {
    HMODULE module = ambrelle::ThisModule();
    HRESULT class_hr = ambrelle::UnregisterClassKeys(kTessaryRegistration);
    LONG versioned_rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, tessary::kVersionedProgId);
    if (versioned_rc == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, tessary::kVersionedProgId);
    HRESULT typelib_hr = ambrelle::UnregisterModuleTypeLib(module);
    if (FAILED(typelib_hr)) return typelib_hr;
    bool versioned_ok = versioned_rc == ERROR_SUCCESS || versioned_rc == ERROR_FILE_NOT_FOUND;
    return FAILED(class_hr) || !versioned_ok ? SELFREG_E_CLASS : S_OK;
}
