// Quistral.IBillInfo.Steering: lets a test decide what every
// Quistral.IBillInfo object of the process answers, and read what they were
// asked (IBillInfoSteering in bill_info_steering.idl).
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include "type_info_dispatch.h"
#include "bill_info_steering.h"
#include "server_module.h"

namespace ambrelle {

class SteeringObject final : public IBillInfoSteering, public ISupportErrorInfo {
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
        return dispatch_.Invoke(static_cast<IBillInfoSteering*>(this), member, riid, flags, params, result, excep, arg_err);
    }

    // IBillInfoSteering
    STDMETHODIMP Reset() override;
    STDMETHODIMP ReturnResult(VARIANT result) override;
    STDMETHODIMP FailWith(LONG number, BSTR source, BSTR description) override;
    STDMETHODIMP get_Delivery(BillInfoDelivery* delivery) override;
    STDMETHODIMP put_Delivery(BillInfoDelivery delivery) override;
    STDMETHODIMP WriteBackBillId(LONG bill_id) override;
    STDMETHODIMP WriteBackQueryKind(LONG kind) override;
    STDMETHODIMP ServeSampleData() override;
    STDMETHODIMP ServeEmptySet() override;
    STDMETHODIMP ServeGeneratedRows(LONG count) override;
    STDMETHODIMP AddRejectionRow(VARIANT fid, VARIANT val_date, VARIANT reject_desc, VARIANT be_br_name,
                                 VARIANT br_name) override;
    STDMETHODIMP AddConfirmationRow(VARIANT number, VARIANT name, VARIANT model, VARIANT aux_prop_name,
                                    VARIANT req_qty, VARIANT validate_qty, VARIANT validater,
                                    VARIANT be_val_br_name, VARIANT br_name, VARIANT val_date,
                                    VARIANT delivery_date, VARIANT qty_decimal) override;
    STDMETHODIMP get_CallCount(LONG* count) override;
    STDMETHODIMP get_LastPropsString(BSTR* props) override;
    STDMETHODIMP get_LastArgType(LONG position, LONG* vartype) override;
    STDMETHODIMP get_LastBillId(LONG* bill_id) override;
    STDMETHODIMP get_LastQueryKind(LONG* kind) override;
    STDMETHODIMP get_LastArgCount(LONG* count) override;
    STDMETHODIMP get_LastDelivery(BillInfoDelivered* delivered) override;
    STDMETHODIMP get_SampleBillIds(LONG kind, VARIANT* ids) override;

    // ISupportErrorInfo
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

private:
    SteeringObject() = default;
    ~SteeringObject() = default;

    LONG refs_ = 1;
    ModuleObjectCount module_count_;
    TypeInfoDispatch dispatch_{IID_IBillInfoSteering};
};

}  // namespace ambrelle
