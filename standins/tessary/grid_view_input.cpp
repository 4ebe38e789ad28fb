// The grid window's scrolling, selection, keyboard, mouse and clipboard.
#include <windowsx.h>

#include <algorithm>
#include <cstring>

#include "grid_view.h"
#include "tessary_identity.h"

namespace tessary {

namespace {

// A copy of more rows than this asks for them under the wait cursor.
constexpr LONG kQuickCopyRows = 500;

short ShiftState() {
    short shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

bool PutOnClipboard(HWND owner, const std::wstring& text) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
    if (!memory) return false;
    void* data = GlobalLock(memory);
    if (!data) {
        GlobalFree(memory);
        return false;
    }
    memcpy(data, text.c_str(), (text.size() + 1) * sizeof(wchar_t));
    GlobalUnlock(memory);
    if (!OpenClipboard(owner)) {
        GlobalFree(memory);
        return false;
    }
    EmptyClipboard();
    bool placed = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
    CloseClipboard();
    if (!placed) GlobalFree(memory);
    return placed;
}

}  // namespace

// ---------------------------------------------------------------------------
// Scrolling

void GridView::UpdateScrollBars() {
    if (!hwnd_ || !attached() || updating_scrollbars_) return;
    updating_scrollbars_ = true;
    // Showing or hiding one bar changes the room for the other: settle in a few passes.
    for (int pass = 0; pass < 3 && attached(); ++pass) {
        RECT before = Client();
        top_ = std::min(std::max<LONG>(top_, 2), MaxTop(before.bottom));
        scroll_x_ = std::max(0, std::min(scroll_x_, TotalWidth() - static_cast<int>(before.right)));

        SCROLLINFO vertical = {sizeof(vertical), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
        // A range that the page covers hides the bar.
        LONG data_rows = std::max<LONG>(0, model_->row_count() - 1);
        vertical.nMax = std::max<LONG>(0, data_rows - 1);
        vertical.nPage = static_cast<UINT>(data_rows ? FullRows(before.bottom) : 1);
        vertical.nPos = top_ - 2;
        SetScrollInfo(hwnd_, SB_VERT, &vertical, TRUE);

        SCROLLINFO horizontal = {sizeof(horizontal), SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
        horizontal.nMax = std::max(0, TotalWidth() - 1);
        horizontal.nPage = static_cast<UINT>(std::max<LONG>(1, before.right));
        horizontal.nPos = scroll_x_;
        SetScrollInfo(hwnd_, SB_HORZ, &horizontal, TRUE);

        RECT after = Client();
        if (EqualRect(&before, &after)) break;
    }
    updating_scrollbars_ = false;
}

void GridView::ScrollRowsTo(LONGLONG top) {
    RECT client = Client();
    LONG clamped = static_cast<LONG>(std::min<LONGLONG>(std::max<LONGLONG>(top, 2), MaxTop(client.bottom)));
    if (clamped == top_) return;
    top_ = clamped;
    SetScrollPos(hwnd_, SB_VERT, top_ - 2, TRUE);
    Invalidate();
}

void GridView::ScrollXTo(int x) {
    RECT client = Client();
    int clamped = std::max(0, std::min(x, TotalWidth() - static_cast<int>(client.right)));
    if (clamped == scroll_x_) return;
    scroll_x_ = clamped;
    SetScrollPos(hwnd_, SB_HORZ, scroll_x_, TRUE);
    Invalidate();
}

// Left and right step from column border to column border.
void GridView::ScrollColumns(int direction) {
    int left = 0;
    int target = direction > 0 ? TotalWidth() : 0;
    for (int width : ColumnPixels()) {
        if (direction > 0 && left > scroll_x_) {
            target = left;
            break;
        }
        if (direction < 0 && left < scroll_x_) target = left;
        left += width;
    }
    ScrollXTo(target);
}

void GridView::OnVScroll(WORD request) {
    RECT client = Client();
    LONG page = std::max<LONG>(1, FullRows(client.bottom));
    switch (request) {
    case SB_LINEUP: ScrollRowsTo(static_cast<LONGLONG>(top_) - 1); break;
    case SB_LINEDOWN: ScrollRowsTo(static_cast<LONGLONG>(top_) + 1); break;
    case SB_PAGEUP: ScrollRowsTo(static_cast<LONGLONG>(top_) - page); break;
    case SB_PAGEDOWN: ScrollRowsTo(static_cast<LONGLONG>(top_) + page); break;
    case SB_TOP: ScrollRowsTo(2); break;
    case SB_BOTTOM: ScrollRowsTo(MaxTop(client.bottom)); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info = {sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (GetScrollInfo(hwnd_, SB_VERT, &info)) ScrollRowsTo(static_cast<LONGLONG>(info.nTrackPos) + 2);
        break;
    }
    default: break;
    }
}

void GridView::OnHScroll(WORD request) {
    RECT client = Client();
    int line = MulDiv(20, metrics_.dpi_x, 96);
    switch (request) {
    case SB_LINELEFT: ScrollXTo(scroll_x_ - line); break;
    case SB_LINERIGHT: ScrollXTo(scroll_x_ + line); break;
    case SB_PAGELEFT: ScrollXTo(scroll_x_ - client.right); break;
    case SB_PAGERIGHT: ScrollXTo(scroll_x_ + client.right); break;
    case SB_LEFT: ScrollXTo(0); break;
    case SB_RIGHT: ScrollXTo(TotalWidth()); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
        SCROLLINFO info = {sizeof(info), SIF_TRACKPOS, 0, 0, 0, 0, 0};
        if (GetScrollInfo(hwnd_, SB_HORZ, &info)) ScrollXTo(info.nTrackPos);
        break;
    }
    default: break;
    }
}

void GridView::OnWheel(int delta, bool horizontal) {
    int& pending = horizontal ? hwheel_delta_ : wheel_delta_;
    pending += delta;
    int notches = pending / WHEEL_DELTA;
    pending -= notches * WHEEL_DELTA;
    if (notches == 0) return;
    if (horizontal) {
        ScrollXTo(scroll_x_ + notches * MulDiv(40, metrics_.dpi_x, 96));
        return;
    }
    UINT lines = 3;
    SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
    RECT client = Client();
    LONGLONG step = lines == WHEEL_PAGESCROLL ? std::max<LONG>(1, FullRows(client.bottom)) : lines;
    ScrollRowsTo(static_cast<LONGLONG>(top_) - notches * step);
}

void GridView::EnsureVisible(LONG row) {
    if (row < 2 || !hwnd_) return;
    RECT client = Client();
    LONG full = std::max<LONG>(1, FullRows(client.bottom));
    if (row < top_)
        ScrollRowsTo(row);
    else if (static_cast<LONGLONG>(row) > static_cast<LONGLONG>(top_) + full - 1)
        ScrollRowsTo(static_cast<LONGLONG>(row) - full + 1);
}

// ---------------------------------------------------------------------------
// Selection and input

bool GridView::Selected(LONG row) const {
    if (!current_) return false;
    return row >= std::min(anchor_, current_) && row <= std::max(anchor_, current_);
}

void GridView::SelectRow(LONGLONG row, bool extend) {
    const LONG rows = model_->row_count();
    if (rows < 2) return;
    LONG target = static_cast<LONG>(std::min<LONGLONG>(std::max<LONGLONG>(row, 2), rows));
    LONG anchor = extend && anchor_ ? anchor_ : target;
    bool changed = anchor != anchor_ || target != current_;
    anchor_ = anchor;
    current_ = target;
    EnsureVisible(target);
    if (!changed) return;
    Invalidate();
    host_->FireSimple(kDispidSelChange);
}

void GridView::SelectAll() {
    const LONG rows = model_->row_count();
    if (rows < 2) return;
    bool changed = anchor_ != 2 || current_ != rows;
    anchor_ = 2;
    current_ = rows;
    if (!changed) return;
    Invalidate();
    host_->FireSimple(kDispidSelChange);
}

void GridView::MoveSelection(LONGLONG delta, bool extend) {
    if (!current_) {
        // The first move picks the first row on screen.
        SelectRow(top_, false);
        return;
    }
    SelectRow(static_cast<LONGLONG>(current_) + delta, extend);
}

void GridView::CopySelection() {
    if (!current_) return;
    const LONG first = std::min(anchor_, current_);
    const LONG last = std::max(anchor_, current_);
    HCURSOR previous = nullptr;
    if (last - first >= kQuickCopyRows) previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
    std::wstring text;
    for (LONG row = first; row <= last && attached(); ++row) {
        if (row != first) text += L"\r\n";
        text += RowTextForCopy(row);
        if (row == LONG_MAX) break;
    }
    if (previous) SetCursor(previous);
    if (!attached()) return;
    if (!PutOnClipboard(hwnd_, text)) MessageBeep(MB_ICONWARNING);
}

// Fits a column to the widest of its texts on screen.
void GridView::AutoFitColumn(LONG column) {
    HDC dc = GetDC(hwnd_);
    HGDIOBJ old_font = SelectObject(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    int widest = 0;
    for (const auto& entry : rows_) {
        std::vector<std::wstring> cells = CellsOf(entry.first);
        const std::wstring& text = cells[static_cast<size_t>(column - 1)];
        SIZE size = {};
        if (!text.empty() && GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size)) {
            int extra = column == 1 && model_->RowMarked(entry.first) ? metrics_.mark_indent : 0;
            widest = std::max(widest, static_cast<int>(size.cx) + extra);
        }
    }
    SelectObject(dc, old_font);
    ReleaseDC(hwnd_, dc);
    int pixels = widest + 2 * metrics_.padding_x + 1;
    model_->SetColumnWidthTwips(column, static_cast<float>(metrics_.PixelsToTwipsX(pixels)));
    ColumnsChanged();
}

void GridView::OnKeyDown(WPARAM key_code) {
    short key = static_cast<short>(key_code);
    const short shift = ShiftState();
    host_->FireKey(kDispidKeyDown, &key, shift);
    if (!attached() || key == 0) return;
    const bool extend = (shift & 1) != 0;
    const bool control = (shift & 2) != 0;
    RECT client = Client();
    const LONG page = std::max<LONG>(1, FullRows(client.bottom));
    switch (key) {
    case VK_UP: MoveSelection(-1, extend); break;
    case VK_DOWN: MoveSelection(1, extend); break;
    case VK_PRIOR: MoveSelection(-page, extend); break;
    case VK_NEXT: MoveSelection(page, extend); break;
    case VK_HOME: SelectRow(2, extend); break;
    case VK_END: SelectRow(model_->row_count(), extend); break;
    case VK_LEFT: ScrollColumns(-1); break;
    case VK_RIGHT: ScrollColumns(1); break;
    case 'A':
        if (control) SelectAll();
        break;
    case 'C':
    case VK_INSERT:
        if (control) CopySelection();
        break;
    default: break;
    }
}

void GridView::OnKeyUp(WPARAM key_code) {
    short key = static_cast<short>(key_code);
    host_->FireKey(kDispidKeyUp, &key, ShiftState());
}

void GridView::OnChar(WPARAM character) {
    short key = static_cast<short>(character);
    host_->FireKey(kDispidKeyPress, &key, 0);
}

void GridView::FireMouse(DISPID event, short button, LPARAM lparam) {
    float x = static_cast<float>(metrics_.PixelsToTwipsX(GET_X_LPARAM(lparam)));
    float y = static_cast<float>(metrics_.PixelsToTwipsY(GET_Y_LPARAM(lparam)));
    host_->FireMouse(event, button, ShiftState(), x, y);
}

void GridView::OnButtonDown(short button, WPARAM, LPARAM lparam, bool double_click) {
    if (GetFocus() != hwnd_) SetFocus(hwnd_);
    if (!attached()) return;
    if (!double_click) FireMouse(kDispidMouseDown, button, lparam);
    if (!attached()) return;
    const int x = GET_X_LPARAM(lparam);
    const int y = GET_Y_LPARAM(lparam);
    if (button == kLeftButton) {
        left_pressed_ = true;
        LONG border = BorderAt(x, y);
        if (border && double_click) {
            AutoFitColumn(border);
        } else if (border) {
            resizing_column_ = border;
            SetCapture(hwnd_);
        } else {
            LONG row = RowAt(y);
            if (row >= 2) {
                SelectRow(row, (ShiftState() & 1) != 0);
                if (!attached()) return;
                selecting_ = true;
                SetCapture(hwnd_);
            }
        }
    }
    if (double_click) host_->FireSimple(kDispidDblClick);
}

void GridView::OnButtonUp(short button, WPARAM, LPARAM lparam) {
    bool clicked = button == kLeftButton && left_pressed_;
    if (button == kLeftButton) {
        left_pressed_ = false;
        resizing_column_ = 0;
        selecting_ = false;
        if (GetCapture() == hwnd_) ReleaseCapture();
    }
    FireMouse(kDispidMouseUp, button, lparam);
    if (clicked && attached()) host_->FireSimple(kDispidClick);
}

void GridView::OnMouseMove(WPARAM wparam, LPARAM lparam) {
    const int x = GET_X_LPARAM(lparam);
    const int y = GET_Y_LPARAM(lparam);
    if (resizing_column_ && resizing_column_ <= model_->column_count()) {
        int pixels = std::max(0, x - ColumnLeft(resizing_column_));
        double twips = metrics_.PixelsToTwipsX(pixels);
        if (twips != model_->ColumnWidthTwips(resizing_column_)) {
            model_->SetColumnWidthTwips(resizing_column_, static_cast<float>(twips));
            ColumnsChanged();
        }
    } else if (selecting_ && (wparam & MK_LBUTTON)) {
        RECT client = Client();
        int inside = std::max(HeaderHeight(), std::min(y, static_cast<int>(client.bottom) - 1));
        LONG row = RowAt(inside);
        if (y >= client.bottom) row = std::min<LONG>(model_->row_count(), SpanFor(client.bottom).last + 1);
        if (y < HeaderHeight()) row = std::max<LONG>(2, top_ - 1);
        if (row >= 2 && row != current_) SelectRow(row, true);
    }
    if (!attached()) return;
    short buttons = 0;
    if (wparam & MK_LBUTTON) buttons |= kLeftButton;
    if (wparam & MK_RBUTTON) buttons |= kRightButton;
    if (wparam & MK_MBUTTON) buttons |= kMiddleButton;
    FireMouse(kDispidMouseMove, buttons, lparam);
}

bool GridView::OnSetCursor() {
    POINT point;
    GetCursorPos(&point);
    ScreenToClient(hwnd_, &point);
    if (resizing_column_ || BorderAt(point.x, point.y)) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return true;
    }
    return false;
}

}  // namespace tessary
