// ClsValidate: the component's one public class, the host's entry point.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

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
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_err) override;

    // _ClsValidate
    STDMETHODIMP put_FID(LONG* value) override;
    STDMETHODIMP show(VARIANT_BOOL* result) override;
    STDMETHODIMP put_QueryClass(LONG* value) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    ClsValidate() = default;
    ~ClsValidate() = default;
    HRESULT EnsureTypeInfo();
    HRESULT QueryValidate(IDispatch* bill_info, VARIANT* result);
    HRESULT ShowWindow();

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    Microsoft::WRL::ComPtr<ITypeInfo> type_info_;
    LONG fid_ = 0;
    LONG query_class_ = 0;
    // The record set given to the bill-information service and taken back from it.
    Microsoft::WRL::ComPtr<_ADORecordset> validate_rs_;
};

// The interface IID of the component's first version; answered with the same interface.
extern const IID IID_ClsValidate_v0;

}  // namespace ambrelle
