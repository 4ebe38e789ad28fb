#include "grid_painter.h"

#include <algorithm>

#include "row_text.h"

namespace tessary {

namespace {

void FillSolid(HDC dc, const RECT& rect, COLORREF colour) {
    COLORREF old = SetBkColor(dc, colour);
    ExtTextOutW(dc, 0, 0, ETO_OPAQUE, &rect, nullptr, 0, nullptr);
    SetBkColor(dc, old);
}

void HorizontalLine(HDC dc, int left, int right, int y, COLORREF colour) {
    RECT line = {left, y, right, y + 1};
    if (right > left) FillSolid(dc, line, colour);
}

void VerticalLine(HDC dc, int x, int top, int bottom, COLORREF colour) {
    RECT line = {x, top, x + 1, bottom};
    if (bottom > top) FillSolid(dc, line, colour);
}

int TotalWidth(const std::vector<int>& widths) {
    int total = 0;
    for (int w : widths) total += w;
    return total;
}

// The continuation marker: a small hook from the top of the cell to its middle.
void DrawMark(HDC dc, int x, int top, int height, const GridMetrics& m, COLORREF colour) {
    int stem = x + m.padding_x;
    int middle = top + height / 2;
    int reach = std::max(3, m.mark_indent - 4);
    VerticalLine(dc, stem, top + std::max(2, height / 5), middle + 1, colour);
    HorizontalLine(dc, stem, stem + reach, middle, colour);
}

void DrawCellText(HDC dc, const std::wstring& text, RECT cell, UINT align) {
    if (text.empty() || cell.right <= cell.left) return;
    DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &cell,
              align | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
}

void PaintHeader(HDC dc, const GridFrame& f, int top) {
    const GridMetrics& m = *f.metrics;
    const GridColours& c = *f.colours;
    const int height = m.row_height;
    RECT band = {f.bounds.left, top, f.bounds.right, top + height};
    FillSolid(dc, band, f.header.colour);
    SetTextColor(dc, c.header_text);
    int x = f.bounds.left - f.scroll_x;
    for (size_t i = 0; i < f.column_widths->size(); ++i) {
        int right = x + (*f.column_widths)[i];
        if (right >= f.bounds.left && x < f.bounds.right) {
            if (f.header.cells) {
                RECT cell = {x + m.padding_x, top, right - m.padding_x, top + height - 1};
                DrawCellText(dc, (*f.header.cells)[i], cell, DT_CENTER);
            }
            VerticalLine(dc, right - 1, top, top + height - 1, c.header_line);
        }
        x = right;
    }
    HorizontalLine(dc, f.bounds.left, f.bounds.right, top + height - 1, c.header_line);
}

void PaintDataRow(HDC dc, const GridFrame& f, const PaintedRow& row, int top) {
    const GridMetrics& m = *f.metrics;
    const GridColours& c = *f.colours;
    const int height = m.row_height;
    const int left = f.bounds.left - f.scroll_x;
    const int right = left + TotalWidth(*f.column_widths);
    COLORREF background = row.colour;
    COLORREF text = row.marked ? BlendColours(c.window_text, row.colour, 110) : c.window_text;
    if (row.selected && f.focused) {
        background = c.highlight;
        text = c.highlight_text;
    } else if (row.selected) {
        background = BlendColours(row.colour, c.highlight, 70);
    }
    RECT band = {std::max(left, static_cast<int>(f.bounds.left)), top, std::min(right, static_cast<int>(f.bounds.right)),
                 top + height};
    if (band.right > band.left) FillSolid(dc, band, background);
    SetTextColor(dc, text);
    // Between a row and its continuation the line is faint: the two read as one record.
    COLORREF bottom_line = row.next_marked ? BlendColours(c.grid_line, background, 170) : c.grid_line;
    int x = left;
    for (size_t i = 0; i < f.column_widths->size(); ++i) {
        int cell_right = x + (*f.column_widths)[i];
        if (cell_right >= f.bounds.left && x < f.bounds.right) {
            int text_left = x + m.padding_x;
            if (i == 0 && row.marked) {
                DrawMark(dc, x, top, height, m, text);
                text_left += m.mark_indent;
            }
            if (row.cells) {
                const std::wstring& cell_text = (*row.cells)[i];
                RECT cell = {text_left, top, cell_right - m.padding_x, top + height - 1};
                DrawCellText(dc, cell_text, cell, LooksNumeric(cell_text) ? DT_RIGHT : DT_LEFT);
            }
            VerticalLine(dc, cell_right - 1, top, top + height, c.grid_line);
        }
        x = cell_right;
    }
    HorizontalLine(dc, band.left, band.right, top + height - 1, bottom_line);
}

}  // namespace

COLORREF BlendColours(COLORREF a, COLORREF b, int weight) {
    auto mix = [weight](int x, int y) { return (x * (256 - weight) + y * weight) / 256; };
    return RGB(mix(GetRValue(a), GetRValue(b)), mix(GetGValue(a), GetGValue(b)), mix(GetBValue(a), GetBValue(b)));
}

GridColours GridColours::FromSystem() {
    GridColours c;
    c.window = GetSysColor(COLOR_WINDOW);
    c.window_text = GetSysColor(COLOR_WINDOWTEXT);
    c.header = GetSysColor(COLOR_BTNFACE);
    c.header_text = GetSysColor(COLOR_BTNTEXT);
    c.header_line = BlendColours(GetSysColor(COLOR_BTNSHADOW), c.header, 64);
    c.grid_line = BlendColours(c.window, c.window_text, 36);
    c.highlight = GetSysColor(COLOR_HIGHLIGHT);
    c.highlight_text = GetSysColor(COLOR_HIGHLIGHTTEXT);
    return c;
}

int GridMetrics::TwipsToPixelsX(double twips) const {
    double pixels = twips * dpi_x / 1440.0;
    return static_cast<int>(pixels + 0.5);
}

void PaintGrid(HDC dc, const GridFrame& f) {
    FillSolid(dc, f.bounds, f.colours->window);
    HGDIOBJ old_font = SelectObject(dc, f.font ? f.font : GetStockObject(DEFAULT_GUI_FONT));
    int old_mode = SetBkMode(dc, TRANSPARENT);
    int saved = SaveDC(dc);
    // The DC may carry a viewport origin (IViewObject::Draw): clip in logical units.
    IntersectClipRect(dc, f.bounds.left, f.bounds.top, f.bounds.right, f.bounds.bottom);
    int top = f.bounds.top;
    if (f.has_header) {
        PaintHeader(dc, f, top);
        top += f.metrics->row_height;
    }
    for (const PaintedRow& row : f.rows) {
        if (top >= f.bounds.bottom) break;
        PaintDataRow(dc, f, row, top);
        if (f.focused && row.row == f.focus_row) {
            int left = std::max(static_cast<int>(f.bounds.left), static_cast<int>(f.bounds.left) - f.scroll_x);
            int right = std::min(static_cast<int>(f.bounds.right),
                                 static_cast<int>(f.bounds.left) - f.scroll_x + TotalWidth(*f.column_widths));
            RECT focus = {left, top, right - 1, top + f.metrics->row_height - 1};
            SetTextColor(dc, RGB(0, 0, 0));
            SetBkColor(dc, RGB(255, 255, 255));
            if (focus.right > focus.left) DrawFocusRect(dc, &focus);
        }
        top += f.metrics->row_height;
    }
    RestoreDC(dc, saved);
    SetBkMode(dc, old_mode);
    SelectObject(dc, old_font);
}

}  // namespace tessary
