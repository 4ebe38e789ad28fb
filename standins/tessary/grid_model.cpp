#include "grid_model.h"

#include <new>

namespace tessary {

void GridModel::SetRowCount(LONG rows) {
    row_count_ = rows;
    ++revision_;
    if (rows >= 0 && marks_.size() > static_cast<size_t>(rows) + 1) marks_.resize(static_cast<size_t>(rows) + 1);
    row_colours_.erase(row_colours_.upper_bound(rows), row_colours_.end());
}

void GridModel::SetColumnCount(LONG columns) {
    widths_twips_.resize(static_cast<size_t>(columns), kDefaultColumnWidthTwips);
    ++revision_;
}

bool GridModel::SetRowMark(LONG row, bool marked) {
    if (row < 0) return true;
    const size_t at = static_cast<size_t>(row);
    if (at >= marks_.size()) {
        if (!marked) return true;
        try {
            marks_.resize(at + 1);
        } catch (const std::bad_alloc&) {
            return false;
        }
    }
    marks_[at] = marked;
    return true;
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
