// Drives the modal result window from inside its own message loop, as a user
// would: a thread timer, set before show is called, fires in the nested loop
// and works through a list of steps against the window.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace ambrelle_test {

struct SeenWindow {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring grid_text;
};

class ModalDriver {
public:
    // A step gets the open window; it returns false to be called again on the next tick.
    using Step = std::function<bool(HWND window)>;

    ModalDriver();
    ~ModalDriver();
    ModalDriver(const ModalDriver&) = delete;
    ModalDriver& operator=(const ModalDriver&) = delete;

    ModalDriver& Then(Step step);
    // Common steps.
    ModalDriver& Record();          // caption and grid text into seen()
    ModalDriver& ClickOk();         // mouse down and up on cmdOK
    ModalDriver& PressAltO();       // Alt+O on the focused control
    ModalDriver& PressKey(WORD vk); // a key on the focused control
    ModalDriver& CloseBox();        // the window's close box (system close command)
    ModalDriver& StayOpenAWhile();  // a few ticks pass with the window open

    // Runs the steps on a 50 ms timer of the calling thread until they are
    // done; a window that stays open after the steps is closed by force and
    // counted as a failure.
    void Start();

    const std::vector<SeenWindow>& seen() const { return seen_; }
    bool forced_close() const { return forced_close_; }
    // Every step ran against the open window: a window that closed early
    // leaves steps undone.
    bool all_steps_done() const { return next_ == steps_.size(); }

private:
    static VOID CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();

    std::vector<Step> steps_;
    size_t next_ = 0;
    int idle_ticks_ = 0;
    UINT_PTR timer_ = 0;
    std::vector<SeenWindow> seen_;
    bool forced_close_ = false;
};

// The result window of the calling thread, if one is open.
HWND FindResultWindow();
// What the grid of a result window shows (rows on screen, tab-separated cells).
std::wstring GridText(HWND result_window);

}  // namespace ambrelle_test
