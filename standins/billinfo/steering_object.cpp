#include "steering_object.h"

#include <string>
#include <vector>

#include "bill_info_state.h"
#include "com_error.h"
#include "dispatch_support.h"
#include "out_values.h"
#include "sample_bills.h"
#include "variant_values.h"

namespace ambrelle {
namespace {

constexpr wchar_t kSource[] = L"Quistral.IBillInfo.Steering";
constexpr LONG kMostGeneratedRows = 1000000;

HRESULT RaiseSteeringError(HRESULT hr, const wchar_t* description) {
    return RaiseComError(hr, IID_IBillInfoSteering, kSource, description);
}

// A row of the layout from the values a test gave, in field order after FID
// (which the first value fills for rejections, and the queried bill id for
// confirmations: it stays Empty here and is filled when served).
HRESULT RowFromValues(BillLayout layout, const VARIANT* const* values, size_t count, BillRow* row) {
    *row = EmptyRow(layout);
    const size_t first = layout == BillLayout::kRejection ? 0 : 1;
    if (first + count != row->size()) return E_INVALIDARG;
    for (size_t i = 0; i < count; ++i) {
        VARIANT* slot = (*row)[first + i].ptr();
        HRESULT hr = VariantCopyInd(slot, const_cast<VARIANT*>(values[i]));
        if (FAILED(hr)) return hr;
        const VARTYPE vt = V_VT(slot);
        if (vt == VT_DISPATCH || vt == VT_UNKNOWN || (vt & VT_ARRAY) || vt == VT_ERROR)
            return RaiseSteeringError(E_INVALIDARG, L"Record values are plain values: text, numbers, dates or Null.");
    }
    return S_OK;
}

}  // namespace

HRESULT SteeringObject::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) SteeringObject(), riid, object);
}

STDMETHODIMP SteeringObject::Reset() {
    BillInfoState::Instance().Reset();
    return S_OK;
}

STDMETHODIMP SteeringObject::ReturnResult(VARIANT result) {
    HRESULT hr = BillInfoState::Instance().ReturnResult(result);
    if (hr == DISP_E_TYPEMISMATCH)
        return RaiseSteeringError(E_INVALIDARG, L"QueryValidate returns a value, not an object.");
    return hr;
}

STDMETHODIMP SteeringObject::FailWith(LONG number, BSTR source, BSTR description) {
    const HRESULT error = ErrorNumberAsHresult(number);
    if (error == S_OK)
        return RaiseSteeringError(E_INVALIDARG, L"The error number must be a failing HRESULT or 1 to 65535.");
    BillInfoState::Instance().FailWith(error, TextOf(source), TextOf(description));
    return S_OK;
}

STDMETHODIMP SteeringObject::get_Delivery(BillInfoDelivery* delivery) {
    return ReturnValue(delivery, BillInfoState::Instance().GetDelivery());
}

STDMETHODIMP SteeringObject::put_Delivery(BillInfoDelivery delivery) {
    if (delivery < biAuto || delivery > biLeaveUntouched)
        return RaiseSteeringError(E_INVALIDARG, L"Delivery goes from 0 (biAuto) to 5 (biLeaveUntouched).");
    BillInfoState::Instance().SetDelivery(static_cast<Delivery>(delivery));
    return S_OK;
}

STDMETHODIMP SteeringObject::WriteBackBillId(LONG bill_id) {
    BillInfoState::Instance().WriteBackBillId(bill_id);
    return S_OK;
}

STDMETHODIMP SteeringObject::WriteBackQueryKind(LONG kind) {
    BillInfoState::Instance().WriteBackQueryKind(kind);
    return S_OK;
}

STDMETHODIMP SteeringObject::ServeSampleData() {
    BillInfoState::Instance().ServeSampleData();
    return S_OK;
}

STDMETHODIMP SteeringObject::ServeEmptySet() {
    BillInfoState::Instance().ServeEmptySet();
    return S_OK;
}

STDMETHODIMP SteeringObject::ServeGeneratedRows(LONG count) {
    if (count < 0 || count > kMostGeneratedRows)
        return RaiseSteeringError(E_INVALIDARG, L"The count of generated records goes from 0 to 1000000.");
    BillInfoState::Instance().ServeGeneratedRows(count);
    return S_OK;
}

STDMETHODIMP SteeringObject::AddRejectionRow(VARIANT fid, VARIANT val_date, VARIANT reject_desc, VARIANT be_br_name,
                                             VARIANT br_name) {
    const VARIANT* values[] = {&fid, &val_date, &reject_desc, &be_br_name, &br_name};
    BillRow row;
    HRESULT hr = RowFromValues(BillLayout::kRejection, values, ARRAYSIZE(values), &row);
    if (FAILED(hr)) return hr;
    BillInfoState::Instance().AddCustomRow(BillLayout::kRejection, std::move(row));
    return S_OK;
}

STDMETHODIMP SteeringObject::AddConfirmationRow(VARIANT number, VARIANT name, VARIANT model, VARIANT aux_prop_name,
                                                VARIANT req_qty, VARIANT validate_qty, VARIANT validater,
                                                VARIANT be_val_br_name, VARIANT br_name, VARIANT val_date,
                                                VARIANT delivery_date, VARIANT qty_decimal) {
    const VARIANT* values[] = {&number,    &name,           &model,   &aux_prop_name, &req_qty,       &validate_qty,
                               &validater, &be_val_br_name, &br_name, &val_date,      &delivery_date, &qty_decimal};
    BillRow row;
    HRESULT hr = RowFromValues(BillLayout::kConfirmation, values, ARRAYSIZE(values), &row);
    if (FAILED(hr)) return hr;
    BillInfoState::Instance().AddCustomRow(BillLayout::kConfirmation, std::move(row));
    return S_OK;
}

STDMETHODIMP SteeringObject::get_CallCount(LONG* count) {
    return ReturnValue(count, BillInfoState::Instance().CallCount());
}

STDMETHODIMP SteeringObject::get_LastPropsString(BSTR* props) {
    return ReturnText(BillInfoState::Instance().LastCall().props, props);
}

STDMETHODIMP SteeringObject::get_LastArgType(LONG position, LONG* vartype) {
    if (!vartype) return E_POINTER;
    *vartype = 0;
    if (position < 1 || position > 4)
        return RaiseSteeringError(DISP_E_BADINDEX, L"QueryValidate has arguments 1 to 4.");
    *vartype = BillInfoState::Instance().LastCall().arg_types[position - 1];
    return S_OK;
}

STDMETHODIMP SteeringObject::get_LastBillId(LONG* bill_id) {
    return ReturnValue(bill_id, BillInfoState::Instance().LastCall().bill_id);
}

STDMETHODIMP SteeringObject::get_LastQueryKind(LONG* kind) {
    return ReturnValue(kind, BillInfoState::Instance().LastCall().kind);
}

STDMETHODIMP SteeringObject::get_LastArgCount(LONG* count) {
    return ReturnValue(count, BillInfoState::Instance().LastCall().arg_count);
}

STDMETHODIMP SteeringObject::get_LastDelivery(BillInfoDelivered* delivered) {
    return ReturnValue(delivered, BillInfoState::Instance().LastDelivery());
}

STDMETHODIMP SteeringObject::get_SampleBillIds(LONG kind, VARIANT* ids) {
    if (!ids) return E_POINTER;
    VariantInit(ids);
    const SampleBills* bills = nullptr;
    std::wstring error;
    HRESULT hr = SampleBills::Instance(&bills, &error);
    if (FAILED(hr)) return RaiseSteeringError(hr, error.c_str());
    const std::vector<LONG> found = bills->BillIds(kind);
    SAFEARRAY* array = SafeArrayCreateVector(VT_VARIANT, 0, static_cast<ULONG>(found.size()));
    if (!array) return E_OUTOFMEMORY;
    // The ids are plain numbers: they go into the new array's elements directly.
    VARIANT* elements = nullptr;
    hr = SafeArrayAccessData(array, reinterpret_cast<void**>(&elements));
    if (SUCCEEDED(hr)) {
        for (size_t i = 0; i < found.size(); ++i) elements[i] = LongValue(found[i]);
        SafeArrayUnaccessData(array);
    } else {
        SafeArrayDestroy(array);
        return hr;
    }
    V_VT(ids) = VT_ARRAY | VT_VARIANT;
    V_ARRAY(ids) = array;
    return S_OK;
}

}  // namespace ambrelle
