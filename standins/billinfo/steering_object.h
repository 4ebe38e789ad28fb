// Quistral.IBillInfo.Steering: lets a test decide what every
// Quistral.IBillInfo object of the process answers, and read what they were
// asked (IBillInfoSteering in bill_info_steering.idl).
#pragma once

#include <windows.h>
#include <ole2.h>

#include "bill_info_steering.h"
#include "type_info_dispatch.h"

namespace ambrelle {

class SteeringObject final : public DualInterfaceObject<IBillInfoSteering, IID_IBillInfoSteering> {
public:
    static HRESULT Create(REFIID riid, void** object);

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

private:
    SteeringObject() = default;
    ~SteeringObject() = default;
};

}  // namespace ambrelle
