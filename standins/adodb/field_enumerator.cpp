#include "field_enumerator.h"

#include <new>

namespace ado_standin {

FieldEnumerator* FieldEnumerator::Create(std::vector<Microsoft::WRL::ComPtr<IDispatch>> fields, ULONG position) {
    return new (std::nothrow) FieldEnumerator(std::move(fields), position);
}

STDMETHODIMP FieldEnumerator::Next(ULONG count, VARIANT* items, ULONG* fetched) {
    if (fetched) *fetched = 0;
    if (!items) return E_POINTER;
    if (count > 1 && !fetched) return E_INVALIDARG;
    ULONG given = 0;
    for (; given < count && position_ < fields_.size(); ++given, ++position_) {
        VariantInit(&items[given]);
        V_VT(&items[given]) = VT_DISPATCH;
        fields_[position_].CopyTo(&V_DISPATCH(&items[given]));
    }
    if (fetched) *fetched = given;
    return given == count ? S_OK : S_FALSE;
}

STDMETHODIMP FieldEnumerator::Skip(ULONG count) {
    const ULONG left = static_cast<ULONG>(fields_.size()) - position_;
    if (count > left) {
        position_ = static_cast<ULONG>(fields_.size());
        return S_FALSE;
    }
    position_ += count;
    return S_OK;
}

STDMETHODIMP FieldEnumerator::Reset() {
    position_ = 0;
    return S_OK;
}

STDMETHODIMP FieldEnumerator::Clone(IEnumVARIANT** clone) {
    if (!clone) return E_POINTER;
    *clone = nullptr;
    try {
        *clone = Create(fields_, position_);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    return *clone ? S_OK : E_OUTOFMEMORY;
}

}  // namespace ado_standin
