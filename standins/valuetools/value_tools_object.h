// ValueTools: ValueOrDefault, the value of a record-set field or a default
// for Null and Empty. The interface is IValueTools of outside/value_tools.idl;
// its dispatch half runs through the type library.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "server_module.h"
#include "value_tools.h"

namespace ambrelle {

class ValueToolsObject final : public IValueTools, public ISupportErrorInfo {
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

    // IValueTools
    STDMETHODIMP ValueOrDefault(VARIANT* value, VARIANT* default_value, VARIANT* result) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    ValueToolsObject() = default;
    ~ValueToolsObject() = default;
    HRESULT EnsureTypeInfo();

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    Microsoft::WRL::ComPtr<ITypeInfo> type_info_;
};

}  // namespace ambrelle
