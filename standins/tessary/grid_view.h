// The grid's window ("TessaryGrid"): scrolling, selection, column resizing,
// keyboard, clipboard, and the rows on screen, whose texts it asks for
// through its host whenever it displays them.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <map>
#include <string>
#include <vector>

#include "grid_model.h"
#include "grid_painter.h"

namespace tessary {

// What the window needs from the control that owns it.
class GridViewHost {
public:
    // Asks the container for one row's text and colour (colour comes in with
    // the row's default). S_OK: answered. S_FALSE: nobody answers now (no
    // handler connected, events frozen); the row is drawn empty and asked for
    // again later. A failure: the handler failed; the row stays empty.
    virtual HRESULT RequestRowText(LONG row, std::wstring* text, COLORREF* colour) = 0;
    virtual void FireMouse(DISPID event, short button, short shift, float x_twips, float y_twips) = 0;
    // KeyDown, KeyUp, KeyPress; the handler may set *key to 0 to cancel it.
    virtual void FireKey(DISPID event, short* key, short shift) = 0;
    // Click, DblClick, SelChange.
    virtual void FireSimple(DISPID event) = 0;
    virtual void OnViewFocus(bool gained) = 0;
    // The control's IDispatch, AddRef'd (the "Tessary.GetDispatch" message).
    virtual IDispatch* DispatchForWindow() = 0;

protected:
    ~GridViewHost() = default;
};

// The default background handed in with a row's text request.
COLORREF DefaultRowColour(LONG row);

class GridView {
public:
    // owner is AddRef'd while the window handles a message, so the control
    // outlives every call it makes into it.
    GridView(GridModel* model, GridViewHost* host, IUnknown* owner);
    GridView(const GridView&) = delete;
    GridView& operator=(const GridView&) = delete;

    void AddRef() { ++refs_; }
    void Release() {
        if (--refs_ == 0) delete this;
    }

    static bool RegisterWindowClass(HINSTANCE instance);
    static void UnregisterWindowClass(HINSTANCE instance);

    HRESULT CreateWindowIn(HWND parent, const RECT& position);
    void DestroyWindow();
    // The owner is going away: the window makes no more calls to it.
    void Detach();
    HWND hwnd() const { return hwnd_; }

    void SetFont(HFONT font);  // not owned
    HFONT font() const { return font_; }
    void Move(const RECT& position);

    // Changes made through automation.
    void RowCountChanged();
    void ColumnsChanged();
    void RowMarkChanged(LONG row);
    // Forgets the rows on screen and asks for them again.
    void Refresh();
    // Draws again, asking only for rows not answered yet.
    void Redraw() { Invalidate(); }

    // Draws the grid as it stands into any DC (IViewObject::Draw, WM_PRINTCLIENT).
    void PaintTo(HDC dc, const RECT& bounds);

private:
    struct CachedRow {
        std::wstring text;
        COLORREF colour = 0;
    };
    // The rows a given height shows: the header, and data rows first to last.
    struct RowSpan {
        bool header = false;
        LONG first = 2;
        LONG last = 1;
    };

    ~GridView();
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam);
    LRESULT HandleMessage(UINT message, WPARAM wparam, LPARAM lparam);
    bool attached() const { return host_ != nullptr; }

    // Layout.
    void UpdateMetrics();
    std::vector<int> ColumnPixels() const;
    int TotalWidth() const;
    int HeaderHeight() const;
    LONG FullRows(int height) const;
    LONG MaxTop(int height) const;
    RowSpan SpanFor(int height) const;
    RECT Client() const;
    LONG RowAt(int y) const;
    LONG BorderAt(int x, int y) const;
    int ColumnLeft(LONG column) const;

    // Rows on screen.
    void FetchRows(const RowSpan& span);
    void FetchRow(LONG row);
    void TrimCache(const RowSpan& span);
    std::vector<std::wstring> CellsOf(LONG row) const;
    std::wstring ScreenText();
    std::wstring RowTextForCopy(LONG row);
    void Paint(HDC dc, const RECT& bounds, const RowSpan& span);

    // Scrolling.
    void UpdateScrollBars();
    void ScrollRowsTo(LONGLONG top);
    void ScrollXTo(int x);
    void ScrollColumns(int direction);
    void OnVScroll(WORD request);
    void OnHScroll(WORD request);
    void OnWheel(int delta, bool horizontal);
    void EnsureVisible(LONG row);

    // Selection and input.
    void SelectRow(LONGLONG row, bool extend);
    void SelectAll();
    bool Selected(LONG row) const;
    void MoveSelection(LONGLONG delta, bool extend);
    void CopySelection();
    void AutoFitColumn(LONG column);
    void OnKeyDown(WPARAM key);
    void OnKeyUp(WPARAM key);
    void OnChar(WPARAM character);
    void OnButtonDown(short button, WPARAM wparam, LPARAM lparam, bool double_click);
    void OnButtonUp(short button, WPARAM wparam, LPARAM lparam);
    void OnMouseMove(WPARAM wparam, LPARAM lparam);
    bool OnSetCursor();
    void FireMouse(DISPID event, short button, LPARAM lparam);
    void InvalidateRow(LONG row);
    void Invalidate();

    // Buttons as mouse events name them.
    static constexpr short kLeftButton = 1;
    static constexpr short kRightButton = 2;
    static constexpr short kMiddleButton = 4;

    int refs_ = 1;
    GridModel* model_;
    GridViewHost* host_;
    IUnknown* owner_;
    HWND hwnd_ = nullptr;
    HFONT font_ = nullptr;
    GridMetrics metrics_;
    GridColours colours_;

    LONG top_ = 2;         // the first data row below the header
    int scroll_x_ = 0;     // pixels scrolled to the right
    LONG anchor_ = 0;      // selection: anchor_ to current_, 0 when none
    LONG current_ = 0;
    bool focused_ = false;

    std::map<LONG, CachedRow> rows_;  // the rows on screen as last answered
    bool fetching_ = false;
    bool updating_scrollbars_ = false;
    int wheel_delta_ = 0;
    int hwheel_delta_ = 0;

    LONG resizing_column_ = 0;
    bool selecting_ = false;
    bool left_pressed_ = false;
};

}  // namespace tessary
