// What a Tessary grid keeps: its row and column counts, the column widths, and
// per row the mark and the colour its last row-text request handed back.
// It holds no cell text: texts are asked for whenever rows are displayed.
#pragma once

#include <windows.h>

#include <map>
#include <vector>

#include "tessary_identity.h"

namespace tessary {

class GridModel {
public:
    static constexpr LONG kMaxColumns = 16384;
    // A column no wider than 1000 inches.
    static constexpr double kMaxColumnWidthTwips = 1440.0 * 1000;

    LONG row_count() const { return row_count_; }
    // Rows beyond a smaller count lose their mark and colour.
    void SetRowCount(LONG rows);
    // Counts every change, so a saved state can tell whether it is still current.
    unsigned revision() const { return revision_; }

    LONG column_count() const { return static_cast<LONG>(widths_twips_.size()); }
    // New columns get the default width; columns beyond a smaller count are dropped.
    void SetColumnCount(LONG columns);

    // Columns are numbered from 1.
    float ColumnWidthTwips(LONG column) const { return widths_twips_[static_cast<size_t>(column - 1)]; }
    void SetColumnWidthTwips(LONG column, float twips) {
        widths_twips_[static_cast<size_t>(column - 1)] = twips;
        ++revision_;
    }

    // Rows are numbered from 1, the header row.
    bool RowMarked(LONG row) const { return row >= 0 && static_cast<size_t>(row) < marks_.size() && marks_[row]; }
    // False when there was no room to keep the mark.
    bool SetRowMark(LONG row, bool marked);

    // The colour the last request handed back for the row, or fallback when it
    // handed back the default (or none was made).
    COLORREF RowColour(LONG row, COLORREF fallback) const;
    void SetRowColour(LONG row, COLORREF colour, COLORREF default_colour);

private:
    unsigned revision_ = 0;
    LONG row_count_ = 1;
    std::vector<float> widths_twips_ = std::vector<float>(1, kDefaultColumnWidthTwips);
    std::vector<bool> marks_;  // by row number, up to the last row marked
    std::map<LONG, COLORREF> row_colours_;
};

}  // namespace tessary
