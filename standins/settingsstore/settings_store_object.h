// SettingsStore: values kept per user under an application name and a key
// (settings_registry.h tells where). The interface is ISettingsStore of
// outside/settings_store.idl; its dispatch half runs through the type library.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "server_module.h"
#include "settings_store.h"

namespace ambrelle {

class SettingsStoreObject final : public ISettingsStore, public ISupportErrorInfo {
public:
    static HRESULT Create(REFIID riid, void** object);

    // IUnknown
    STDMETHODIMP QueryInterface(REFIID riid, void** object) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, from the embedded type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // ISettingsStore
    STDMETHODIMP DeleteSetting(BSTR app, VARIANT key, VARIANT_BOOL* removed) override;
    STDMETHODIMP GetAllSettings(BSTR app, VARIANT* settings) override;
    STDMETHODIMP ReadSetting(BSTR app, BSTR* key, VARIANT* default_value, VARIANT* value) override;
    STDMETHODIMP WriteSetting(BSTR* app, BSTR* key, VARIANT* value, VARIANT* stored) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    SettingsStoreObject() = default;
    ~SettingsStoreObject() = default;
    HRESULT EnsureTypeInfo();

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    Microsoft::WRL::ComPtr<ITypeInfo> type_info_;
};

}  // namespace ambrelle
