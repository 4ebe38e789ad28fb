#include "settings_registry.h"

#include <algorithm>
#include <new>

namespace ambrelle {
namespace {

constexpr wchar_t kProgramSettingsRoot[] = L"Software\\VB and VBA Program Settings\\";

class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() {
        if (handle_) RegCloseKey(handle_);
    }
    HKEY get() const { return handle_; }
    HKEY* put() { return &handle_; }

private:
    HKEY handle_ = nullptr;
};

bool KeyHasContent(HKEY key) {
    DWORD subkeys = 0;
    DWORD values = 0;
    if (RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr, nullptr,
                         nullptr, nullptr) != ERROR_SUCCESS)
        return true;
    return subkeys != 0 || values != 0;
}

}  // namespace

std::wstring TextOfRegistryData(const wchar_t* data, DWORD size) {
    size_t length = size / sizeof(wchar_t);
    // The terminating null is not part of the text; an embedded one is.
    if (length > 0 && data[length - 1] == L'\0') --length;
    return std::wstring(data, length);
}

std::wstring SettingsSectionKey(const std::wstring& app) {
    return kProgramSettingsRoot + app + L"\\" + kSettingsSection;
}

LONG SettingsSectionReader::Read(const std::wstring& app, const std::wstring& key, std::wstring* text) {
    text->clear();
    LONG rc = key_ && app == app_ ? ERROR_SUCCESS : Open(app);
    if (rc != ERROR_SUCCESS) return rc;
    // Most values fit the first buffer, read in one call; a longer one is
    // read again with the size the call gave. Another process may lengthen
    // the value between the two: ask again until they agree.
    std::wstring buffer(256, L'\0');
    for (bool reopened = false;;) {
        DWORD size = static_cast<DWORD>(buffer.size() * sizeof(wchar_t));
        DWORD type = REG_NONE;
        rc = RegQueryValueExW(key_, key.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(&buffer[0]), &size);
        if (rc == ERROR_MORE_DATA) {
            buffer.assign(size / sizeof(wchar_t) + 1, L'\0');
            continue;
        }
        if (rc == ERROR_KEY_DELETED && !reopened) {
            // Removed since it was opened, and perhaps made again.
            reopened = true;
            rc = Open(app);
            if (rc != ERROR_SUCCESS) return rc;
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        if (type != REG_SZ) return ERROR_UNSUPPORTED_TYPE;
        *text = TextOfRegistryData(buffer.c_str(), size);
        return ERROR_SUCCESS;
    }
}

LONG SettingsSectionReader::Open(const std::wstring& app) {
    Close();
    HKEY opened = nullptr;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsSectionKey(app).c_str(), 0, KEY_QUERY_VALUE, &opened);
    if (rc != ERROR_SUCCESS) return rc;
    try {
        app_ = app;
    } catch (const std::bad_alloc&) {
        RegCloseKey(opened);
        return ERROR_OUTOFMEMORY;
    }
    key_ = opened;
    return ERROR_SUCCESS;
}

void SettingsSectionReader::Close() {
    if (key_) RegCloseKey(key_);
    key_ = nullptr;
}

LONG WriteSettingText(const std::wstring& app, const std::wstring& key, const std::wstring& text) {
    RegistryKey section;
    LONG rc = RegCreateKeyExW(HKEY_CURRENT_USER, SettingsSectionKey(app).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                              nullptr, section.put(), nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    return RegSetValueExW(section.get(), key.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
}

LONG DeleteSettingKey(const std::wstring& app, const std::wstring& key) {
    RegistryKey section;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsSectionKey(app).c_str(), 0, KEY_SET_VALUE, section.put());
    if (rc != ERROR_SUCCESS) return rc;
    return RegDeleteValueW(section.get(), key.c_str());
}

LONG DeleteSettingSection(const std::wstring& app) {
    const std::wstring app_key = kProgramSettingsRoot + app;
    LONG rc = RegDeleteTreeW(HKEY_CURRENT_USER, SettingsSectionKey(app).c_str());
    if (rc != ERROR_SUCCESS) return rc;
    RegDeleteKeyW(HKEY_CURRENT_USER, SettingsSectionKey(app).c_str());
    RegistryKey application;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, app_key.c_str(), 0, KEY_READ, application.put()) == ERROR_SUCCESS &&
        !KeyHasContent(application.get()))
        RegDeleteKeyW(HKEY_CURRENT_USER, app_key.c_str());
    return ERROR_SUCCESS;
}

LONG ReadAllSettingTexts(const std::wstring& app, std::vector<std::pair<std::wstring, std::wstring>>* settings) {
    settings->clear();
    RegistryKey section;
    LONG rc = RegOpenKeyExW(HKEY_CURRENT_USER, SettingsSectionKey(app).c_str(), 0, KEY_READ, section.put());
    if (rc != ERROR_SUCCESS) return rc;
    DWORD max_name = 0;
    DWORD max_data = 0;
    rc = RegQueryInfoKeyW(section.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &max_name,
                          &max_data, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    std::wstring name(max_name + 1, L'\0');
    std::wstring data(max_data / sizeof(wchar_t) + 1, L'\0');
    for (DWORD index = 0;;) {
        DWORD name_length = static_cast<DWORD>(name.size());
        DWORD data_size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        DWORD type = 0;
        rc = RegEnumValueW(section.get(), index, &name[0], &name_length, nullptr, &type,
                           reinterpret_cast<BYTE*>(&data[0]), &data_size);
        if (rc == ERROR_NO_MORE_ITEMS) return ERROR_SUCCESS;
        if (rc == ERROR_MORE_DATA) {
            // A value or name grew since the key was measured: measure again and
            // read the same entry once more.
            rc = RegQueryInfoKeyW(section.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                  &max_name, &max_data, nullptr, nullptr);
            if (rc != ERROR_SUCCESS) return rc;
            name.assign(std::max<size_t>(name.size(), max_name + 1), L'\0');
            data.assign(std::max<size_t>(data.size() * 2, max_data / sizeof(wchar_t) + 1), L'\0');
            continue;
        }
        if (rc != ERROR_SUCCESS) return rc;
        ++index;
        if (type != REG_SZ) continue;
        settings->emplace_back(std::wstring(name.c_str(), name_length), TextOfRegistryData(data.c_str(), data_size));
    }
}

}  // namespace ambrelle
