#include "bill_info_object.h"

#include <wrl/client.h>

#include <string>
#include <vector>

#include "bill_info_state.h"
#include "dispatch_support.h"
#include "record_set_argument.h"
#include "record_set_writer.h"
#include "sample_bills.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {
namespace {

constexpr wchar_t kSource[] = L"Quistral.IBillInfo";

// Writes a 32-bit integer back through an argument passed by reference; an
// argument passed by value cannot take it and is left alone.
void WriteBack(VARIANT* arg, LONG value) {
    if (V_VT(arg) == (VT_BYREF | VT_I4) && V_I4REF(arg)) {
        *V_I4REF(arg) = value;
        return;
    }
    if (V_VT(arg) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(arg)) {
        VARIANT* variable = V_VARIANTREF(arg);
        if (V_VT(variable) & VT_BYREF) {
            WriteBack(variable, value);
            return;
        }
        VariantClear(variable);
        V_VT(variable) = VT_I4;
        V_I4(variable) = value;
    }
}

// The rows the steering asks for. On failure, description tells why.
HRESULT RowsFor(QueryPlan& plan, LONG bill_id, LONG kind, BillRows* rows, std::wstring* description) {
    *rows = BillRows();
    if (plan.rows == RowSource::kEmpty) return S_OK;
    if (plan.rows == RowSource::kCustom) {
        rows->held = std::move(plan.custom_rows);
        // A confirmation row a test added carries the queried bill's id.
        if (LayoutForKind(kind) == BillLayout::kConfirmation) {
            for (BillRow& row : rows->held) {
                if (row[kConfirmationId].vt() != VT_EMPTY) continue;
                V_VT(row[kConfirmationId].ptr()) = VT_I4;
                V_I4(row[kConfirmationId].ptr()) = bill_id;
            }
        }
        return S_OK;
    }
    const SampleBills* bills = nullptr;
    HRESULT hr = SampleBills::Instance(&bills, description);
    if (FAILED(hr)) return hr;
    hr = plan.rows == RowSource::kGenerated ? bills->GeneratedRows(bill_id, kind, plan.generated_count, rows)
                                            : bills->Rows(bill_id, kind, rows);
    if (FAILED(hr)) *description = L"The records of the bill could not be made.";
    return hr;
}

HRESULT NewFilledRecordset(BillLayout layout, const BillRows& rows, ComPtr<IDispatch>* filled) {
    ComPtr<_ADORecordset> recordset;
    HRESULT hr = CreateRecordset(&recordset);
    if (FAILED(hr)) return hr;
    hr = FillRecordset(recordset.Get(), layout, rows);
    if (FAILED(hr)) return hr;
    return recordset.As(filled);
}

// Leaves the records in the argument as the steering says; on failure the
// thread's error object (or description) tells why.
HRESULT Deliver(Delivery delivery, BillLayout layout, const BillRows& rows, RecordSetArgument& argument,
                DeliveryDone* done, std::wstring* description) {
    *done = DeliveryDone::kNone;
    const bool must_replace =
        delivery == Delivery::kReplace || delivery == Delivery::kNotRecordset || delivery == Delivery::kNothing;
    if (must_replace && !argument.CanReplace()) {
        *description = L"The record set is passed by value: it can be filled, not replaced.";
        return DISP_E_TYPEMISMATCH;
    }
    switch (delivery) {
    case Delivery::kLeaveUntouched:
        *done = DeliveryDone::kUntouched;
        return S_OK;
    case Delivery::kNothing:
        argument.Replace(nullptr);
        *done = DeliveryDone::kNothing;
        return S_OK;
    case Delivery::kNotRecordset: {
        ComPtr<IDispatch> other;
        HRESULT hr = BillInfoObject::Create(IID_PPV_ARGS(&other));
        if (FAILED(hr)) return hr;
        argument.Replace(other.Get());
        *done = DeliveryDone::kNotRecordset;
        return S_OK;
    }
    case Delivery::kFillPassed: {
        ComPtr<_ADORecordset> passed;
        if (!argument.Current() || FAILED(argument.Current()->QueryInterface(IID_PPV_ARGS(&passed)))) {
            *description = L"The object passed for the records is not an ADO Recordset.";
            return E_NOINTERFACE;
        }
        *description = L"The record set passed could not be filled.";
        HRESULT hr = FillRecordset(passed.Get(), layout, rows);
        if (FAILED(hr)) return hr;
        *done = DeliveryDone::kFilled;
        return S_OK;
    }
    case Delivery::kAuto: {
        ComPtr<_ADORecordset> passed;
        bool fillable = false;
        if (argument.Current() && SUCCEEDED(argument.Current()->QueryInterface(IID_PPV_ARGS(&passed)))) {
            HRESULT hr = IsFillable(passed.Get(), &fillable);
            if (FAILED(hr)) {
                *description = L"The record set passed could not be examined.";
                return hr;
            }
        }
        if (fillable) {
            *description = L"The record set passed could not be filled.";
            HRESULT hr = FillRecordset(passed.Get(), layout, rows);
            if (FAILED(hr)) return hr;
            *done = DeliveryDone::kFilled;
            return S_OK;
        }
        if (!argument.CanReplace()) {
            *description = L"The record set is passed by value and is open or already has fields.";
            return DISP_E_TYPEMISMATCH;
        }
        break;
    }
    case Delivery::kReplace:
        break;
    }
    ComPtr<IDispatch> created;
    *description = L"A record set could not be created from ADODB.Recordset.";
    HRESULT hr = NewFilledRecordset(layout, rows, &created);
    if (FAILED(hr)) return hr;
    argument.Replace(created.Get());
    *done = DeliveryDone::kReplaced;
    return S_OK;
}

}  // namespace

HRESULT BillInfoObject::Create(REFIID riid, void** object) {
    return CreateAndQuery(new (std::nothrow) BillInfoObject(), riid, object);
}

HRESULT BillInfoObject::InvokeMember(DISPID member, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep,
                                     UINT* arg_err) {
    if (result) VariantInit(result);
    if (member != kDispidQueryValidate || !(flags & DISPATCH_METHOD)) return DISP_E_MEMBERNOTFOUND;
    return QueryValidate(params, result, excep, arg_err);
}

// The arguments stand in reverse order: rgvarg[3] is the session string,
// rgvarg[2] the record set, rgvarg[1] the bill id and rgvarg[0] the query kind.
HRESULT BillInfoObject::QueryValidate(DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    HRESULT hr = CheckArguments(params, 4);
    if (FAILED(hr)) return hr;
    VARIANT* args = params->rgvarg;
    QueryCall call;
    call.arg_count = static_cast<LONG>(params->cArgs);
    for (int i = 0; i < 4; ++i) call.arg_types[i] = V_VT(&args[3 - i]);
    RecordSetArgument recordset;
    UINT failing = 3;
    hr = ArgumentAsText(&args[3], &call.props);
    if (SUCCEEDED(hr)) {
        failing = 2;
        hr = recordset.Bind(&args[2]);
    }
    if (SUCCEEDED(hr)) {
        failing = 1;
        hr = ArgumentAsLong(&args[1], &call.bill_id);
    }
    if (SUCCEEDED(hr)) {
        failing = 0;
        hr = ArgumentAsLong(&args[0], &call.kind);
    }
    if (FAILED(hr)) {
        if (arg_err) *arg_err = failing;
        return hr;
    }

    BillInfoState& state = BillInfoState::Instance();
    QueryPlan plan;
    hr = state.RecordCall(call, &plan);
    if (FAILED(hr)) return ReportDispatchFailure(hr, kSource, L"The steering could not be copied.", excep);
    if (FAILED(plan.error))
        return ReportDispatchFailure(plan.error, plan.error_source.c_str(), plan.error_description.c_str(), excep);

    LONG bill_id = call.bill_id;
    LONG kind = call.kind;
    if (plan.write_bill_id) {
        bill_id = plan.bill_id_to_write;
        WriteBack(&args[1], bill_id);
    }
    if (plan.write_kind) {
        kind = plan.kind_to_write;
        WriteBack(&args[0], kind);
    }

    BillRows rows;
    std::wstring description;
    hr = RowsFor(plan, bill_id, kind, &rows, &description);
    if (FAILED(hr)) return ReportDispatchFailure(hr, kSource, description.c_str(), excep);
    DeliveryDone done = DeliveryDone::kNone;
    SetErrorInfo(0, nullptr);
    hr = Deliver(plan.delivery, LayoutForKind(kind), rows, recordset, &done, &description);
    if (FAILED(hr)) return ReportInnerFailure(hr, kSource, description.c_str(), excep);
    state.RecordDelivery(done);
    if (result) return VariantCopy(result, plan.result.ptr());
    return S_OK;
}

}  // namespace ambrelle
