#include "frm_validate_query.h"

#include <olectl.h>

#include <algorithm>
#include <limits>
#include <new>

#include "apartment_watch.h"
#include "com_error.h"
#include "control_events.h"
#include "control_site.h"
#include "debug_counts.h"
#include "grid_event_sink.h"
#include "outside_objects.h"
#include "recordset_access.h"
#include "screen_units.h"
#include "com_object.h"
#include "server_module.h"
#include "tessary.h"
#include "thread_pointer.h"
#include "unique_variant.h"
#include "vb_conversions.h"
#include "window_resources.h"

using Microsoft::WRL::ComPtr;

namespace ambrelle {

namespace {

constexpr wchar_t kWindowClass[] = L"AmbrelleFrmValidateQuery";
constexpr wchar_t kDesignCaption[] = L"内部订单确认信息查询";
constexpr wchar_t kFontFace[] = L"宋体";
constexpr int kFontPoints = 9;
constexpr UINT kCmdOkId = 1001;  // neither IDOK nor IDCANCEL: Enter and Esc do not press it
constexpr UINT kGridId = 1000;

// The design, in twips.
constexpr int kClientWidth = 8805;
constexpr int kClientHeight = 5985;
constexpr RECT kGridDesign = {120, 120, 120 + 8655, 120 + 5295};
constexpr RECT kCmdOkDesign = {7560, 5520, 7560 + 1215, 5520 + 330};

const wchar_t* CaptionOfKind(LONG kind) {
    switch (kind) {
    case 0: return L"内部订单确认信息查询";
    case 1: return L"内部订单拒绝信息查询";
    case 2: return L"发货通知单确认信息查询";
    default: return nullptr;
    }
}

// The window objects of all threads, released when the DLL unloads.
ThreadPointer<FrmValidateQuery> g_default_instance;
SRWLOCK g_instances_lock = SRWLOCK_INIT;
std::vector<FrmValidateQuery*>& AllInstances() {
    static std::vector<FrmValidateQuery*> instances;
    return instances;
}

HINSTANCE ResourceModule() { return ThisModule() ? ThisModule() : GetModuleHandleW(nullptr); }

bool RegisterWindowClass() {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    if (GetClassInfoExW(ResourceModule(), kWindowClass, &window_class)) return true;
    window_class = WNDCLASSEXW{};
    window_class.cbSize = sizeof(window_class);
    window_class.style = CS_HREDRAW | CS_VREDRAW;
    window_class.lpfnWndProc = DefWindowProcW;
    window_class.hInstance = ResourceModule();
    window_class.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWindowClass;
    window_class.hIcon = static_cast<HICON>(LoadImageW(ResourceModule(), MAKEINTRESOURCEW(IDI_FRM_VALIDATE_QUERY),
                                                       IMAGE_ICON, GetSystemMetrics(SM_CXICON),
                                                       GetSystemMetrics(SM_CYICON), LR_DEFAULTCOLOR));
    window_class.hIconSm = static_cast<HICON>(LoadImageW(ResourceModule(), MAKEINTRESOURCEW(IDI_FRM_VALIDATE_QUERY),
                                                         IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                                         GetSystemMetrics(SM_CYSMICON), LR_DEFAULTCOLOR));
    if (window_class.hIcon) CountHandleCreated(CountedHandle::kIcon);
    if (window_class.hIconSm) CountHandleCreated(CountedHandle::kIcon);
    if (RegisterClassExW(&window_class)) return true;
    const DWORD error = GetLastError();
    // Not registered: the icons are nobody's.
    if (window_class.hIcon && DestroyIcon(window_class.hIcon)) CountHandleDestroyed(CountedHandle::kIcon);
    if (window_class.hIconSm && DestroyIcon(window_class.hIconSm)) CountHandleDestroyed(CountedHandle::kIcon);
    SetLastError(error);
    return false;
}

// The class belongs to the process: registered once, whichever thread shows
// a window first (threads starting together do not race for it), and
// unregistered when the DLL unloads. A failed registration is tried again by
// the next show.
INIT_ONCE g_window_class_once = INIT_ONCE_STATIC_INIT;

BOOL CALLBACK RegisterWindowClassOnce(INIT_ONCE*, void*, void**) { return RegisterWindowClass(); }

bool EnsureWindowClass() { return InitOnceExecuteOnce(&g_window_class_once, RegisterWindowClassOnce, nullptr, nullptr); }

// A failed platform call: its own error, never an older error object's.
HRESULT LastError() {
    DWORD error = GetLastError();
    return FailedWithoutErrorInfo(error ? HRESULT_FROM_WIN32(error) : E_FAIL);
}

HRESULT CreateAmbientFont(int dpi_y, IFontDisp** font) {
    FONTDESC description = {};
    description.cbSizeofstruct = sizeof(description);
    description.lpstrName = const_cast<LPOLESTR>(kFontFace);
    description.cySize.int64 = static_cast<LONGLONG>(kFontPoints) * 10000;
    description.sWeight = FW_NORMAL;
    description.sCharset = GB2312_CHARSET;
    (void)dpi_y;
    return OleCreateFontIndirect(&description, IID_IFontDisp, reinterpret_cast<void**>(font));
}

struct DisabledThreadWindows {
    std::vector<HWND>* windows;
    HWND except;
};

BOOL CALLBACK DisableThreadWindow(HWND hwnd, LPARAM lparam) {
    auto* disabled = reinterpret_cast<DisabledThreadWindows*>(lparam);
    if (hwnd != disabled->except && IsWindowVisible(hwnd) && IsWindowEnabled(hwnd)) {
        EnableWindow(hwnd, FALSE);
        disabled->windows->push_back(hwnd);
    }
    return TRUE;
}

// The icons of the window class are the DLL's own: they go with the class.
void UnregisterWindowClass() {
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof(window_class);
    if (!GetClassInfoExW(ResourceModule(), kWindowClass, &window_class)) return;
    if (!UnregisterClassW(kWindowClass, ResourceModule())) return;
    InitOnceInitialize(&g_window_class_once);
    if (window_class.hIcon && DestroyIcon(window_class.hIcon)) CountHandleDestroyed(CountedHandle::kIcon);
    if (window_class.hIconSm && window_class.hIconSm != window_class.hIcon && DestroyIcon(window_class.hIconSm))
        CountHandleDestroyed(CountedHandle::kIcon);
}

}  // namespace

HRESULT FrmValidateQuery::DefaultInstance(FrmValidateQuery** window) {
    if (!g_default_instance.get()) {
        auto* created = new (std::nothrow) FrmValidateQuery();
        if (!created) return E_OUTOFMEMORY;
        if (!g_default_instance.set(created)) {
            delete created;
            return E_OUTOFMEMORY;
        }
        // Released when the thread's apartment ends.
        WatchThisApartment();
        AcquireSRWLockExclusive(&g_instances_lock);
        AllInstances().push_back(created);
        ReleaseSRWLockExclusive(&g_instances_lock);
    }
    *window = g_default_instance.get();
    return S_OK;
}

bool FrmValidateQuery::IsShownOnThisThread() {
    const FrmValidateQuery* instance = g_default_instance.get();
    return instance && instance->hwnd_;
}

void FrmValidateQuery::ReleaseThreadInstance() {
    FrmValidateQuery* instance = g_default_instance.get();
    if (!instance || instance->hwnd_) return;
    AcquireSRWLockExclusive(&g_instances_lock);
    std::vector<FrmValidateQuery*>& instances = AllInstances();
    instances.erase(std::remove(instances.begin(), instances.end(), instance), instances.end());
    ReleaseSRWLockExclusive(&g_instances_lock);
    g_default_instance.set(nullptr);
    delete instance;
}

void FrmValidateQuery::ReleaseAllInstances() {
    std::vector<FrmValidateQuery*> instances;
    AcquireSRWLockExclusive(&g_instances_lock);
    instances.swap(AllInstances());
    ReleaseSRWLockExclusive(&g_instances_lock);
    // The watch lives in this DLL.
    ForgetThisApartment();
    for (FrmValidateQuery* instance : instances) {
        // The DLL is being unloaded, possibly after the record-set library:
        // its objects are let go without calling into it.
        instance->QueryRs.Detach();
        instance->query_fields_.Abandon();
        delete instance;
    }
    g_default_instance.set(nullptr);
    AbandonOutsideObjects();
    // A class registered by a DLL outlives it unless it is unregistered.
    UnregisterWindowClass();
}

FrmValidateQuery::~FrmValidateQuery() { DestroyOnScreenWindow(); }

HRESULT FrmValidateQuery::Show() {
    if (hwnd_) return RaiseAutomationError(kFormAlreadyShown);
    // Modal from the first moment: the host's windows on this thread take no
    // input from before anything of the load can show (its warning box), and
    // the one that was active is active again after.
    active_before_ = GetActiveWindow();
    DisableHostWindows();
    HRESULT hr = Load();
    if (FAILED(hr)) {
        PreservedErrorInfo keep;
        DestroyOnScreenWindow();
        EnableHostWindows();
        if (active_before_ && IsWindow(active_before_) && GetActiveWindow() != active_before_)
            SetActiveWindow(active_before_);
        active_before_ = nullptr;
        return hr;
    }
    RunModalLoop();
    return S_OK;
}

HRESULT FrmValidateQuery::Load() {
    if (!EnsureWindowClass()) return LastError();
    const ScreenDpi dpi;
    RECT frame = {0, 0, dpi.ToPixelsX(kClientWidth), dpi.ToPixelsY(kClientHeight)};
    const DWORD style = WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN;
    const DWORD ex_style = WS_EX_CONTROLPARENT | WS_EX_APPWINDOW;
    AdjustWindowRectEx(&frame, style, FALSE, ex_style);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    RECT work;
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int left = work.left + std::max(0L, (work.right - work.left - width) / 2);
    const int top = work.top + std::max(0L, (work.bottom - work.top - height) / 2);

    hwnd_ = CreateWindowExW(ex_style, kWindowClass, kDesignCaption, style, left, top, width, height, nullptr,
                            nullptr, ResourceModule(), nullptr);
    if (!hwnd_) return LastError();
    CountHandleCreated(CountedHandle::kWindow);
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
    SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&WindowProc));

    HRESULT hr = CreateControls();
    if (FAILED(hr)) return hr;
    hr = Form_Load();
    if (FAILED(hr)) return hr;
    // The window has its size: lay the controls out for it.
    Form_Resize();
    return S_OK;
}

HRESULT FrmValidateQuery::CreateControls() {
    const ScreenDpi dpi;
    font_ = CreateFontW(-MulDiv(kFontPoints, dpi.y, 72), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, GB2312_CHARSET,
                        OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                        kFontFace);
    if (font_) CountHandleCreated(CountedHandle::kFont);
    SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);

    ComPtr<IFontDisp> ambient_font;
    CreateAmbientFont(dpi.y, &ambient_font);
    // The grid is the control its ProgID names, whatever its class identifier;
    // its event interface and row-text request are read from the control.
    // It comes first in the tab order: it is created first.
    CLSID grid_class;
    HRESULT hr = CLSIDFromProgID(tessary::kProgId, &grid_class);
    if (FAILED(hr)) return FailedWithoutErrorInfo(hr);
    hr = ControlSite::Create(hwnd_, grid_class, dpi.ToPixels(kGridDesign), ambient_font.Get(), &grid_site_);
    if (FAILED(hr)) return hr;
    ControlEvent row_text_request;
    hr = FindControlEvent(grid_site_->control(), tessary::kRowTextRequestPosition, &row_text_request);
    if (FAILED(hr)) return hr;
    grid_events_ = new (std::nothrow) GridEventSink(this, row_text_request);
    if (!grid_events_) return E_OUTOFMEMORY;
    hr = grid_site_->Advise(row_text_request.events_iid, grid_events_);
    if (FAILED(hr)) return hr;
    hr = grid_site_->Activate();
    if (FAILED(hr)) return hr;
    LdgValidateQuery = GridControl(grid_site_->control());
    if (HWND grid_window = grid_site_->control_window()) {
        SetWindowLongPtrW(grid_window, GWLP_ID, kGridId);
        SetWindowLongPtrW(grid_window, GWL_STYLE, GetWindowLongPtrW(grid_window, GWL_STYLE) | WS_TABSTOP);
    }

    const RECT button = dpi.ToPixels(kCmdOkDesign);
    cmd_ok_ = CreateWindowExW(0, L"BUTTON", L"确定(&O)", WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON,
                              button.left, button.top, button.right - button.left, button.bottom - button.top, hwnd_,
                              reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kCmdOkId)), ResourceModule(), nullptr);
    if (!cmd_ok_) return LastError();
    CountHandleCreated(CountedHandle::kWindow);
    SendMessageW(cmd_ok_, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
    return S_OK;
}

HRESULT FrmValidateQuery::Form_Load() {
    if (const wchar_t* caption = CaptionOfKind(QueryClass)) SetWindowTextW(hwnd_, caption);
    HRESULT hr = LoadWindowSettings();
    if (FAILED(hr)) return hr;
    hr = GetTitleInfo(QueryClass);
    if (FAILED(hr)) return hr;
    // The header row only, until the records are loaded.
    hr = LdgValidateQuery.PutRowCount(1);
    if (FAILED(hr)) return hr;
    LoadColumnWidths();
    loadLdg();
    return S_OK;
}

void FrmValidateQuery::DisableHostWindows() {
    disabled_windows_.clear();
    DisabledThreadWindows disabled{&disabled_windows_, hwnd_};
    EnumThreadWindows(GetCurrentThreadId(), DisableThreadWindow, reinterpret_cast<LPARAM>(&disabled));
}

void FrmValidateQuery::RunModalLoop() {
    ShowWindow(hwnd_, SW_SHOWNORMAL);
    SetForegroundWindow(hwnd_);
    if (grid_site_) grid_site_->Focus();

    MSG msg;
    while (hwnd_) {
        BOOL got = GetMessageW(&msg, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // The thread is asked to quit: close the window and let the host's loop see the request.
            PostQuitMessage(static_cast<int>(msg.wParam));
            if (hwnd_) Unload();
            break;
        }
        if (grid_site_ && msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST &&
            grid_site_->TranslateAccelerator(&msg))
            continue;
        if (hwnd_ && IsDialogMessageW(hwnd_, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
    EnableHostWindows();
    if (active_before_ && IsWindow(active_before_) && GetActiveWindow() != active_before_)
        SetActiveWindow(active_before_);
    active_before_ = nullptr;
}

// Enabled again before the window goes, so that activation returns to them.
void FrmValidateQuery::EnableHostWindows() {
    for (HWND window : disabled_windows_)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    disabled_windows_.clear();
}

void FrmValidateQuery::cmdOK_Click() { Unload(); }

void FrmValidateQuery::Form_Unload() {
    // The close is never cancelled; column widths are saved only after the
    // window's geometry was.
    if (FAILED(SaveWindowSettings())) {
        SetErrorInfo(0, nullptr);
        return;
    }
    SaveColumnWidths();
}

void FrmValidateQuery::Unload() {
    Form_Unload();
    DestroyOnScreenWindow();
}

void FrmValidateQuery::DestroyOnScreenWindow() { ReleaseOnScreenWindow(/*already_going=*/false); }

void FrmValidateQuery::ReleaseOnScreenWindow(bool already_going) {
    if (grid_events_) grid_events_->Disconnect();
    if (grid_site_) {
        grid_site_->Close();
        grid_site_->Release();
        grid_site_ = nullptr;
    }
    LdgValidateQuery = GridControl();
    if (grid_events_) {
        grid_events_->Release();
        grid_events_ = nullptr;
    }
    if (hwnd_) {
        HWND window = hwnd_;
        HWND button = cmd_ok_;
        EnableHostWindows();
        if (active_before_ && IsWindow(active_before_) && GetActiveWindow() == window)
            SetActiveWindow(active_before_);
        hwnd_ = nullptr;
        cmd_ok_ = nullptr;
        if (already_going) {
            // The window and its button are being destroyed by whoever called DestroyWindow.
            CountHandleDestroyed(CountedHandle::kWindow);
            if (button) CountHandleDestroyed(CountedHandle::kWindow);
        } else {
            DestroyWindow(window);
            // The button goes with its parent.
            if (!IsWindow(window)) CountHandleDestroyed(CountedHandle::kWindow);
            if (button && !IsWindow(button)) CountHandleDestroyed(CountedHandle::kWindow);
        }
        // Wake the modal loop, which may be waiting for a message.
        PostThreadMessageW(GetCurrentThreadId(), WM_NULL, 0, 0);
    }
    if (font_) {
        // A window being destroyed no longer draws with it.
        if (DeleteObject(font_)) CountHandleDestroyed(CountedHandle::kFont);
        font_ = nullptr;
    }
}

LRESULT CALLBACK FrmValidateQuery::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    auto* self = reinterpret_cast<FrmValidateQuery*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    if (!self || self->hwnd_ != hwnd) return DefWindowProcW(hwnd, message, wparam, lparam);
    return self->HandleMessage(message, wparam, lparam);
}

LRESULT FrmValidateQuery::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_CLOSE:
        Unload();
        return 0;
    case WM_DESTROY:
        // Destroyed from outside (a host's shutdown code walking its thread's
        // windows), not by the window's own unload: nothing of a window that
        // is going is saved, and the modal show returns.
        ReleaseOnScreenWindow(/*already_going=*/true);
        return 0;
    case WM_COMMAND:
        if (LOWORD(wparam) == kCmdOkId && HIWORD(wparam) == BN_CLICKED) {
            cmdOK_Click();
            return 0;
        }
        // IDOK and IDCANCEL (Enter and Esc) are bound to no button.
        return 0;
    case WM_SIZE:
        Form_Resize();
        return 0;
    case WM_SETFOCUS:
        if (grid_site_) grid_site_->Focus();
        return 0;
    default:
        return DefWindowProcW(hwnd_, message, wparam, lparam);
    }
}

HRESULT FrmValidateQuery::OnRowTextRequest(LONG row, BSTR* text, LONG* color) {
    if (row == 1) return GetTitleText(text);
    HRESULT hr = GetRowText(row, text, color);
    if (FAILED(hr)) return hr;
    // The totals row reads whichever record is current; with no current
    // record (no records at all) there is nothing to mark.
    bool has_record = false;
    hr = HasCurrentRecord(&has_record);
    if (FAILED(hr) || !has_record) return hr;
    // Continuation lines (a record whose FID is the number 0) are marked.
    UniqueVariant fid;
    hr = query_fields_.Value(QueryRs.Get(), L"FID", fid.put());
    if (FAILED(hr)) return hr;
    if (fid.vt() != VT_NULL && fid.vt() != VT_EMPTY) {
        VARIANT zero;
        V_VT(&zero) = VT_I4;
        V_I4(&zero) = 0;
        // A whole number compares as itself; any other value as VB compares it with 0.
        const bool is_zero = fid.vt() == VT_I4 ? V_I4(fid.ptr()) == 0
                                               : VarCmp(fid.ptr(), &zero, LOCALE_USER_DEFAULT, 0) ==
                                                     static_cast<HRESULT>(VARCMP_EQ);
        // The lowest row number has no index in the grid (and is never one of its rows).
        if (is_zero && row != std::numeric_limits<LONG>::min())
            return LdgValidateQuery.MarkRow(row - 1);
    }
    return S_OK;
}

}  // namespace ambrelle
