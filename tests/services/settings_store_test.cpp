// SettingsStore through its vtable, as Ambrelle calls it (ReadSetting at
// position 9, WriteSetting at 10), and its registry layout.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "service_test_support.h"
#include "settings_store.h"
#include "test_support.h"

using namespace services_test;
using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;

namespace {

constexpr wchar_t kApp[] = L"AmbrelleServicesTest";
const std::wstring kSection = std::wstring(L"Software\\VB and VBA Program Settings\\") + kApp + L"\\Settings";

// The methods at their vtable positions, called the way Ambrelle calls them.
using DeleteSettingFn = HRESULT(STDMETHODCALLTYPE*)(void* self, BSTR app, VARIANT key, VARIANT_BOOL* removed);
using GetAllSettingsFn = HRESULT(STDMETHODCALLTYPE*)(void* self, BSTR app, VARIANT* settings);
using ReadSettingFn = HRESULT(STDMETHODCALLTYPE*)(void* self, BSTR app, BSTR* key, VARIANT* default_value,
                                                  VARIANT* value);
using WriteSettingFn = HRESULT(STDMETHODCALLTYPE*)(void* self, BSTR* app, BSTR* key, VARIANT* value,
                                                   VARIANT* stored);

class SettingsStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(S_OK, CoCreateInstance(CLSID_SettingsStore, nullptr, CLSCTX_INPROC_SERVER, IID_ISettingsStore,
                                         reinterpret_cast<void**>(store_.GetAddressOf())));
        RemoveAll();
    }
    void TearDown() override {
        if (store_) RemoveAll();
    }

    void RemoveAll() {
        UniqueBstr app(kApp);
        VARIANT missing;
        V_VT(&missing) = VT_ERROR;
        V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
        VARIANT_BOOL removed;
        Slot<DeleteSettingFn>(store_.Get(), 7)(store_.Get(), app.get(), missing, &removed);
    }

    HRESULT Write(const wchar_t* key, const VARIANT& value, std::wstring* stored = nullptr) {
        UniqueBstr app(kApp), key_text(key);
        BSTR app_variable = app.get(), key_variable = key_text.get();
        UniqueVariant value_variable, result;
        VariantCopy(value_variable.ptr(), const_cast<VARIANT*>(&value));
        V_VT(result.ptr()) = VT_ERROR;
        HRESULT hr = Slot<WriteSettingFn>(store_.Get(), 10)(store_.Get(), &app_variable, &key_variable,
                                                            value_variable.ptr(), result.ptr());
        if (stored) *stored = TextOf(result.get());
        return hr;
    }

    UniqueVariant Read(const wchar_t* key, const VARIANT& default_value, HRESULT* hr_out = nullptr) {
        UniqueBstr app(kApp), key_text(key);
        BSTR key_variable = key_text.get();
        UniqueVariant default_variable, result;
        VariantCopy(default_variable.ptr(), const_cast<VARIANT*>(&default_value));
        V_VT(result.ptr()) = VT_ERROR;
        HRESULT hr = Slot<ReadSettingFn>(store_.Get(), 9)(store_.Get(), app.get(), &key_variable,
                                                          default_variable.ptr(), result.ptr());
        if (hr_out) *hr_out = hr;
        EXPECT_EQ(key_text.get(), key_variable) << "the key passed by reference is left as it was";
        return result;
    }

    // The value converted as a caller converts it: with the user's regional settings.
    static double ReadNumber(const VARIANT& value) {
        UniqueVariant number;
        if (FAILED(VariantChangeType(number.ptr(), const_cast<VARIANT*>(&value), 0, VT_R8))) return -999999;
        return V_R8(number.ptr());
    }

    static VARIANT Short(SHORT value) {
        VARIANT v;
        V_VT(&v) = VT_I2;
        V_I2(&v) = value;
        return v;
    }

    ambrelle_test::ComApartment apartment_;
    ComPtr<ISettingsStore> store_;
};

TEST_F(SettingsStoreTest, ValuesAreStoredAsDecimalTextWithAPoint) {
    struct Case {
        const wchar_t* key;
        VARTYPE vt;
        double number;
        const wchar_t* text;
        const wchar_t* stored;
    };
    const Case cases[] = {
        {L"WinTop", VT_R4, 1234.5, nullptr, L"1234.5"},
        {L"WinLeft", VT_R4, -0.25, nullptr, L"-0.25"},
        {L"WinWidth", VT_R4, 6390, nullptr, L"6390"},
        {L"WinHeight", VT_R8, 8925.125, nullptr, L"8925.125"},
        {L"1ReqValidate", VT_I2, 1200, nullptr, L"1200"},
        {L"2ReqValidate", VT_I4, 0, nullptr, L"0"},
        {L"Caption", VT_BSTR, 0, L"内部订单确认信息查询", L"内部订单确认信息查询"},
        {L"Flag", VT_BOOL, 0, nullptr, L"True"},
        {L"Nothing", VT_EMPTY, 0, nullptr, L""},
    };
    for (const Case& c : cases) {
        UniqueVariant value;
        V_VT(value.ptr()) = c.vt;
        if (c.vt == VT_R4) V_R4(value.ptr()) = static_cast<float>(c.number);
        if (c.vt == VT_R8) V_R8(value.ptr()) = c.number;
        if (c.vt == VT_I2) V_I2(value.ptr()) = static_cast<SHORT>(c.number);
        if (c.vt == VT_I4) V_I4(value.ptr()) = static_cast<LONG>(c.number);
        if (c.vt == VT_BSTR) V_BSTR(value.ptr()) = SysAllocString(c.text);
        if (c.vt == VT_BOOL) V_BOOL(value.ptr()) = VARIANT_TRUE;
        std::wstring stored;
        ASSERT_EQ(S_OK, Write(c.key, value.get(), &stored)) << c.key;
        EXPECT_EQ(c.stored, stored) << c.key;
        std::wstring in_registry;
        ASSERT_TRUE(ambrelle_test::ReadRegistryText(HKEY_CURRENT_USER, kSection, c.key, &in_registry)) << c.key;
        EXPECT_EQ(c.stored, in_registry) << c.key;
        // Read back, a number converts to the number written under the user's
        // regional settings, whatever they are.
        UniqueVariant read = Read(c.key, Short(0));
        ASSERT_EQ(VT_BSTR, read.vt()) << c.key;
        if (c.text || c.vt == VT_BOOL || c.vt == VT_EMPTY) {
            EXPECT_EQ(c.stored, TextOf(read.get())) << c.key;
        } else {
            EXPECT_EQ(c.number, ReadNumber(read.get())) << c.key << " read as " << TextOf(read.get());
        }
    }
}

TEST_F(SettingsStoreTest, KeysNeverWrittenGiveTheDefaultAsPassed) {
    UniqueVariant read = Read(L"WinWidth", Short(6390));
    ASSERT_EQ(VT_I2, read.vt());
    EXPECT_EQ(6390, V_I2(read.ptr()));

    // A default passed by reference is given back as its value.
    LONG width = 1200;
    VARIANT by_reference;
    V_VT(&by_reference) = VT_BYREF | VT_I4;
    V_I4REF(&by_reference) = &width;
    read = Read(L"3ReqRejValidate", by_reference);
    ASSERT_EQ(VT_I4, read.vt());
    EXPECT_EQ(1200, V_I4(read.ptr()));

    // So is a key of another application, and a key once written but deleted.
    ASSERT_EQ(S_OK, Write(L"WinTop", Short(15)));
    UniqueBstr app(kApp);
    UniqueVariant key;
    V_VT(key.ptr()) = VT_BSTR;
    V_BSTR(key.ptr()) = SysAllocString(L"WinTop");
    VARIANT_BOOL removed = VARIANT_FALSE;
    ASSERT_EQ(S_OK, Slot<DeleteSettingFn>(store_.Get(), 7)(store_.Get(), app.get(), key.get(), &removed));
    EXPECT_EQ(VARIANT_TRUE, removed);
    read = Read(L"WinTop", Short(-1));
    ASSERT_EQ(VT_I2, read.vt());
    EXPECT_EQ(-1, V_I2(read.ptr()));
    ASSERT_EQ(S_OK, Slot<DeleteSettingFn>(store_.Get(), 7)(store_.Get(), app.get(), key.get(), &removed));
    EXPECT_EQ(VARIANT_FALSE, removed) << "nothing left to remove";
}

TEST_F(SettingsStoreTest, TextThatIsNotANumberStaysText) {
    VARIANT text;
    V_VT(&text) = VT_BSTR;
    V_BSTR(&text) = SysAllocString(L"宽度 abc");
    ASSERT_EQ(S_OK, Write(L"WinTop", text));
    SysFreeString(V_BSTR(&text));
    UniqueVariant read = Read(L"WinTop", Short(0));
    ASSERT_EQ(VT_BSTR, read.vt());
    EXPECT_EQ(L"宽度 abc", TextOf(read.get()));
    // Whoever converts it to a number finds it is none.
    EXPECT_EQ(DISP_E_TYPEMISMATCH, VariantChangeType(read.ptr(), read.ptr(), 0, VT_R4));

    // A number kept in the stored form ("." as the decimal point, as every
    // earlier version wrote it) reads as that number; a text that is not
    // exactly that form stays as it is, and a null inside a text is kept.
    struct Case {
        std::wstring in_registry;
        std::wstring text;  // what is read, or empty for a number
        double number;
    } cases[] = {
        {L"6394.286", L"", 6394.286},
        {L"-0.25", L"", -0.25},
        {L"1.50", L"1.50", 0},
        {L"1,5", L"1,5", 0},
        {std::wstring(L"12\0" L"34", 5), std::wstring(L"12\0" L"34", 5), 0},
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(ambrelle_test::WriteRegistryText(HKEY_CURRENT_USER, kSection, L"Stored", c.in_registry));
        read = Read(L"Stored", Short(0));
        ASSERT_EQ(VT_BSTR, read.vt());
        if (c.text.empty()) {
            EXPECT_EQ(static_cast<float>(c.number), static_cast<float>(ReadNumber(read.get()))) << c.number;
        } else {
            EXPECT_EQ(c.text, TextOf(read.get())) << c.text.size();
        }
    }
    VARIANT with_null;
    V_VT(&with_null) = VT_BSTR;
    V_BSTR(&with_null) = SysAllocStringLen(L"ab\0cd", 5);
    ASSERT_EQ(S_OK, Write(L"WithNull", with_null));
    SysFreeString(V_BSTR(&with_null));
    read = Read(L"WithNull", Short(0));
    EXPECT_EQ(std::wstring(L"ab\0cd", 5), TextOf(read.get()));
}

TEST_F(SettingsStoreTest, AReadRacingWritesOfOtherLengthsGivesOneOfTheValuesWritten) {
    const std::wstring short_text = L"1200";
    const std::wstring long_text(3000, L'7');
    ASSERT_TRUE(ambrelle_test::WriteRegistryText(HKEY_CURRENT_USER, kSection, L"Racing", short_text));
    struct Writer {
        const std::wstring* texts[2];
        const std::wstring* section;
        volatile LONG stop = 0;
        static DWORD WINAPI Run(void* context) {
            auto* self = static_cast<Writer*>(context);
            for (unsigned i = 0; !self->stop; ++i)
                ambrelle_test::WriteRegistryText(HKEY_CURRENT_USER, *self->section, L"Racing", *self->texts[i % 2]);
            return 0;
        }
    } writer{{&short_text, &long_text}, &kSection};
    HANDLE thread = CreateThread(nullptr, 0, &Writer::Run, &writer, 0, nullptr);
    ASSERT_NE(nullptr, thread);
    int failures = 0;
    for (int i = 0; i < 400; ++i) {
        HRESULT hr = E_FAIL;
        UniqueVariant read = Read(L"Racing", Short(0), &hr);
        const std::wstring text = read.vt() == VT_BSTR ? TextOf(read.get()) : L"";
        if (FAILED(hr) || (text != short_text && text != long_text)) ++failures;
    }
    writer.stop = 1;
    WaitForSingleObject(thread, INFINITE);
    CloseHandle(thread);
    EXPECT_EQ(0, failures);
}

TEST_F(SettingsStoreTest, GetAllSettingsAndDeleteSettingSitAtPositionsSevenAndEight) {
    ASSERT_EQ(S_OK, Write(L"WinTop", Short(10)));
    ASSERT_EQ(S_OK, Write(L"WinLeft", Short(20)));
    ASSERT_EQ(S_OK, Write(L"WinWidth", Short(30)));
    UniqueBstr app(kApp);
    UniqueVariant all;
    ASSERT_EQ(S_OK, Slot<GetAllSettingsFn>(store_.Get(), 8)(store_.Get(), app.get(), all.ptr()));
    ASSERT_EQ(VT_ARRAY | VT_VARIANT, all.vt());
    SAFEARRAY* array = V_ARRAY(all.ptr());
    ASSERT_EQ(2u, SafeArrayGetDim(array));
    LONG upper = -1;
    ASSERT_EQ(S_OK, SafeArrayGetUBound(array, 1, &upper));
    EXPECT_EQ(2, upper) << "one row per key";
    ASSERT_EQ(S_OK, SafeArrayGetUBound(array, 2, &upper));
    EXPECT_EQ(1, upper) << "key and value";
    std::vector<std::wstring> pairs;
    for (LONG row = 0; row < 3; ++row) {
        std::wstring pair;
        for (LONG column = 0; column < 2; ++column) {
            LONG indices[2] = {row, column};
            UniqueVariant cell;
            ASSERT_EQ(S_OK, SafeArrayGetElement(array, indices, cell.ptr()));
            pair += (column == 0 ? L"" : L"=") + TextOf(cell.get());
        }
        pairs.push_back(pair);
    }
    std::sort(pairs.begin(), pairs.end());  // the registry's order
    EXPECT_EQ((std::vector<std::wstring>{L"WinLeft=20", L"WinTop=10", L"WinWidth=30"}), pairs);

    VARIANT missing;
    V_VT(&missing) = VT_ERROR;
    V_ERROR(&missing) = DISP_E_PARAMNOTFOUND;
    VARIANT_BOOL removed = VARIANT_FALSE;
    ASSERT_EQ(S_OK, Slot<DeleteSettingFn>(store_.Get(), 7)(store_.Get(), app.get(), missing, &removed));
    EXPECT_EQ(VARIANT_TRUE, removed);
    EXPECT_FALSE(ambrelle_test::RegistryKeyExists(
        HKEY_CURRENT_USER, std::wstring(L"Software\\VB and VBA Program Settings\\") + kApp))
        << "the application's key goes with its last section";
    ASSERT_EQ(S_OK, Slot<GetAllSettingsFn>(store_.Get(), 8)(store_.Get(), app.get(), all.put()));
    EXPECT_EQ(VT_EMPTY, all.vt());
}

TEST_F(SettingsStoreTest, RefusedWritesRaiseErrorsAndStoreNothing) {
    struct Case {
        const char* name;
        std::wstring app;
        std::wstring key;
        VARTYPE vt;
        HRESULT expected;
        const wchar_t* description;
    };
    const std::wstring app = kApp;
    const wchar_t* const kNameRefused = L"must not contain a backslash or a null character.";
    const Case cases[] = {
        {"Null", kApp, L"WinTop", VT_NULL, static_cast<HRESULT>(0x800A005E), L"Invalid use of Null"},
        {"no application", L"", L"WinTop", VT_I2, E_INVALIDARG, nullptr},
        {"no key", kApp, L"", VT_I2, E_INVALIDARG, nullptr},
        {"an array", kApp, L"WinTop", VT_ARRAY | VT_VARIANT, DISP_E_TYPEMISMATCH, nullptr},
        // Names that would reach another application's section or another key.
        {"application nested", app + L"\\Nested", L"WinTop", VT_I2, E_INVALIDARG, kNameRefused},
        {"application with a null", app + std::wstring(1, L'\0') + L"Other", L"WinTop", VT_I2, E_INVALIDARG,
         kNameRefused},
        {"key with a backslash", kApp, L"Win\\Top", VT_I2, E_INVALIDARG, kNameRefused},
        {"key with a null", kApp, std::wstring(L"WinTop") + std::wstring(1, L'\0') + L"X", VT_I2, E_INVALIDARG,
         kNameRefused},
    };
    for (const Case& c : cases) {
        UniqueBstr app(c.app.c_str(), static_cast<UINT>(c.app.size()));
        UniqueBstr key(c.key.c_str(), static_cast<UINT>(c.key.size()));
        BSTR app_variable = app.get(), key_variable = key.get();
        UniqueVariant value, result;
        V_VT(value.ptr()) = c.vt;
        if (c.vt == VT_I2) V_I2(value.ptr()) = 1;
        if (c.vt & VT_ARRAY) V_ARRAY(value.ptr()) = SafeArrayCreateVector(VT_VARIANT, 0, 1);
        V_VT(result.ptr()) = VT_ERROR;
        EXPECT_EQ(c.expected, Slot<WriteSettingFn>(store_.Get(), 10)(store_.Get(), &app_variable, &key_variable,
                                                                     value.ptr(), result.ptr()))
            << c.name;
        EXPECT_EQ(VT_EMPTY, result.vt()) << c.name;
        ErrorObject error = TakeErrorObject();
        EXPECT_TRUE(error.present) << c.name;
        EXPECT_EQ(L"SettingsStore", error.source) << c.name;
        if (c.description) {
            EXPECT_NE(std::wstring::npos, error.description.find(c.description)) << c.name;
        }
    }
    EXPECT_FALSE(ambrelle_test::RegistryKeyExists(
        HKEY_CURRENT_USER, std::wstring(L"Software\\VB and VBA Program Settings\\") + kApp))
        << "nothing was written, not under this application's name either";
    // Reading through such a name is refused the same way.
    UniqueBstr aliased(cases[5].app.c_str(), static_cast<UINT>(cases[5].app.size()));
    BSTR key_variable = SysAllocString(L"WinTop");
    UniqueVariant default_value, result;
    EXPECT_EQ(E_INVALIDARG, Slot<ReadSettingFn>(store_.Get(), 9)(store_.Get(), aliased.get(), &key_variable,
                                                                default_value.ptr(), result.ptr()));
    SysFreeString(key_variable);
    TakeErrorObject();
    ComPtr<ISupportErrorInfo> support;
    ASSERT_EQ(S_OK, store_.As(&support));
    EXPECT_EQ(S_OK, support->InterfaceSupportsErrorInfo(IID_ISettingsStore));
}

TEST_F(SettingsStoreTest, LateBoundCallersReachTheSameMethods) {
    DISPID ids[2];
    LPOLESTR names[] = {const_cast<LPOLESTR>(L"WriteSetting"), const_cast<LPOLESTR>(L"ReadSetting")};
    ASSERT_EQ(S_OK, store_->GetIDsOfNames(IID_NULL, &names[0], 1, 0, &ids[0]));
    ASSERT_EQ(S_OK, store_->GetIDsOfNames(IID_NULL, &names[1], 1, 0, &ids[1]));
    // Literals by value, as a script passes them.
    VARIANT args[3];
    V_VT(&args[2]) = VT_BSTR;
    V_BSTR(&args[2]) = SysAllocString(kApp);
    V_VT(&args[1]) = VT_BSTR;
    V_BSTR(&args[1]) = SysAllocString(L"HWinLeft");
    V_VT(&args[0]) = VT_R4;
    V_R4(&args[0]) = 99.5f;
    DISPPARAMS params = {args, nullptr, 3, 0};
    UniqueVariant result;
    ASSERT_EQ(S_OK, store_->Invoke(ids[0], IID_NULL, 0, DISPATCH_METHOD, &params, result.ptr(), nullptr, nullptr));
    EXPECT_EQ(L"99.5", TextOf(result.get()));
    V_VT(&args[0]) = VT_I2;
    V_I2(&args[0]) = 0;
    ASSERT_EQ(S_OK, store_->Invoke(ids[1], IID_NULL, 0, DISPATCH_METHOD, &params, result.put(), nullptr, nullptr));
    EXPECT_EQ(99.5, ReadNumber(result.get()));
    SysFreeString(V_BSTR(&args[2]));
    SysFreeString(V_BSTR(&args[1]));
}

// The helper program beside this test, run as a process of its own.
DWORD RunTool(const std::wstring& arguments) {
    wchar_t path[MAX_PATH];
    DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring tool(path, length);
    tool = tool.substr(0, tool.find_last_of(L'\\') + 1) + L"settings_store_tool.exe";
    std::wstring command = L"\"" + tool + L"\" " + arguments;
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(tool.c_str(), &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process))
        return 1000 + GetLastError();
    WaitForSingleObject(process.hProcess, 60000);
    DWORD code = 999;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return code;
}

TEST_F(SettingsStoreTest, ValuesPersistFromOneProcessToAnother) {
    const std::wstring app = kApp;
    ASSERT_EQ(0u, RunTool(L"write " + app + L" HWinWidth r4:7021.5"));
    UniqueVariant read = Read(L"HWinWidth", Short(6390));
    ASSERT_EQ(VT_BSTR, read.vt()) << "written by the other process";
    EXPECT_EQ(7021.5, ReadNumber(read.get()));

    // Between two reads of this store, the other process removes every
    // setting of the application, and then writes them anew.
    ASSERT_EQ(0u, RunTool(L"delete " + app));
    read = Read(L"HWinWidth", Short(6390));
    ASSERT_EQ(VT_I2, read.vt()) << "removed by the other process";
    ASSERT_EQ(0u, RunTool(L"write " + app + L" HWinWidth r4:6500"));
    read = Read(L"HWinWidth", Short(6390));
    ASSERT_EQ(VT_BSTR, read.vt()) << "written anew by the other process";
    EXPECT_EQ(6500, ReadNumber(read.get()));
    ASSERT_EQ(0u, RunTool(L"delete " + app));
    ASSERT_EQ(0u, RunTool(L"write " + app + L" HWinWidth r4:6600"));
    read = Read(L"HWinWidth", Short(6390));
    ASSERT_EQ(VT_BSTR, read.vt()) << "removed and written anew between two reads";
    EXPECT_EQ(6600, ReadNumber(read.get()));

    VARIANT width;
    V_VT(&width) = VT_R4;
    V_R4(&width) = 1310.f;
    ASSERT_EQ(S_OK, Write(L"4ReqRejValidate", width));
    EXPECT_EQ(0u, RunTool(L"expect " + app + L" 4ReqRejValidate 1310"));
    EXPECT_EQ(1u, RunTool(L"expect " + app + L" 5ReqRejValidate 1310")) << "a key never written is not found";
}

}  // namespace
