// The record set as late-bound clients use it: names and dispatch ids from
// its type library, the default members (rs("name"), fields("name")), the
// hidden Collect, Field.Value, and errors arriving in EXCEPINFO.
#include <vector>

#include "recordset_test_support.h"

using namespace ado_test;

namespace {

class Dispatch : public ::testing::Test {
protected:
    DISPID IdOf(IDispatch* object, const wchar_t* name) {
        DISPID id = 12345;
        LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
        EXPECT_EQ(S_OK, object->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
        return id;
    }

    // Calls a member with arguments in source order; a property put passes its last argument as the value.
    HRESULT Call(IDispatch* object, DISPID id, WORD flags, std::vector<VARIANT> args, VARIANT* result = nullptr) {
        std::vector<VARIANT> reversed(args.rbegin(), args.rend());
        DISPID named = DISPID_PROPERTYPUT;
        DISPPARAMS params = {reversed.empty() ? nullptr : reversed.data(), nullptr, static_cast<UINT>(args.size()),
                             0};
        if (flags & DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
        SysFreeString(excep_.bstrSource);
        SysFreeString(excep_.bstrDescription);
        SysFreeString(excep_.bstrHelpFile);
        excep_ = EXCEPINFO{};
        if (result) VariantInit(result);
        return object->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &excep_, nullptr);
    }

    void ExpectException(HRESULT hr, HRESULT scode, const wchar_t* source, const wchar_t* description) {
        EXPECT_EQ(DISP_E_EXCEPTION, hr);
        EXPECT_EQ(scode, excep_.scode);
        EXPECT_STREQ(source, excep_.bstrSource);
        EXPECT_STREQ(description, excep_.bstrDescription);
    }

    // An argument as VBScript passes a variable: a reference to its VARIANT.
    static VARIANT ByRef(VARIANT* variable) {
        VARIANT v;
        VariantInit(&v);
        V_VT(&v) = VT_BYREF | VT_VARIANT;
        V_VARIANTREF(&v) = variable;
        return v;
    }

    void TearDown() override {
        SysFreeString(excep_.bstrSource);
        SysFreeString(excep_.bstrDescription);
        SysFreeString(excep_.bstrHelpFile);
    }

    ambrelle_test::ComApartment apartment_;
    EXCEPINFO excep_ = {};
};

VARIANT Short(SHORT value) { return ambrelle::ShortValue(value); }

}  // namespace

TEST_F(Dispatch, MembersHaveADOsDispatchIds) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    ComPtr<IDispatch> rs;
    ASSERT_EQ(S_OK, set.As(&rs));
    const std::pair<const wchar_t*, DISPID> recordset_ids[] = {
        {L"Fields", DISPID_VALUE}, {L"Collect", -8},     {L"BOF", 0x3ea},       {L"EOF", 0x3ee},
        {L"RecordCount", 0x3f2},   {L"AddNew", 0x3f4},   {L"Close", 0x3f6},     {L"Move", 0x3f9},
        {L"MoveNext", 0x3fa},      {L"MovePrevious", 0x3fb}, {L"MoveFirst", 0x3fc}, {L"MoveLast", 0x3fd},
        {L"Open", 0x3fe},          {L"Update", 0x401},   {L"State", 0x41e},     {L"eof", 0x3ee},
        {L"Eof", 0x3ee},           {L"sTATE", 0x41e},
    };
    // Asked twice: the second answer comes from names resolved before.
    for (int round = 0; round < 2; ++round)
        for (const auto& entry : recordset_ids) EXPECT_EQ(entry.second, IdOf(rs.Get(), entry.first)) << entry.first;

    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    EXPECT_EQ(DISPID_VALUE, IdOf(fields.Get(), L"Item"));
    EXPECT_EQ(0x60020000, IdOf(fields.Get(), L"Count"));
    EXPECT_EQ(0x60040001, IdOf(fields.Get(), L"Append"));
    ComPtr<ADOField> field;
    ASSERT_EQ(S_OK, fields->get_Item(Long(0), &field));
    EXPECT_EQ(DISPID_VALUE, IdOf(field.Get(), L"Value"));
    EXPECT_EQ(0x44c, IdOf(field.Get(), L"Name"));
    EXPECT_EQ(0x44e, IdOf(field.Get(), L"Type"));
    // Names another interface has are not the record set's, however often asked.
    for (int round = 0; round < 2; ++round) {
        for (const wchar_t* name : {L"Count", L"Name", L"Value", L"Append", L"NoSuchMember"}) {
            LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
            DISPID id = 12345;
            EXPECT_EQ(DISP_E_UNKNOWNNAME, rs->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id)) << name;
        }
        EXPECT_EQ(0x60020000, IdOf(fields.Get(), L"COUNT"));
        EXPECT_EQ(DISPID_VALUE, IdOf(field.Get(), L"value"));
    }

    // The type library's vtable layout is the platform header's: IUnknown and
    // IDispatch (7), _ADO (1), Recordset15 (60), Recordset20 (13), Recordset21
    // (3), _Recordset (1); _Collection (3), Fields15 (1), Fields20 (2), Fields
    // (4); Field20 (20), Field (1).
    const std::pair<IDispatch*, std::pair<IID, UINT>> layouts[] = {
        {rs.Get(), {IID__Recordset, 85}}, {fields.Get(), {IID_Fields, 17}}, {field.Get(), {IID_Field, 29}}};
    for (const auto& layout : layouts) {
        UINT count = 0;
        ASSERT_EQ(S_OK, layout.first->GetTypeInfoCount(&count));
        EXPECT_EQ(1u, count);
        ComPtr<ITypeInfo> info;
        ASSERT_EQ(S_OK, layout.first->GetTypeInfo(0, LOCALE_USER_DEFAULT, &info));
        TYPEATTR* attr = nullptr;
        ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
        EXPECT_EQ(layout.second.first, attr->guid);
        EXPECT_EQ(layout.second.second * sizeof(void*), attr->cbSizeVft);
        info->ReleaseTypeAttr(attr);
        // The object keeps its type information: a late-bound call must not
        // load the type library again.
        ComPtr<ITypeInfo> again;
        ASSERT_EQ(S_OK, layout.first->GetTypeInfo(0, LOCALE_USER_DEFAULT, &again));
        EXPECT_EQ(info.Get(), again.Get());
    }
}

TEST_F(Dispatch, ALateBoundClientBuildsFillsAndReadsASet) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ComPtr<IDispatch> rs;
    ASSERT_EQ(S_OK, set.As(&rs));

    // Set fields = rs.Fields: the default member without arguments.
    ambrelle::UniqueVariant fields_value;
    ASSERT_EQ(S_OK, Call(rs.Get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {}, fields_value.ptr()));
    ASSERT_EQ(VT_DISPATCH, fields_value.vt());
    IDispatch* fields = V_DISPATCH(&fields_value.get());
    const DISPID append = IdOf(fields, L"Append");
    // fields.Append "FID", 3 (literals: VT_BSTR and VT_I2; the rest take their defaults)
    ASSERT_EQ(S_OK, Call(fields, append, DISPATCH_METHOD, {Text(L"FID"), Short(adInteger)}));
    VARIANT size = Long(20), type = Short(adVarWChar);
    ASSERT_EQ(S_OK, Call(fields, append, DISPATCH_METHOD, {Text(L"Name"), ByRef(&type), ByRef(&size)}));
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"Open"), DISPATCH_METHOD, {}));
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"AddNew"), DISPATCH_METHOD, {}));

    // rs("FID") = "5" from a variable, rs.Collect("Name") = "x", fields("name") = "y"
    ambrelle::UniqueVariant five;
    V_VT(five.ptr()) = VT_BSTR;
    V_BSTR(five.ptr()) = SysAllocString(L"5");
    ASSERT_EQ(S_OK, Call(rs.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Text(L"FID"), ByRef(five.ptr())}));
    ASSERT_EQ(S_OK, Call(rs.Get(), -8, DISPATCH_PROPERTYPUT, {Text(L"Name"), Text(L"x")}));
    EXPECT_STREQ(L"x", V_BSTR(&Collect(set.Get(), Long(1)).get()));
    ASSERT_EQ(S_OK, Call(fields, DISPID_VALUE, DISPATCH_PROPERTYPUT, {Text(L"name"), Text(L"y")}));

    // x = rs.Collect("FID"): the value converted on write.
    ambrelle::UniqueVariant value;
    ASSERT_EQ(S_OK, Call(rs.Get(), -8, DISPATCH_PROPERTYGET, {Text(L"fid")}, value.ptr()));
    ASSERT_EQ(VT_I4, value.vt());
    EXPECT_EQ(5, V_I4(&value.get()));

    // rs("Name") gives the Field object; its default member is Value.
    ambrelle::UniqueVariant field_value;
    ASSERT_EQ(S_OK, Call(rs.Get(), DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Text(L"Name")},
                         field_value.ptr()));
    ASSERT_EQ(VT_DISPATCH, field_value.vt());
    IDispatch* field = V_DISPATCH(&field_value.get());
    ASSERT_EQ(S_OK, Call(field, DISPID_VALUE, DISPATCH_PROPERTYGET, {}, value.put()));
    EXPECT_STREQ(L"y", V_BSTR(&value.get()));
    ASSERT_EQ(S_OK, Call(field, DISPID_VALUE, DISPATCH_PROPERTYPUT, {Text(L"z")}));
    ASSERT_EQ(S_OK, Call(field, IdOf(field, L"Name"), DISPATCH_PROPERTYGET, {}, value.put()));
    EXPECT_STREQ(L"Name", V_BSTR(&value.get()));

    // The field object is the same one the vtable hands out, and follows the rows.
    ComPtr<ADOFields> early_fields;
    ComPtr<ADOField> early_field;
    ASSERT_EQ(S_OK, set->get_Fields(&early_fields));
    ASSERT_EQ(S_OK, early_fields->get_Item(Long(1), &early_field));
    EXPECT_EQ(static_cast<IDispatch*>(early_field.Get()), field);
    EXPECT_EQ(static_cast<IDispatch*>(early_fields.Get()), fields);

    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"AddNew"), DISPATCH_METHOD, {}));
    ASSERT_EQ(S_OK, Call(rs.Get(), -8, DISPATCH_PROPERTYPUT, {Short(0), Double(6.0)}));
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"RecordCount"), DISPATCH_PROPERTYGET, {}, value.put()));
    EXPECT_EQ(2, V_I4(&value.get()));
    VARIANT first = Short(adBookmarkFirst);
    VARIANT zero = Long(0);
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"Move"), DISPATCH_METHOD, {ByRef(&zero), ByRef(&first)}));
    ASSERT_EQ(S_OK, Call(field, DISPID_VALUE, DISPATCH_PROPERTYGET, {}, value.put()));
    EXPECT_STREQ(L"z", V_BSTR(&value.get()));
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"MoveLast"), DISPATCH_METHOD, {}));
    ASSERT_EQ(S_OK, Call(rs.Get(), -8, DISPATCH_PROPERTYGET, {Long(0)}, value.put()));
    EXPECT_EQ(6, V_I4(&value.get()));
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"EOF"), DISPATCH_PROPERTYGET, {}, value.put()));
    EXPECT_EQ(VT_BOOL, value.vt());
    EXPECT_EQ(VARIANT_FALSE, V_BOOL(&value.get()));
    ASSERT_EQ(S_OK, Call(rs.Get(), IdOf(rs.Get(), L"Close"), DISPATCH_METHOD, {}));
}

TEST_F(Dispatch, FailuresArriveAsExceptionsWithADOsNumberSourceAndText) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    ComPtr<IDispatch> rs;
    ASSERT_EQ(S_OK, set.As(&rs));
    ambrelle::UniqueVariant value;
    ExpectException(Call(rs.Get(), IdOf(rs.Get(), L"MoveFirst"), DISPATCH_METHOD, {}), AdoError(3021),
                    L"ADODB.Recordset", kNoCurrentRecordText);
    ExpectException(Call(rs.Get(), -8, DISPATCH_PROPERTYGET, {Text(L"Nope")}, value.ptr()), AdoError(3265),
                    L"ADODB.Recordset", kItemNotFoundText);
    ExpectException(Call(rs.Get(), DISPID_VALUE, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {Text(L"Nope")},
                         value.put()),
                    AdoError(3265), L"ADODB.Recordset", kItemNotFoundText);
    ExpectException(Call(rs.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Text(L"N"), Long(1)}), AdoError(3021),
                    L"ADODB.Field", kNoCurrentRecordText);

    ASSERT_EQ(S_OK, set->AddNew(Missing(), Missing()));
    ExpectException(Call(rs.Get(), DISPID_VALUE, DISPATCH_PROPERTYPUT, {Text(L"N"), Text(L"abc")}), kMultipleStep,
                    L"ADODB.Field", kMultipleStepText);
    ExpectException(Call(rs.Get(), -8, DISPATCH_PROPERTYPUT, {Text(L"N"), Text(L"abc")}), kMultipleStep,
                    L"ADODB.Recordset", kMultipleStepText);

    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ExpectException(Call(fields.Get(), DISPID_VALUE, DISPATCH_PROPERTYGET, {Long(4)}, value.put()), AdoError(3265),
                    L"ADODB.Fields", kItemNotFoundText);
    ExpectException(Call(rs.Get(), IdOf(rs.Get(), L"Open"), DISPATCH_METHOD, {}), AdoError(3705), L"ADODB.Recordset",
                    kOpenText);
}

TEST_F(Dispatch, ForEachOverFieldsGivesEveryFieldObjectInOrder) {
    ComPtr<_ADORecordset> set = OpenSet({{L"A", adInteger, 0, -1}, {L"B", adVarChar, 5, -1}, {L"C", adDate, 0, -1}});
    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ambrelle::UniqueVariant enum_value;
    ASSERT_EQ(S_OK, Call(fields.Get(), DISPID_NEWENUM, DISPATCH_METHOD | DISPATCH_PROPERTYGET, {}, enum_value.ptr()));
    ASSERT_EQ(VT_UNKNOWN, enum_value.vt());
    ComPtr<IEnumVARIANT> items;
    ASSERT_EQ(S_OK, V_UNKNOWN(&enum_value.get())->QueryInterface(IID_PPV_ARGS(&items)));
    VARIANT got[4];
    ULONG fetched = 99;
    ASSERT_EQ(S_OK, items->Next(2, got, &fetched));
    EXPECT_EQ(2u, fetched);
    ComPtr<IEnumVARIANT> copy;
    ASSERT_EQ(S_OK, items->Clone(&copy));
    EXPECT_EQ(S_FALSE, items->Next(2, got + 2, &fetched));
    EXPECT_EQ(1u, fetched);
    const wchar_t* names[] = {L"A", L"B", L"C"};
    for (int i = 0; i < 3; ++i) {
        ASSERT_EQ(VT_DISPATCH, V_VT(&got[i]));
        ComPtr<ADOField> field, by_item;
        ASSERT_EQ(S_OK, V_DISPATCH(&got[i])->QueryInterface(IID_Field, reinterpret_cast<void**>(field.GetAddressOf())));
        ASSERT_EQ(S_OK, fields->get_Item(Long(i), &by_item));
        EXPECT_EQ(by_item.Get(), field.Get());
        ambrelle::UniqueBstr name;
        ASSERT_EQ(S_OK, field->get_Name(name.put()));
        EXPECT_STREQ(names[i], name.get());
        VariantClear(&got[i]);
    }
    ASSERT_EQ(S_OK, copy->Next(1, got, nullptr));
    ambrelle::UniqueVariant third = ambrelle::UniqueVariant::adopt(&got[0]);
    ASSERT_EQ(VT_DISPATCH, third.vt());
    EXPECT_EQ(S_FALSE, copy->Skip(5));
    ASSERT_EQ(S_OK, copy->Reset());
    ASSERT_EQ(S_OK, copy->Skip(3));
    EXPECT_EQ(S_FALSE, copy->Next(1, got, &fetched));
    EXPECT_EQ(0u, fetched);
}
