// The window's position and size and the widths of its grid columns, kept in
// the settings component under the application name "Ambrelle": one set for
// the confirmation kinds (0 and 2), another for the rejection kind (1).
#include "frm_validate_query.h"

#include <cmath>
#include <string>

#include "com_error.h"
#include "outside_objects.h"
#include "screen_units.h"
#include "unique_bstr.h"
#include "unique_variant.h"
#include "variant_values.h"
#include "vb_conversions.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

constexpr wchar_t kApplication[] = L"Ambrelle";
constexpr SHORT kDefaultColumnWidth = 1200;

enum class WindowProperty { kTop, kLeft, kWidth, kHeight };

struct WindowKey {
    WindowProperty property;
    const wchar_t* confirmation_key;
    const wchar_t* rejection_key;
    SHORT default_twips;
};

// In the order in which they are read and written.
constexpr WindowKey kWindowKeys[] = {
    {WindowProperty::kTop, L"WinTop", L"HWinTop", 0},
    {WindowProperty::kLeft, L"WinLeft", L"HWinLeft", 0},
    {WindowProperty::kWidth, L"WinWidth", L"HWinWidth", 6390},
    {WindowProperty::kHeight, L"WinHeight", L"HWinHeight", 8925},
};

// Kinds 0 and 2 share the "Win" keys, kind 1 has the "HWin" keys; other kinds keep nothing.
const wchar_t* WindowKeyOf(const WindowKey& key, LONG kind) {
    if (kind == 0 || kind == 2) return key.confirmation_key;
    if (kind == 1) return key.rejection_key;
    return nullptr;
}

std::wstring ColumnKey(LONG column, LONG kind) {
    return std::to_wstring(column) + (kind == 0 || kind == 2 ? L"ReqValidate" : L"ReqRejValidate");
}

HRESULT ReadSetting(ISettingsStore* store, const wchar_t* key, VARIANT default_value, VARIANT* value) {
    UniqueBstr application(kApplication);
    UniqueBstr key_text(key);
    if (!application.allocated() || !key_text.allocated()) return E_OUTOFMEMORY;
    // The key and the default go by reference: the store may write them.
    BSTR key_ref = key_text.release();
    // An error object the store leaves is this call's own, never an older one.
    SetErrorInfo(0, nullptr);
    HRESULT hr = store->ReadSetting(application.get(), &key_ref, &default_value, value);
    SysFreeString(key_ref);
    VariantClear(&default_value);
    return hr;
}

HRESULT WriteSetting(ISettingsStore* store, const wchar_t* key, float value) {
    UniqueBstr application(kApplication);
    UniqueBstr key_text(key);
    if (!application.allocated() || !key_text.allocated()) return E_OUTOFMEMORY;
    VARIANT stored_value = SingleValue(value);
    BSTR application_ref = application.release();
    BSTR key_ref = key_text.release();
    UniqueVariant answer;
    // An error object the store leaves is this call's own, never an older one.
    SetErrorInfo(0, nullptr);
    HRESULT hr = store->WriteSetting(&application_ref, &key_ref, &stored_value, answer.ptr());
    SysFreeString(application_ref);
    SysFreeString(key_ref);
    VariantClear(&stored_value);
    return hr;
}

HRESULT RaiseInvalidPropertyValue() {
    return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 380), GUID_NULL, L"Ambrelle",
                         L"Invalid property value");
}

// The window's restored rectangle in screen pixels: while it is minimised or
// maximised, the rectangle it returns to, not the parked or maximised one.
RECT RestoredRect(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (!IsIconic(window) && !IsZoomed(window)) return rect;
    WINDOWPLACEMENT placement = {};
    placement.length = sizeof(placement);
    if (!GetWindowPlacement(window, &placement)) return rect;
    rect = placement.rcNormalPosition;
    // The placement is in workspace coordinates: relative to the work area.
    if (!(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOOLWINDOW)) {
        MONITORINFO monitor = {};
        monitor.cbSize = sizeof(monitor);
        if (GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor))
            OffsetRect(&rect, monitor.rcWork.left - monitor.rcMonitor.left, monitor.rcWork.top - monitor.rcMonitor.top);
    }
    return rect;
}

float WindowPropertyTwips(HWND window, WindowProperty property, const ScreenDpi& dpi) {
    const RECT rect = RestoredRect(window);
    switch (property) {
    case WindowProperty::kTop: return dpi.ToTwipsY(rect.top);
    case WindowProperty::kLeft: return dpi.ToTwipsX(rect.left);
    case WindowProperty::kWidth: return dpi.ToTwipsX(rect.right - rect.left);
    case WindowProperty::kHeight: return dpi.ToTwipsY(rect.bottom - rect.top);
    }
    return 0;
}

HRESULT SetWindowPropertyTwips(HWND window, WindowProperty property, float twips, const ScreenDpi& dpi) {
    const bool horizontal = property == WindowProperty::kLeft || property == WindowProperty::kWidth;
    const double pixels =
        horizontal ? dpi.RoundedPixelsX(static_cast<double>(twips)) : dpi.RoundedPixelsY(static_cast<double>(twips));
    const bool is_size = property == WindowProperty::kWidth || property == WindowProperty::kHeight;
    if (!std::isfinite(pixels) || std::fabs(pixels) > 1.0e6 || (is_size && pixels < 0))
        return RaiseInvalidPropertyValue();
    RECT rect = {};
    GetWindowRect(window, &rect);
    int x = rect.left;
    int y = rect.top;
    int cx = rect.right - rect.left;
    int cy = rect.bottom - rect.top;
    UINT flags = SWP_NOZORDER | SWP_NOACTIVATE;
    switch (property) {
    case WindowProperty::kTop: y = static_cast<int>(pixels); flags |= SWP_NOSIZE; break;
    case WindowProperty::kLeft: x = static_cast<int>(pixels); flags |= SWP_NOSIZE; break;
    case WindowProperty::kWidth: cx = static_cast<int>(pixels); flags |= SWP_NOMOVE; break;
    case WindowProperty::kHeight: cy = static_cast<int>(pixels); flags |= SWP_NOMOVE; break;
    }
    if (!SetWindowPos(window, nullptr, x, y, cx, cy, flags)) return RaiseInvalidPropertyValue();
    return S_OK;
}

// A window that lies off every monitor (a monitor since removed, a smaller
// screen) is brought back onto the work area of the nearest one.
void PullOntoScreen(HWND window) {
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (MonitorFromRect(&rect, MONITOR_DEFAULTTONULL)) return;
    MONITORINFO monitor = {};
    monitor.cbSize = sizeof(monitor);
    if (!GetMonitorInfoW(MonitorFromRect(&rect, MONITOR_DEFAULTTONEAREST), &monitor)) return;
    const RECT& work = monitor.rcWork;
    const LONG width = rect.right - rect.left;
    const LONG height = rect.bottom - rect.top;
    LONG left = rect.left;
    LONG top = rect.top;
    if (left + width > work.right) left = work.right - width;
    if (left < work.left) left = work.left;
    if (top + height > work.bottom) top = work.bottom - height;
    if (top < work.top) top = work.top;
    SetWindowPos(window, nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Calls use(store, key, stored key name, dpi) for each window key, in order,
// stopping at the first failure; a kind without window settings has none.
template <typename Use>
HRESULT ForEachWindowKey(LONG kind, Use use) {
    if (!WindowKeyOf(kWindowKeys[0], kind)) return S_OK;
    ComPtr<ISettingsStore> store;
    HRESULT hr = GetSettingsStore(&store);
    if (FAILED(hr)) return hr;
    const ScreenDpi dpi;
    for (const WindowKey& key : kWindowKeys) {
        hr = use(store.Get(), key, WindowKeyOf(key, kind), dpi);
        if (FAILED(hr)) return hr;
    }
    return S_OK;
}

}  // namespace

HRESULT FrmValidateQuery::LoadWindowSettings() {
    if (!WindowKeyOf(kWindowKeys[0], QueryClass)) return S_OK;
    HRESULT hr = ForEachWindowKey(QueryClass, [&](ISettingsStore* store, const WindowKey& key, const wchar_t* name,
                                                 const ScreenDpi& dpi) {
        UniqueVariant stored;
        HRESULT read = ReadSetting(store, name, ShortValue(key.default_twips), stored.ptr());
        if (FAILED(read)) return read;
        float twips = 0;
        read = ToSingle(stored.get(), &twips);
        return FAILED(read) ? read : SetWindowPropertyTwips(hwnd_, key.property, twips, dpi);
    });
    if (FAILED(hr)) return hr;
    PullOntoScreen(hwnd_);
    return S_OK;
}

HRESULT FrmValidateQuery::SaveWindowSettings() {
    return ForEachWindowKey(QueryClass, [&](ISettingsStore* store, const WindowKey& key, const wchar_t* name,
                                            const ScreenDpi& dpi) {
        return WriteSetting(store, name, WindowPropertyTwips(hwnd_, key.property, dpi));
    });
}

namespace {

// Calls use(column) for each column of the grid (from 1). A column that
// fails is passed over and its error dropped; the others still get their turn.
template <typename Use>
void ForEachColumn(const GridControl& grid, Use use) {
    LONG columns = 0;
    if (FAILED(grid.GetColumnCount(&columns))) {
        SetErrorInfo(0, nullptr);
        return;
    }
    for (LONG column = 1; column <= columns; ++column) {
        if (FAILED(use(column))) SetErrorInfo(0, nullptr);
    }
}

}  // namespace

void FrmValidateQuery::LoadColumnWidths() {
    // A column that fails keeps its width.
    ForEachColumn(LdgValidateQuery, [&](LONG column) {
        ComPtr<ISettingsStore> store;
        HRESULT hr = GetSettingsStore(&store);
        UniqueVariant width;
        if (SUCCEEDED(hr))
            hr = ReadSetting(store.Get(), ColumnKey(column, QueryClass).c_str(), ShortValue(kDefaultColumnWidth),
                             width.ptr());
        if (SUCCEEDED(hr)) hr = LdgValidateQuery.PutColumnWidth(column, width.get());
        return hr;
    });
}

void FrmValidateQuery::SaveColumnWidths() {
    // A column that fails is not written.
    ForEachColumn(LdgValidateQuery, [&](LONG column) {
        UniqueVariant width;
        HRESULT hr = LdgValidateQuery.GetColumnWidth(column, width.ptr());
        if (SUCCEEDED(hr)) hr = VariantChangeType(width.ptr(), width.ptr(), 0, VT_R4);
        ComPtr<ISettingsStore> store;
        if (SUCCEEDED(hr)) hr = GetSettingsStore(&store);
        if (SUCCEEDED(hr)) hr = WriteSetting(store.Get(), ColumnKey(column, QueryClass).c_str(), V_R4(width.ptr()));
        return hr;
    });
}

}  // namespace ambrelle
