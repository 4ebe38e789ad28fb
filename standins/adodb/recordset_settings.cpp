// The cursor, lock and cache settings of a record set, what it supports,
// and its (absent) connection.
#include "recordset.h"

#include "optional_argument.h"

namespace ado_standin {

STDMETHODIMP Recordset::get_CursorType(CursorTypeEnum* cursor_type) {
    if (!cursor_type) return E_POINTER;
    *cursor_type = cursor_type_;
    return S_OK;
}

STDMETHODIMP Recordset::put_CursorType(CursorTypeEnum cursor_type) {
    if (open_) return RaiseAdoError(AdoError::kObjectOpen, kSource);
    if (cursor_type < adOpenForwardOnly || cursor_type > adOpenStatic)
        return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    cursor_type_ = cursor_type;
    return S_OK;
}

STDMETHODIMP Recordset::get_LockType(LockTypeEnum* lock_type) {
    if (!lock_type) return E_POINTER;
    *lock_type = lock_type_;
    return S_OK;
}

STDMETHODIMP Recordset::put_LockType(LockTypeEnum lock_type) {
    if (open_) return RaiseAdoError(AdoError::kObjectOpen, kSource);
    if (lock_type < adLockReadOnly || lock_type > adLockBatchOptimistic)
        return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    lock_type_ = lock_type;
    lock_type_chosen_ = true;
    return S_OK;
}

STDMETHODIMP Recordset::get_CursorLocation(CursorLocationEnum* location) {
    if (!location) return E_POINTER;
    *location = cursor_location_;
    return S_OK;
}

STDMETHODIMP Recordset::put_CursorLocation(CursorLocationEnum location) {
    if (open_) return RaiseAdoError(AdoError::kObjectOpen, kSource);
    if (location != adUseServer && location != adUseClient) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    cursor_location_ = location;
    return S_OK;
}

STDMETHODIMP Recordset::get_CacheSize(long* size) {
    if (!size) return E_POINTER;
    *size = cache_size_;
    return S_OK;
}

STDMETHODIMP Recordset::put_CacheSize(long size) {
    if (size <= 0) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    cache_size_ = size;
    return S_OK;
}

STDMETHODIMP Recordset::get_MaxRecords(ADO_LONGPTR* max_records) {
    if (!max_records) return E_POINTER;
    *max_records = max_records_;
    return S_OK;
}

STDMETHODIMP Recordset::put_MaxRecords(ADO_LONGPTR max_records) {
    if (open_) return RaiseAdoError(AdoError::kObjectOpen, kSource);
    if (max_records < 0) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    max_records_ = max_records;
    return S_OK;
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
