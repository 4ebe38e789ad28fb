// The sample bills the service answers with, from the data file embedded in
// the DLL (sample_bills.json, resource SAMPLE_BILLS).
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "bill_generator.h"
#include "bill_layout.h"

namespace ambrelle {

class SampleBills {
public:
    // The embedded bills, read on first use and kept for the life of the
    // process. On failure, error tells what is wrong with the data.
    static HRESULT Instance(const SampleBills** bills, std::wstring* error);

    // Parses a data file's text; used by Instance.
    static HRESULT Parse(const std::string& json, std::unique_ptr<SampleBills>* bills, std::wstring* error);

    // The rows of a bill for a query kind (the rejection layout for kind 1,
    // the confirmation layout otherwise); no rows for a bill the data lacks.
    HRESULT Rows(LONG bill_id, LONG kind, BillRows* rows) const;

    // count rows made by the rule of the kind's layout, whatever the bill.
    HRESULT GeneratedRows(LONG bill_id, LONG kind, LONG count, BillRows* rows) const;

    // The bills that have rows for a query kind, in the order of the data file.
    std::vector<LONG> BillIds(LONG kind) const;

private:
    struct ListedBill {
        LONG id;
        LONG kind;
        std::vector<BillRow> rows;
    };
    struct GeneratedBill {
        LONG id;
        LONG kind;
        LONG count;
    };

    SampleBills() = default;

    std::vector<ListedBill> listed_;
    std::vector<GeneratedBill> generated_;
    ConfirmationRule confirmation_rule_;
    RejectionRule rejection_rule_;
};

}  // namespace ambrelle
