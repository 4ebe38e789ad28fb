// Where SettingsStore keeps its values: the current user's registry, under
//   HKCU\Software\VB and VBA Program Settings\<application>\Settings
// with one REG_SZ value per key, named after the key.
#pragma once

#include <windows.h>

#include <string>
#include <utility>
#include <vector>

namespace ambrelle {

// The one section every application's keys are kept in.
constexpr wchar_t kSettingsSection[] = L"Settings";

// "Software\VB and VBA Program Settings\<app>\Settings", relative to HKEY_CURRENT_USER.
std::wstring SettingsSectionKey(const std::wstring& app);

// The text of REG_SZ data of `size` bytes: up to the terminating null, with
// any null inside kept.
std::wstring TextOfRegistryData(const wchar_t* data, DWORD size);

// Reads the values of one application's section through the section's key,
// kept open from one read to the next: a read is then one query of the
// registry instead of an open, a query and a close. A key deleted since it was
// opened (the settings removed, here or by another process) is opened again,
// so a read always sees what is stored now; a section that does not exist is
// looked for again on the next read.
class SettingsSectionReader {
public:
    SettingsSectionReader() = default;
    SettingsSectionReader(const SettingsSectionReader&) = delete;
    SettingsSectionReader& operator=(const SettingsSectionReader&) = delete;
    ~SettingsSectionReader() { Close(); }

    // ERROR_SUCCESS with the text, ERROR_FILE_NOT_FOUND when the application
    // or the key has no value, or another Win32 error (a value that is not
    // text).
    LONG Read(const std::wstring& app, const std::wstring& key, std::wstring* text);

private:
    LONG Open(const std::wstring& app);
    void Close();

    std::wstring app_;     // whose section key_ is
    HKEY key_ = nullptr;
};
LONG WriteSettingText(const std::wstring& app, const std::wstring& key, const std::wstring& text);

// Removes one key (ERROR_FILE_NOT_FOUND when there was none).
LONG DeleteSettingKey(const std::wstring& app, const std::wstring& key);
// Removes the application's section, and the application's own key once it is empty.
LONG DeleteSettingSection(const std::wstring& app);

// Every text value of the application's section, in registry order.
LONG ReadAllSettingTexts(const std::wstring& app, std::vector<std::pair<std::wstring, std::wstring>>* settings);

}  // namespace ambrelle
