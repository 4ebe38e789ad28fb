// What a host and the COM runtime see of Ambrelle.dll from outside: exports,
// resources, class objects, unloading and registration; and what every server
// DLL of the build gives back when it is unloaded.
#include <gtest/gtest.h>
#include <olectl.h>
#include <wrl/client.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "ambrelle_ids.h"
#include "test_support.h"

using Microsoft::WRL::ComPtr;
using namespace ambrelle_test;

namespace {

class AmbrelleModule : public ::testing::Test {
protected:
    void SetUp() override {
        module_ = LoadLibraryW(WindowsPath(AMBRELLE_DLL).c_str());
        ASSERT_NE(nullptr, module_);
    }
    void TearDown() override {
        if (module_) FreeLibrary(module_);
    }

    template <typename Fn>
    Fn Export(const char* name) {
        return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module_, name)));
    }

    HMODULE module_ = nullptr;
    ComApartment apartment_;
};

const IMAGE_EXPORT_DIRECTORY* ExportDirectory(HMODULE module) {
    auto base = reinterpret_cast<const BYTE*>(module);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    DWORD rva = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT].VirtualAddress;
    return reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(base + rva);
}

}  // namespace

namespace {

// Bytes allocated from every heap of the process.
long long HeapBytesInUse() {
    HANDLE heaps[64];
    const DWORD count = GetProcessHeaps(64, heaps);
    long long total = 0;
    for (DWORD i = 0; i < count && i < 64; ++i) {
        PROCESS_HEAP_ENTRY entry = {};
        HeapLock(heaps[i]);
        while (HeapWalk(heaps[i], &entry))
            if (entry.wFlags & PROCESS_HEAP_ENTRY_BUSY) total += entry.cbData;
        HeapUnlock(heaps[i]);
    }
    return total;
}

std::vector<std::string> ServerDlls() {
    std::vector<std::string> paths;
    const std::string all = AMBRELLE_SERVER_DLLS;
    for (size_t start = 0; start <= all.size();) {
        const size_t end = std::min(all.find('|', start), all.size());
        if (end > start) paths.push_back(all.substr(start, end - start));
        start = end + 1;
    }
    return paths;
}

}  // namespace

// The C++ runtime linked into each server takes an exception buffer of about
// 70 KB when the DLL loads. (First in this program: a later test unloads
// Ambrelle.dll with a window's record set alive, which keeps the record-set
// DLL loaded for good.) A host that starts an apartment for each query
// loads and unloads the DLLs again and again, and must get it back each time.
TEST(ServerDlls, GiveBackWhatTheirRuntimeTookWhenUnloaded) {
    const std::vector<std::string> paths = ServerDlls();
    ASSERT_EQ(7u, paths.size()) << "the component and the six stand-ins";
    for (const std::string& path : paths) {
        SCOPED_TRACE(path);
        const std::wstring windows_path = WindowsPath(path.c_str());
        const std::wstring name = windows_path.substr(windows_path.rfind(L'\\') + 1);
        ASSERT_EQ(nullptr, GetModuleHandleW(name.c_str())) << "not loaded by anything else: each load is a real one";
        constexpr int kSettling = 3, kLoads = 10;
        long long before = 0;
        for (int load = 0; load < kSettling + kLoads; ++load) {
            if (load == kSettling) before = HeapBytesInUse();
            HMODULE module = LoadLibraryW(windows_path.c_str());
            ASSERT_NE(nullptr, module);
            FreeLibrary(module);
            ASSERT_EQ(nullptr, GetModuleHandleW(name.c_str())) << "unloaded";
        }
        EXPECT_LT((HeapBytesInUse() - before) / kLoads, 8 * 1024) << "bytes kept per load";
    }
}

TEST_F(AmbrelleModule, ExportsTheFourEntryPointsByNameWithOrdinalsOneToFour) {
    auto base = reinterpret_cast<const BYTE*>(module_);
    const IMAGE_EXPORT_DIRECTORY* exports = ExportDirectory(module_);
    EXPECT_STREQ("Ambrelle.dll", reinterpret_cast<const char*>(base + exports->Name));
    ASSERT_EQ(4u, exports->NumberOfNames);
    auto names = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
    auto ordinals = reinterpret_cast<const WORD*>(base + exports->AddressOfNameOrdinals);
    const char* expected[] = {"DllCanUnloadNow", "DllGetClassObject", "DllRegisterServer", "DllUnregisterServer"};
    for (DWORD i = 0; i < 4; ++i) {
        const char* name = reinterpret_cast<const char*>(base + names[i]);
        EXPECT_STREQ(expected[i], name);
        EXPECT_EQ(i + 1, ordinals[i] + exports->Base) << name;
        EXPECT_EQ(GetProcAddress(module_, name), GetProcAddress(module_, MAKEINTRESOURCEA(i + 1))) << name;
    }
}

TEST_F(AmbrelleModule, InterfaceListResourceHoldsTheOlderThenTheCurrentIid) {
    HRSRC found = FindResourceExW(module_, L"_IID_CLSVALIDATE", MAKEINTRESOURCEW(1),
                                  MAKELANGID(LANG_NEUTRAL, SUBLANG_NEUTRAL));
    ASSERT_NE(nullptr, found);
    ASSERT_EQ(36u, SizeofResource(module_, found));
    auto data = static_cast<const BYTE*>(LockResource(LoadResource(module_, found)));
    DWORD count;
    std::memcpy(&count, data, 4);
    EXPECT_EQ(32u, count);
    EXPECT_EQ(0, std::memcmp(data + 4, &kIidV0, 16));
    EXPECT_EQ(0, std::memcmp(data + 20, &kIid, 16));
    EXPECT_NE(nullptr, FindResourceW(module_, MAKEINTRESOURCEW(1), L"TYPELIB"));
}

TEST_F(AmbrelleModule, VersionResourceCarriesTheProductStrings) {
    std::wstring path = WindowsPath(AMBRELLE_DLL);
    DWORD handle = 0;
    DWORD size = GetFileVersionInfoSizeW(path.c_str(), &handle);
    ASSERT_GT(size, 0u);
    std::vector<BYTE> info(size);
    ASSERT_TRUE(GetFileVersionInfoW(path.c_str(), 0, size, info.data()));

    VS_FIXEDFILEINFO* fixed = nullptr;
    UINT length = 0;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\", reinterpret_cast<void**>(&fixed), &length));
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwFileVersionMS);
    EXPECT_EQ(0u, fixed->dwFileVersionLS);
    EXPECT_EQ(MAKELONG(0, 1), fixed->dwProductVersionMS);
    EXPECT_EQ(static_cast<DWORD>(VOS__WINDOWS32), fixed->dwFileOS);
    EXPECT_EQ(static_cast<DWORD>(VFT_DLL), fixed->dwFileType);
    EXPECT_EQ(0u, fixed->dwFileFlags);

    WORD* translation = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\VarFileInfo\\Translation", reinterpret_cast<void**>(&translation),
                               &length));
    ASSERT_EQ(4u, length);
    EXPECT_EQ(0x0409, translation[0]);
    EXPECT_EQ(0x04B0, translation[1]);

    struct Expected {
        const wchar_t* key;
        const wchar_t* value;
    } table[] = {
        {L"ProductName", L"Ambrelle"},       {L"FileVersion", L"1.00"},
        {L"ProductVersion", L"1.00"},        {L"InternalName", L"Ambrelle"},
        {L"OriginalFilename", L"Ambrelle.dll"}, {L"OLESelfRegister", L""},
    };
    for (const Expected& row : table) {
        std::wstring query = std::wstring(L"\\StringFileInfo\\040904B0\\") + row.key;
        wchar_t* value = nullptr;
        ASSERT_TRUE(VerQueryValueW(info.data(), query.c_str(), reinterpret_cast<void**>(&value), &length)) << row.key;
        EXPECT_STREQ(row.value, value) << row.key;
    }
    wchar_t* company = nullptr;
    ASSERT_TRUE(VerQueryValueW(info.data(), L"\\StringFileInfo\\040904B0\\CompanyName",
                               reinterpret_cast<void**>(&company), &length));
    EXPECT_GT(wcslen(company), 0u);
}

TEST_F(AmbrelleModule, ClassObjectOnlyForClsValidate) {
    auto get_class_object = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ASSERT_NE(nullptr, get_class_object);
    void* object = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, get_class_object(CLSID_StdFont, IID_IClassFactory, &object));
    EXPECT_EQ(nullptr, object);

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&factory)));
    ComPtr<IUnknown> outer_refused;
    EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(factory.Get(), IID_PPV_ARGS(&outer_refused)));
    ComPtr<IClassFactory> no_such_interface;
    EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory,
                                                     reinterpret_cast<void**>(no_such_interface.GetAddressOf())));
}

// Installed in a folder whose path is longer than MAX_PATH, the DLL still
// finds its own type information, which its IDispatch works from.
TEST(AmbrelleInstallPath, AnyLengthServesTheClassAndItsDispatch) {
    ComApartment apartment;
    wchar_t temp[MAX_PATH];
    ASSERT_NE(0u, GetTempPathW(MAX_PATH, temp));
    std::vector<std::wstring> folders = {std::wstring(L"\\\\?\\") + temp + L"ambrelle-install-path"};
    while (folders.back().size() < 2 * MAX_PATH) folders.push_back(folders.back() + L"\\" + std::wstring(50, L'p'));
    for (const std::wstring& folder : folders) CreateDirectoryW(folder.c_str(), nullptr);
    const std::wstring copy = folders.back() + L"\\AmbrelleInstalled.dll";
    ASSERT_TRUE(CopyFileW(WindowsPath(AMBRELLE_DLL).c_str(), copy.c_str(), FALSE));
    {
        HMODULE module = LoadLibraryW(copy.c_str());
        ASSERT_NE(nullptr, module);
        auto get_class_object = reinterpret_cast<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>(
            reinterpret_cast<void*>(GetProcAddress(module, "DllGetClassObject")));
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&factory)));
        ComPtr<IDispatch> validate;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&validate)));
        LPOLESTR name[] = {const_cast<LPOLESTR>(L"show")};
        DISPID id = 0;
        EXPECT_EQ(S_OK, validate->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &id));
        EXPECT_EQ(0x60030002, id);
        validate.Reset();
        factory.Reset();
        FreeLibrary(module);
    }
    DeleteFileW(copy.c_str());
    for (auto folder = folders.rbegin(); folder != folders.rend(); ++folder) RemoveDirectoryW(folder->c_str());
}

TEST_F(AmbrelleModule, CanUnloadOnlyWhenNoObjectAndNoLockLives) {
    auto can_unload = Export<HRESULT(STDAPICALLTYPE*)()>("DllCanUnloadNow");
    auto get_class_object = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ASSERT_EQ(S_OK, can_unload());

    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&factory)));
    EXPECT_EQ(S_OK, can_unload()) << "a class object alone does not keep the DLL";

    IUnknown* first = nullptr;
    IUnknown* second = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&first)));
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IUnknown, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(S_FALSE, can_unload());
    EXPECT_EQ(0u, first->Release());
    EXPECT_EQ(S_FALSE, can_unload());
    EXPECT_EQ(0u, second->Release());
    EXPECT_EQ(S_OK, can_unload());

    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    ASSERT_EQ(S_OK, factory->LockServer(TRUE));
    EXPECT_EQ(S_FALSE, can_unload());
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, can_unload());
    ASSERT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_OK, can_unload());
}

namespace {

// Closes the calling thread's result window from its own modal loop, and
// keeps the icons of its window class.
struct ClassIconsAtClose {
    HICON big = nullptr;
    HICON small = nullptr;
    bool closed = false;
};
ClassIconsAtClose* g_icons_at_close = nullptr;

BOOL CALLBACK CloseResultWindow(HWND window, LPARAM) {
    wchar_t name[64];
    if (!GetClassNameW(window, name, 64) || wcscmp(name, L"AmbrelleFrmValidateQuery") != 0 || !IsWindowVisible(window))
        return TRUE;
    g_icons_at_close->big = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICON));
    g_icons_at_close->small = reinterpret_cast<HICON>(GetClassLongPtrW(window, GCLP_HICONSM));
    g_icons_at_close->closed = true;
    PostMessageW(window, WM_CLOSE, 0, 0);
    return FALSE;
}

VOID CALLBACK CloseResultWindowOnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_icons_at_close && !g_icons_at_close->closed)
        EnumThreadWindows(GetCurrentThreadId(), CloseResultWindow, 0);
}

}  // namespace

TEST_F(AmbrelleModule, UnloadingAfterAShowFreesTheWindowClassAndItsIcons) {
    auto get_class_object = Export<HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**)>("DllGetClassObject");
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(S_OK, get_class_object(kClsid, IID_PPV_ARGS(&factory)));
    ComPtr<IDispatch> validate;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_PPV_ARGS(&validate)));
    factory.Reset();

    ClassIconsAtClose icons;
    g_icons_at_close = &icons;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, CloseResultWindowOnTimer);
    DISPID show = 0;
    LPOLESTR name[] = {const_cast<LPOLESTR>(L"show")};
    ASSERT_EQ(S_OK, validate->GetIDsOfNames(IID_NULL, name, 1, LOCALE_USER_DEFAULT, &show));
    DISPPARAMS none = {nullptr, nullptr, 0, 0};
    VARIANT result;
    VariantInit(&result);
    EXPECT_EQ(S_OK, validate->Invoke(show, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &none, &result, nullptr,
                                     nullptr));
    KillTimer(nullptr, timer);
    g_icons_at_close = nullptr;
    ASSERT_TRUE(icons.closed);
    ASSERT_NE(nullptr, icons.big);
    ASSERT_NE(nullptr, icons.small);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(icons.big, &info)) << "the icon lives while the class does";
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
    EXPECT_EQ(0u, validate.Reset());

    ASSERT_TRUE(FreeLibrary(module_));
    module_ = nullptr;
    ASSERT_EQ(nullptr, GetModuleHandleW(L"Ambrelle.dll")) << "the DLL is unloaded";
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    EXPECT_FALSE(GetClassInfoExW(nullptr, L"AmbrelleFrmValidateQuery", &window_class));
    EXPECT_FALSE(GetIconInfo(icons.big, &info)) << "the class's big icon was freed with it";
    EXPECT_FALSE(GetIconInfo(icons.small, &info)) << "the class's small icon was freed with it";
}

namespace {

struct RegistryValue {
    std::wstring key;
    const wchar_t* name;
    std::wstring value;  // empty: the value must exist, any content
};

std::vector<RegistryValue> ExpectedRegistration(const std::wstring& dll_path) {
    const std::wstring clsid = std::wstring(L"CLSID\\") + kClsidText;
    const std::wstring typelib = std::wstring(L"TypeLib\\") + kLibIdText + L"\\1.1";
    std::vector<RegistryValue> values = {
        {clsid, nullptr, L"Ambrelle.ClsValidate"},
        {clsid + L"\\InprocServer32", nullptr, dll_path},
        {clsid + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {clsid + L"\\ProgID", nullptr, L"Ambrelle.ClsValidate"},
        {clsid + L"\\TypeLib", nullptr, kLibIdText},
        {L"Ambrelle.ClsValidate\\CLSID", nullptr, kClsidText},
        {typelib, nullptr, L"Ambrelle: approval history of a bill"},
        {typelib + (sizeof(void*) == 8 ? L"\\409\\win64" : L"\\409\\win32"), nullptr, dll_path},
        // Found by the automation marshaler, which asks for the neutral locale.
        {typelib + (sizeof(void*) == 8 ? L"\\0\\win64" : L"\\0\\win32"), nullptr, dll_path},
        {typelib + L"\\FLAGS", nullptr, L"8"},  // LIBFLAG_FHASDISKIMAGE
    };
    for (const wchar_t* iid : {kIidText, kIidV0Text}) {
        const std::wstring key = std::wstring(L"Interface\\") + iid;
        values.push_back({key, nullptr, L"_ClsValidate"});
        values.push_back({key + L"\\ProxyStubClsid32", nullptr, L"{00020424-0000-0000-C000-000000000046}"});
        values.push_back({key + L"\\TypeLib", nullptr, kLibIdText});
        values.push_back({key + L"\\TypeLib", L"Version", L"1.1"});
    }
    return values;
}

void ExpectRegistered(const std::wstring& dll_path) {
    for (const RegistryValue& expected : ExpectedRegistration(dll_path)) {
        std::wstring actual;
        ASSERT_TRUE(ReadRegistryText(HKEY_CLASSES_ROOT, expected.key, expected.name, &actual))
            << "missing " << std::string(expected.key.begin(), expected.key.end());
        EXPECT_EQ(0, lstrcmpiW(expected.value.c_str(), actual.c_str()))
            << std::string(expected.key.begin(), expected.key.end());
    }
}

void ExpectNothingOfOursRegistered() {
    const std::wstring keys[] = {
        std::wstring(L"CLSID\\") + kClsidText, L"Ambrelle.ClsValidate", std::wstring(L"TypeLib\\") + kLibIdText,
        std::wstring(L"Interface\\") + kIidText, std::wstring(L"Interface\\") + kIidV0Text,
    };
    for (const std::wstring& key : keys)
        EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, key)) << std::string(key.begin(), key.end());
}

}  // namespace

TEST_F(AmbrelleModule, RegistrationWritesExactlyWhatUnregistrationRemoves) {
    auto register_server = Export<HRESULT(STDAPICALLTYPE*)()>("DllRegisterServer");
    auto unregister_server = Export<HRESULT(STDAPICALLTYPE*)()>("DllUnregisterServer");
    const std::wstring dll_path = WindowsPath(AMBRELLE_DLL);

    // The test session registered the DLL with regsvr32.
    ExpectRegistered(dll_path);
    CLSID from_prog_id;
    ASSERT_EQ(S_OK, CLSIDFromProgID(L"Ambrelle.ClsValidate", &from_prog_id));
    EXPECT_TRUE(IsEqualCLSID(kClsid, from_prog_id));

    ASSERT_EQ(S_OK, unregister_server());
    ExpectNothingOfOursRegistered();
    EXPECT_EQ(S_OK, unregister_server()) << "unregistering twice is not a failure";

    // Registration is restored for the tests that follow, whatever happened above.
    ASSERT_EQ(S_OK, register_server());
    ExpectRegistered(dll_path);
    ASSERT_EQ(S_OK, register_server()) << "registering again overwrites";
    ExpectRegistered(dll_path);
}
