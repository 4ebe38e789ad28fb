// What Tessary.ocx serves: the grid control, registered as an ActiveX control.
#include <windows.h>
#include <olectl.h>

#include <string>

#include "grid_view.h"
#include "server_module.h"
#include "tessary_identity.h"
#include "tessary_control.h"

namespace ambrelle {
namespace {

ServedClass g_classes[] = {
    {{&tessary::CLSID_Tessary, L"Tessary Control", tessary::kProgId, L"Apartment", &tessary::LIBID_TESSARYLib, true},
     &tessary::TessaryControl::Create},
};
const ClassRegistration& kTessaryRegistration = g_classes[0].registration;

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
    GuidToString(tessary::CLSID_Tessary, clsid);
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

HRESULT RegisterControl() {
    if (RegisterControlKeys()) return S_OK;
    UnregisterClassKeys(kTessaryRegistration);
    return SELFREG_E_CLASS;
}

HRESULT UnregisterControl() {
    LONG versioned_rc = RegDeleteTreeW(HKEY_CLASSES_ROOT, tessary::kVersionedProgId);
    if (versioned_rc == ERROR_SUCCESS) RegDeleteKeyW(HKEY_CLASSES_ROOT, tessary::kVersionedProgId);
    bool versioned_ok = versioned_rc == ERROR_SUCCESS || versioned_rc == ERROR_FILE_NOT_FOUND;
    return versioned_ok ? S_OK : SELFREG_E_CLASS;
}

void UnregisterWindowClass(HINSTANCE instance) { tessary::GridView::UnregisterWindowClass(instance); }

}  // namespace

const ServerDefinition kThisServer = {g_classes, ARRAYSIZE(g_classes), &RegisterControl, &UnregisterControl,
                                      &UnregisterWindowClass};

}  // namespace ambrelle
