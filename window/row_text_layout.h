// The layout of the grid's row texts: the cells of a row in column order, each
// followed by "|", with no escaping; and which record or total each grid row
// shows. Row 1 is the header row, record n (from 1) is row n + 1, and for the
// confirmation kinds (0 and 2) the last row is the totals row.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ambrelle {

// One column of the grid: the record-set field that fills it, its title, and
// the kind of value (0 text, 5 number, 7 date).
struct TitleInfo {
    std::wstring FieldName;
    std::wstring Title;
    short DataType = 0;
};

// Appends one cell and its separator to a row text.
void AppendCell(std::wstring_view cell, std::wstring* row);

// Appends the header cells to text: every title, the empty one of the spare
// descriptor at the end included, so that the header ends in "||".
void AppendTitleCells(const std::vector<TitleInfo>& titles, std::wstring* text);

// The columns a data row reads from its record are those from position 1 up
// to, not including, this end: the first column is the row's sequence cell,
// and the spare descriptor at the end is never read.
size_t RecordColumnsEnd(const std::vector<TitleInfo>& titles);

// The totals row: ten cells, the label "合计" in the second and the totals in
// the sixth and seventh.
std::wstring TotalsRowText(const std::wstring& requested, const std::wstring& confirmed);

// Whether grid row `row` (2 or more) of a grid of `rows` rows is the totals
// row: the last row for the confirmation kinds; no other kind has one.
bool IsTotalsRow(std::int32_t row, std::int32_t rows, std::int32_t kind);

// The sequence cell of the confirmation kinds: row - 1 with a blank in place
// of the sign (row 2 is " 1").
std::wstring SequenceCell(std::int32_t row);

// How many records after the first grid row `row` shows: row - 2; the rows
// below stop at the lowest offset instead of wrapping around.
std::int32_t RecordOffsetOfRow(std::int32_t row);

}  // namespace ambrelle
