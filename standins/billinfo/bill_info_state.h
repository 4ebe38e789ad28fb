// The state every Quistral.IBillInfo object of the process shares: how the
// steering class asks QueryValidate to answer, and what QueryValidate was asked.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>
#include <vector>

#include "bill_layout.h"
#include "process_lock.h"
#include "unique_variant.h"

namespace ambrelle {

// What QueryValidate does with its record-set argument (steering property Delivery).
enum class Delivery : LONG {
    kAuto = 0,            // fill the record set passed when it is closed without fields, else put a new one there
    kFillPassed = 1,      // always fill the passed object (the record set's own error when it cannot be filled)
    kReplace = 2,         // always put a new record set in its place
    kNotRecordset = 3,    // put an object that is not a record set in its place
    kNothing = 4,         // put Nothing in its place
    kLeaveUntouched = 5,  // leave the argument as it was passed
};

// What the last call did with it (steering property LastDelivery).
enum class DeliveryDone : LONG {
    kNone = 0,  // no call yet, or the call failed before delivering
    kFilled = 1,
    kReplaced = 2,
    kNotRecordset = 3,
    kNothing = 4,
    kUntouched = 5,
};

// Where the rows come from.
enum class RowSource { kSampleData, kEmpty, kGenerated, kCustom };

// One QueryValidate call as the service received it.
struct QueryCall {
    LONG arg_count = 0;
    VARTYPE arg_types[4] = {VT_EMPTY, VT_EMPTY, VT_EMPTY, VT_EMPTY};  // in argument order
    std::wstring props;
    LONG bill_id = 0;
    LONG kind = 0;
};

// The steering's plain settings; a reset brings back these defaults.
struct Steering {
    HRESULT error = S_OK;
    std::wstring error_source;
    std::wstring error_description;
    Delivery delivery = Delivery::kAuto;
    RowSource rows = RowSource::kSampleData;
    LONG generated_count = 0;
    bool write_bill_id = false;
    LONG bill_id_to_write = 0;
    bool write_kind = false;
    LONG kind_to_write = 0;
};

// The steering as it stood when a call came in.
struct QueryPlan : Steering {
    UniqueVariant result;
    std::vector<BillRow> custom_rows;  // of the layout of the call's kind after write-back
};

class BillInfoState {
public:
    static BillInfoState& Instance();

    // Records a call and hands out the steering for it.
    HRESULT RecordCall(const QueryCall& call, QueryPlan* plan);
    void RecordDelivery(DeliveryDone done);

    // Steering.
    void Reset();
    HRESULT ReturnResult(const VARIANT& result);  // DISP_E_TYPEMISMATCH for an object
    void FailWith(HRESULT error, const std::wstring& source, const std::wstring& description);
    void SetDelivery(Delivery delivery);
    Delivery GetDelivery();
    void WriteBackBillId(LONG bill_id);
    void WriteBackQueryKind(LONG kind);
    void ServeSampleData();
    void ServeEmptySet();
    void ServeGeneratedRows(LONG count);
    void AddCustomRow(BillLayout layout, BillRow row);

    // Records.
    LONG CallCount();
    QueryCall LastCall();
    DeliveryDone LastDelivery();

private:
    BillInfoState();
    void ResetLocked();
    // Rows from source, with no rows a test added.
    void ServeLocked(RowSource source);

    ProcessLock lock_;
    UniqueVariant result_;
    Steering steering_;
    std::vector<BillRow> custom_confirmations_;
    std::vector<BillRow> custom_rejections_;
    LONG call_count_ = 0;
    QueryCall last_call_;
    DeliveryDone last_delivery_ = DeliveryDone::kNone;
};

}  // namespace ambrelle
