// Changing the rows of a record set: AddNew, writing values, Update,
// CancelUpdate and the edit mode.
#include "recordset.h"

#include <new>

#include "optional_argument.h"
#include "value_conversion.h"

using ambrelle::UniqueVariant;

namespace ado_standin {

HRESULT Recordset::BackUpCurrentRow() {
    try {
        std::vector<UniqueVariant> backup(fields_.size());
        for (size_t i = 0; i < fields_.size(); ++i) {
            HRESULT hr = fields_[i]->values.Read(static_cast<size_t>(current_), backup[i].ptr());
            if (FAILED(hr)) return hr;
        }
        edit_backup_ = std::move(backup);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    editing_ = true;
    return S_OK;
}

HRESULT Recordset::WriteValue(FieldDefinition& field, ErrorSource source, const VARIANT& value) {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, source);
    if (!HasCurrentRecord()) return RaiseAdoError(AdoError::kNoCurrentRecord, source);
    if (!Updatable()) return RaiseAdoError(AdoError::kFeatureNotAvailable, source);
    UniqueVariant storage;
    const VARIANT* converted = nullptr;
    HRESULT hr = ConvertForField(field, value, &storage, &converted);
    if (hr == kMultipleStepErrors) return RaiseMultipleStepError(source);
    if (FAILED(hr)) return RaiseFailure(hr, source, L"Out of memory while converting a field value.");
    // The first change of a committed row starts an edit that CancelUpdate can undo.
    if (!adding_ && !editing_) {
        hr = BackUpCurrentRow();
        if (FAILED(hr)) return RaiseFailure(hr, source, L"Out of memory while starting an edit.");
    }
    try {
        field.values.Write(static_cast<size_t>(current_), *converted);
    } catch (const std::bad_alloc&) {
        return RaiseFailure(E_OUTOFMEMORY, source, L"Out of memory while storing a field value.");
    }
    return S_OK;
}

void Recordset::CommitRow() {
    adding_ = false;
    editing_ = false;
    edit_backup_.clear();
}

// AddNew, Update, CancelUpdate

HRESULT Recordset::AssignFieldList(const VARIANT& field_list, const VARIANT& values, ErrorSource source) {
    UniqueVariant names, data;
    if (FAILED(VariantCopyInd(names.ptr(), const_cast<VARIANT*>(&field_list))) ||
        FAILED(VariantCopyInd(data.ptr(), const_cast<VARIANT*>(&values))) || IsMissing(values))
        return RaiseAdoError(AdoError::kInvalidArgument, source);
    const bool names_array = (names.vt() & VT_ARRAY) != 0;
    const bool data_array = (data.vt() & VT_ARRAY) != 0;
    if (names_array != data_array) return RaiseAdoError(AdoError::kInvalidArgument, source);
    if (!names_array) {
        FieldDefinition* field = nullptr;
        HRESULT hr = FindField(names.get(), source, &field);
        if (FAILED(hr)) return hr;
        return WriteValue(*field, source, data.get());
    }
    // Arrays of names (or ordinals) and values, one value for each name.
    SAFEARRAY* name_array = V_ARRAY(&names.get());
    SAFEARRAY* value_array = V_ARRAY(&data.get());
    if (names.vt() != (VT_ARRAY | VT_VARIANT) || data.vt() != (VT_ARRAY | VT_VARIANT) ||
        SafeArrayGetDim(name_array) != 1 || SafeArrayGetDim(value_array) != 1)
        return RaiseAdoError(AdoError::kInvalidArgument, source);
    LONG name_low, name_high, value_low, value_high;
    SafeArrayGetLBound(name_array, 1, &name_low);
    SafeArrayGetUBound(name_array, 1, &name_high);
    SafeArrayGetLBound(value_array, 1, &value_low);
    SafeArrayGetUBound(value_array, 1, &value_high);
    if (name_high - name_low != value_high - value_low) return RaiseAdoError(AdoError::kInvalidArgument, source);
    for (LONG i = 0; i <= name_high - name_low; ++i) {
        UniqueVariant name, value;
        LONG name_index = name_low + i, value_index = value_low + i;
        if (FAILED(SafeArrayGetElement(name_array, &name_index, name.ptr())) ||
            FAILED(SafeArrayGetElement(value_array, &value_index, value.ptr())))
            return RaiseAdoError(AdoError::kInvalidArgument, source);
        FieldDefinition* field = nullptr;
        HRESULT hr = FindField(name.get(), source, &field);
        if (SUCCEEDED(hr)) hr = WriteValue(*field, source, value.get());
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

STDMETHODIMP Recordset::AddNew(VARIANT field_list, VARIANT values) {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (!Updatable()) return RaiseAdoError(AdoError::kFeatureNotAvailable, kSource);
    // AddNew while adding or editing commits that row first.
    CommitRow();
    size_t appended = 0;
    try {
        for (; appended < fields_.size(); ++appended) fields_[appended]->values.AppendEmptyRow();
    } catch (const std::bad_alloc&) {
        while (appended > 0) fields_[--appended]->values.RemoveLastRow();
        return RaiseFailure(E_OUTOFMEMORY, kSource, L"Out of memory while adding a record.");
    }
    // The new row goes at the end; its fields read Empty until set, and a
    // field never set stays Empty once the row is committed.
    position_before_add_ = current_;
    current_ = row_count();
    ++row_count_;
    adding_ = true;
    added_row_current_ = true;
    if (IsMissing(field_list)) return S_OK;
    // With a field list and values the new record takes them and is saved at once.
    HRESULT hr = AssignFieldList(field_list, values, kSource);
    if (FAILED(hr)) return hr;
    CommitRow();
    return S_OK;
}

STDMETHODIMP Recordset::Update(VARIANT fields, VARIANT values) {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (!IsMissing(fields)) {
        if (!HasCurrentRecord()) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
        HRESULT hr = AssignFieldList(fields, values, kSource);
        if (FAILED(hr)) return hr;
    }
    // Without a connection the row is simply kept; EditMode stays adEditAdd
    // for an added row until the record set moves, as ADO reports it.
    CommitRow();
    return S_OK;
}

STDMETHODIMP Recordset::CancelUpdate() {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (adding_) {
        // The new row goes, and the row current before AddNew is current again.
        for (auto& field : fields_) field->values.RemoveLastRow();
        --row_count_;
        current_ = position_before_add_;
        adding_ = false;
        added_row_current_ = false;
        return S_OK;
    }
    if (editing_) {
        for (size_t i = 0; i < fields_.size(); ++i) {
            try {
                fields_[i]->values.Write(static_cast<size_t>(current_), edit_backup_[i].get());
            } catch (const std::bad_alloc&) {
                return RaiseFailure(E_OUTOFMEMORY, kSource, L"Out of memory while restoring a record.");
            }
        }
        CommitRow();
    }
    // Nothing changed since the last commit: nothing to cancel.
    return S_OK;
}

STDMETHODIMP Recordset::get_EditMode(EditModeEnum* edit_mode) {
    if (!edit_mode) return E_POINTER;
    *edit_mode = adEditNone;
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (!HasCurrentRecord()) return RaiseAdoError(AdoError::kNoCurrentRecord, kSource);
    *edit_mode = adding_ || added_row_current_ ? adEditAdd : editing_ ? adEditInProgress : adEditNone;
    return S_OK;
}

}  // namespace ado_standin
