#include "record_fields.h"

#include "recordset_access.h"

namespace ambrelle {

HRESULT RecordFields::Get(_ADORecordset* records, const wchar_t* name, ADOField** field) {
    *field = nullptr;
    for (const auto& kept : fields_) {
        if (kept.first == name) return kept.second.CopyTo(field);
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
