// What the window tests need besides the modal driver: the grid's own state
// through its IDispatch, the stored settings in the registry, and a watcher
// that answers the message boxes of the thread as a user would.
#pragma once

#include <windows.h>
#include <ole2.h>
#include <wrl/client.h>

#include <optional>
#include <string>
#include <vector>

namespace ambrelle_test {

// The grid control of a result window.
Microsoft::WRL::ComPtr<IDispatch> GridOf(HWND result_window);
// The rows on screen as lines of cells (the grid's WM_GETTEXT, split at "\r\n" and "\t").
std::vector<std::vector<std::wstring>> GridCells(HWND result_window);
// The grid's row count and column count (sheet object), -1 on failure.
LONG GridRowCount(HWND result_window);
LONG GridColumnCount(HWND result_window);
// The width of a column (from 1) in twips, -1 on failure.
float GridColumnWidth(HWND result_window, LONG column);
HRESULT PutGridColumnWidth(HWND result_window, LONG column, float twips);
// The background colour (-1 on failure) and the mark (True -1, False 0; 1 on failure) the grid keeps for a
// row (from 1).
LONG GridRowBackColor(HWND result_window, LONG row);
LONG GridRowMark(HWND result_window, LONG row);

// What the window answers to the grid's row-text request for `row`, raised on
// the window's own event sink as the grid raises it: the text (which holds
// `before` when asked) and the colour (pre-filled with `*color`), exactly as
// handed back, before the grid splits them into cells.
struct RawRow {
    HRESULT hr = E_FAIL;
    std::wstring text;
    LONG color = 0;
};
RawRow RequestRowText(HWND result_window, LONG row, const std::wstring& before = L"", LONG color = -7);

// Twips and pixels of the screen.
int TwipsToPixelsX(double twips);
int TwipsToPixelsY(double twips);
double PixelsToTwipsX(int pixels);
double PixelsToTwipsY(int pixels);

// The settings component's values for "Ambrelle" (kept as text in the registry).
void ClearStoredSettings();
std::optional<std::wstring> StoredSetting(const wchar_t* key);
void StoreSetting(const wchar_t* key, const std::wstring& text);

struct SeenMessageBox {
    std::wstring title;
    std::wstring text;
    int buttons = 0;         // push buttons in the box
    bool has_icon = false;   // an icon is shown
    HICON icon = nullptr;    // the icon shown
    bool owner_visible = false;  // the box's owner was already on screen
    int enabled_beside = 0;      // other windows of the thread on screen that took input meanwhile
};

// Closes, with its OK button, every message box that opens on the calling
// thread while it is alive (a thread timer, so it runs inside the box's own
// modal loop), and records what each one showed.
class MessageBoxWatcher {
public:
    MessageBoxWatcher();
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;
    const std::vector<SeenMessageBox>& seen() const { return seen_; }

private:
    static VOID CALLBACK OnTimer(HWND, UINT, UINT_PTR, DWORD);
    void Tick();
    UINT_PTR timer_ = 0;
    std::vector<SeenMessageBox> seen_;
    std::vector<HWND> answered_;
};

}  // namespace ambrelle_test
