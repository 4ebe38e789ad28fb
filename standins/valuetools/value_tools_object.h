// ValueTools: ValueOrDefault, the value of a record-set field or a default
// for Null and Empty. The interface is IValueTools of outside/value_tools.idl;
// its dispatch half runs through the type library.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "type_info_dispatch.h"
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
    STDMETHODIMP GetTypeInfoCount(UINT* count) override { return dispatch_.GetTypeInfoCount(count); }
    STDMETHODIMP GetTypeInfo(UINT index, LCID, ITypeInfo** info) override { return dispatch_.GetTypeInfo(index, info); }
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) override {
        return dispatch_.GetIDsOfNames(riid, names, count, ids);
    }
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override {
        return dispatch_.Invoke(static_cast<IValueTools*>(this), member, riid, flags, params, result, excep, arg_err);
    }

    // IValueTools
    STDMETHODIMP ValueOrDefault(VARIANT* value, VARIANT* default_value, VARIANT* result) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    ValueToolsObject() = default;
    ~ValueToolsObject() = default;

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    TypeInfoDispatch dispatch_{IID_IValueTools};
};

}  // namespace ambrelle
