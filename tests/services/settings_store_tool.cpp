// A second process for the settings tests: writes, checks or removes one
// setting through SettingsStore, called through its vtable as Ambrelle calls it.
//   settings_store_tool write <app> <key> <value>   (value "r4:<number>" is written as VT_R4)
//   settings_store_tool expect <app> <key> <text>   (exit 0 when ReadSetting gives that text)
//   settings_store_tool delete <app>
// Exit codes: 0 done, 1 the text differs or the key is missing, 2 a call failed.
#include <windows.h>
#include <ole2.h>
#include <shellapi.h>
#include <wrl/client.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "settings_store.h"
#include "unique_bstr.h"
#include "unique_variant.h"

using ambrelle::UniqueBstr;
using ambrelle::UniqueVariant;
using Microsoft::WRL::ComPtr;

namespace {

int Run(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    const std::wstring action = argv[1];
    ComPtr<ISettingsStore> store;
    if (FAILED(CoCreateInstance(CLSID_SettingsStore, nullptr, CLSCTX_INPROC_SERVER, IID_PPV_ARGS(&store)))) return 2;
    UniqueBstr app(argv[2]);
    if (action == L"delete") {
        UniqueVariant all;
        V_VT(all.ptr()) = VT_ERROR;
        V_ERROR(all.ptr()) = DISP_E_PARAMNOTFOUND;
        VARIANT_BOOL removed = VARIANT_FALSE;
        return SUCCEEDED(store->DeleteSetting(app.get(), all.get(), &removed)) ? 0 : 2;
    }
    if (argc < 5) return 2;
    UniqueBstr key(argv[3]);
    const std::wstring text = argv[4];
    UniqueVariant value, result;
    if (action == L"write") {
        if (text.compare(0, 3, L"r4:") == 0) {
            V_VT(value.ptr()) = VT_R4;
            V_R4(value.ptr()) = std::wcstof(text.c_str() + 3, nullptr);
        } else {
            V_VT(value.ptr()) = VT_BSTR;
            V_BSTR(value.ptr()) = SysAllocString(text.c_str());
        }
        BSTR app_variable = app.get();
        BSTR key_variable = key.get();
        return SUCCEEDED(store->WriteSetting(&app_variable, &key_variable, value.ptr(), result.ptr())) ? 0 : 2;
    }
    if (action == L"expect") {
        V_VT(value.ptr()) = VT_BSTR;
        V_BSTR(value.ptr()) = SysAllocString(L"<missing>");
        BSTR key_variable = key.get();
        if (FAILED(store->ReadSetting(app.get(), &key_variable, value.ptr(), result.ptr()))) return 2;
        if (result.vt() != VT_BSTR) return 1;
        const std::wstring read(V_BSTR(result.ptr()), SysStringLen(V_BSTR(result.ptr())));
        if (read == text) return 0;
        std::fwprintf(stderr, L"read \"%ls\", expected \"%ls\"\n", read.c_str(), text.c_str());
        return 1;
    }
    return 2;
}

}  // namespace

int main() {
    int argc = 0;
    wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
    if (!argv) return 2;
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const int code = Run(argc, argv);
    CoUninitialize();
    LocalFree(argv);
    return code;
}
