#include "recordset.h"

#include <memory>
#include <new>

#include "com_error.h"
#include "field.h"
#include "type_info.h"
#include "value_conversion.h"

using ambrelle::UniqueVariant;

namespace ado_standin {
namespace {

constexpr ErrorSource kSource = ErrorSource::kRecordset;

// An optional VARIANT argument the caller left out.
bool IsMissing(const VARIANT& value) {
    const VARIANT* v = &value;
    if (V_VT(v) == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(v)) v = V_VARIANTREF(v);
    return V_VT(v) == VT_EMPTY || (V_VT(v) == VT_ERROR && V_ERROR(v) == DISP_E_PARAMNOTFOUND);
}

// No source or connection: missing, Empty, Null, Nothing or an empty text.
bool IsNone(const VARIANT& value) {
    if (IsMissing(value)) return true;
    UniqueVariant direct;
    if (FAILED(VariantCopyInd(direct.ptr(), const_cast<VARIANT*>(&value)))) return false;
    switch (direct.vt()) {
    case VT_NULL:
        return true;
    case VT_DISPATCH:
        return V_DISPATCH(&direct.get()) == nullptr;
    case VT_UNKNOWN:
        return V_UNKNOWN(&direct.get()) == nullptr;
    case VT_BSTR:
        return SysStringLen(V_BSTR(&direct.get())) == 0;
    default:
        return false;
    }
}

// The field types the platform knows but this record set does not keep.
bool IsKnownDataType(LONG type) {
    switch (type) {
    case adIDispatch:
    case adError:
    case adVariant:
    case adIUnknown:
    case adFileTime:
    case adGUID:
    case adBinary:
    case adUserDefined:
    case adChapter:
    case adPropVariant:
    case adVarBinary:
    case adLongVarBinary:
        return true;
    default:
        return false;
    }
}

}  // namespace

Recordset::Recordset() : fields_object_(this) {}

Recordset::~Recordset() { DetachFields(); }

HRESULT Recordset::Create(REFIID riid, void** object) {
    return ambrelle::CreateAndQuery(new (std::nothrow) Recordset(), riid, object);
}

// IUnknown

STDMETHODIMP Recordset::QueryInterface(REFIID riid, void** object) {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == IID__ADO || riid == IID_Recordset15 ||
        riid == IID_Recordset20 || riid == IID_Recordset21 || riid == IID__Recordset) {
        *object = static_cast<_ADORecordset*>(this);
    } else if (riid == IID_ISupportErrorInfo) {
        *object = static_cast<ISupportErrorInfo*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) Recordset::AddRef() { return InterlockedIncrement(&refs_); }

STDMETHODIMP_(ULONG) Recordset::Release() {
    const ULONG refs = InterlockedDecrement(&refs_);
    if (refs == 0) delete this;
    return refs;
}

// IDispatch

HRESULT Recordset::TypeInfoOf(REFIID riid, ITypeInfo** info) {
    *info = nullptr;
    // std::addressof: ComPtr's own operator& empties the pointer it is applied
    // to, which here would drop the cached type information on every call and
    // with it the type library, loaded anew from the DLL for the next call.
    Microsoft::WRL::ComPtr<ITypeInfo>* slot = riid == IID_Fields  ? std::addressof(fields_info_)
                                              : riid == IID_Field ? std::addressof(field_info_)
                                                                  : std::addressof(recordset_info_);
    if (!*slot) {
        HRESULT hr = ambrelle::LoadModuleTypeInfo(ambrelle::ThisModule(), riid, slot->ReleaseAndGetAddressOf());
        if (FAILED(hr)) return hr;
    }
    return slot->CopyTo(info);
}

STDMETHODIMP Recordset::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP Recordset::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return TypeInfoOf(IID__Recordset, info);
}

STDMETHODIMP Recordset::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = TypeInfoOf(IID__Recordset, &info);
    if (FAILED(hr)) return hr;
    return DispGetIDsOfNames(info.Get(), names, count, ids);
}

STDMETHODIMP Recordset::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                               EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    // rs("name") and rs("name") = value: the default member Fields, its
    // default member Item, and that field's Value, in one call.
    if (member == DISPID_VALUE && params && params->cArgs > params->cNamedArgs)
        return InvokeIndexedDefault(flags, params, result, excep);
    Microsoft::WRL::ComPtr<ITypeInfo> info;
    HRESULT hr = TypeInfoOf(IID__Recordset, &info);
    if (FAILED(hr)) return hr;
    return ambrelle::InvokeThroughTypeInfo(info.Get(), static_cast<_ADORecordset*>(this), member, flags, params,
                                           result, excep, arg_err);
}

HRESULT Recordset::InvokeIndexedDefault(WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO* excep) {
    const UINT positional = params->cArgs - params->cNamedArgs;
    HRESULT hr;
    if ((flags & DISPATCH_PROPERTYPUT) && params->cNamedArgs == 1 &&
        params->rgdispidNamedArgs[0] == DISPID_PROPERTYPUT && positional == 1) {
        // rgvarg holds the value first (the named argument), then the index.
        FieldDefinition* field = nullptr;
        hr = FindField(params->rgvarg[1], kSource, &field);
        if (SUCCEEDED(hr)) hr = WriteValue(*field, ErrorSource::kField, params->rgvarg[0]);
    } else if ((flags & (DISPATCH_METHOD | DISPATCH_PROPERTYGET)) && params->cNamedArgs == 0 && positional == 1) {
        FieldDefinition* field = nullptr;
        ADOField* object = nullptr;
        hr = FindField(params->rgvarg[0], kSource, &field);
        if (SUCCEEDED(hr)) hr = FieldObjectFor(field, &object);
        if (SUCCEEDED(hr)) {
            if (result) {
                VariantInit(result);
                V_VT(result) = VT_DISPATCH;
                V_DISPATCH(result) = object;
            } else {
                object->Release();
            }
        }
    } else {
        return DISP_E_BADPARAMCOUNT;
    }
    if (FAILED(hr)) {
        ambrelle::FillExcepInfoFromErrorInfo(hr, excep);
        return DISP_E_EXCEPTION;
    }
    return S_OK;
}

// Fields and their values

HRESULT Recordset::AppendField(BSTR name, LONG type, LONG_PTR defined_size, LONG attributes) {
    constexpr ErrorSource source = ErrorSource::kFields;
    // Fields are appended to a closed record set only (the platform's number
    // for an open one is not documented; 3219 is its "not allowed in this context").
    if (open_) return RaiseAdoError(AdoError::kIllegalOperation, source);
    if (!name || SysStringLen(name) == 0 || defined_size < 0) return RaiseAdoError(AdoError::kInvalidArgument, source);
    const VARTYPE stored = StoredTypeOf(type);
    if (stored == VT_EMPTY) {
        if (IsKnownDataType(type)) return RaiseNotImplemented(source, L"Append of this field type");
        return RaiseAdoError(AdoError::kInvalidArgument, source);
    }
    // adFldUnspecified reads back as no attributes at all.
    const LONG stored_attributes = attributes == adFldUnspecified ? 0 : attributes;
    try {
        size_t existing;
        if (names_.Find(name, SysStringLen(name), &existing))
            return RaiseAdoError(AdoError::kObjectInCollection, source);
        auto field = std::make_unique<FieldDefinition>(std::wstring(name, SysStringLen(name)), type,
                                                       static_cast<LONG>(defined_size), stored_attributes, stored);
        field->ordinal = fields_.size();
        fields_.reserve(fields_.size() + 1);
        names_.Add(name, SysStringLen(name), field->ordinal);
        fields_.push_back(std::move(field));
    } catch (const std::bad_alloc&) {
        return RaiseFailure(E_OUTOFMEMORY, source, L"Out of memory while appending a field.");
    }
    return S_OK;
}

HRESULT Recordset::DeleteField(const VARIANT& index) {
    constexpr ErrorSource source = ErrorSource::kFields;
    if (open_) return RaiseAdoError(AdoError::kIllegalOperation, source);
    FieldDefinition* field = nullptr;
    HRESULT hr = FindField(index, source, &field);
    if (FAILED(hr)) return hr;
    try {
        FieldNameIndex names;
        for (size_t i = 0, ordinal = 0; i < fields_.size(); ++i) {
            if (fields_[i].get() == field) continue;
            names.Add(fields_[i]->name.c_str(), fields_[i]->name.size(), ordinal++);
        }
        if (field->live_object) field->live_object->Detach();
        fields_.erase(fields_.begin() + field->ordinal);
        for (size_t i = 0; i < fields_.size(); ++i) fields_[i]->ordinal = i;
        names_ = std::move(names);
    } catch (const std::bad_alloc&) {
        return RaiseFailure(E_OUTOFMEMORY, source, L"Out of memory while deleting a field.");
    }
    return S_OK;
}

HRESULT Recordset::FindField(const VARIANT& index, ErrorSource source, FieldDefinition** field) {
    *field = nullptr;
    // A reference (a late-bound client's variable) is read through; no copy otherwise.
    const VARIANT* direct = &index;
    UniqueVariant copy;
    if (V_VT(direct) & VT_BYREF) {
        if (FAILED(VariantCopyInd(copy.ptr(), const_cast<VARIANT*>(&index))))
            return RaiseAdoError(AdoError::kItemNotFound, source);
        direct = &copy.get();
    }
    size_t ordinal = 0;
    switch (V_VT(direct)) {
    case VT_BSTR: {
        BSTR name = V_BSTR(direct);
        if (!names_.Find(name ? name : L"", SysStringLen(name), &ordinal))
            return RaiseAdoError(AdoError::kItemNotFound, source);
        break;
    }
    case VT_I1:
    case VT_UI1:
    case VT_I2:
    case VT_UI2:
    case VT_I4:
    case VT_UI4:
    case VT_INT:
    case VT_UINT:
    case VT_I8:
    case VT_UI8:
    case VT_R4:
    case VT_R8:
    case VT_CY:
    case VT_DECIMAL: {
        // A numeric index is an ordinal from 0; a fraction counts as its whole number.
        UniqueVariant number;
        if (FAILED(VariantChangeType(number.ptr(), const_cast<VARIANT*>(direct), 0, VT_I4)) ||
            V_I4(&number.get()) < 0 ||
            static_cast<size_t>(V_I4(&number.get())) >= fields_.size())
            return RaiseAdoError(AdoError::kItemNotFound, source);
        ordinal = static_cast<size_t>(V_I4(&number.get()));
        break;
    }
    default:
        return RaiseAdoError(AdoError::kItemNotFound, source);
    }
    *field = fields_[ordinal].get();
    return S_OK;
}

HRESULT Recordset::FieldObjectFor(FieldDefinition* field, ADOField** object) {
    *object = nullptr;
    if (field->live_object) {
        field->live_object->AddRef();
        *object = field->live_object;
        return S_OK;
    }
    FieldObject* created = new (std::nothrow) FieldObject(this, field);
    if (!created) return RaiseFailure(E_OUTOFMEMORY, ErrorSource::kFields, L"Out of memory for a Field object.");
    field->live_object = created;
    *object = created;
    return S_OK;
}

HRESULT Recordset::ReadValue(const FieldDefinition& field, ErrorSource source, VARIANT* value) {
    VariantInit(value);
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, source);
    if (!HasCurrentRecord()) return RaiseAdoError(AdoError::kNoCurrentRecord, source);
    HRESULT hr = field.values.Read(static_cast<size_t>(current_), value);
    if (FAILED(hr)) return RaiseFailure(hr, source, L"Out of memory while reading a field value.");
    return S_OK;
}

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

void Recordset::DetachFields() {
    for (auto& field : fields_) {
        if (field->live_object) field->live_object->Detach();
        field->live_object = nullptr;
    }
}

size_t Recordset::reserved_bytes() const {
    size_t bytes = 0;
    for (const auto& field : fields_) bytes += field->values.reserved_bytes();
    return bytes;
}

// Rows and navigation

void Recordset::CommitRow() {
    adding_ = false;
    editing_ = false;
    edit_backup_.clear();
}

HRESULT Recordset::Navigate(LONG_PTR position) {
    CommitRow();
    added_row_current_ = false;
    current_ = position;
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
        UniqueVariant number;
        if (FAILED(VariantChangeType(number.ptr(), &start, 0, VT_I4)))
            return RaiseAdoError(AdoError::kInvalidArgument, kSource);
        start_at = V_I4(&number.get());
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
    if (!bof) return E_POINTER;
    *bof = VARIANT_FALSE;
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    *bof = AtBof() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Recordset::get_EOF(VARIANT_BOOL* eof) {
    if (!eof) return E_POINTER;
    *eof = VARIANT_FALSE;
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    *eof = AtEof() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
}

STDMETHODIMP Recordset::get_RecordCount(ADO_LONGPTR* count) {
    if (!count) return E_POINTER;
    *count = 0;
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    // A row being added counts already.
    *count = row_count();
    return S_OK;
}

STDMETHODIMP Recordset::get_AbsolutePosition(PositionEnum_Param* position) {
    if (!position) return E_POINTER;
    *position = adPosUnknown;
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    LONG_PTR value = AtBof() ? LONG_PTR{adPosBOF} : AtEof() ? LONG_PTR{adPosEOF} : current_ + 1;
    *position = static_cast<PositionEnum_Param>(value);
    return S_OK;
}

STDMETHODIMP Recordset::put_AbsolutePosition(PositionEnum_Param position) {
    if (!open_) return RaiseAdoError(AdoError::kObjectClosed, kSource);
    if (position < 1 || position > row_count()) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    return Navigate(position - 1);
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

// Collect: a field's value without a Field object.

STDMETHODIMP Recordset::get_Collect(VARIANT index, VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    FieldDefinition* field = nullptr;
    HRESULT hr = FindField(index, kSource, &field);
    if (FAILED(hr)) return hr;
    return ReadValue(*field, kSource, value);
}

STDMETHODIMP Recordset::put_Collect(VARIANT index, VARIANT value) {
    FieldDefinition* field = nullptr;
    HRESULT hr = FindField(index, kSource, &field);
    if (FAILED(hr)) return hr;
    return WriteValue(*field, kSource, value);
}

// Open, Close, State

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

STDMETHODIMP Recordset::get_State(LONG* state) {
    if (!state) return E_POINTER;
    *state = open_ ? adStateOpen : adStateClosed;
    return S_OK;
}

STDMETHODIMP Recordset::get_Fields(ADOFields** fields) {
    if (!fields) return E_POINTER;
    fields_object_.AddRef();
    *fields = &fields_object_;
    return S_OK;
}

// Cursor, lock and cache settings

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

STDMETHODIMP Recordset::InterfaceSupportsErrorInfo(REFIID riid) {
    return riid == IID__Recordset || riid == IID_Recordset21 || riid == IID_Recordset20 || riid == IID_Recordset15 ||
                   riid == IID__ADO
               ? S_OK
               : S_FALSE;
}

// Members this record set does not implement.

#define NOT_IMPLEMENTED(name) return RaiseNotImplemented(kSource, name)

STDMETHODIMP Recordset::get_Properties(ADOProperties** properties) {
    if (properties) *properties = nullptr;
    NOT_IMPLEMENTED(L"Properties");
}
STDMETHODIMP Recordset::get_Bookmark(VARIANT* bookmark) {
    if (bookmark) VariantInit(bookmark);
    NOT_IMPLEMENTED(L"Bookmark");
}
STDMETHODIMP Recordset::put_Bookmark(VARIANT) { NOT_IMPLEMENTED(L"Bookmark"); }
STDMETHODIMP Recordset::putref_Source(IDispatch*) { NOT_IMPLEMENTED(L"Source"); }
STDMETHODIMP Recordset::put_Source(BSTR) { NOT_IMPLEMENTED(L"Source"); }
STDMETHODIMP Recordset::get_Source(VARIANT* source) {
    if (source) VariantInit(source);
    NOT_IMPLEMENTED(L"Source");
}
STDMETHODIMP Recordset::Delete(AffectEnum) { NOT_IMPLEMENTED(L"Delete"); }
STDMETHODIMP Recordset::GetRows(long, VARIANT, VARIANT, VARIANT* rows_array) {
    if (rows_array) VariantInit(rows_array);
    NOT_IMPLEMENTED(L"GetRows");
}
STDMETHODIMP Recordset::Requery(LONG) { NOT_IMPLEMENTED(L"Requery"); }
STDMETHODIMP Recordset::_xResync(AffectEnum) { NOT_IMPLEMENTED(L"Resync"); }
STDMETHODIMP Recordset::get_AbsolutePage(PositionEnum_Param* page) {
    if (page) *page = adPosUnknown;
    NOT_IMPLEMENTED(L"AbsolutePage");
}
STDMETHODIMP Recordset::put_AbsolutePage(PositionEnum_Param) { NOT_IMPLEMENTED(L"AbsolutePage"); }
STDMETHODIMP Recordset::get_Filter(VARIANT* criteria) {
    if (criteria) VariantInit(criteria);
    NOT_IMPLEMENTED(L"Filter");
}
STDMETHODIMP Recordset::put_Filter(VARIANT) { NOT_IMPLEMENTED(L"Filter"); }
STDMETHODIMP Recordset::get_PageCount(ADO_LONGPTR* count) {
    if (count) *count = 0;
    NOT_IMPLEMENTED(L"PageCount");
}
STDMETHODIMP Recordset::get_PageSize(long* size) {
    if (size) *size = 0;
    NOT_IMPLEMENTED(L"PageSize");
}
STDMETHODIMP Recordset::put_PageSize(long) { NOT_IMPLEMENTED(L"PageSize"); }
STDMETHODIMP Recordset::get_Sort(BSTR* criteria) {
    if (criteria) *criteria = nullptr;
    NOT_IMPLEMENTED(L"Sort");
}
STDMETHODIMP Recordset::put_Sort(BSTR) { NOT_IMPLEMENTED(L"Sort"); }
STDMETHODIMP Recordset::get_Status(long* status) {
    if (status) *status = 0;
    NOT_IMPLEMENTED(L"Status");
}
STDMETHODIMP Recordset::_xClone(_ADORecordset** clone) {
    if (clone) *clone = nullptr;
    NOT_IMPLEMENTED(L"Clone");
}
STDMETHODIMP Recordset::UpdateBatch(AffectEnum) { NOT_IMPLEMENTED(L"UpdateBatch"); }
STDMETHODIMP Recordset::CancelBatch(AffectEnum) { NOT_IMPLEMENTED(L"CancelBatch"); }
STDMETHODIMP Recordset::NextRecordset(VARIANT* records_affected, _ADORecordset** next) {
    if (records_affected) VariantInit(records_affected);
    if (next) *next = nullptr;
    NOT_IMPLEMENTED(L"NextRecordset");
}
STDMETHODIMP Recordset::get_MarshalOptions(MarshalOptionsEnum* options) {
    if (options) *options = adMarshalAll;
    NOT_IMPLEMENTED(L"MarshalOptions");
}
STDMETHODIMP Recordset::put_MarshalOptions(MarshalOptionsEnum) { NOT_IMPLEMENTED(L"MarshalOptions"); }
STDMETHODIMP Recordset::Find(BSTR, ADO_LONGPTR, SearchDirectionEnum, VARIANT) { NOT_IMPLEMENTED(L"Find"); }
STDMETHODIMP Recordset::get_DataSource(IUnknown** data_source) {
    if (data_source) *data_source = nullptr;
    NOT_IMPLEMENTED(L"DataSource");
}
STDMETHODIMP Recordset::putref_DataSource(IUnknown*) { NOT_IMPLEMENTED(L"DataSource"); }
STDMETHODIMP Recordset::_xSave(BSTR, PersistFormatEnum) { NOT_IMPLEMENTED(L"Save"); }
STDMETHODIMP Recordset::get_ActiveCommand(IDispatch** command) {
    if (command) *command = nullptr;
    NOT_IMPLEMENTED(L"ActiveCommand");
}
STDMETHODIMP Recordset::put_StayInSync(VARIANT_BOOL) { NOT_IMPLEMENTED(L"StayInSync"); }
STDMETHODIMP Recordset::get_StayInSync(VARIANT_BOOL* stay_in_sync) {
    if (stay_in_sync) *stay_in_sync = VARIANT_FALSE;
    NOT_IMPLEMENTED(L"StayInSync");
}
STDMETHODIMP Recordset::GetString(StringFormatEnum, long, BSTR, BSTR, BSTR, BSTR* text) {
    if (text) *text = nullptr;
    NOT_IMPLEMENTED(L"GetString");
}
STDMETHODIMP Recordset::get_DataMember(BSTR* member) {
    if (member) *member = nullptr;
    NOT_IMPLEMENTED(L"DataMember");
}
STDMETHODIMP Recordset::put_DataMember(BSTR) { NOT_IMPLEMENTED(L"DataMember"); }
STDMETHODIMP Recordset::CompareBookmarks(VARIANT, VARIANT, CompareEnum* comparison) {
    if (comparison) *comparison = adCompareNotComparable;
    NOT_IMPLEMENTED(L"CompareBookmarks");
}
STDMETHODIMP Recordset::Clone(LockTypeEnum, _ADORecordset** clone) {
    if (clone) *clone = nullptr;
    NOT_IMPLEMENTED(L"Clone");
}
STDMETHODIMP Recordset::Resync(AffectEnum, ResyncEnum) { NOT_IMPLEMENTED(L"Resync"); }
STDMETHODIMP Recordset::Seek(VARIANT, SeekEnum) { NOT_IMPLEMENTED(L"Seek"); }
STDMETHODIMP Recordset::put_Index(BSTR) { NOT_IMPLEMENTED(L"Index"); }
STDMETHODIMP Recordset::get_Index(BSTR* index) {
    if (index) *index = nullptr;
    NOT_IMPLEMENTED(L"Index");
}
STDMETHODIMP Recordset::Save(VARIANT, PersistFormatEnum) { NOT_IMPLEMENTED(L"Save"); }

#undef NOT_IMPLEMENTED

}  // namespace ado_standin
