// Venlock.ShareProps.Steering: lets a test decide what every Venlock.ShareProps
// object of the process answers, and read what they were asked
// (ISharePropsSteering in share_props_steering.idl).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "type_info_dispatch.h"
#include "server_module.h"
#include "share_props_steering.h"

namespace ambrelle {

class SteeringObject final : public ISharePropsSteering, public ISupportErrorInfo {
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
        return dispatch_.Invoke(static_cast<ISharePropsSteering*>(this), member, riid, flags, params, result, excep, arg_err);
    }

    // ISharePropsSteering
    STDMETHODIMP Reset() override;
    STDMETHODIMP AnswerWith(VARIANT value) override;
    STDMETHODIMP AnswerWithObject(BSTR default_value) override;
    STDMETHODIMP FailWith(LONG number, BSTR source, BSTR description, LONG from_call) override;
    STDMETHODIMP AnswerFromStore() override;
    STDMETHODIMP get_CallCount(BSTR name, LONG* count) override;
    STDMETHODIMP get_TotalCalls(LONG* count) override;
    STDMETHODIMP get_LastProcessId(LONG* process_id) override;
    STDMETHODIMP get_LastName(BSTR* name) override;
    STDMETHODIMP get_LastArgType(LONG position, LONG* vartype) override;
    STDMETHODIMP get_LastArgCount(LONG* count) override;
    STDMETHODIMP get_PublishedValue(LONG process_id, BSTR name, VARIANT* value) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    SteeringObject() = default;
    ~SteeringObject() = default;

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    TypeInfoDispatch dispatch_{IID_ISharePropsSteering};
};

}  // namespace ambrelle
