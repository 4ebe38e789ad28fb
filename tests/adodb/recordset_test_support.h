// Helpers for the tests of the registered ADODB.Recordset: creation through
// COM, argument variants, and record sets filled with numbered rows.
#pragma once

#include <gtest/gtest.h>
#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <initializer_list>
#include <string>

#include "ado.h"
#include "com_error.h"
#include "test_support.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "variant_values.h"

namespace ado_test {

using Microsoft::WRL::ComPtr;

constexpr HRESULT AdoError(LONG number) { return static_cast<HRESULT>(0x800A0000u | static_cast<ULONG>(number)); }
constexpr HRESULT kMultipleStep = static_cast<HRESULT>(0x80040E21);

// An optional argument left out, as late-bound callers pass it.
inline VARIANT Missing() { return ambrelle::MissingValue(); }
inline VARIANT Long(LONG value) { return ambrelle::LongValue(value); }
inline VARIANT Double(double value) { return ambrelle::DoubleValue(value); }
using ambrelle::NullValue;

// A VT_BSTR variant that owns its string.
class Text {
public:
    explicit Text(const wchar_t* text) { *value_.ptr() = ambrelle::NewText(text); }
    operator VARIANT() const { return value_.get(); }  // a shallow copy for by-value arguments
    const VARIANT& get() const { return value_.get(); }

private:
    ambrelle::UniqueVariant value_;
};

struct FieldSpec {
    const wchar_t* name;
    DataTypeEnum type;
    LONG defined_size;
    LONG attributes;
};

inline ComPtr<_ADORecordset> NewRecordset() {
    ComPtr<_ADORecordset> set;
    HRESULT hr = CoCreateInstance(CLSID_Recordset, nullptr, CLSCTX_INPROC_SERVER, IID__Recordset,
                                  reinterpret_cast<void**>(set.GetAddressOf()));
    EXPECT_EQ(S_OK, hr) << "ADODB.Recordset is not registered";
    return set;
}

// Field `index` of the record set, from its Fields collection.
inline ComPtr<ADOField> FieldOf(_ADORecordset* set, VARIANT index) {
    ComPtr<ADOFields> fields;
    ComPtr<ADOField> field;
    EXPECT_EQ(S_OK, set->get_Fields(&fields));
    if (fields) {
        EXPECT_EQ(S_OK, fields->get_Item(index, &field));
    }
    return field;
}

inline HRESULT AppendField(_ADORecordset* set, const FieldSpec& definition) {
    ComPtr<ADOFields> fields;
    HRESULT hr = set->get_Fields(&fields);
    if (FAILED(hr)) return hr;
    ambrelle::UniqueBstr name(definition.name);
    return fields->Append(name.get(), definition.type, definition.defined_size, static_cast<FieldAttributeEnum>(definition.attributes),
                          Missing());
}

inline HRESULT OpenFabricated(_ADORecordset* set) {
    return set->Open(Missing(), Missing(), adOpenUnspecified, adLockUnspecified, -1);
}

// An open record set of the given fields, with no rows.
inline ComPtr<_ADORecordset> OpenSet(std::initializer_list<FieldSpec> specs) {
    ComPtr<_ADORecordset> set = NewRecordset();
    if (!set) return set;
    for (const FieldSpec& definition : specs) EXPECT_EQ(S_OK, AppendField(set.Get(), definition)) << definition.name;
    EXPECT_EQ(S_OK, OpenFabricated(set.Get()));
    return set;
}

// An open record set with one field "N" (adInteger) holding 0 .. rows-1, all committed.
inline ComPtr<_ADORecordset> NumberedSet(int rows) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    for (int i = 0; i < rows; ++i) {
        EXPECT_EQ(S_OK, set->AddNew(Missing(), Missing()));
        EXPECT_EQ(S_OK, set->put_Collect(Long(0), Long(i)));
    }
    if (rows > 0) {
        EXPECT_EQ(S_OK, set->Update(Missing(), Missing()));
    }
    return set;
}

inline bool Bof(_ADORecordset* set) {
    VARIANT_BOOL value = 7;
    EXPECT_EQ(S_OK, set->get_BOF(&value));
    return value == VARIANT_TRUE;
}

inline bool Eof(_ADORecordset* set) {
    VARIANT_BOOL value = 7;
    EXPECT_EQ(S_OK, set->get_EOF(&value));
    return value == VARIANT_TRUE;
}

inline LONG RecordCount(_ADORecordset* set) {
    ADO_LONGPTR count = -7;
    EXPECT_EQ(S_OK, set->get_RecordCount(&count));
    return count;
}

// The value of a field in the current row, as Collect reads it.
inline ambrelle::UniqueVariant Collect(_ADORecordset* set, const VARIANT& index) {
    ambrelle::UniqueVariant value;
    V_VT(value.ptr()) = VT_ERROR;
    EXPECT_EQ(S_OK, set->get_Collect(index, value.ptr()));
    return value;
}

// The error object after a failed call: number, source, description.
inline ambrelle::ComErrorDetails LastError(HRESULT hr) { return ambrelle::TakeComError(hr); }

// Checks an ADO error's HRESULT, source and description.
inline void ExpectAdoError(HRESULT hr, HRESULT expected, const wchar_t* source, const wchar_t* description) {
    ambrelle::ComErrorDetails error = LastError(hr);
    EXPECT_EQ(expected, hr);
    EXPECT_EQ(std::wstring(source), error.source);
    EXPECT_EQ(std::wstring(description), error.description);
}

constexpr wchar_t kNoCurrentRecordText[] =
    L"Either BOF or EOF is True, or the current record has been deleted. Requested operation requires a current "
    L"record.";
constexpr wchar_t kItemNotFoundText[] =
    L"Item cannot be found in the collection corresponding to the requested name or ordinal.";
constexpr wchar_t kClosedText[] = L"Operation is not allowed when the object is closed.";
constexpr wchar_t kOpenText[] = L"Operation is not allowed when the object is open.";
constexpr wchar_t kMultipleStepText[] = L"Multiple-step operation generated errors. Check each status value.";
constexpr wchar_t kInvalidArgumentText[] =
    L"Arguments are of the wrong type, are out of acceptable range, or are in conflict with one another.";

}  // namespace ado_test
