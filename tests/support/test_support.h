// Small helpers shared by the test programs.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

namespace ambrelle_test {

// A Linux path of the build tree as Wine sees it (drive Z: is the root).
inline std::wstring WindowsPath(const char* unix_path) {
    std::wstring path = L"Z:";
    for (const char* c = unix_path; *c; ++c) path += *c == '/' ? L'\\' : static_cast<wchar_t>(*c);
    return path;
}

// COM for the test's main thread, single-threaded apartment like a GUI host.
class ComApartment {
public:
    ComApartment() { CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED); }
    ~ComApartment() { CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};

// Reads a REG_SZ value; returns false when the key or value is missing.
inline bool ReadRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, std::wstring* out) {
    wchar_t buffer[1024];
    DWORD size = sizeof(buffer);
    DWORD type = 0;
    if (RegGetValueW(root, key.c_str(), name, RRF_RT_REG_SZ, &type, buffer, &size) != ERROR_SUCCESS) return false;
    *out = buffer;
    return true;
}

// Writes a REG_SZ value of the whole text (a null inside it included), creating the key.
inline bool WriteRegistryText(HKEY root, const std::wstring& key, const wchar_t* name, const std::wstring& text) {
    HKEY handle;
    if (RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const LONG rc = RegSetValueExW(handle, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

inline bool RegistryKeyExists(HKEY root, const std::wstring& key) {
    HKEY handle;
    if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
    RegCloseKey(handle);
    return true;
}

// The text a window gives for WM_GETTEXT (a grid's: the rows on screen).
inline std::wstring WindowText(HWND window) {
    LRESULT length = SendMessageW(window, WM_GETTEXTLENGTH, 0, 0);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    LRESULT copied = SendMessageW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]));
    text.resize(static_cast<size_t>(copied));
    return text;
}

// Dispatches the messages waiting on the calling thread (10,000 at the most).
inline void PumpWaitingMessages() {
    MSG msg;
    for (int i = 0; i < 10000 && PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE); ++i) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

}  // namespace ambrelle_test
