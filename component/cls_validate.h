// ClsValidate: the component's one public class, the host's entry point.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "type_info_dispatch.h"
#include "ado.h"
#include "ambrelle.h"
#include "server_module.h"

namespace ambrelle {

class ClsValidate final : public _ClsValidate, public ISupportErrorInfo {
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
        return dispatch_.Invoke(static_cast<_ClsValidate*>(this), member, riid, flags, params, result, excep, arg_err);
    }

    // _ClsValidate
    STDMETHODIMP put_FID(LONG* value) override;
    STDMETHODIMP show(VARIANT_BOOL* result) override;
    STDMETHODIMP put_QueryClass(LONG* value) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    ClsValidate() = default;
    ~ClsValidate() = default;
    HRESULT Show(VARIANT_BOOL* result);
    HRESULT QueryValidate(IDispatch* bill_info, VARIANT* result);
    HRESULT ShowWindow();

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    TypeInfoDispatch dispatch_{IID__ClsValidate};
    LONG fid_ = 0;
    LONG query_class_ = 0;
    // The record set given to the bill-information service and taken back from it.
    Microsoft::WRL::ComPtr<_ADORecordset> validate_rs_;
};

// The interface IID of the component's first version; answered with the same interface.
extern const IID IID_ClsValidate_v0;

}  // namespace ambrelle
