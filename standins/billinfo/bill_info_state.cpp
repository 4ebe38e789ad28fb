#include "bill_info_state.h"

namespace ambrelle {

BillInfoState& BillInfoState::Instance() {
    static BillInfoState state;
    return state;
}

// The steering and the records live as long as the process: once they exist,
// the DLL stays loaded even when COM finds no object of it alive.
BillInfoState::BillInfoState() {
    HMODULE pinned = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_PIN | GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                       reinterpret_cast<LPCWSTR>(&BillInfoState::Instance), &pinned);
    ResetLocked();
}

void BillInfoState::ResetLocked() {
    result_.reset();
    V_VT(result_.ptr()) = VT_BOOL;
    V_BOOL(result_.ptr()) = VARIANT_TRUE;
    error_ = S_OK;
    error_source_.clear();
    error_description_.clear();
    delivery_ = Delivery::kAuto;
    rows_ = RowSource::kSampleData;
    generated_count_ = 0;
    custom_confirmations_.clear();
    custom_rejections_.clear();
    write_bill_id_ = false;
    bill_id_to_write_ = 0;
    write_kind_ = false;
    kind_to_write_ = 0;
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
    plan->error = error_;
    plan->error_source = error_source_;
    plan->error_description = error_description_;
    plan->delivery = delivery_;
    plan->rows = rows_;
    plan->generated_count = generated_count_;
    plan->write_bill_id = write_bill_id_;
    plan->bill_id_to_write = bill_id_to_write_;
    plan->write_kind = write_kind_;
    plan->kind_to_write = kind_to_write_;
    plan->custom_rows.clear();
    if (rows_ == RowSource::kCustom) {
        const LONG kind = write_kind_ ? kind_to_write_ : call.kind;
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
    error_ = error;
    error_source_ = source;
    error_description_ = description;
}

void BillInfoState::SetDelivery(Delivery delivery) {
    ProcessLock::Held held(lock_);
    delivery_ = delivery;
}

Delivery BillInfoState::GetDelivery() {
    ProcessLock::Held held(lock_);
    return delivery_;
}

void BillInfoState::WriteBackBillId(LONG bill_id) {
    ProcessLock::Held held(lock_);
    write_bill_id_ = true;
    bill_id_to_write_ = bill_id;
}

void BillInfoState::WriteBackQueryKind(LONG kind) {
    ProcessLock::Held held(lock_);
    write_kind_ = true;
    kind_to_write_ = kind;
}

void BillInfoState::ServeSampleData() {
    ProcessLock::Held held(lock_);
    rows_ = RowSource::kSampleData;
    custom_confirmations_.clear();
    custom_rejections_.clear();
}

void BillInfoState::ServeEmptySet() {
    ProcessLock::Held held(lock_);
    rows_ = RowSource::kEmpty;
    custom_confirmations_.clear();
    custom_rejections_.clear();
}

void BillInfoState::ServeGeneratedRows(LONG count) {
    ProcessLock::Held held(lock_);
    rows_ = RowSource::kGenerated;
    generated_count_ = count;
    custom_confirmations_.clear();
    custom_rejections_.clear();
}

void BillInfoState::AddCustomRow(BillLayout layout, BillRow row) {
    ProcessLock::Held held(lock_);
    if (rows_ != RowSource::kCustom) {
        custom_confirmations_.clear();
        custom_rejections_.clear();
    }
    rows_ = RowSource::kCustom;
    (layout == BillLayout::kRejection ? custom_rejections_ : custom_confirmations_).push_back(std::move(row));
}

LONG BillInfoState::CallCount() {
    ProcessLock::Held held(lock_);
    return call_count_;
}

QueryCall BillInfoState::LastCall() {
    ProcessLock::Held held(lock_);
    return last_call_;
}

DeliveryDone BillInfoState::LastDelivery() {
    ProcessLock::Held held(lock_);
    return last_delivery_;
}

}  // namespace ambrelle
