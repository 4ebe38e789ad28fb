#include "grid_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "row_text.h"
#include "tessary.h"

namespace tessary {

namespace {

constexpr short kLeftButton = 1;
constexpr short kRightButton = 2;
constexpr short kMiddleButton = 4;
// A copy of more rows than this asks for them under the wait cursor.
constexpr LONG kQuickCopyRows = 500;

UINT GetDispatchMessageId() {
    static const UINT id = RegisterWindowMessageW(kGetDispatchMessage);
    return id;
}

short ShiftState() {
    short shift = 0;
    if (GetKeyState(VK_SHIFT) < 0) shift |= 1;
    if (GetKeyState(VK_CONTROL) < 0) shift |= 2;
    if (GetKeyState(VK_MENU) < 0) shift |= 4;
    return shift;
}

std::wstring JoinCells(const std::vector<std::wstring>& cells) {
    std::wstring line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) line += L'\t';
        line += cells[i];
    }
    return line;
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

COLORREF DefaultRowColour(LONG row) { return GetSysColor(row == 1 ? COLOR_BTNFACE : COLOR_WINDOW); }

GridView::GridView(GridModel* model, GridViewHost* host, IUnknown* owner)
    : model_(model), host_(host), owner_(owner), colours_(GridColours::FromSystem()) {
    UpdateMetrics();
}

GridView::~GridView() = default;

bool GridView::RegisterWindowClass(HINSTANCE instance) {
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof(wc);
    if (GetClassInfoExW(instance, kWindowClass, &wc)) return true;
    wc.cbSize = sizeof(wc);
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = &GridView::WindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kWindowClass;
    return RegisterClassExW(&wc) != 0;
}

void GridView::UnregisterWindowClass(HINSTANCE instance) { UnregisterClassW(kWindowClass, instance); }

HRESULT GridView::CreateWindowIn(HWND parent, const RECT& position) {
    if (hwnd_) return S_OK;
    HINSTANCE instance = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&GridView::WindowProc), &instance);
    if (!RegisterWindowClass(instance)) return HRESULT_FROM_WIN32(GetLastError());
    HWND hwnd = CreateWindowExW(WS_EX_CLIENTEDGE, kWindowClass, nullptr,
                                WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | WS_VSCROLL | WS_HSCROLL,
                                position.left, position.top, position.right - position.left,
                                position.bottom - position.top, parent, nullptr, instance, this);
    if (!hwnd) return HRESULT_FROM_WIN32(GetLastError());
    UpdateScrollBars();
    return S_OK;
}

void GridView::DestroyWindow() {
    if (hwnd_) ::DestroyWindow(hwnd_);
}

void GridView::Detach() {
    host_ = nullptr;
    owner_ = nullptr;
    model_ = nullptr;
    rows_.clear();
}

void GridView::SetFont(HFONT font) {
    font_ = font;
    UpdateMetrics();
    if (!hwnd_) return;
    UpdateScrollBars();
    Invalidate();
}

void GridView::Move(const RECT& position) {
    if (!hwnd_) return;
    SetWindowPos(hwnd_, nullptr, position.left, position.top, position.right - position.left,
                 position.bottom - position.top, SWP_NOZORDER | SWP_NOACTIVATE);
}

void GridView::RowCountChanged() {
    if (!attached()) return;
    const LONG rows = model_->row_count();
    rows_.erase(rows_.upper_bound(rows), rows_.end());
    if (rows < 2) {
        anchor_ = current_ = 0;
    } else {
        if (current_ > rows) current_ = rows;
        if (anchor_ > rows) anchor_ = rows;
    }
    if (!hwnd_) return;
    UpdateScrollBars();
    Invalidate();
}

void GridView::ColumnsChanged() {
    if (!hwnd_) return;
    UpdateScrollBars();
    Invalidate();
}

void GridView::RowMarkChanged(LONG row) {
    InvalidateRow(row);
    InvalidateRow(row - 1);  // the line between the two rows
}

void GridView::Refresh() {
    rows_.clear();
    Invalidate();
}

// ---------------------------------------------------------------------------
// Layout

void GridView::UpdateMetrics() {
    HDC screen = GetDC(nullptr);
    metrics_.dpi_x = GetDeviceCaps(screen, LOGPIXELSX);
    metrics_.dpi_y = GetDeviceCaps(screen, LOGPIXELSY);
    HGDIOBJ old_font = SelectObject(screen, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
    TEXTMETRICW tm = {};
    GetTextMetricsW(screen, &tm);
    SelectObject(screen, old_font);
    ReleaseDC(nullptr, screen);
    metrics_.row_height = tm.tmHeight + tm.tmExternalLeading + MulDiv(8, metrics_.dpi_y, 96);
    metrics_.padding_x = MulDiv(5, metrics_.dpi_x, 96);
    metrics_.resize_grip = MulDiv(4, metrics_.dpi_x, 96);
    metrics_.mark_indent = MulDiv(12, metrics_.dpi_x, 96);
}

std::vector<int> GridView::ColumnPixels() const {
    std::vector<int> widths;
    if (!attached()) return widths;
    widths.reserve(static_cast<size_t>(model_->column_count()));
    for (LONG c = 1; c <= model_->column_count(); ++c)
        widths.push_back(metrics_.TwipsToPixelsX(model_->ColumnWidthTwips(c)));
    return widths;
}

int GridView::TotalWidth() const {
    LONGLONG total = 0;
    for (int w : ColumnPixels()) total += w;
    return static_cast<int>(std::min<LONGLONG>(total, 0x3FFFFFFF));
}

int GridView::HeaderHeight() const { return attached() && model_->row_count() >= 1 ? metrics_.row_height : 0; }

LONG GridView::FullRows(int height) const {
    int area = height - HeaderHeight();
    return area > 0 ? area / metrics_.row_height : 0;
}

LONG GridView::MaxTop(int height) const {
    LONGLONG top = static_cast<LONGLONG>(model_->row_count()) - std::max<LONG>(1, FullRows(height)) + 1;
    return static_cast<LONG>(std::max<LONGLONG>(2, top));
}

GridView::RowSpan GridView::SpanFor(int height) const {
    RowSpan span;
    if (!attached()) return span;
    span.header = model_->row_count() >= 1;
    span.first = top_;
    span.last = top_ - 1;
    int area = height - HeaderHeight();
    if (area <= 0) return span;
    LONGLONG shown = (area + metrics_.row_height - 1) / metrics_.row_height;
    span.last = static_cast<LONG>(std::min<LONGLONG>(model_->row_count(), top_ + shown - 1));
    return span;
}

RECT GridView::Client() const {
    RECT client = {};
    if (hwnd_) GetClientRect(hwnd_, &client);
    return client;
}

LONG GridView::RowAt(int y) const {
    int header = HeaderHeight();
    if (y < header) return y >= 0 && header ? 1 : 0;
    LONGLONG row = top_ + (y - header) / metrics_.row_height;
    return row <= model_->row_count() ? static_cast<LONG>(row) : 0;
}

int GridView::ColumnLeft(LONG column) const {
    std::vector<int> widths = ColumnPixels();
    int x = -scroll_x_;
    for (LONG c = 1; c < column && c <= static_cast<LONG>(widths.size()); ++c) x += widths[static_cast<size_t>(c - 1)];
    return x;
}

// The column whose right border is under the point in the header; the last
// one wins, so a column dragged down to nothing can be pulled open again.
LONG GridView::BorderAt(int x, int y) const {
    if (!attached() || y < 0 || y >= HeaderHeight()) return 0;
    std::vector<int> widths = ColumnPixels();
    int right = -scroll_x_;
    LONG found = 0;
    for (size_t i = 0; i < widths.size(); ++i) {
        right += widths[i];
        if (std::abs(x - right) <= metrics_.resize_grip) found = static_cast<LONG>(i + 1);
        if (right - metrics_.resize_grip > x) break;
    }
    return found;
}

// ---------------------------------------------------------------------------
// Rows on screen

void GridView::FetchRows(const RowSpan& span) {
    if (fetching_ || !attached()) return;
    fetching_ = true;
    if (span.header) FetchRow(1);
    for (LONG row = span.first; row <= span.last && attached(); ++row) {
        FetchRow(row);
        if (row == LONG_MAX) break;
    }
    fetching_ = false;
}

void GridView::FetchRow(LONG row) {
    if (!attached() || rows_.count(row) || row > model_->row_count()) return;
    const COLORREF default_colour = DefaultRowColour(row);
    std::wstring text;
    COLORREF colour = default_colour;
    HRESULT hr = host_->RequestRowText(row, &text, &colour);
    // The handler may have closed the grid, or changed its rows, meanwhile.
    if (!attached() || hr == S_FALSE || row > model_->row_count()) return;
    if (FAILED(hr)) {
        text.clear();
        colour = default_colour;
    }
    model_->SetRowColour(row, colour, default_colour);
    CachedRow& cached = rows_[row];
    cached.text = std::move(text);
    cached.colour = colour;
}

void GridView::TrimCache(const RowSpan& span) {
    for (auto it = rows_.begin(); it != rows_.end();) {
        bool keep = (it->first == 1 && span.header) || (it->first >= span.first && it->first <= span.last);
        it = keep ? std::next(it) : rows_.erase(it);
    }
}

std::vector<std::wstring> GridView::CellsOf(LONG row) const {
    auto found = rows_.find(row);
    const std::wstring empty;
    const std::wstring& text = found == rows_.end() ? empty : found->second.text;
    return SplitRowText(text.c_str(), text.size(), model_->column_count());
}

std::wstring GridView::ScreenText() {
    if (!attached()) return std::wstring();
    RECT client = Client();
    FetchRows(SpanFor(client.bottom));
    if (!attached()) return std::wstring();
    RowSpan span = SpanFor(client.bottom);
    std::wstring text;
    bool first_line = true;
    auto add_line = [&](LONG row) {
        if (!first_line) text += L"\r\n";
        first_line = false;
        text += JoinCells(CellsOf(row));
    };
    if (span.header) add_line(1);
    for (LONG row = span.first; row <= span.last; ++row) {
        add_line(row);
        if (row == LONG_MAX) break;
    }
    return text;
}

std::wstring GridView::RowTextForCopy(LONG row) {
    std::vector<std::wstring> cells;
    auto found = rows_.find(row);
    if (found != rows_.end()) {
        cells = CellsOf(row);
    } else {
        std::wstring text;
        COLORREF colour = DefaultRowColour(row);
        HRESULT hr = host_->RequestRowText(row, &text, &colour);
        if (!attached()) return std::wstring();
        if (hr != S_OK) text.clear();
        cells = SplitRowText(text.c_str(), text.size(), model_->column_count());
    }
    return JoinCells(cells);
}

void GridView::Paint(HDC dc, const RECT& bounds, const RowSpan& span) {
    std::vector<int> widths = ColumnPixels();
    const LONG columns = static_cast<LONG>(widths.size());
    std::map<LONG, std::vector<std::wstring>> cells;
    auto cells_of = [&](LONG row) -> const std::vector<std::wstring>* {
        auto found = rows_.find(row);
        if (found == rows_.end()) return nullptr;
        auto& split = cells[row];
        split = SplitRowText(found->second.text.c_str(), found->second.text.size(), columns);
        return &split;
    };
    auto colour_of = [&](LONG row) {
        auto found = rows_.find(row);
        return found == rows_.end() ? DefaultRowColour(row) : found->second.colour;
    };

    GridFrame frame;
    frame.bounds = bounds;
    frame.font = font_;
    frame.metrics = &metrics_;
    frame.colours = &colours_;
    frame.column_widths = &widths;
    frame.scroll_x = scroll_x_;
    frame.focused = focused_;
    frame.focus_row = current_;
    frame.has_header = span.header;
    if (span.header) {
        frame.header.row = 1;
        frame.header.cells = cells_of(1);
        frame.header.colour = colour_of(1);
    }
    for (LONG row = span.first; row <= span.last; ++row) {
        PaintedRow painted;
        painted.row = row;
        painted.cells = cells_of(row);
        painted.colour = colour_of(row);
        painted.marked = model_->RowMarked(row);
        painted.next_marked = row < model_->row_count() && model_->RowMarked(row + 1);
        painted.selected = Selected(row);
        frame.rows.push_back(painted);
        if (row == LONG_MAX) break;
    }
    PaintGrid(dc, frame);
}

void GridView::PaintTo(HDC dc, const RECT& bounds) {
    if (!attached()) return;
    RowSpan span = SpanFor(bounds.bottom - bounds.top);
    FetchRows(span);
    if (!attached()) return;
    Paint(dc, bounds, SpanFor(bounds.bottom - bounds.top));
}

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

void GridView::InvalidateRow(LONG row) {
    if (!hwnd_ || row < 1) return;
    RECT client = Client();
    RECT band = client;
    if (row == 1) {
        band.bottom = HeaderHeight();
    } else {
        if (row < top_) return;
        LONGLONG top = HeaderHeight() + static_cast<LONGLONG>(row - top_) * metrics_.row_height;
        if (top >= client.bottom) return;
        band.top = static_cast<LONG>(top);
        band.bottom = band.top + metrics_.row_height;
    }
    InvalidateRect(hwnd_, &band, FALSE);
}

void GridView::Invalidate() {
    if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

// ---------------------------------------------------------------------------
// Window procedure

LRESULT CALLBACK GridView::WindowProc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
    GridView* view;
    if (message == WM_NCCREATE) {
        view = static_cast<GridView*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(view));
        view->hwnd_ = hwnd;
        view->AddRef();  // the window's own reference, dropped at WM_NCDESTROY
    } else {
        view = reinterpret_cast<GridView*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    }
    if (!view) return DefWindowProcW(hwnd, message, wparam, lparam);
    view->AddRef();
    IUnknown* owner = view->owner_;
    if (owner) owner->AddRef();
    LRESULT result = view->HandleMessage(message, wparam, lparam);
    view->Release();
    if (owner) owner->Release();
    return result;
}

LRESULT GridView::HandleMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    HWND hwnd = hwnd_;
    if (message == WM_NCDESTROY) {
        SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        hwnd_ = nullptr;
        focused_ = false;
        Release();
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    if (!attached()) {
        if (message == WM_PAINT) {
            PAINTSTRUCT ps;
            HDC dc = BeginPaint(hwnd, &ps);
            FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_WINDOW));
            EndPaint(hwnd, &ps);
            return 0;
        }
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }
    if (message == GetDispatchMessageId()) return reinterpret_cast<LRESULT>(host_->DispatchForWindow());

    switch (message) {
    case WM_PAINT: {
        RECT client = Client();
        FetchRows(SpanFor(client.bottom));
        if (!attached() || !hwnd_) return 0;
        RowSpan span = SpanFor(client.bottom);
        TrimCache(span);
        // A handler that ran a message loop may have painted already: draw everything.
        InvalidateRect(hwnd_, nullptr, FALSE);
        PAINTSTRUCT ps;
        HDC dc = BeginPaint(hwnd_, &ps);
        HDC memory = CreateCompatibleDC(dc);
        HBITMAP bitmap = CreateCompatibleBitmap(dc, std::max<LONG>(1, client.right), std::max<LONG>(1, client.bottom));
        if (memory && bitmap) {
            HGDIOBJ old_bitmap = SelectObject(memory, bitmap);
            Paint(memory, client, span);
            BitBlt(dc, 0, 0, client.right, client.bottom, memory, 0, 0, SRCCOPY);
            SelectObject(memory, old_bitmap);
        } else {
            Paint(dc, client, span);
        }
        if (bitmap) DeleteObject(bitmap);
        if (memory) DeleteDC(memory);
        EndPaint(hwnd_, &ps);
        return 0;
    }
    case WM_PRINTCLIENT: {
        RECT client = Client();
        PaintTo(reinterpret_cast<HDC>(wparam), client);
        return 0;
    }
    case WM_ERASEBKGND:
        return 1;
    case WM_SIZE:
        UpdateScrollBars();
        Invalidate();
        return 0;
    case WM_VSCROLL:
        OnVScroll(LOWORD(wparam));
        return 0;
    case WM_HSCROLL:
        OnHScroll(LOWORD(wparam));
        return 0;
    case WM_MOUSEWHEEL:
        OnWheel(GET_WHEEL_DELTA_WPARAM(wparam), false);
        return 0;
    case WM_MOUSEHWHEEL:
        OnWheel(GET_WHEEL_DELTA_WPARAM(wparam), true);
        return 0;
    case WM_GETDLGCODE:
        return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_KEYDOWN:
        OnKeyDown(wparam);
        return 0;
    case WM_KEYUP: {
        short key = static_cast<short>(wparam);
        host_->FireKey(kDispidKeyUp, &key, ShiftState());
        return 0;
    }
    case WM_CHAR: {
        short key = static_cast<short>(wparam);
        host_->FireKey(kDispidKeyPress, &key, 0);
        return 0;
    }
    case WM_LBUTTONDOWN:
        OnButtonDown(kLeftButton, wparam, lparam, false);
        return 0;
    case WM_LBUTTONDBLCLK:
        OnButtonDown(kLeftButton, wparam, lparam, true);
        return 0;
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        OnButtonDown(kRightButton, wparam, lparam, false);
        return 0;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        OnButtonDown(kMiddleButton, wparam, lparam, false);
        return 0;
    case WM_LBUTTONUP:
        OnButtonUp(kLeftButton, wparam, lparam);
        return 0;
    case WM_RBUTTONUP:
        OnButtonUp(kRightButton, wparam, lparam);
        return 0;
    case WM_MBUTTONUP:
        OnButtonUp(kMiddleButton, wparam, lparam);
        return 0;
    case WM_MOUSEMOVE:
        OnMouseMove(wparam, lparam);
        return 0;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lparam) != hwnd_) {
            resizing_column_ = 0;
            selecting_ = false;
        }
        return 0;
    case WM_SETCURSOR:
        if (LOWORD(lparam) == HTCLIENT && OnSetCursor()) return TRUE;
        break;
    case WM_SETFOCUS:
        focused_ = true;
        Invalidate();
        host_->OnViewFocus(true);
        return 0;
    case WM_KILLFOCUS:
        focused_ = false;
        Invalidate();
        host_->OnViewFocus(false);
        return 0;
    case WM_SETFONT:
        SetFont(reinterpret_cast<HFONT>(wparam));
        return 0;
    case WM_GETFONT:
        return reinterpret_cast<LRESULT>(font_);
    case WM_SYSCOLORCHANGE:
        colours_ = GridColours::FromSystem();
        Invalidate();
        return 0;
    case WM_GETTEXTLENGTH:
        return static_cast<LRESULT>(ScreenText().size());
    case WM_GETTEXT: {
        if (!lparam || wparam == 0) return 0;
        std::wstring text = ScreenText();
        size_t count = std::min<size_t>(text.size(), wparam - 1);
        wchar_t* out = reinterpret_cast<wchar_t*>(lparam);
        std::copy(text.begin(), text.begin() + static_cast<ptrdiff_t>(count), out);
        out[count] = L'\0';
        return static_cast<LRESULT>(count);
    }
    case WM_SETTEXT:
        return FALSE;  // the grid shows rows, not a caption
    default:
        break;
    }
    return DefWindowProcW(hwnd, message, wparam, lparam);
}

}  // namespace tessary
