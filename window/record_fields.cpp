#include "record_fields.h"

#include <cwchar>
#include <new>

#include "recordset_access.h"

namespace ambrelle {

HRESULT RecordFields::Get(_ADORecordset* records, const wchar_t* name, ADOField** field) {
    *field = nullptr;
    // Readers ask for their fields in the same order every record: the
    // search starts after the field found last, so it usually ends at once.
    const size_t count = fields_.size();
    for (size_t step = 0; step < count; ++step) {
        const size_t at = (next_ + step) % count;
        if (wcscmp(fields_[at].first.c_str(), name) == 0) {
            next_ = (at + 1) % count;
            *field = fields_[at].second.Get();
            return S_OK;
        }
    }
    Microsoft::WRL::ComPtr<ADOField> found;
    HRESULT hr = GetField(records, name, found.GetAddressOf());
    if (FAILED(hr)) return hr;
    try {
        fields_.emplace_back(name, found);
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    }
    *field = found.Get();
    return S_OK;
}

HRESULT RecordFields::GetForColumn(_ADORecordset* records, size_t column, const wchar_t* name, ADOField** field) {
    if (column < columns_.size() && columns_[column]) {
        *field = columns_[column];
        return S_OK;
    }
    HRESULT hr = Get(records, name, field);
    if (FAILED(hr)) return hr;
    try {
        if (column >= columns_.size()) columns_.resize(column + 1);
    } catch (const std::bad_alloc&) {
        return S_OK;  // found all the same; the next row looks it up by name again
    }
    columns_[column] = *field;
    return S_OK;
}

HRESULT RecordFields::Value(_ADORecordset* records, const wchar_t* name, VARIANT* value) {
    VariantInit(value);
    ADOField* field = nullptr;
    HRESULT hr = Get(records, name, &field);
    if (FAILED(hr)) return hr;
    return field->get_Value(value);
}

}  // namespace ambrelle
