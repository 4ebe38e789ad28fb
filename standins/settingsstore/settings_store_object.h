// SettingsStore: values kept per user under an application name and a key
// (settings_registry.h tells where). The interface is ISettingsStore of
// outside/settings_store.idl; its dispatch half runs through the type library.
#pragma once

#include <windows.h>
#include <ole2.h>

#include "settings_registry.h"
#include "settings_store.h"
#include "type_info_dispatch.h"

namespace ambrelle {

class SettingsStoreObject final : public DualInterfaceObject<ISettingsStore, IID_ISettingsStore> {
public:
    static HRESULT Create(REFIID riid, void** object);

    // ISettingsStore
    STDMETHODIMP DeleteSetting(BSTR app, VARIANT key, VARIANT_BOOL* removed) override;
    STDMETHODIMP GetAllSettings(BSTR app, VARIANT* settings) override;
    STDMETHODIMP ReadSetting(BSTR app, BSTR* key, VARIANT* default_value, VARIANT* value) override;
    STDMETHODIMP WriteSetting(BSTR* app, BSTR* key, VARIANT* value, VARIANT* stored) override;

private:
    SettingsStoreObject() = default;
    ~SettingsStoreObject() = default;

    SettingsSectionReader reader_;
};

}  // namespace ambrelle
