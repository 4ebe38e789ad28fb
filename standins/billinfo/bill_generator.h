// Bills made row by row from a rule of the sample data, so that a bill of
// thousands of records needs a dozen lines of data. The same rule and count
// always give the same rows.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bill_layout.h"
#include "sample_values.h"

namespace ambrelle {

struct GeneratedItem {
    std::wstring name;
    std::wstring model;
    bool has_aux = false;
    std::wstring aux;
};

struct ConfirmationRule {
    std::wstring number_prefix;
    std::vector<GeneratedItem> items;
    std::vector<int> decimals;
    std::vector<std::wstring> validaters;
    std::vector<std::wstring> organisations;
    LocalTime first_val_date;
    long seconds_between = 0;
    std::vector<int> delivery_days;
    int null_validate_qty_every = 0;  // 0: never Null
    int null_delivery_date_every = 0;
    int null_model_every = 0;
};

struct RejectionRule {
    std::vector<std::wstring> reasons;
    std::vector<std::wstring> organisations;
    LocalTime first_val_date;
    long seconds_between = 0;
};

// Row i of a confirmation bill (from 0):
//   FNumber       prefix + the row number from 1 in five digits;
//   FName, FModel, FAuxPropName from items[i % items], FModel Null on every
//                 null_model_every-th row;
//   FQtyDecimal   decimals[i % decimals] = d;
//   FReqQty       ((i * 7919 + 104729) mod 250000 + 1) / 10^d, so it has at most d decimals;
//   FValidateQty  Null on every null_validate_qty_every-th row; on rows with
//                 i mod 5 = 3 the raw number rounded down to a multiple of 97
//                 (a partial confirmation), otherwise FReqQty;
//   FValidater    validaters[i % validaters];
//   FBeValBrName  organisations[i % n], FBrName organisations[(i + 1) % n];
//   FValDate      first_val_date + i * seconds_between seconds;
//   FDeliveryDate midnight of FValDate's day + delivery_days[i % delivery_days] days,
//                 Null on every null_delivery_date_every-th row.
// Whether the rule has every list a row draws from.
bool CanGenerate(const ConfirmationRule& rule);
bool CanGenerate(const RejectionRule& rule);

HRESULT GenerateConfirmations(const ConfirmationRule& rule, LONG bill_id, LONG count, const RowSink& sink);

// Row i of a rejection bill: FID the bill id, FValDate first_val_date + i *
// seconds_between seconds, FRejectDesc reasons[i % reasons], FBeBrName
// organisations[i % n], FBrName organisations[(i + 1) % n].
HRESULT GenerateRejections(const RejectionRule& rule, LONG bill_id, LONG count, const RowSink& sink);

}  // namespace ambrelle
