#include "registration.h"

#include "type_info.h"

#include <windows.h>
#include <ole2.h>
#include <olectl.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace ambrelle {
namespace {

const wchar_t kAutomationMarshaler[] = L"{00020424-0000-0000-C000-000000000046}";

bool SetValue(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& value) {
    HKEY handle;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    LONG rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

bool DeleteTree(HKEY root, const std::wstring& key) {
    LONG rc = RegDeleteTreeW(root, key.c_str());
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) {
        RegDeleteKeyW(root, key.c_str());
        return true;
    }
    return false;
}

std::wstring GuidString(REFGUID guid) {
    wchar_t text[39];
    GuidToString(guid, text);
    return text;
}

// "TypeLib\{libid}\maj.min" of a library (the version in hex), and the
// platform key its path stands under.
std::wstring LibraryVersionKey(const TLIBATTR& lib) {
    wchar_t version[16];
    wsprintfW(version, L"\\%x.%x", lib.wMajorVerNum, lib.wMinorVerNum);
    return L"TypeLib\\" + GuidString(lib.guid) + version;
}

const wchar_t* PlatformKey(SYSKIND syskind) { return syskind == SYS_WIN64 ? L"win64" : L"win32"; }


}  // namespace

std::wstring ModulePath(HMODULE module) {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        DWORD length = GetModuleFileNameW(module, &path[0], static_cast<DWORD>(path.size()));
        if (length == 0) return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

void GuidToString(REFGUID guid, wchar_t (&out)[39]) { StringFromGUID2(guid, out, 39); }

HRESULT RegisterModuleTypeLib(HMODULE module) {
    ComPtr<ITypeLib> typelib;
    if (FAILED(LoadModuleTypeLib(module, &typelib))) return SELFREG_E_TYPELIB;
    std::wstring path = ModulePath(module);
    if (FAILED(RegisterTypeLib(typelib.Get(), const_cast<LPOLESTR>(path.c_str()), nullptr)))
        return SELFREG_E_TYPELIB;
    // RegisterTypeLib writes the library under its own locale; the automation
    // marshaler asks for the neutral one, and finds it there too.
    TLIBATTR* attr = nullptr;
    if (FAILED(typelib->GetLibAttr(&attr))) return SELFREG_E_TYPELIB;
    const TLIBATTR lib = *attr;
    typelib->ReleaseTLibAttr(attr);
    if (lib.lcid != LOCALE_NEUTRAL &&
        !SetValue(HKEY_CLASSES_ROOT, LibraryVersionKey(lib) + L"\\0\\" + PlatformKey(lib.syskind), nullptr, path))
        return SELFREG_E_TYPELIB;
    return S_OK;
}

HRESULT UnregisterModuleTypeLib(HMODULE module) {
    ComPtr<ITypeLib> typelib;
    if (FAILED(LoadModuleTypeLib(module, &typelib))) return SELFREG_E_TYPELIB;
    TLIBATTR* attr = nullptr;
    if (FAILED(typelib->GetLibAttr(&attr))) return SELFREG_E_TYPELIB;
    const TLIBATTR lib = *attr;
    typelib->ReleaseTLibAttr(attr);
    const std::wstring lib_key = L"TypeLib\\" + GuidString(lib.guid);
    const std::wstring version_key = LibraryVersionKey(lib);
    HKEY handle;
    if (RegOpenKeyExW(HKEY_CLASSES_ROOT, version_key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS)
        return S_OK;  // not registered: nothing to remove
    RegCloseKey(handle);
    // The neutral locale's entry written beside the library's own.
    if (lib.lcid != LOCALE_NEUTRAL && !DeleteTree(HKEY_CLASSES_ROOT, version_key + L"\\0")) return SELFREG_E_TYPELIB;
    if (FAILED(UnRegisterTypeLib(lib.guid, lib.wMajorVerNum, lib.wMinorVerNum, lib.lcid, lib.syskind)))
        return SELFREG_E_TYPELIB;
    // Remove the library's key once no other version of it is registered.
    RegDeleteKeyW(HKEY_CLASSES_ROOT, lib_key.c_str());
    return S_OK;
}

HRESULT RegisterClassKeys(HMODULE module, const ClassRegistration& reg) {
    const std::wstring clsid = GuidString(*reg.clsid);
    const std::wstring key = L"CLSID\\" + clsid;
    const std::wstring path = ModulePath(module);
    bool ok = !path.empty();
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key, nullptr, reg.name);
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", nullptr, path);
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\InprocServer32", L"ThreadingModel", reg.threading_model);
    if (reg.prog_id) {
        ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\ProgID", nullptr, reg.prog_id);
        ok = ok && SetValue(HKEY_CLASSES_ROOT, reg.prog_id, nullptr, reg.name);
        ok = ok && SetValue(HKEY_CLASSES_ROOT, std::wstring(reg.prog_id) + L"\\CLSID", nullptr, clsid);
    }
    if (reg.libid) ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, GuidString(*reg.libid));
    if (reg.control) ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\Control", nullptr, L"");
    if (!ok) {
        UnregisterClassKeys(reg);
        return SELFREG_E_CLASS;
    }
    return S_OK;
}

HRESULT UnregisterClassKeys(const ClassRegistration& reg) {
    bool ok = DeleteTree(HKEY_CLASSES_ROOT, L"CLSID\\" + GuidString(*reg.clsid));
    if (reg.prog_id) ok = DeleteTree(HKEY_CLASSES_ROOT, reg.prog_id) && ok;
    return ok ? S_OK : SELFREG_E_CLASS;
}

bool ClassServedBy(HMODULE module, REFCLSID clsid) {
    const std::wstring key = L"CLSID\\" + GuidString(clsid) + L"\\InprocServer32";
    DWORD size = 0;
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return false;
    std::wstring server(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(server.size() * sizeof(wchar_t));
    if (RegGetValueW(HKEY_CLASSES_ROOT, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, &server[0], &size) != ERROR_SUCCESS)
        return false;
    return lstrcmpiW(server.c_str(), ModulePath(module).c_str()) == 0;
}

HRESULT RegisterAutomationInterface(REFIID iid, const wchar_t* name, REFGUID libid, WORD major, WORD minor) {
    const std::wstring key = L"Interface\\" + GuidString(iid);
    wchar_t version[16];
    wsprintfW(version, L"%x.%x", major, minor);
    bool ok = SetValue(HKEY_CLASSES_ROOT, key, nullptr, name);
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid", nullptr, kAutomationMarshaler);
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\ProxyStubClsid32", nullptr, kAutomationMarshaler);
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib", nullptr, GuidString(libid));
    ok = ok && SetValue(HKEY_CLASSES_ROOT, key + L"\\TypeLib", L"Version", version);
    return ok ? S_OK : SELFREG_E_CLASS;
}

HRESULT UnregisterInterface(REFIID iid) {
    return DeleteTree(HKEY_CLASSES_ROOT, L"Interface\\" + GuidString(iid)) ? S_OK : SELFREG_E_CLASS;
}

}  // namespace ambrelle
