#include "row_text_layout.h"

#include <limits>

#include "cell_text.h"

namespace ambrelle {

namespace {

// The lowest row number the grid can pass.
constexpr std::int32_t kLowestRow = std::numeric_limits<std::int32_t>::min();

}  // namespace

void AppendCell(std::wstring_view cell, std::wstring* row) {
    *row += cell;
    *row += L'|';
}

void AppendTitleCells(const std::vector<TitleInfo>& titles, std::wstring* text) {
    for (const TitleInfo& title : titles) AppendCell(title.Title, text);
}

size_t RecordColumnsEnd(const std::vector<TitleInfo>& titles) {
    return titles.empty() ? 1 : titles.size() - 1;
}

std::wstring TotalsRowText(const std::wstring& requested, const std::wstring& confirmed) {
    return L"|合计||||" + requested + L"|" + confirmed + L"||||";
}

bool IsTotalsRow(std::int32_t row, std::int32_t rows, std::int32_t kind) {
    return row >= rows && (kind == 0 || kind == 2);
}

std::wstring SequenceCell(std::int32_t row) {
    return NumberWithSignPlace(static_cast<long long>(row) - 1);
}

std::int32_t RecordOffsetOfRow(std::int32_t row) {
    return row > kLowestRow + 1 ? row - 2 : kLowestRow;
}

}  // namespace ambrelle
