// The record set's field definitions, their Field objects and the values
// read through them or through Collect.
#include "recordset.h"

#include <memory>
#include <new>

#include "field.h"
#include "value_conversion.h"

using ambrelle::UniqueVariant;

namespace ado_standin {

namespace {

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
    if (texts_prefetched_ != current_) {
        // The first read of a record: the texts of its other fields are
        // loaded side by side while this one is read.
        for (const auto& other : fields_) other->values.PrefetchText(static_cast<size_t>(current_));
        texts_prefetched_ = current_;
    }
    HRESULT hr = field.values.Read(static_cast<size_t>(current_), value);
    if (FAILED(hr)) return RaiseFailure(hr, source, L"Out of memory while reading a field value.");
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

STDMETHODIMP Recordset::get_Fields(ADOFields** fields) {
    if (!fields) return E_POINTER;
    fields_object_.AddRef();
    *fields = &fields_object_;
    return S_OK;
}

}  // namespace ado_standin
