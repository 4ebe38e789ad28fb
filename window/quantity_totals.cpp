// sumdata: the totals of the two quantity columns, shown in the totals row.
#include "frm_validate_query.h"

#include <cmath>
#include <memory>

#include "com_error.h"
#include "outside_objects.h"
#include "recordset_access.h"
#include "unique_variant.h"
#include "val_number.h"
#include "vb_conversions.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

// The field's value, or the empty text for Null, read as Val reads its text
// (a number as under "." regional settings, whatever the user's are). The
// field is looked up by name on first use; a record set's Field object
// always shows the current record, so one lookup serves every record.
HRESULT QuantityOf(_ADORecordset* records, const wchar_t* name, ComPtr<ADOField>* field, double* quantity) {
    *quantity = 0;
    HRESULT hr = *field ? S_OK : GetField(records, name, field->ReleaseAndGetAddressOf());
    if (FAILED(hr)) return hr;
    UniqueVariant value;
    hr = FieldValueOrEmpty(field->Get(), value.ptr());
    if (FAILED(hr)) return hr;
    return ValOfValue(value.get(), quantity);
}

HRESULT AddToTotal(double quantity, double* total) {
    *total += quantity;
    if (!std::isfinite(*total))
        return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 6), GUID_NULL, L"Ambrelle", L"Overflow");
    return S_OK;
}

}  // namespace

HRESULT FrmValidateQuery::sumdata(VARIANT* result) {
    VariantInit(result);
    // The rejection query has no totals row.
    if (QueryClass == 1) return S_OK;
    SumReqQty = 0;
    SumValidateQty = 0;
    if (!QueryRs) return S_OK;

    ADO_LONGPTR count = 0;
    HRESULT hr = QueryRs->get_RecordCount(&count);
    if (FAILED(hr)) return hr;
    if (count <= 0) return S_OK;
    hr = QueryRs->MoveFirst();
    if (FAILED(hr)) return hr;
    hr = QueryRs->get_RecordCount(&count);
    if (FAILED(hr)) return hr;
    // The count is trusted: EOF is not tested on the way.
    ComPtr<ADOField> requested;
    ComPtr<ADOField> confirmed;
    for (ADO_LONGPTR i = 1; i <= count; ++i) {
        double quantity = 0;
        hr = QuantityOf(QueryRs.Get(), L"FReqQty", std::addressof(requested), &quantity);
        if (SUCCEEDED(hr)) hr = AddToTotal(quantity, &SumReqQty);
        if (SUCCEEDED(hr)) hr = QuantityOf(QueryRs.Get(), L"FValidateQty", std::addressof(confirmed), &quantity);
        if (SUCCEEDED(hr)) hr = AddToTotal(quantity, &SumValidateQty);
        if (SUCCEEDED(hr)) hr = QueryRs->MoveNext();
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace ambrelle
