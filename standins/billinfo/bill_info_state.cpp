#include "bill_info_state.h"

#include "out_values.h"

namespace ambrelle {

BillInfoState& BillInfoState::Instance() {
    static BillInfoState state;
    return state;
}

// The steering and the records live as long as the process: once they exist,
// the DLL stays loaded even when COM finds no object of it alive.
BillInfoState::BillInfoState() {
    PinThisModule();
    ResetLocked();
}

void BillInfoState::ResetLocked() {
    result_.reset();
    V_VT(result_.ptr()) = VT_BOOL;
    V_BOOL(result_.ptr()) = VARIANT_TRUE;
    steering_ = Steering{};
    custom_confirmations_.clear();
    custom_rejections_.clear();
    call_count_ = 0;
    last_call_ = QueryCall{};
    last_delivery_ = DeliveryDone::kNone;
}

HRESULT BillInfoState::RecordCall(const QueryCall& call, QueryPlan* plan) {
    ProcessLock::Held held(lock_);
    ++call_count_;
    last_call_ = call;
    last_delivery_ = DeliveryDone::kNone;
    HRESULT hr = VariantCopy(plan->result.ptr(), result_.ptr());
    if (FAILED(hr)) return hr;
    static_cast<Steering&>(*plan) = steering_;
    plan->custom_rows.clear();
    if (steering_.rows == RowSource::kCustom) {
        const LONG kind = steering_.write_kind ? steering_.kind_to_write : call.kind;
        const std::vector<BillRow>& custom =
            LayoutForKind(kind) == BillLayout::kRejection ? custom_rejections_ : custom_confirmations_;
        for (const BillRow& row : custom) {
            BillRow copy;
            hr = CopyRow(row, &copy);
            if (FAILED(hr)) return hr;
            plan->custom_rows.push_back(std::move(copy));
        }
    }
    return S_OK;
}

void BillInfoState::RecordDelivery(DeliveryDone done) {
    ProcessLock::Held held(lock_);
    last_delivery_ = done;
}

void BillInfoState::Reset() {
    ProcessLock::Held held(lock_);
    ResetLocked();
}

HRESULT BillInfoState::ReturnResult(const VARIANT& result) {
    UniqueVariant copy;
    HRESULT hr = VariantCopyInd(copy.ptr(), const_cast<VARIANT*>(&result));
    if (FAILED(hr)) return hr;
    if (copy.vt() == VT_DISPATCH || copy.vt() == VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
    ProcessLock::Held held(lock_);
    result_ = std::move(copy);
    return S_OK;
}

void BillInfoState::FailWith(HRESULT error, const std::wstring& source, const std::wstring& description) {
    ProcessLock::Held held(lock_);
    steering_.error = error;
    steering_.error_source = source;
    steering_.error_description = description;
}

void BillInfoState::SetDelivery(Delivery delivery) {
    ProcessLock::Held held(lock_);
    steering_.delivery = delivery;
}

Delivery BillInfoState::GetDelivery() { return lock_.Read(steering_.delivery); }

void BillInfoState::WriteBackBillId(LONG bill_id) {
    ProcessLock::Held held(lock_);
    steering_.write_bill_id = true;
    steering_.bill_id_to_write = bill_id;
}

void BillInfoState::WriteBackQueryKind(LONG kind) {
    ProcessLock::Held held(lock_);
    steering_.write_kind = true;
    steering_.kind_to_write = kind;
}

void BillInfoState::ServeLocked(RowSource source) {
    steering_.rows = source;
    custom_confirmations_.clear();
    custom_rejections_.clear();
}

void BillInfoState::ServeSampleData() {
    ProcessLock::Held held(lock_);
    ServeLocked(RowSource::kSampleData);
}

void BillInfoState::ServeEmptySet() {
    ProcessLock::Held held(lock_);
    ServeLocked(RowSource::kEmpty);
}

void BillInfoState::ServeGeneratedRows(LONG count) {
    ProcessLock::Held held(lock_);
    ServeLocked(RowSource::kGenerated);
    steering_.generated_count = count;
}

void BillInfoState::AddCustomRow(BillLayout layout, BillRow row) {
    ProcessLock::Held held(lock_);
    if (steering_.rows != RowSource::kCustom) ServeLocked(RowSource::kCustom);
    (layout == BillLayout::kRejection ? custom_rejections_ : custom_confirmations_).push_back(std::move(row));
}

LONG BillInfoState::CallCount() { return lock_.Read(call_count_); }

QueryCall BillInfoState::LastCall() { return lock_.Read(last_call_); }

DeliveryDone BillInfoState::LastDelivery() { return lock_.Read(last_delivery_); }

}  // namespace ambrelle
