// The cursor, lock and cache settings of a record set, what it supports,
// and its (absent) connection.
#include "recordset.h"

#include "optional_argument.h"
#include "out_values.h"

namespace ado_standin {

using ambrelle::ReturnValue;

namespace {

// Whether a setting that only a closed record set takes may take a value.
HRESULT CheckClosedSetting(bool open, bool valid) {
    if (open) return RaiseAdoError(AdoError::kObjectOpen, ErrorSource::kRecordset);
    return valid ? S_OK : RaiseAdoError(AdoError::kInvalidArgument, ErrorSource::kRecordset);
}

}  // namespace

STDMETHODIMP Recordset::get_CursorType(CursorTypeEnum* cursor_type) { return ReturnValue(cursor_type, cursor_type_); }

STDMETHODIMP Recordset::put_CursorType(CursorTypeEnum cursor_type) {
    HRESULT hr = CheckClosedSetting(open_, cursor_type >= adOpenForwardOnly && cursor_type <= adOpenStatic);
    if (SUCCEEDED(hr)) cursor_type_ = cursor_type;
    return hr;
}

STDMETHODIMP Recordset::get_LockType(LockTypeEnum* lock_type) { return ReturnValue(lock_type, lock_type_); }

STDMETHODIMP Recordset::put_LockType(LockTypeEnum lock_type) {
    HRESULT hr = CheckClosedSetting(open_, lock_type >= adLockReadOnly && lock_type <= adLockBatchOptimistic);
    if (FAILED(hr)) return hr;
    lock_type_ = lock_type;
    lock_type_chosen_ = true;
    return S_OK;
}

STDMETHODIMP Recordset::get_CursorLocation(CursorLocationEnum* location) {
    return ReturnValue(location, cursor_location_);
}

STDMETHODIMP Recordset::put_CursorLocation(CursorLocationEnum location) {
    HRESULT hr = CheckClosedSetting(open_, location == adUseServer || location == adUseClient);
    if (SUCCEEDED(hr)) cursor_location_ = location;
    return hr;
}

STDMETHODIMP Recordset::get_CacheSize(long* size) { return ReturnValue(size, cache_size_); }

STDMETHODIMP Recordset::put_CacheSize(long size) {
    if (size <= 0) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    cache_size_ = size;
    return S_OK;
}

STDMETHODIMP Recordset::get_MaxRecords(ADO_LONGPTR* max_records) { return ReturnValue(max_records, max_records_); }

STDMETHODIMP Recordset::put_MaxRecords(ADO_LONGPTR max_records) {
    HRESULT hr = CheckClosedSetting(open_, max_records >= 0);
    if (SUCCEEDED(hr)) max_records_ = max_records;
    return hr;
}

STDMETHODIMP Recordset::Supports(CursorOptionEnum cursor_options, VARIANT_BOOL* supported) {
    if (!supported) return E_POINTER;
    *supported = VARIANT_FALSE;
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    // What this record set really does: keep all rows, move backwards, report
    // its position, and add and change rows unless opened read-only.
    LONG available = adHoldRecords | adMovePrevious | adApproxPosition;
    if (Updatable()) available |= adAddNew | adUpdate;
    *supported = (cursor_options & ~available) == 0 ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

// A record set without a connection: it has none, and takes none.

STDMETHODIMP Recordset::get_ActiveConnection(VARIANT* connection) {
    if (!connection) return E_POINTER;
    VariantInit(connection);
    V_VT(connection) = VT_DISPATCH;
    V_DISPATCH(connection) = nullptr;
    return S_OK;
}

STDMETHODIMP Recordset::putref_ActiveConnection(IDispatch* connection) {
    if (!connection) return S_OK;
    return RaiseNotImplemented(kSource, L"ActiveConnection");
}

STDMETHODIMP Recordset::put_ActiveConnection(VARIANT connection) {
    if (IsNone(connection)) return S_OK;
    return RaiseNotImplemented(kSource, L"ActiveConnection");
}

STDMETHODIMP Recordset::Cancel() {
    // Nothing runs asynchronously here, so there is nothing to cancel.
    return S_OK;
}

}  // namespace ado_standin
