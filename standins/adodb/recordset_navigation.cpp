// Moving through the rows of a record set, and where it stands.
#include "recordset.h"

#include <type_traits>

#include "optional_argument.h"

using ambrelle::UniqueVariant;

namespace ado_standin {

namespace {

// A property of an open record set: *out is `closed` until the set is found
// open, then what value() gives.
template <typename T, typename Value>
HRESULT OpenSetProperty(bool open, T* out, std::remove_reference_t<T> closed, Value value) {
    if (!out) return E_POINTER;
    *out = closed;
    if (!open) return RaiseAdoError(AdoError::kObjectClosed, ErrorSource::kRecordset);
    *out = value();
    return S_OK;
}

}  // namespace

HRESULT Recordset::Navigate(LONG_PTR position) {
    CommitRow();
    added_row_current_ = false;
    current_ = position;
    if (HasCurrentRecord()) {
        // A reader of a record usually reads most of its fields: their cells
        // are loaded side by side (the texts they name follow at the first read).
        const size_t row = static_cast<size_t>(current_);
        for (const auto& field : fields_) field->values.PrefetchCell(row);
    }
    return S_OK;
}

STDMETHODIMP Recordset::MoveFirst() {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    // An empty set has no first record: BOF and EOF are both True.
    if (row_count_ == 0) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
    return Navigate(0);
}

STDMETHODIMP Recordset::MoveLast() {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (row_count_ == 0) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
    return Navigate(row_count() - 1);
}

STDMETHODIMP Recordset::MoveNext() {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    // From the last record MoveNext reaches EOF; from EOF it fails.
    if (AtEof()) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
    return Navigate(current_ + 1);
}

STDMETHODIMP Recordset::MovePrevious() {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (AtBof()) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
    return Navigate(current_ - 1);
}

STDMETHODIMP Recordset::Move(ADO_LONGPTR num_records, VARIANT start) {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    LONG start_at = adBookmarkCurrent;
    if (!IsMissing(start)) {
        // Only the three bookmark constants: this record set hands out no bookmarks.
        if (V_VT(&start) == VT_I4) {
            start_at = V_I4(&start);
        } else {
            UniqueVariant number;
            if (FAILED(VariantChangeType(number.ptr(), &start, 0, VT_I4)))
                return RaiseAdoError(AdoError::kInvalidArgument, kSource);
            start_at = V_I4(&number.get());
        }
        if (start_at != adBookmarkCurrent && start_at != adBookmarkFirst && start_at != adBookmarkLast)
            return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    }
    if (row_count_ == 0) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
    LONGLONG base;
    if (start_at == adBookmarkFirst) {
        base = 0;
    } else if (start_at == adBookmarkLast) {
        base = row_count() - 1;
    } else {
        // Counting from the current record: moving on past BOF or EOF, or
        // staying (Move 0) where there is no current record, fails.
        if ((num_records < 0 && AtBof()) || (num_records > 0 && AtEof()) || (num_records == 0 && !HasCurrentRecord()))
            return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
        base = current_;
    }
    // An overshoot stops at BOF or EOF without an error.
    LONGLONG target = base + num_records;
    if (target < 0) target = -1;
    if (target > row_count()) target = row_count();
    return Navigate(static_cast<LONG_PTR>(target));
}

STDMETHODIMP Recordset::get_BOF(VARIANT_BOOL* bof) {
    return OpenSetProperty(open_, bof, VARIANT_FALSE, [&] { return AtBof() ? VARIANT_TRUE : VARIANT_FALSE; });
}

STDMETHODIMP Recordset::get_EOF(VARIANT_BOOL* eof) {
    return OpenSetProperty(open_, eof, VARIANT_FALSE, [&] { return AtEof() ? VARIANT_TRUE : VARIANT_FALSE; });
}

STDMETHODIMP Recordset::get_RecordCount(ADO_LONGPTR* count) {
    // A row being added counts already.
    return OpenSetProperty(open_, count, 0, [&] { return row_count(); });
}

STDMETHODIMP Recordset::get_AbsolutePosition(PositionEnum_Param* position) {
    return OpenSetProperty(open_, position, adPosUnknown, [&] {
        LONG_PTR value = AtBof() ? LONG_PTR{adPosBOF} : AtEof() ? LONG_PTR{adPosEOF} : current_ + 1;
        return static_cast<PositionEnum_Param>(value);
    });
}

STDMETHODIMP Recordset::put_AbsolutePosition(PositionEnum_Param position) {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (position < 1 || position > row_count()) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    return Navigate(position - 1);
}

}  // namespace ado_standin
