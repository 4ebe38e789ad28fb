// SettingsStore: values kept per user under an application name and a key
// (settings_registry.h tells where). The interface is ISettingsStore of
// outside/settings_store.idl; its dispatch half runs through the type library.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "type_info_dispatch.h"
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
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override { return dispatch_.GetTypeInfo(index, info); }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch_.GetIDsOfNames(riid, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override {
        return dispatch_.Invoke(static_cast<ISettingsStore*>(this), member, riid, flags, params, result, excep, arg_err);
    }

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

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    TypeInfoDispatch dispatch_{IID_ISettingsStore};
};

}  // namespace ambrelle
