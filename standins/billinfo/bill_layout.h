// The two shapes of record set the service returns: confirmations (query
// kinds 0, 2 and any kind but 1) and rejections (kind 1).
#pragma once

#include <windows.h>
#include <ole2.h>

#include <functional>
#include <vector>

#include "ado.h"
#include "unique_variant.h"

namespace ambrelle {

enum class BillLayout { kConfirmation, kRejection };

struct FieldSpec {
    const wchar_t* name;
    DataTypeEnum type;
    LONG defined_size;
    LONG attributes;
};

// Fields of the confirmation layout, in record-set order.
enum ConfirmationField {
    kConfirmationId, kConfirmationNumber, kConfirmationName, kConfirmationModel, kConfirmationAuxPropName,
    kConfirmationReqQty, kConfirmationValidateQty, kConfirmationValidater, kConfirmationBeValBrName,
    kConfirmationBrName, kConfirmationValDate, kConfirmationDeliveryDate, kConfirmationQtyDecimal,
    kConfirmationFieldCount
};

// Fields of the rejection layout, in record-set order.
enum RejectionField {
    kRejectionId, kRejectionValDate, kRejectionRejectDesc, kRejectionBeBrName, kRejectionBrName,
    kRejectionFieldCount
};

BillLayout LayoutForKind(LONG kind);
const std::vector<FieldSpec>& FieldsOf(BillLayout layout);

// One record: a value per field of its layout, in field order.
using BillRow = std::vector<UniqueVariant>;

// Receives rows one at a time; a failure stops the rows.
using RowSink = std::function<HRESULT(const BillRow&)>;

// The rows a call delivers: held in memory (the sample bills and the rows a
// test added), or made one at a time while they are written, so that a bill
// of a million generated rows never holds them all.
struct BillRows {
    std::vector<BillRow> held;
    std::function<HRESULT(const RowSink&)> make;  // when set, the rows instead of `held`

    HRESULT ForEach(const RowSink& sink) const;
};

// A row of the layout's width with every value Empty.
BillRow EmptyRow(BillLayout layout);

// A copy of the row's values (text and numbers; rows hold no objects).
HRESULT CopyRow(const BillRow& from, BillRow* to);

}  // namespace ambrelle
