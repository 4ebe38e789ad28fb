// Opening and closing a fabricated record set.
#include "recordset.h"

#include "optional_argument.h"
#include "out_values.h"

namespace ado_standin {

using ambrelle::ReturnValue;

STDMETHODIMP Recordset::Open(VARIANT source, VARIANT active_connection, CursorTypeEnum cursor_type,
                             LockTypeEnum lock_type, LONG) {
    if (open_) return RaiseAdoError(AdoError::kObjectOpen, kSource);
    // The requested cursor and lock types are taken even when Open then fails.
    if (cursor_type != adOpenUnspecified) {
        if (cursor_type < adOpenForwardOnly || cursor_type > adOpenStatic)
            return RaiseAdoError(AdoError::kInvalidArgument, kSource);
        cursor_type_ = cursor_type;
    }
    if (lock_type != adLockUnspecified) {
        if (lock_type < adLockReadOnly || lock_type > adLockBatchOptimistic)
            return RaiseAdoError(AdoError::kInvalidArgument, kSource);
        lock_type_ = lock_type;
        lock_type_chosen_ = true;
    }
    if (!IsNone(source) || !IsNone(active_connection))
        return RaiseNotImplemented(kSource, L"Open with a source or a connection");
    // A record set with neither a source nor fields has nothing to open.
    if (fields_.empty()) return RaiseAdoError(AdoError::kInvalidConnection, kSource);
    // A fabricated record set runs on the client cursor, which is always
    // static. Without a lock type asked for, it takes batch optimistic
    // locking, so that AddNew works after a bare Open as it does with ADO.
    cursor_location_ = adUseClient;
    cursor_type_ = adOpenStatic;
    if (!lock_type_chosen_) lock_type_ = adLockBatchOptimistic;
    open_ = true;
    row_count_ = 0;
    current_ = -1;
    adding_ = editing_ = added_row_current_ = false;
    return S_OK;
}

STDMETHODIMP Recordset::Close() {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    // A row still being added is committed, then everything goes: closing a
    // fabricated record set discards its rows and its field definitions (ADO
    // reports Fields.Count 0 afterwards). Lock type and cursor settings stay.
    CommitRow();
    DetachFields();
    fields_.clear();
    names_.Clear();
    row_count_ = 0;
    current_ = -1;
    added_row_current_ = false;
    open_ = false;
    return S_OK;
}

STDMETHODIMP Recordset::get_State(LONG* state) { return ReturnValue(state, open_ ? adStateOpen : adStateClosed); }

}  // namespace ado_standin
