#include "bill_generator.h"

#include <cwchar>

namespace ambrelle {
namespace {

double PowerOfTen(int exponent) {
    double value = 1;
    for (int i = 0; i < exponent; ++i) value *= 10;
    return value;
}

bool EveryNth(int every, LONG i) { return every > 0 && (i + 1) % every == 0; }

void SetLong(VARIANT* value, LONG number) {
    V_VT(value) = VT_I4;
    V_I4(value) = number;
}

void SetDouble(VARIANT* value, double number) {
    V_VT(value) = VT_R8;
    V_R8(value) = number;
}

void SetDate(VARIANT* value, DATE date) {
    V_VT(value) = VT_DATE;
    V_DATE(value) = date;
}

void SetNull(VARIANT* value) { V_VT(value) = VT_NULL; }

HRESULT TextOrNull(bool null, const std::wstring& text, VARIANT* value) {
    if (!null) return TextVariant(text, value);
    SetNull(value);
    return S_OK;
}

}  // namespace

bool CanGenerate(const ConfirmationRule& rule) {
    return !rule.items.empty() && !rule.decimals.empty() && !rule.validaters.empty() && !rule.organisations.empty() &&
           !rule.delivery_days.empty();
}

bool CanGenerate(const RejectionRule& rule) { return !rule.reasons.empty() && !rule.organisations.empty(); }

HRESULT GenerateConfirmations(const ConfirmationRule& rule, LONG bill_id, LONG count, const RowSink& sink) {
    if (count <= 0) return S_OK;
    if (!CanGenerate(rule)) return E_INVALIDARG;
    const size_t organisations = rule.organisations.size();
    for (LONG i = 0; i < count; ++i) {
        BillRow row = EmptyRow(BillLayout::kConfirmation);
        const GeneratedItem& item = rule.items[i % rule.items.size()];
        const int decimals = rule.decimals[i % rule.decimals.size()];
        const double scale = PowerOfTen(decimals);
        const long long raw = (static_cast<long long>(i) * 7919 + 104729) % 250000 + 1;
        wchar_t number[16];
        std::swprintf(number, 16, L"%05ld", static_cast<long>(i + 1));

        SetLong(row[kConfirmationId].ptr(), bill_id);
        HRESULT hr = TextVariant(rule.number_prefix + number, row[kConfirmationNumber].ptr());
        if (SUCCEEDED(hr)) hr = TextVariant(item.name, row[kConfirmationName].ptr());
        if (SUCCEEDED(hr))
            hr = TextOrNull(EveryNth(rule.null_model_every, i), item.model, row[kConfirmationModel].ptr());
        if (SUCCEEDED(hr)) hr = TextOrNull(!item.has_aux, item.aux, row[kConfirmationAuxPropName].ptr());
        const std::wstring& validater = rule.validaters[i % rule.validaters.size()];
        if (SUCCEEDED(hr)) hr = TextVariant(validater, row[kConfirmationValidater].ptr());
        if (SUCCEEDED(hr)) hr = TextVariant(rule.organisations[i % organisations], row[kConfirmationBeValBrName].ptr());
        if (SUCCEEDED(hr))
            hr = TextVariant(rule.organisations[(i + 1) % organisations], row[kConfirmationBrName].ptr());
        SetDouble(row[kConfirmationReqQty].ptr(), static_cast<double>(raw) / scale);
        if (EveryNth(rule.null_validate_qty_every, i))
            SetNull(row[kConfirmationValidateQty].ptr());
        else if (i % 5 == 3)
            SetDouble(row[kConfirmationValidateQty].ptr(), static_cast<double>(raw - raw % 97) / scale);
        else
            SetDouble(row[kConfirmationValidateQty].ptr(), static_cast<double>(raw) / scale);
        if (FAILED(hr)) return hr;
        const long long offset = static_cast<long long>(i) * rule.seconds_between;
        const DATE val_date = DateAfter(rule.first_val_date, offset);
        SetDate(row[kConfirmationValDate].ptr(), val_date);
        if (EveryNth(rule.null_delivery_date_every, i)) {
            SetNull(row[kConfirmationDeliveryDate].ptr());
        } else {
            const long long day = (rule.first_val_date.seconds + offset) / 86400;
            const int delivery_days = rule.delivery_days[i % rule.delivery_days.size()];
            const DATE delivery = rule.first_val_date.day + static_cast<double>(day + delivery_days);
            SetDate(row[kConfirmationDeliveryDate].ptr(), delivery);
        }
        SetLong(row[kConfirmationQtyDecimal].ptr(), decimals);
        hr = sink(row);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

HRESULT GenerateRejections(const RejectionRule& rule, LONG bill_id, LONG count, const RowSink& sink) {
    if (count <= 0) return S_OK;
    if (!CanGenerate(rule)) return E_INVALIDARG;
    const size_t organisations = rule.organisations.size();
    for (LONG i = 0; i < count; ++i) {
        BillRow row = EmptyRow(BillLayout::kRejection);
        SetLong(row[kRejectionId].ptr(), bill_id);
        SetDate(row[kRejectionValDate].ptr(),
                DateAfter(rule.first_val_date, static_cast<long long>(i) * rule.seconds_between));
        HRESULT hr = TextVariant(rule.reasons[i % rule.reasons.size()], row[kRejectionRejectDesc].ptr());
        if (SUCCEEDED(hr)) hr = TextVariant(rule.organisations[i % organisations], row[kRejectionBeBrName].ptr());
        if (SUCCEEDED(hr)) hr = TextVariant(rule.organisations[(i + 1) % organisations], row[kRejectionBrName].ptr());
        if (SUCCEEDED(hr)) hr = sink(row);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace ambrelle
