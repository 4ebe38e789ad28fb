#include "modal_driver.h"

#include "ok_button.h"
#include "test_support.h"
#include "tessary_identity.h"

namespace ambrelle_test {

namespace {

// Each thread's own: threads that show at once drive their own windows.
thread_local ModalDriver* g_active = nullptr;

BOOL CALLBACK FindResult(HWND window, LPARAM found) {
    wchar_t name[64];
    if (GetClassNameW(window, name, 64) && wcscmp(name, L"AmbrelleFrmValidateQuery") == 0 && IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(found) = window;
        return FALSE;
    }
    return TRUE;
}

HWND FocusOrWindow(HWND window) {
    HWND focus = GetFocus();
    return focus ? focus : window;
}

}  // namespace

HWND FindResultWindow() {
    HWND found = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), FindResult, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring GridText(HWND result_window) {
    HWND grid = FindWindowExW(result_window, nullptr, tessary::kWindowClass, nullptr);
    if (!grid) return L"<no grid>";
    return WindowText(grid);
}

ModalDriver::ModalDriver() = default;

ModalDriver::~ModalDriver() {
    if (timer_) KillTimer(nullptr, timer_);
    if (g_active == this) g_active = nullptr;
}

ModalDriver& ModalDriver::Then(Step step) {
    steps_.push_back(std::move(step));
    return *this;
}

ModalDriver& ModalDriver::Record() {
    return Then([this](HWND window) {
        SeenWindow seen;
        seen.window = window;
        wchar_t caption[128] = L"";
        GetWindowTextW(window, caption, 128);
        seen.caption = caption;
        seen.grid_text = GridText(window);
        seen_.push_back(seen);
        return true;
    });
}

ModalDriver& ModalDriver::ClickOk() {
    return Then([](HWND window) {
        HWND button = FindOkButton(window);
        if (!button) return false;
        RECT rect;
        GetClientRect(button, &rect);
        const LPARAM center = MAKELPARAM(rect.right / 2, rect.bottom / 2);
        PostMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, center);
        PostMessageW(button, WM_LBUTTONUP, 0, center);
        return true;
    });
}

ModalDriver& ModalDriver::PressAltO() {
    return Then([](HWND window) {
        HWND target = FocusOrWindow(window);
        const LPARAM alt_down = 0x20180001;  // scan code of O, context (Alt) bit
        PostMessageW(target, WM_SYSKEYDOWN, 'O', alt_down);
        PostMessageW(target, WM_SYSCHAR, 'o', alt_down);
        PostMessageW(target, WM_SYSKEYUP, 'O', alt_down | 0xC0000000);
        return true;
    });
}

ModalDriver& ModalDriver::PressKey(WORD vk) {
    return Then([vk](HWND window) {
        HWND target = FocusOrWindow(window);
        const UINT scan = MapVirtualKeyW(vk, MAPVK_VK_TO_VSC);
        PostMessageW(target, WM_KEYDOWN, vk, 1 | (scan << 16));
        if (vk == VK_RETURN) PostMessageW(target, WM_CHAR, L'\r', 1 | (scan << 16));
        if (vk == VK_ESCAPE) PostMessageW(target, WM_CHAR, 0x1B, 1 | (scan << 16));
        PostMessageW(target, WM_KEYUP, vk, 1 | (scan << 16) | 0xC0000000);
        return true;
    });
}

ModalDriver& ModalDriver::CloseBox() {
    return Then([](HWND window) {
        PostMessageW(window, WM_SYSCOMMAND, SC_CLOSE, 0);
        return true;
    });
}

ModalDriver& ModalDriver::StayOpenAWhile() {
    // The step runs only while the window is open, so keys that closed it
    // leave this step (and all after it) undone.
    auto ticks = std::make_shared<int>(0);
    return Then([ticks](HWND) { return ++*ticks >= 4; });
}

void ModalDriver::Start() {
    g_active = this;
    timer_ = SetTimer(nullptr, 0, 50, &ModalDriver::OnTimer);
}

VOID CALLBACK ModalDriver::OnTimer(HWND, UINT, UINT_PTR, DWORD) {
    if (g_active) g_active->Tick();
}

void ModalDriver::Tick() {
    HWND window = FindResultWindow();
    if (!window) return;
    if (next_ < steps_.size()) {
        if (steps_[next_](window)) ++next_;
        idle_ticks_ = 0;
        return;
    }
    // Every step done and the window still open after two seconds: close it by force.
    if (++idle_ticks_ > 40) {
        forced_close_ = true;
        PostMessageW(window, WM_CLOSE, 0, 0);
    }
}

}  // namespace ambrelle_test
