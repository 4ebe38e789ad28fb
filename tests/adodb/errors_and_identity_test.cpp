// The registered class and its interfaces, and ADO's errors with their
// numbers, sources and texts for each misuse.
#include <functional>

#include "recordset_test_support.h"

using namespace ado_test;

namespace {

class Identity : public ::testing::Test {
protected:
    ambrelle_test::ComApartment apartment_;
};

class AdoErrors : public ::testing::Test {
protected:
    ambrelle_test::ComApartment apartment_;
};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[39];
    StringFromGUID2(guid, text, 39);
    return text;
}

// _Collection and _DynaCollection: interfaces that ADO's Fields does not answer.
const IID kCollection = {0x00000512, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4}};
const IID kDynaCollection = {0x00000513, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xaa, 0x00, 0x6d, 0x2e, 0xa4}};

}  // namespace

TEST_F(Identity, TheProgIdNamesThisDllAndItsTypeLibraryDescribesTheInterfaces) {
    CLSID clsid = GUID_NULL;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"ADODB.Recordset", &clsid));
    EXPECT_EQ(CLSID_Recordset, clsid);
    const std::wstring key = L"CLSID\\" + GuidText(CLSID_Recordset) + L"\\InprocServer32";
    std::wstring server, threading;
    ASSERT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CLASSES_ROOT, key, nullptr, &server));
    ASSERT_GE(server.size(), 24u);
    EXPECT_EQ(L"\\AdoRecordsetStandin.dll", server.substr(server.size() - 24)) << server;
    ASSERT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CLASSES_ROOT, key, L"ThreadingModel", &threading));
    EXPECT_EQ(L"Apartment", threading);
    std::wstring typelib;
    ASSERT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CLASSES_ROOT,
                                                L"Interface\\" + GuidText(IID__Recordset) + L"\\TypeLib", nullptr,
                                                &typelib));
    EXPECT_EQ(L"{6E0C3C52-58B1-4C5E-9A0B-1F3D7B2A9C41}", typelib);
}

TEST_F(Identity, UnregistrationLeavesTheClassToAnotherServerItIsRegisteredTo) {
    const std::wstring clsid_key = L"CLSID\\" + GuidText(CLSID_Recordset);
    const std::wstring server_key = clsid_key + L"\\InprocServer32";
    std::wstring ours;
    ASSERT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CLASSES_ROOT, server_key, nullptr, &ours));
    HMODULE dll = LoadLibraryW(ours.c_str());
    ASSERT_NE(nullptr, dll);
    using Entry = HRESULT(STDAPICALLTYPE*)();
    auto register_server = reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    auto unregister_server =
        reinterpret_cast<Entry>(reinterpret_cast<void*>(GetProcAddress(dll, "DllUnregisterServer")));
    ASSERT_NE(nullptr, register_server);
    ASSERT_NE(nullptr, unregister_server);

    // The platform's own server took the class over: removing this DLL leaves its registration.
    const std::wstring other = L"C:\\windows\\system32\\msado15.dll";
    ASSERT_TRUE(ambrelle_test::WriteRegistryText(HKEY_CLASSES_ROOT, server_key, nullptr, other));
    EXPECT_EQ(S_OK, unregister_server());
    std::wstring server;
    EXPECT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CLASSES_ROOT, server_key, nullptr, &server));
    EXPECT_EQ(other, server);
    EXPECT_TRUE(ambrelle_test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"ADODB.Recordset"));

    // Registered to this DLL again, its removal takes the class's keys.
    EXPECT_EQ(S_OK, register_server());
    EXPECT_EQ(S_OK, unregister_server());
    EXPECT_FALSE(ambrelle_test::RegistryKeyExists(HKEY_CLASSES_ROOT, clsid_key));
    EXPECT_FALSE(ambrelle_test::RegistryKeyExists(HKEY_CLASSES_ROOT, L"ADODB.Recordset"));

    // The tests that follow find the class registered to this DLL, whatever happened above.
    EXPECT_EQ(S_OK, register_server());
    EXPECT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CLASSES_ROOT, server_key, nullptr, &server));
    EXPECT_EQ(ours, server);
    FreeLibrary(dll);
}

TEST_F(Identity, EveryRecordsetInterfaceIsTheSameObjectAndOnlyThoseAnswer) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ComPtr<IUnknown> unknown;
    ASSERT_EQ(S_OK, set.As(&unknown));
    for (const IID* iid : {&IID_IDispatch, &IID__ADO, &IID_Recordset15, &IID_Recordset20, &IID_Recordset21,
                           &IID__Recordset}) {
        ComPtr<IUnknown> answer;
        ASSERT_EQ(S_OK, set->QueryInterface(*iid, reinterpret_cast<void**>(answer.GetAddressOf())))
            << GuidText(*iid).c_str();
        EXPECT_EQ(static_cast<IUnknown*>(set.Get()), answer.Get());
    }
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, set.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID__Recordset));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_Recordset15));
    EXPECT_EQ(S_FALSE, support->InterfaceSupportsErrorInfo(IID_Fields));
    ComPtr<IUnknown> back;
    ASSERT_EQ(S_OK, support.As(&back));
    EXPECT_EQ(unknown.Get(), back.Get());
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, set->QueryInterface(IID_Fields, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_NOINTERFACE, set->QueryInterface(IID_IPersist, reinterpret_cast<void**>(&none)));
    unknown.Reset();
    back.Reset();
    support.Reset();
    EXPECT_EQ(0u, set.Reset());
}

TEST_F(Identity, FieldsAndFieldAnswerTheirOwnInterfaces) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    ComPtr<ADOFields> fields;
    ComPtr<ADOField> field;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ASSERT_EQ(S_OK, fields->get_Item(Long(0), &field));
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID_Fields15, &IID_Fields20, &IID_Fields}) {
        ComPtr<IUnknown> answer;
        ASSERT_EQ(S_OK, fields->QueryInterface(*iid, reinterpret_cast<void**>(answer.GetAddressOf())));
        EXPECT_EQ(static_cast<IUnknown*>(fields.Get()), answer.Get());
    }
    IUnknown* none = reinterpret_cast<IUnknown*>(1);
    EXPECT_EQ(E_NOINTERFACE, fields->QueryInterface(kCollection, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(E_NOINTERFACE, fields->QueryInterface(kDynaCollection, reinterpret_cast<void**>(&none)));
    EXPECT_EQ(E_NOINTERFACE, fields->QueryInterface(IID__Recordset, reinterpret_cast<void**>(&none)));
    for (const IID* iid : {&IID_IUnknown, &IID_IDispatch, &IID__ADO, &IID_Field20, &IID_Field}) {
        ComPtr<IUnknown> answer;
        ASSERT_EQ(S_OK, field->QueryInterface(*iid, reinterpret_cast<void**>(answer.GetAddressOf())));
        EXPECT_EQ(static_cast<IUnknown*>(field.Get()), answer.Get());
    }
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, fields.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_Fields));
    ASSERT_EQ(S_OK, field.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_Field));
    support.Reset();
    // A Field keeps its record set alive; releasing everything frees it all.
    fields.Reset();
    ASSERT_EQ(S_OK, set->Close());
    EXPECT_NE(0u, set.Reset());
    EXPECT_EQ(0u, field.Reset());
}

TEST_F(AdoErrors, ClosedRecordsetsRefuseWhatNeedsAnOpenOne) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"N", adInteger, 0, -1}));
    ComPtr<ADOField> field = FieldOf(set.Get(), Long(0));
    ASSERT_TRUE(field);
    VARIANT_BOOL flag;
    ADO_LONGPTR count;
    EditModeEnum mode;
    ambrelle::UniqueVariant value;
    const std::pair<const char*, std::function<HRESULT()>> calls[] = {
        {"MoveFirst", [&] { return set->MoveFirst(); }},
        {"MoveLast", [&] { return set->MoveLast(); }},
        {"MoveNext", [&] { return set->MoveNext(); }},
        {"MovePrevious", [&] { return set->MovePrevious(); }},
        {"Move", [&] { return set->Move(1, Long(adBookmarkFirst)); }},
        {"BOF", [&] { return set->get_BOF(&flag); }},
        {"EOF", [&] { return set->get_EOF(&flag); }},
        {"RecordCount", [&] { return set->get_RecordCount(&count); }},
        {"EditMode", [&] { return set->get_EditMode(&mode); }},
        {"AddNew", [&] { return set->AddNew(Missing(), Missing()); }},
        {"Update", [&] { return set->Update(Missing(), Missing()); }},
        {"CancelUpdate", [&] { return set->CancelUpdate(); }},
        {"Close", [&] { return set->Close(); }},
        {"Collect get", [&] { return set->get_Collect(Long(0), value.put()); }},
        {"Collect put", [&] { return set->put_Collect(Long(0), Long(1)); }},
    };
    for (const auto& call : calls) {
        SCOPED_TRACE(call.first);
        ExpectAdoError(call.second(), AdoError(3704), L"ADODB.Recordset", kClosedText);
    }
    ExpectAdoError(field->get_Value(value.put()), AdoError(3704), L"ADODB.Field", kClosedText);
    ExpectAdoError(field->put_Value(Long(1)), AdoError(3704), L"ADODB.Field", kClosedText);
}

TEST_F(AdoErrors, OpenRecordsetsRefuseWhatOnlyAClosedOneTakes) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    ExpectAdoError(OpenFabricated(set.Get()), AdoError(3705), L"ADODB.Recordset", kOpenText);
    ExpectAdoError(set->put_LockType(adLockOptimistic), AdoError(3705), L"ADODB.Recordset", kOpenText);
    ExpectAdoError(set->put_CursorType(adOpenKeyset), AdoError(3705), L"ADODB.Recordset", kOpenText);
    ExpectAdoError(set->put_CursorLocation(adUseServer), AdoError(3705), L"ADODB.Recordset", kOpenText);
    ExpectAdoError(AppendField(set.Get(), {L"M", adInteger, 0, -1}), AdoError(3219), L"ADODB.Fields",
                   L"Operation is not allowed in this context.");
    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ExpectAdoError(fields->Delete(Long(0)), AdoError(3219), L"ADODB.Fields",
                   L"Operation is not allowed in this context.");
}

TEST_F(AdoErrors, AppendChecksNamesTypesAndArguments) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"FValDate", adDate, 0, adFldIsNullable}));
    ExpectAdoError(AppendField(set.Get(), {L"fvaldate", adInteger, 0, -1}), AdoError(3367), L"ADODB.Fields",
                   L"Object is already in collection. Cannot append.");
    ExpectAdoError(AppendField(set.Get(), {L"", adInteger, 0, -1}), AdoError(3001), L"ADODB.Fields",
                   kInvalidArgumentText);
    ExpectAdoError(AppendField(set.Get(), {L"E", adEmpty, 0, -1}), AdoError(3001), L"ADODB.Fields",
                   kInvalidArgumentText);
    ExpectAdoError(AppendField(set.Get(), {L"S", adVarChar, -5, -1}), AdoError(3001), L"ADODB.Fields",
                   kInvalidArgumentText);
    ambrelle::UniqueBstr name(L"V");
    ExpectAdoError(fields->Append(name.get(), adInteger, 0, adFldUnspecified, Long(3)), AdoError(3001),
                   L"ADODB.Fields", kInvalidArgumentText);
    const HRESULT hr = AppendField(set.Get(), {L"G", adGUID, 0, -1});
    ambrelle::ComErrorDetails error = LastError(hr);
    EXPECT_EQ(E_NOTIMPL, hr);
    EXPECT_EQ(L"ADODB.Fields", error.source);
    EXPECT_NE(std::wstring::npos, error.description.find(L"not implemented")) << error.description;

    long count = 0;
    ASSERT_EQ(S_OK, fields->get_Count(&count));
    EXPECT_EQ(1, count) << "failed appends add nothing";
    ComPtr<ADOField> field;
    ASSERT_EQ(S_OK, fields->get_Item(Text(L"FVALDATE"), &field));
    long attributes = -1;
    ADO_LONGPTR size = -1;
    DataTypeEnum type = adEmpty;
    ASSERT_EQ(S_OK, field->get_Attributes(&attributes));
    ASSERT_EQ(S_OK, field->get_DefinedSize(&size));
    ASSERT_EQ(S_OK, field->get_Type(&type));
    EXPECT_EQ(adFldIsNullable, attributes);
    EXPECT_EQ(0, size);
    EXPECT_EQ(adDate, type);
    ambrelle::UniqueBstr field_name;
    ASSERT_EQ(S_OK, field->get_Name(field_name.put()));
    EXPECT_STREQ(L"FValDate", field_name.get()) << "the name keeps its letter case";

    ASSERT_EQ(S_OK, AppendField(set.Get(), {L"Plain", adVarChar, 80, -1}));
    ASSERT_EQ(S_OK, fields->get_Item(Long(1), &field));
    ASSERT_EQ(S_OK, field->get_Attributes(&attributes));
    EXPECT_EQ(0, attributes) << "adFldUnspecified reads back as no attributes";
    ASSERT_EQ(S_OK, fields->Delete(Text(L"fvaldate")));
    ASSERT_EQ(S_OK, fields->get_Count(&count));
    EXPECT_EQ(1, count);
    ASSERT_EQ(S_OK, fields->get_Item(Long(0), &field));
    ASSERT_EQ(S_OK, field->get_Name(field_name.put()));
    EXPECT_STREQ(L"Plain", field_name.get());
}

TEST_F(AdoErrors, MissingItemsAreNotFoundWhereverTheyAreLookedUp) {
    ComPtr<_ADORecordset> set = NumberedSet(1);
    ASSERT_EQ(S_OK, set->MoveFirst());
    ComPtr<ADOFields> fields;
    ASSERT_EQ(S_OK, set->get_Fields(&fields));
    VARIANT unknown;
    VariantInit(&unknown);
    V_VT(&unknown) = VT_UNKNOWN;
    V_UNKNOWN(&unknown) = nullptr;
    const VARIANT indexes[] = {Text(L"Nope").get(), Long(1), Long(-1), unknown, NullValue()};
    for (const VARIANT& index : indexes) {
        SCOPED_TRACE(V_VT(&index));
        ADOField* field = reinterpret_cast<ADOField*>(1);
        ExpectAdoError(fields->get_Item(index, &field), AdoError(3265), L"ADODB.Fields", kItemNotFoundText);
        EXPECT_EQ(nullptr, field);
        ambrelle::UniqueVariant value;
        ExpectAdoError(set->get_Collect(index, value.ptr()), AdoError(3265), L"ADODB.Recordset", kItemNotFoundText);
        ExpectAdoError(set->put_Collect(index, Long(1)), AdoError(3265), L"ADODB.Recordset", kItemNotFoundText);
    }
}

TEST_F(AdoErrors, SettingsTakeOnlyTheirValuesAndOpenNeedsFields) {
    ComPtr<_ADORecordset> set = NewRecordset();
    ExpectAdoError(set->put_LockType(adLockUnspecified), AdoError(3001), L"ADODB.Recordset", kInvalidArgumentText);
    ExpectAdoError(set->put_CacheSize(0), AdoError(3001), L"ADODB.Recordset", kInvalidArgumentText);
    ExpectAdoError(set->Open(Missing(), Missing(), adOpenStatic, adLockOptimistic, -1), AdoError(3709),
                   L"ADODB.Recordset",
                   L"The connection cannot be used to perform this operation. It is either closed or invalid in this "
                   L"context.");
    LockTypeEnum lock = adLockUnspecified;
    ASSERT_EQ(S_OK, set->get_LockType(&lock));
    EXPECT_EQ(adLockOptimistic, lock) << "the requested lock type is kept though Open failed";
}

TEST_F(AdoErrors, UnimplementedMembersSayWhatIsMissing) {
    ComPtr<_ADORecordset> set = OpenSet({{L"N", adInteger, 0, -1}});
    BSTR sort = reinterpret_cast<BSTR>(1);
    HRESULT hr = set->get_Sort(&sort);
    ambrelle::ComErrorDetails error = LastError(hr);
    EXPECT_EQ(E_NOTIMPL, hr);
    EXPECT_EQ(nullptr, sort);
    EXPECT_EQ(L"ADODB.Recordset", error.source);
    EXPECT_NE(std::wstring::npos, error.description.find(L"Sort")) << error.description;

    ComPtr<_ADORecordset> other = NewRecordset();
    ASSERT_EQ(S_OK, AppendField(other.Get(), {L"N", adInteger, 0, -1}));
    hr = other->Open(Text(L"SELECT * FROM T"), Missing(), adOpenUnspecified, adLockUnspecified, -1);
    error = LastError(hr);
    EXPECT_EQ(E_NOTIMPL, hr);
    EXPECT_NE(std::wstring::npos, error.description.find(L"Open")) << error.description;
    LONG state = -1;
    ASSERT_EQ(S_OK, other->get_State(&state));
    EXPECT_EQ(adStateClosed, state);
}
