#include "field.h"

#include <wrl/client.h>

#include "ado_errors.h"
#include "com_error.h"
#include "recordset.h"
#include "type_info.h"
#include "value_conversion.h"

namespace ado_standin {
namespace {
constexpr ErrorSource kSource = ErrorSource::kField;
}

FieldObject::FieldObject(Recordset* owner, FieldDefinition* definition) : owner_(owner), definition_(definition) {
    owner_->AddRef();
}

FieldObject::~FieldObject() {
    if (definition_) definition_->live_object = nullptr;
    owner_->Release();
}

HRESULT FieldObject::Definition(FieldDefinition** definition) {
    *definition = definition_;
    if (!definition_) return RaiseAdoError(AdoError::kObjectNotSet, kSource);
    return S_OK;
}

HRESULT FieldObject::ChangeableDefinition(FieldDefinition** definition) {
    HRESULT hr = Definition(definition);
    if (FAILED(hr)) return hr;
    if (owner_->is_open()) {
        *definition = nullptr;
        return RaiseAdoError(AdoError::kObjectOpen, kSource);
    }
    return S_OK;
}

// IDispatch

HRESULT FieldObject::InterfaceTypeInfo(ITypeInfo** info) { return owner_->TypeInfoOf(IID_Field, info); }

STDMETHODIMP FieldObject::Invoke(DISPID member, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* excep, UINT* arg_err) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    // field.Value, and the field's default value, read with no arguments: the
    // call every reader of a record set makes for each value, answered
    // without the general dispatch through the type library.
    if (member == DISPID_VALUE && ambrelle::IsPropertyGet(flags, params, 0)) {
        VARIANT value;
        VariantInit(&value);
        HRESULT hr = get_Value(&value);
        if (FAILED(hr)) return ambrelle::AnswerOfDirectCall(hr, excep);
        if (result) {
            *result = value;  // the caller's variant holds nothing to free
        } else {
            VariantClear(&value);
        }
        return S_OK;
    }
    return TypeInfoDispatch::Invoke(member, riid, lcid, flags, params, result, excep, arg_err);
}

// The field's description

STDMETHODIMP FieldObject::get_Name(BSTR* name) {
    if (!name) return E_POINTER;
    *name = nullptr;
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    *name = SysAllocStringLen(field->name.data(), static_cast<UINT>(field->name.size()));
    if (!*name) return RaiseFailure(E_OUTOFMEMORY, kSource, L"Out of memory for a field name.");
    return S_OK;
}

STDMETHODIMP FieldObject::get_Type(DataTypeEnum* type) {
    if (!type) return E_POINTER;
    *type = adEmpty;
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    *type = static_cast<DataTypeEnum>(field->type);
    return S_OK;
}

STDMETHODIMP FieldObject::get_DefinedSize(ADO_LONGPTR* size) {
    if (!size) return E_POINTER;
    *size = 0;
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    *size = field->defined_size;
    return S_OK;
}

STDMETHODIMP FieldObject::get_Attributes(long* attributes) {
    if (!attributes) return E_POINTER;
    *attributes = 0;
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    *attributes = field->attributes;
    return S_OK;
}

STDMETHODIMP FieldObject::get_Precision(BYTE* precision) {
    if (!precision) return E_POINTER;
    *precision = 0;
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    *precision = field->precision;
    return S_OK;
}

STDMETHODIMP FieldObject::get_NumericScale(BYTE* scale) {
    if (!scale) return E_POINTER;
    *scale = 0;
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    *scale = field->numeric_scale;
    return S_OK;
}

// A field's description may change while the record set is closed.

STDMETHODIMP FieldObject::put_Precision(BYTE precision) {
    FieldDefinition* field;
    HRESULT hr = ChangeableDefinition(&field);
    if (FAILED(hr)) return hr;
    field->precision = precision;
    return S_OK;
}

STDMETHODIMP FieldObject::put_NumericScale(BYTE scale) {
    FieldDefinition* field;
    HRESULT hr = ChangeableDefinition(&field);
    if (FAILED(hr)) return hr;
    field->numeric_scale = scale;
    return S_OK;
}

STDMETHODIMP FieldObject::put_Type(DataTypeEnum type) {
    FieldDefinition* field;
    HRESULT hr = ChangeableDefinition(&field);
    if (FAILED(hr)) return hr;
    const VARTYPE stored = StoredTypeOf(type);
    if (stored == VT_EMPTY) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    // A closed record set holds no rows, so the values start afresh.
    field->values = ColumnValues(stored);
    field->type = type;
    return S_OK;
}

STDMETHODIMP FieldObject::put_DefinedSize(ADO_LONGPTR size) {
    FieldDefinition* field;
    HRESULT hr = ChangeableDefinition(&field);
    if (FAILED(hr)) return hr;
    if (size < 0) return RaiseAdoError(AdoError::kInvalidArgument, kSource);
    field->defined_size = size;
    return S_OK;
}

STDMETHODIMP FieldObject::put_Attributes(long attributes) {
    FieldDefinition* field;
    HRESULT hr = ChangeableDefinition(&field);
    if (FAILED(hr)) return hr;
    field->attributes = attributes == adFldUnspecified ? 0 : attributes;
    return S_OK;
}

// The value in the record set's current row

STDMETHODIMP FieldObject::get_Value(VARIANT* value) {
    if (!value) return E_POINTER;
    VariantInit(value);
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    return owner_->ReadValue(*field, kSource, value);
}

STDMETHODIMP FieldObject::put_Value(VARIANT value) {
    FieldDefinition* field;
    HRESULT hr = Definition(&field);
    if (FAILED(hr)) return hr;
    return owner_->WriteValue(*field, kSource, value);
}

// Members this record set does not implement.

STDMETHODIMP FieldObject::get_Properties(ADOProperties** properties) {
    if (properties) *properties = nullptr;
    return RaiseNotImplemented(kSource, L"Properties");
}

STDMETHODIMP FieldObject::get_ActualSize(ADO_LONGPTR* size) {
    if (size) *size = 0;
    return RaiseNotImplemented(kSource, L"ActualSize");
}

STDMETHODIMP FieldObject::AppendChunk(VARIANT) { return RaiseNotImplemented(kSource, L"AppendChunk"); }

STDMETHODIMP FieldObject::GetChunk(long, VARIANT* data) {
    if (data) VariantInit(data);
    return RaiseNotImplemented(kSource, L"GetChunk");
}

STDMETHODIMP FieldObject::get_OriginalValue(VARIANT* value) {
    if (value) VariantInit(value);
    return RaiseNotImplemented(kSource, L"OriginalValue");
}

STDMETHODIMP FieldObject::get_UnderlyingValue(VARIANT* value) {
    if (value) VariantInit(value);
    return RaiseNotImplemented(kSource, L"UnderlyingValue");
}

STDMETHODIMP FieldObject::get_DataFormat(IUnknown** format) {
    if (format) *format = nullptr;
    return RaiseNotImplemented(kSource, L"DataFormat");
}

STDMETHODIMP FieldObject::putref_DataFormat(IUnknown*) { return RaiseNotImplemented(kSource, L"DataFormat"); }

STDMETHODIMP FieldObject::get_Status(long* status) {
    if (status) *status = 0;
    return RaiseNotImplemented(kSource, L"Status");
}

}  // namespace ado_standin
