#include "grid_view.h"

#include <windowsx.h>

#include <algorithm>
#include <cstdlib>

#include "row_text.h"
#include "tessary_identity.h"

namespace tessary {

namespace {

UINT GetDispatchMessageId() {
    static const UINT id = RegisterWindowMessageW(kGetDispatchMessage);
    return id;
}

std::wstring JoinCells(const std::vector<std::wstring>& cells) {
    std::wstring line;
    for (size_t i = 0; i < cells.size(); ++i) {
        if (i) line += L'\t';
        line += cells[i];
    }
    return line;
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
    // Another thread creating its first grid at the same moment may have
    // registered it in between: the class is the process's.
    return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
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
    // Only rows on screen are drawn again; a row that is not is drawn with
    // its mark when it comes into view (the rows on screen are those the
    // last paint asked for, and any other row on screen is waiting for a
    // paint already).
    if (rows_.count(row)) InvalidateRow(row);
    if (rows_.count(row - 1)) InvalidateRow(row - 1);  // the line between the two rows
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
        // With Shift held the wheel scrolls sideways, as in spreadsheets.
        if (GET_KEYSTATE_WPARAM(wparam) & MK_SHIFT)
            OnWheel(-GET_WHEEL_DELTA_WPARAM(wparam), true);  // wheel up goes left
        else
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
    case WM_KEYUP:
        OnKeyUp(wparam);
        return 0;
    case WM_CHAR:
        OnChar(wparam);
        return 0;
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
