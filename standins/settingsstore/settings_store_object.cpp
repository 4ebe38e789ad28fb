#include "settings_store_object.h"

#include <string>
#include <utility>
#include <vector>

#include "com_error.h"
#include "settings_registry.h"
#include "settings_text.h"
#include "unique_variant.h"

namespace ambrelle {
namespace {

constexpr wchar_t kSource[] = L"SettingsStore";

std::wstring TextOf(BSTR text) { return std::wstring(text ? text : L"", SysStringLen(text)); }

HRESULT RaiseStoreError(HRESULT hr, const wchar_t* description) {
    return RaiseComError(hr, IID_ISettingsStore, kSource, description);
}

HRESULT RaiseRegistryError(LONG rc, const wchar_t* action) {
    std::wstring description = action;
    wchar_t* message = nullptr;
    if (FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                       nullptr, static_cast<DWORD>(rc), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr) &&
        message) {
        description += L": ";
        description += message;
        LocalFree(message);
        while (!description.empty() && (description.back() == L'\n' || description.back() == L'\r'))
            description.pop_back();
    }
    return RaiseStoreError(HRESULT_FROM_WIN32(rc), description.c_str());
}

// An application name and a key are both needed, as VB's GetSetting and
// SaveSetting need them. Neither may hold a "\" (it would nest in another
// application's key) or a null (the registry would see only the text before
// it, another application's or key's name).
HRESULT CheckName(const std::wstring& name, const wchar_t* what) {
    if (name.empty())
        return RaiseStoreError(E_INVALIDARG, (std::wstring(L"The ") + what + L" must not be empty.").c_str());
    if (name.find_first_of(std::wstring(L"\\\0", 2)) != std::wstring::npos)
        return RaiseStoreError(E_INVALIDARG, (std::wstring(L"The ") + what +
                                              L" must not contain a backslash or a null character.").c_str());
    return S_OK;
}

HRESULT CheckNames(const std::wstring& app, const std::wstring* key) {
    HRESULT hr = CheckName(app, L"application name");
    if (SUCCEEDED(hr) && key) hr = CheckName(*key, L"key");
    return hr;
}

bool IsMissing(const VARIANT& value) {
    const VARIANT* plain = &value;
    if (V_VT(plain) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(plain)) plain = V_VARIANTREF(plain);
    return V_VT(plain) == VT_EMPTY || (V_VT(plain) == VT_ERROR && V_ERROR(plain) == DISP_E_PARAMNOTFOUND);
}

HRESULT MakeSettingsArray(const std::vector<std::pair<std::wstring, std::wstring>>& settings, VARIANT* out) {
    SAFEARRAYBOUND bounds[2] = {{static_cast<ULONG>(settings.size()), 0}, {2, 0}};
    SAFEARRAY* array = SafeArrayCreate(VT_VARIANT, 2, bounds);
    if (!array) return E_OUTOFMEMORY;
    for (size_t row = 0; row < settings.size(); ++row) {
        const std::wstring* texts[2] = {&settings[row].first, &settings[row].second};
        for (LONG column = 0; column < 2; ++column) {
            UniqueVariant cell;
            V_VT(cell.ptr()) = VT_BSTR;
            V_BSTR(cell.ptr()) = SysAllocStringLen(texts[column]->c_str(), static_cast<UINT>(texts[column]->size()));
            HRESULT hr = V_BSTR(cell.ptr()) ? S_OK : E_OUTOFMEMORY;
            // Indices in the order of the bounds given to SafeArrayCreate: row, then column.
            LONG indices[2] = {static_cast<LONG>(row), column};
            if (SUCCEEDED(hr)) hr = SafeArrayPutElement(array, indices, cell.ptr());
            if (FAILED(hr)) {
                SafeArrayDestroy(array);
                return hr;
            }
        }
    }
    V_VT(out) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(out) = array;
    return S_OK;
}

}  // namespace

HRESULT SettingsStoreObject::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) SettingsStoreObject(), riid, object);
}

STDMETHODIMP SettingsStoreObject::DeleteSetting(BSTR app, VARIANT key, VARIANT_BOOL* removed) {
    if (!removed) return E_POINTER;
    *removed = VARIANT_FALSE;
    const std::wstring app_name = TextOf(app);
    HRESULT hr = CheckNames(app_name, nullptr);
    if (FAILED(hr)) return hr;
    LONG rc;
    if (IsMissing(key)) {
        rc = DeleteSettingSection(app_name);
    } else {
        UniqueVariant key_text;
        hr = VariantChangeType(key_text.ptr(), &key, 0, VT_BSTR);
        if (FAILED(hr)) return RaiseStoreError(hr, L"The key must be text.");
        const std::wstring key_name = TextOf(V_BSTR(key_text.ptr()));
        hr = CheckNames(app_name, &key_name);
        if (FAILED(hr)) return hr;
        rc = DeleteSettingKey(app_name, key_name);
    }
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;
    if (rc != ERROR_SUCCESS) return RaiseRegistryError(rc, L"The setting could not be removed");
    *removed = VARIANT_TRUE;
    return S_OK;
}

STDMETHODIMP SettingsStoreObject::GetAllSettings(BSTR app, VARIANT* settings) {
    if (!settings) return E_POINTER;
    VariantInit(settings);
    const std::wstring app_name = TextOf(app);
    HRESULT hr = CheckNames(app_name, nullptr);
    if (FAILED(hr)) return hr;
    std::vector<std::pair<std::wstring, std::wstring>> all;
    LONG rc = ReadAllSettingTexts(app_name, &all);
    if (rc == ERROR_FILE_NOT_FOUND) return S_OK;
    if (rc != ERROR_SUCCESS) return RaiseRegistryError(rc, L"The settings could not be read");
    if (all.empty()) return S_OK;
    return MakeSettingsArray(all, settings);
}

STDMETHODIMP SettingsStoreObject::ReadSetting(BSTR app, BSTR* key, VARIANT* default_value, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    if (!key || !default_value) return E_POINTER;
    const std::wstring app_name = TextOf(app);
    const std::wstring key_name = TextOf(*key);
    HRESULT hr = CheckNames(app_name, &key_name);
    if (FAILED(hr)) return hr;
    std::wstring text;
    LONG rc = reader_.Read(app_name, key_name, &text);
    if (rc == ERROR_FILE_NOT_FOUND) return VariantCopyInd(value, default_value);
    if (rc != ERROR_SUCCESS) return RaiseRegistryError(rc, L"The setting could not be read");
    return SettingValueFromText(text, value);
}

STDMETHODIMP SettingsStoreObject::WriteSetting(BSTR* app, BSTR* key, VARIANT* value, VARIANT* stored) {
    if (!stored) return E_POINTER;
    VariantInit(stored);
    if (!app || !key || !value) return E_POINTER;
    const std::wstring app_name = TextOf(*app);
    const std::wstring key_name = TextOf(*key);
    HRESULT hr = CheckNames(app_name, &key_name);
    if (FAILED(hr)) return hr;
    std::wstring text;
    hr = SettingTextFromValue(*value, &text);
    if (hr == kInvalidUseOfNull) return RaiseStoreError(hr, L"Invalid use of Null");
    if (FAILED(hr)) return RaiseStoreError(hr, L"The value cannot be stored as text.");
    LONG rc = WriteSettingText(app_name, key_name, text);
    if (rc != ERROR_SUCCESS) return RaiseRegistryError(rc, L"The setting could not be written");
    BSTR stored_text = SysAllocStringLen(text.c_str(), static_cast<UINT>(text.size()));
    if (!stored_text) return E_OUTOFMEMORY;
    V_VT(stored) = VT_BSTR;
    V_BSTR(stored) = stored_text;
    return S_OK;
}

}  // namespace ambrelle
