#include "window_test_support.h"

#include <algorithm>

#include <ocidl.h>

#include "automation.h"
#include "control_events.h"
#include "tessary_identity.h"
#include "test_support.h"
#include "unique_variant.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle_test {

namespace {

constexpr wchar_t kSettingsKey[] = L"Software\\VB and VBA Program Settings\\Ambrelle";
constexpr wchar_t kSettingsSection[] = L"Software\\VB and VBA Program Settings\\Ambrelle\\Settings";

HRESULT InvokeGet(IDispatch* object, DISPID member, VARIANT* args, UINT count, VARIANT* result) {
    DISPPARAMS params = {args, nullptr, count, 0};
    return object->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &params, result, nullptr,
                          nullptr);
}

ComPtr<IDispatch> SubObject(IDispatch* object, DISPID member, VARIANT* args, UINT count) {
    ambrelle::UniqueVariant result;
    if (FAILED(InvokeGet(object, member, args, count, result.ptr())) || result.vt() != VT_DISPATCH) return nullptr;
    return V_DISPATCH(result.ptr());
}

LONG SheetLong(HWND window, DISPID member) {
    ComPtr<IDispatch> grid = GridOf(window);
    if (!grid) return -1;
    ComPtr<IDispatch> sheet = SubObject(grid.Get(), tessary::kDispidSheet, nullptr, 0);
    if (!sheet) return -1;
    ambrelle::UniqueVariant value;
    if (FAILED(InvokeGet(sheet.Get(), member, nullptr, 0, value.ptr()))) return -1;
    if (FAILED(VariantChangeType(value.ptr(), value.ptr(), 0, VT_I4))) return -1;
    return V_I4(value.ptr());
}

ComPtr<IDispatch> ColumnObject(HWND window, LONG column) {
    ComPtr<IDispatch> grid = GridOf(window);
    if (!grid) return nullptr;
    VARIANT index = Long(column);
    return SubObject(grid.Get(), tessary::kDispidColumn, &index, 1);
}

std::vector<std::wstring> Split(const std::wstring& text, const std::wstring& separator) {
    std::vector<std::wstring> parts;
    size_t start = 0;
    for (;;) {
        const size_t at = text.find(separator, start);
        parts.push_back(text.substr(start, at == std::wstring::npos ? std::wstring::npos : at - start));
        if (at == std::wstring::npos) return parts;
        start = at + separator.size();
    }
}

struct Dpi {
    int x = 96;
    int y = 96;
    Dpi() {
        HDC screen = GetDC(nullptr);
        x = GetDeviceCaps(screen, LOGPIXELSX);
        y = GetDeviceCaps(screen, LOGPIXELSY);
        ReleaseDC(nullptr, screen);
    }
};

MessageBoxWatcher* g_watcher = nullptr;

}  // namespace

ComPtr<IDispatch> GridOf(HWND window) {
    HWND grid = FindWindowExW(window, nullptr, tessary::kWindowClass, nullptr);
    const UINT message = RegisterWindowMessageW(tessary::kGetDispatchMessage);
    ComPtr<IDispatch> control;
    if (IDispatch* raw = reinterpret_cast<IDispatch*>(SendMessageW(grid, message, 0, 0))) {
        control = raw;
        raw->Release();
    }
    return control;
}

std::vector<std::vector<std::wstring>> GridCells(HWND window) {
    HWND grid = FindWindowExW(window, nullptr, tessary::kWindowClass, nullptr);
    std::vector<std::vector<std::wstring>> rows;
    if (!grid) return rows;
    UpdateWindow(grid);
    const std::wstring text = WindowText(grid);
    if (text.empty()) return rows;
    for (const std::wstring& line : Split(text, L"\r\n")) rows.push_back(Split(line, L"\t"));
    return rows;
}

LONG GridRowCount(HWND window) { return SheetLong(window, tessary::kDispidSheetRows); }
LONG GridColumnCount(HWND window) { return SheetLong(window, tessary::kDispidSheetCols); }

float GridColumnWidth(HWND window, LONG column) {
    ComPtr<IDispatch> object = ColumnObject(window, column);
    if (!object) return -1;
    ambrelle::UniqueVariant width;
    if (FAILED(InvokeGet(object.Get(), tessary::kDispidColumnWidth, nullptr, 0, width.ptr()))) return -1;
    if (FAILED(VariantChangeType(width.ptr(), width.ptr(), 0, VT_R4))) return -1;
    return V_R4(width.ptr());
}

HRESULT PutGridColumnWidth(HWND window, LONG column, float twips) {
    ComPtr<IDispatch> object = ColumnObject(window, column);
    if (!object) return E_FAIL;
    VARIANT width;
    V_VT(&width) = VT_R4;
    V_R4(&width) = twips;
    DISPID put = DISPID_PROPERTYPUT;
    DISPPARAMS params = {&width, &put, 1, 1};
    return object->Invoke(tessary::kDispidColumnWidth, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYPUT, &params,
                          nullptr, nullptr, nullptr);
}

namespace {
// A 32-bit property of a row (from 1), `failed` on failure.
LONG RowLong(HWND window, LONG row, DISPID member, LONG failed) {
    ComPtr<IDispatch> grid = GridOf(window);
    VARIANT index = Long(row - 1);
    ComPtr<IDispatch> row_object = grid ? SubObject(grid.Get(), tessary::kDispidRow, &index, 1) : nullptr;
    ambrelle::UniqueVariant value;
    if (!row_object || FAILED(InvokeGet(row_object.Get(), member, nullptr, 0, value.ptr())) ||
        FAILED(VariantChangeType(value.ptr(), value.ptr(), 0, VT_I4)))
        return failed;
    return V_I4(value.ptr());
}
}  // namespace

LONG GridRowBackColor(HWND window, LONG row) { return RowLong(window, row, tessary::kDispidRowBackColor, -1); }
LONG GridRowMark(HWND window, LONG row) { return RowLong(window, row, tessary::kDispidRowMark, 1); }

RawRow RequestRowText(HWND window, LONG row, const std::wstring& before, LONG color) {
    RawRow raw;
    ComPtr<IDispatch> grid = GridOf(window);
    ComPtr<IConnectionPointContainer> container;
    ComPtr<IConnectionPoint> point;
    ComPtr<IEnumConnections> connections;
    // The grid's own event interface and row-text request, as the window finds them.
    ambrelle::ControlEvent request;
    if (!grid || FAILED(ambrelle::FindControlEvent(grid.Get(), tessary::kRowTextRequestPosition, &request)) ||
        FAILED(grid.As(&container)) || FAILED(container->FindConnectionPoint(request.events_iid, &point)) ||
        FAILED(point->EnumConnections(&connections)))
        return raw;
    CONNECTDATA connection = {};
    if (connections->Next(1, &connection, nullptr) != S_OK) return raw;
    ComPtr<IDispatch> sink;
    connection.pUnk->QueryInterface(IID_PPV_ARGS(&sink));
    connection.pUnk->Release();
    if (!sink) return raw;
    BSTR text = SysAllocStringLen(before.data(), static_cast<UINT>(before.size()));
    LONG reserved = 0;
    // reverse order: reserved, colour, text, row
    VARIANT args[4] = {ambrelle::LongRefValue(&reserved), ambrelle::LongRefValue(&color),
                       ambrelle::BstrRefValue(&text), Long(row)};
    DISPPARAMS params = {args, nullptr, 4, 0};
    EXCEPINFO excep = {};
    raw.hr = sink->Invoke(request.dispid, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params,
                          nullptr, &excep, nullptr);
    if (raw.hr == DISP_E_EXCEPTION) raw.hr = excep.scode;
    SysFreeString(excep.bstrSource);
    SysFreeString(excep.bstrDescription);
    SysFreeString(excep.bstrHelpFile);
    raw.text.assign(text ? text : L"", SysStringLen(text));
    raw.color = color;
    SysFreeString(text);
    return raw;
}

int TwipsToPixelsX(double twips) { return static_cast<int>(twips * Dpi().x / 1440.0 + (twips < 0 ? -0.5 : 0.5)); }
int TwipsToPixelsY(double twips) { return static_cast<int>(twips * Dpi().y / 1440.0 + (twips < 0 ? -0.5 : 0.5)); }
double PixelsToTwipsX(int pixels) { return pixels * 1440.0 / Dpi().x; }
double PixelsToTwipsY(int pixels) { return pixels * 1440.0 / Dpi().y; }

void ClearStoredSettings() {
    RegDeleteTreeW(HKEY_CURRENT_USER, kSettingsKey);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

std::optional<std::wstring> StoredSetting(const wchar_t* key) {
    wchar_t buffer[256];
    DWORD size = sizeof(buffer);
    if (RegGetValueW(HKEY_CURRENT_USER, kSettingsSection, key, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return std::nullopt;
    return std::wstring(buffer);
}

void StoreSetting(const wchar_t* key, const std::wstring& text) {
    HKEY section;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kSettingsSection, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &section,
                        nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(section, key, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(section);
}

MessageBoxWatcher::MessageBoxWatcher() {
    g_watcher = this;
    timer_ = SetTimer(nullptr, 0, 50, &MessageBoxWatcher::OnTimer);
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (timer_) KillTimer(nullptr, timer_);
    if (g_watcher == this) g_watcher = nullptr;
}

VOID CALLBACK MessageBoxWatcher::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_watcher) g_watcher->Tick();
}

namespace {
BOOL CALLBACK CollectDialogs(HWND window, LPARAM found) {
    wchar_t name[16];
    if (GetClassNameW(window, name, 16) && wcscmp(name, L"#32770") == 0 && IsWindowVisible(window))
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(window);
    return TRUE;
}
}  // namespace

void MessageBoxWatcher::Tick() {
    std::vector<HWND> dialogs;
    EnumThreadWindows(GetCurrentThreadId(), CollectDialogs, reinterpret_cast<LPARAM>(&dialogs));
    for (HWND dialog : dialogs) {
        if (std::find(answered_.begin(), answered_.end(), dialog) != answered_.end()) continue;
        SeenMessageBox seen;
        wchar_t text[2048] = L"";
        GetWindowTextW(dialog, text, 2048);
        seen.title = text;
        text[0] = L'\0';
        GetDlgItemTextW(dialog, 0xFFFF, text, 2048);
        seen.text = text;
        HWND owner = GetWindow(dialog, GW_OWNER);
        seen.owner_visible = owner && IsWindowVisible(owner);
        struct Beside {
            HWND box;
            int enabled;
        } beside = {dialog, 0};
        EnumThreadWindows(
            GetCurrentThreadId(),
            [](HWND window, LPARAM lparam) -> BOOL {
                auto* beside = reinterpret_cast<Beside*>(lparam);
                if (window != beside->box && IsWindowVisible(window) && IsWindowEnabled(window)) ++beside->enabled;
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&beside));
        seen.enabled_beside = beside.enabled;
        for (HWND child = GetWindow(dialog, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t name[16];
            GetClassNameW(child, name, 16);
            const LONG style = GetWindowLongW(child, GWL_STYLE);
            if (_wcsicmp(name, L"Button") == 0 && IsWindowVisible(child)) ++seen.buttons;
            if (_wcsicmp(name, L"Static") == 0 && (style & SS_TYPEMASK) == SS_ICON &&
                SendMessageW(child, STM_GETICON, 0, 0)) {
                seen.has_icon = true;
                seen.icon = reinterpret_cast<HICON>(SendMessageW(child, STM_GETICON, 0, 0));
            }
        }
        seen_.push_back(seen);
        answered_.push_back(dialog);
        HWND ok = GetDlgItem(dialog, IDOK);
        PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(ok));
    }
}

}  // namespace ambrelle_test
