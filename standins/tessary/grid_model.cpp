#include "grid_model.h"

namespace tessary {

void GridModel::SetRowCount(LONG rows) {
    row_count_ = rows;
    ++revision_;
    marked_rows_.erase(marked_rows_.upper_bound(rows), marked_rows_.end());
    row_colours_.erase(row_colours_.upper_bound(rows), row_colours_.end());
}

void GridModel::SetColumnCount(LONG columns) {
    widths_twips_.resize(static_cast<size_t>(columns), kDefaultColumnWidthTwips);
    ++revision_;
}

void GridModel::SetRowMark(LONG row, bool marked) {
    if (marked)
        marked_rows_.insert(row);
    else
        marked_rows_.erase(row);
}

COLORREF GridModel::RowColour(LONG row, COLORREF fallback) const {
    auto found = row_colours_.find(row);
    return found == row_colours_.end() ? fallback : found->second;
}

void GridModel::SetRowColour(LONG row, COLORREF colour, COLORREF default_colour) {
    if (colour == default_colour)
        row_colours_.erase(row);
    else
        row_colours_[row] = colour;
}

}  // namespace tessary
