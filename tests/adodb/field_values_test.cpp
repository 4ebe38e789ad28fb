// Field values: each data type's stored variant type, conversion on write,
// Null and length rules, and the multiple-step error where a value does not fit.
#include <string>

#include "recordset_test_support.h"

using namespace ado_test;

namespace {

class FieldValues : public ::testing::Test {
protected:
    ambrelle_test::ComApartment apartment_;
};

VARIANT Bool(bool value) { return ambrelle::BoolValue(value); }
VARIANT Empty() { return ambrelle::EmptyValue(); }

struct WriteCase {
    const char* name;
    FieldSpec field;
    VARIANT value;            // by-value argument, owned by the table (texts are static)
    HRESULT expected_hr;
    VARTYPE expected_vt;      // of the value read back
    const wchar_t* expected;  // the value read back as text (VT_BSTR conversion), nullptr for Empty/Null
};

// A BSTR allocated once for the table; the test program ends before it matters.
VARIANT StaticText(const wchar_t* text) { return ambrelle::NewText(text); }

std::wstring AsText(const VARIANT& value) {
    ambrelle::UniqueVariant text;
    if (FAILED(VariantChangeType(text.ptr(), const_cast<VARIANT*>(&value), VARIANT_ALPHABOOL, VT_BSTR)))
        return L"<no text>";
    return V_BSTR(&text.get()) ? V_BSTR(&text.get()) : L"";
}

}  // namespace

TEST_F(FieldValues, WritesConvertToTheFieldsTypeOrFailWithMultipleStepErrors) {
    const LONG none = -1;
    const WriteCase cases[] = {
        {"text 5 into adInteger", {L"F", adInteger, 0, none}, StaticText(L"5"), S_OK, VT_I4, L"5"},
        {"text abc into adInteger", {L"F", adInteger, 0, none}, StaticText(L"abc"), kMultipleStep, VT_EMPTY, nullptr},
        {"2.5 into adInteger rounds to even", {L"F", adInteger, 0, none}, Double(2.5), S_OK, VT_I4, L"2"},
        {"3e9 into adInteger overflows", {L"F", adInteger, 0, none}, Double(3e9), kMultipleStep, VT_EMPTY, nullptr},
        {"Empty into adInteger is 0", {L"F", adInteger, 0, none}, Empty(), S_OK, VT_I4, L"0"},
        {"Null into adInteger", {L"F", adInteger, 0, none}, NullValue(), kMultipleStep, VT_EMPTY, nullptr},
        {"Null into nullable adInteger", {L"F", adInteger, 0, adFldIsNullable}, NullValue(), S_OK, VT_NULL, nullptr},
        {"Null into may-be-null adInteger", {L"F", adInteger, 0, adFldMayBeNull}, NullValue(), S_OK, VT_NULL,
         nullptr},
        {"text 12 into adSmallInt", {L"F", adSmallInt, 0, none}, StaticText(L"12"), S_OK, VT_I2, L"12"},
        {"70000 into adSmallInt overflows", {L"F", adSmallInt, 0, none}, Long(70000), kMultipleStep, VT_EMPTY,
         nullptr},
        {"text 1.5 into adDouble", {L"F", adDouble, 0, none}, StaticText(L"1.5"), S_OK, VT_R8, L"1.5"},
        {"0.25 into adSingle", {L"F", adSingle, 0, none}, Double(0.25), S_OK, VT_R4, L"0.25"},
        {"1.23456 into adCurrency", {L"F", adCurrency, 0, none}, Double(1.23456), S_OK, VT_CY, L"1.2346"},
        {"text 1.25 into adDecimal", {L"F", adDecimal, 0, none}, StaticText(L"1.25"), S_OK, VT_DECIMAL, L"1.25"},
        {"7 into adNumeric", {L"F", adNumeric, 0, none}, Long(7), S_OK, VT_DECIMAL, L"7"},
        {"True into adBoolean", {L"F", adBoolean, 0, none}, StaticText(L"True"), S_OK, VT_BOOL, L"True"},
        {"0 into adBoolean", {L"F", adBoolean, 0, none}, Long(0), S_OK, VT_BOOL, L"False"},
        {"a day into adDate", {L"F", adDate, 0, none}, Double(45292.25), S_OK, VT_DATE, nullptr},
        {"Empty into adDate", {L"F", adDate, 0, none}, Empty(), kMultipleStep, VT_EMPTY, nullptr},
        {"abc into adDate", {L"F", adDate, 0, none}, StaticText(L"abc"), kMultipleStep, VT_EMPTY, nullptr},
        {"five letters into adVarChar(5)", {L"F", adVarChar, 5, none}, StaticText(L"abcde"), S_OK, VT_BSTR,
         L"abcde"},
        {"six letters into adVarChar(5)", {L"F", adVarChar, 5, none}, StaticText(L"abcdef"), kMultipleStep,
         VT_EMPTY, nullptr},
        {"Chinese counts characters", {L"F", adVarChar, 2, none}, StaticText(L"中文"), S_OK, VT_BSTR, L"中文"},
        {"three Chinese into adVarChar(2)", {L"F", adVarChar, 2, none}, StaticText(L"中文字"), kMultipleStep,
         VT_EMPTY, nullptr},
        {"four letters into adVarWChar(3)", {L"F", adVarWChar, 3, none}, StaticText(L"abcd"), kMultipleStep,
         VT_EMPTY, nullptr},
        {"a number into adVarChar", {L"F", adVarChar, 10, none}, Long(12), S_OK, VT_BSTR, L"12"},
        {"Empty into adVarChar is empty text", {L"F", adVarChar, 10, none}, Empty(), S_OK, VT_BSTR, L""},
        {"True into adVarChar", {L"F", adVarChar, 10, none}, Bool(true), S_OK, VT_BSTR, L"True"},
        {"Null into adVarChar", {L"F", adVarChar, 10, none}, NullValue(), kMultipleStep, VT_EMPTY, nullptr},
        {"long text into adBSTR", {L"F", adBSTR, 0, none}, StaticText(L"no length limit applies here"), S_OK,
         VT_BSTR, L"no length limit applies here"},
        {"text into adLongVarWChar without size", {L"F", adLongVarWChar, 0, none}, StaticText(L"x"), S_OK, VT_BSTR,
         L"x"},
    };
    for (const WriteCase& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<_ADORecordset> set = OpenSet({c.field});
        ComPtr<ADOFields> fields;
        ComPtr<ADOField> field;
        ASSERT_EQ(S_OK, set->get_Fields(&fields));
        ASSERT_EQ(S_OK, fields->get_Item(Long(0), &field));
        ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
        const HRESULT hr = field->put_Value(c.value);
        if (c.expected_hr == kMultipleStep) {
            ExpectAdoError(hr, kMultipleStep, L"ADODB.Field", kMultipleStepText);
            // Through Collect the same failure is reported from the record set.
            ExpectAdoError(set->put_Collect(Long(0), c.value), kMultipleStep, L"ADODB.Recordset", kMultipleStepText);
        } else {
            ASSERT_EQ(c.expected_hr, hr);
        }
        ambrelle::UniqueVariant read;
        V_VT(read.ptr()) = VT_ERROR;
        ASSERT_EQ(S_OK, field->get_Value(read.ptr()));
        EXPECT_EQ(c.expected_vt, read.vt()) << "a failed write leaves the value as it was";
        if (c.expected) {
            EXPECT_EQ(std::wstring(c.expected), AsText(read.get()));
        }
    }
}

TEST_F(FieldValues, ADateIsKeptAsADate) {
    ComPtr<_ADORecordset> set = OpenSet({{L"D", adDate, 0, -1}, {L"T", adDBTimeStamp, 0, -1}});
    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    ASSERT_EQ(S_OK, set->put_Collect(Long(0), Double(45292.25)));
    ASSERT_EQ(S_OK, set->put_Collect(Long(1), Double(1.5)));
    ambrelle::UniqueVariant date = Collect(set.Get(), Long(0));
    ASSERT_EQ(VT_DATE, date.vt());
    EXPECT_EQ(45292.25, V_DATE(&date.get()));
    EXPECT_EQ(VT_DATE, Collect(set.Get(), Long(1)).vt());
}

TEST_F(FieldValues, NumericPrecisionAndScaleRoundAndLimitTheValue) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"Q", adNumeric, 0, -1}));
    ComPtr<ADOField> field = FieldOf(set.Get(), Text(L"q"));
    ASSERT_TRUE(field);
    BYTE precision = 9, scale = 9;
    ASSERT_EQ(S_OK, field->get_Precision(&precision));
    ASSERT_EQ(S_OK, field->get_NumericScale(&scale));
    EXPECT_EQ(0, precision);
    EXPECT_EQ(0, scale);
    ASSERT_EQ(S_OK, field->put_Precision(5));
    ASSERT_EQ(S_OK, field->put_NumericScale(2));
    ASSERT_EQ(S_OK, OpenFabricated(set.Get()));
    ExpectAdoError(field->put_Precision(6), AdoError(3705), L"ADODB.Field", kOpenText);

    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    ASSERT_EQ(S_OK, field->put_Value(Double(123.456)));
    ambrelle::UniqueVariant value = Collect(set.Get(), Long(0));
    ASSERT_EQ(VT_DECIMAL, value.vt());
    EXPECT_EQ(L"123.46", AsText(value.get()));
    ExpectAdoError(field->put_Value(Double(1234.5)), kMultipleStep, L"ADODB.Field", kMultipleStepText);
    ASSERT_EQ(S_OK, field->put_Value(Double(-999.994)));
    EXPECT_EQ(L"-999.99", AsText(Collect(set.Get(), Long(0)).get()));
}

TEST_F(FieldValues, TheSameFieldObjectFollowsTheCurrentRow) {
    ComPtr<_ADORecordset> set = NumberedSet(3);
    ComPtr<ADOFields> fields, fields_again;
    ComPtr<ADOField> by_name, by_ordinal;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ASSERT_EQ(S_OK, set->get_Fields(&fields_again));
    EXPECT_EQ(fields.Get(), fields_again.Get());
    ASSERT_EQ(S_OK, fields->get_Item(Text(L"n"), &by_name));
    ASSERT_EQ(S_OK, fields->get_Item(Double(0.2), &by_ordinal));
    EXPECT_EQ(by_name.Get(), by_ordinal.Get());
    for (LONG row : {2L, 0L, 1L}) {
        ASSERT_EQ(S_OK, set->Move(row, Long(adBookmarkFirst)));
        ambrelle::UniqueVariant value;
        ASSERT_EQ(S_OK, by_name->get_Value(value.ptr()));
        EXPECT_EQ(row, V_I4(&value.get()));
    }
    ASSERT_EQ(S_OK, by_name->put_Value(Text(L"42")));
    EXPECT_EQ(42, V_I4(&Collect(set.Get(), Long(0)).get()));
}

TEST_F(FieldValues, LongTextsAndManyRewritesKeepEveryValue) {
    ComPtr<_ADORecordset> set = OpenSet({{L"T", adLongVarWChar, 0, -1}, {L"U", adVarWChar, 40, -1}});
    std::wstring long_text(100000, L'x');
    long_text[5] = L'中';
    for (int row = 0; row < 50; ++row) {
        ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
        ASSERT_EQ(S_OK, set->put_Collect(Long(0), Text(row % 10 == 0 ? long_text.c_str() : L"short")));
    }
    ASSERT_EQ(S_OK, set->MoveFirst());
    // Rewrite one cell many times (about 2.4 million characters in all): the
    // text store reclaims what the old copies took, and the values survive it.
    const std::wstring filler(200, L'文');
    std::wstring last;
    for (int i = 0; i < 12000; ++i) {
        last = std::to_wstring(i) + filler;
        ASSERT_EQ(S_OK, set->put_Collect(Long(1), Text(last.substr(0, 40).c_str())));
        ASSERT_EQ(S_OK, set->put_Collect(Long(0), Text(last.c_str())));
    }
    EXPECT_EQ(last, V_BSTR(&Collect(set.Get(), Long(0)).get()));
    EXPECT_EQ(last.substr(0, 40), V_BSTR(&Collect(set.Get(), Long(1)).get()));
    ASSERT_EQ(S_OK, set->put_Collect(Long(0), Text(long_text.c_str())));
    for (int row = 0; row < 50; ++row) {
        ASSERT_EQ(S_OK, set->Move(row, Long(adBookmarkFirst)));
        ambrelle::UniqueVariant value = Collect(set.Get(), Long(0));
        ASSERT_EQ(VT_BSTR, value.vt());
        EXPECT_EQ(row % 10 == 0 ? long_text : std::wstring(L"short"), V_BSTR(&value.get())) << row;
    }
}
