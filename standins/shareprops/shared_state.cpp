#include "shared_state.h"

#include "out_values.h"

namespace ambrelle {
namespace {

bool SameName(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool IsObject(VARTYPE vt) { return vt == VT_DISPATCH || vt == VT_UNKNOWN; }

}  // namespace

SharedState& SharedState::Instance() {
    static SharedState state;
    return state;
}

// Published properties live as long as the process: once the state exists,
// the DLL stays loaded even when COM finds no object of it alive.
SharedState::SharedState() { PinThisModule(); }

SharedState::Property* SharedState::Find(LONG process_id, const std::wstring& name) {
    for (Property& property : properties_) {
        if (property.process_id == process_id && SameName(property.name, name)) return &property;
    }
    return nullptr;
}

HRESULT SharedState::Publish(LONG process_id, const std::wstring& name, const VARIANT& value) {
    UniqueVariant copy;
    HRESULT hr = VariantCopyInd(copy.ptr(), const_cast<VARIANT*>(&value));
    if (FAILED(hr)) return hr;
    if (IsObject(copy.vt())) return DISP_E_TYPEMISMATCH;
    ProcessLock::Held held(lock_);
    Property* existing = Find(process_id, name);
    if (copy.vt() == VT_EMPTY) {
        if (existing) properties_.erase(properties_.begin() + (existing - properties_.data()));
        return S_OK;
    }
    if (existing) {
        existing->value = std::move(copy);
        return S_OK;
    }
    properties_.push_back(Property{process_id, name, std::move(copy)});
    return S_OK;
}

HRESULT SharedState::Published(LONG process_id, const std::wstring& name, VARIANT* value) {
    VariantInit(value);
    ProcessLock::Held held(lock_);
    Property* existing = Find(process_id, name);
    return existing ? VariantCopy(value, existing->value.ptr()) : S_OK;
}

HRESULT SharedState::RecordCall(const PropertyCall& call, PropertyDecision* decision) {
    ProcessLock::Held held(lock_);
    ++total_calls_;
    last_call_ = call;
    bool counted = false;
    for (NameCount& entry : counts_) {
        if (SameName(entry.name, call.name)) {
            ++entry.count;
            counted = true;
            break;
        }
    }
    if (!counted) counts_.push_back(NameCount{call.name, 1});

    decision->answer = answer_;
    decision->value.reset();
    switch (answer_) {
    case PropertyAnswer::kFromStore: {
        Property* existing = Find(call.process_id, call.name);
        return existing ? VariantCopy(decision->value.ptr(), existing->value.ptr()) : S_OK;
    }
    case PropertyAnswer::kValue:
        return VariantCopy(decision->value.ptr(), answer_value_.ptr());
    case PropertyAnswer::kObject:
        decision->text = answer_text_;
        return S_OK;
    case PropertyAnswer::kError:
        if (total_calls_ < error_from_call_) {
            decision->answer = PropertyAnswer::kFromStore;
            Property* existing = Find(call.process_id, call.name);
            return existing ? VariantCopy(decision->value.ptr(), existing->value.ptr()) : S_OK;
        }
        decision->error = error_;
        decision->error_source = error_source_;
        decision->error_description = error_description_;
        return S_OK;
    }
    return E_UNEXPECTED;
}

void SharedState::Reset() {
    ProcessLock::Held held(lock_);
    properties_.clear();
    answer_ = PropertyAnswer::kFromStore;
    answer_value_.reset();
    answer_text_.clear();
    error_ = S_OK;
    error_source_.clear();
    error_description_.clear();
    error_from_call_ = 1;
    counts_.clear();
    total_calls_ = 0;
    last_call_ = PropertyCall{};
}

HRESULT SharedState::AnswerWith(const VARIANT& value) {
    UniqueVariant copy;
    HRESULT hr = VariantCopyInd(copy.ptr(), const_cast<VARIANT*>(&value));
    if (FAILED(hr)) return hr;
    if (IsObject(copy.vt())) return DISP_E_TYPEMISMATCH;
    ProcessLock::Held held(lock_);
    answer_ = PropertyAnswer::kValue;
    answer_value_ = std::move(copy);
    return S_OK;
}

void SharedState::AnswerWithObject(const std::wstring& text) {
    ProcessLock::Held held(lock_);
    answer_ = PropertyAnswer::kObject;
    answer_text_ = text;
}

void SharedState::FailWith(HRESULT error, const std::wstring& source, const std::wstring& description,
                           LONG from_call) {
    ProcessLock::Held held(lock_);
    answer_ = PropertyAnswer::kError;
    error_ = error;
    error_source_ = source;
    error_description_ = description;
    error_from_call_ = from_call;
}

void SharedState::AnswerFromStore() {
    ProcessLock::Held held(lock_);
    answer_ = PropertyAnswer::kFromStore;
}

LONG SharedState::CallCount(const std::wstring& name) {
    ProcessLock::Held held(lock_);
    for (const NameCount& entry : counts_) {
        if (SameName(entry.name, name)) return entry.count;
    }
    return 0;
}

LONG SharedState::TotalCalls() { return lock_.Read(total_calls_); }

PropertyCall SharedState::LastCall() { return lock_.Read(last_call_); }

}  // namespace ambrelle
