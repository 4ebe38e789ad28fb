#include "record_fields.h"

#include "recordset_access.h"

namespace ambrelle {

HRESULT RecordFields::Get(_ADORecordset* records, const wchar_t* name, ADOField** field) {
    *field = nullptr;
    // Readers ask for their fields in the same order every record: the
    // search starts after the field found last, so it usually ends at once.
    const size_t count = fields_.size();
    for (size_t step = 0; step < count; ++step) {
        const size_t at = (next_ + step) % count;
        if (fields_[at].first == name) {
            next_ = (at + 1) % count;
            return fields_[at].second.CopyTo(field);
        }
    }
    Microsoft::WRL::ComPtr<ADOField> found;
    HRESULT hr = GetField(records, name, found.GetAddressOf());
    if (FAILED(hr)) return hr;
    try {
        fields_.emplace_back(name, found);
    } catch (const std::bad_alloc&) {
        // Not kept: looked up again next time.
    }
    return found.CopyTo(field);
}

HRESULT RecordFields::Value(_ADORecordset* records, const wchar_t* name, VARIANT* value) {
    VariantInit(value);
    Microsoft::WRL::ComPtr<ADOField> field;
    HRESULT hr = Get(records, name, field.GetAddressOf());
    if (FAILED(hr)) return hr;
    return field->get_Value(value);
}

}  // namespace ambrelle
