#include "bill_layout.h"

namespace ambrelle {
namespace {

constexpr LONG kNullable = adFldIsNullable;
constexpr LONG kNotNull = adFldUnspecified;

const std::vector<FieldSpec> kConfirmationFields = {
    {L"FID", adInteger, 0, kNotNull},
    {L"FNumber", adVarChar, 80, kNullable},
    {L"FName", adVarChar, 255, kNullable},
    {L"FModel", adVarChar, 255, kNullable},
    {L"FAuxPropName", adVarChar, 255, kNullable},
    {L"FReqQty", adDouble, 0, kNullable},
    {L"FValidateQty", adDouble, 0, kNullable},
    {L"FValidater", adVarChar, 80, kNullable},
    {L"FBeValBrName", adVarChar, 80, kNullable},
    {L"FBrName", adVarChar, 80, kNullable},
    {L"FValDate", adDate, 0, kNullable},
    {L"FDeliveryDate", adDate, 0, kNullable},
    {L"FQtyDecimal", adInteger, 0, kNullable},
};

const std::vector<FieldSpec> kRejectionFields = {
    {L"FID", adInteger, 0, kNullable},
    {L"FValDate", adDate, 0, kNullable},
    {L"FRejectDesc", adVarChar, 1000, kNullable},
    {L"FBeBrName", adVarChar, 80, kNullable},
    {L"FBrName", adVarChar, 80, kNullable},
};

}  // namespace

BillLayout LayoutForKind(LONG kind) { return kind == 1 ? BillLayout::kRejection : BillLayout::kConfirmation; }

const std::vector<FieldSpec>& FieldsOf(BillLayout layout) {
    return layout == BillLayout::kRejection ? kRejectionFields : kConfirmationFields;
}

BillRow EmptyRow(BillLayout layout) { return BillRow(FieldsOf(layout).size()); }

HRESULT CopyRow(const BillRow& from, BillRow* to) {
    BillRow copy(from.size());
    for (size_t i = 0; i < from.size(); ++i) {
        HRESULT hr = VariantCopy(copy[i].ptr(), const_cast<VARIANT*>(&from[i].get()));
        if (FAILED(hr)) return hr;
    }
    *to = std::move(copy);
    return S_OK;
}

HRESULT BillRows::ForEach(const RowSink& sink) const {
    if (make) return make(sink);
    for (const BillRow& row : held) {
        HRESULT hr = sink(row);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace ambrelle
