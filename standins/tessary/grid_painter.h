// Drawing of the grid: header row, data rows, grid lines, selection, marks.
// Everything it draws is handed to it in a GridFrame; it keeps no state.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace tessary {

struct GridColours {
    COLORREF window;          // data rows' default background, and the area past the last row
    COLORREF window_text;
    COLORREF header;          // header row's default background
    COLORREF header_text;
    COLORREF header_line;     // the header's borders
    COLORREF grid_line;       // lines between cells
    COLORREF highlight;       // selected rows while the grid has the focus
    COLORREF highlight_text;

    static GridColours FromSystem();
};

// Sizes in pixels for the grid's font and the screen's DPI.
struct GridMetrics {
    int dpi_x = 96;
    int dpi_y = 96;
    int row_height = 22;
    int padding_x = 5;        // between a cell's border and its text
    int resize_grip = 4;      // distance from a column border that still grabs it
    int mark_indent = 10;     // room for the continuation marker in column 1

    int TwipsToPixelsX(double twips) const;
    double PixelsToTwipsX(int pixels) const { return pixels * 1440.0 / dpi_x; }
    double PixelsToTwipsY(int pixels) const { return pixels * 1440.0 / dpi_y; }
};

struct PaintedRow {
    LONG row = 0;                                // grid row number, 1 the header
    const std::vector<std::wstring>* cells = nullptr;  // nullptr: not known, drawn empty
    COLORREF colour = 0;
    bool marked = false;
    bool next_marked = false;                    // the row below continues this one
    bool selected = false;
};

struct GridFrame {
    RECT bounds = {};
    HFONT font = nullptr;
    const GridMetrics* metrics = nullptr;
    const GridColours* colours = nullptr;
    const std::vector<int>* column_widths = nullptr;  // pixels, column 1 first
    int scroll_x = 0;
    bool has_header = false;
    PaintedRow header;
    std::vector<PaintedRow> rows;                // data rows from the top
    bool focused = false;
    LONG focus_row = 0;                          // 0: none
};

void PaintGrid(HDC dc, const GridFrame& frame);

// a and b mixed, weight parts of b in 256.
COLORREF BlendColours(COLORREF a, COLORREF b, int weight);

}  // namespace tessary
