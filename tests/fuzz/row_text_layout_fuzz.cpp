// Row texts and grid rows: the header carries one cell per title, the spare's
// empty one included; a data row one cell per column and never reads past the
// titles; the totals row ten cells; and row numbers of any size map to record
// offsets, sequence cells and the totals row without wrapping around.
#include <algorithm>
#include <limits>

#include "fuzz_support.h"
#include "row_text_layout.h"

using ambrelle::TitleInfo;
using fuzz::Check;

namespace {

size_t Separators(const std::wstring& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), L'|')); }

// The cells of a row text with no "|" inside a cell.
std::vector<std::wstring> CellsOf(const std::wstring& row) {
    std::vector<std::wstring> cells;
    size_t start = 0;
    for (size_t end = row.find(L'|'); end != std::wstring::npos; end = row.find(L'|', start)) {
        cells.push_back(row.substr(start, end - start));
        start = end + 1;
    }
    return cells;
}

std::wstring WithoutSeparators(std::wstring text) {
    std::replace(text.begin(), text.end(), L'|', L'!');
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const int32_t row = input.ConsumeIntegral<int32_t>();
    const int32_t rows = input.ConsumeIntegral<int32_t>();
    const int32_t kind = input.ConsumeIntegralInRange<int32_t>(-1, 3);
    const bool with_spare = input.ConsumeBool();
    const std::wstring before = fuzz::ConsumeText(&input, 40);
    std::vector<TitleInfo> titles(input.ConsumeIntegralInRange<size_t>(0, 16));
    for (TitleInfo& title : titles) title.Title = fuzz::ConsumeText(&input, 24);
    if (with_spare && !titles.empty()) titles.back().Title.clear();
    const std::wstring requested = fuzz::ConsumeText(&input, 40);
    const std::wstring confirmed = fuzz::ConsumeText(&input, 40);
    const std::wstring shown = L"row " + std::to_wstring(row) + L" of " + std::to_wstring(rows) + L", kind " +
                               std::to_wstring(kind) + L", " + std::to_wstring(titles.size()) + L" titles";

    // The header: what the text held, then one cell per title.
    std::wstring header = before;
    ambrelle::AppendTitleCells(titles, &header);
    size_t title_separators = 0;
    for (const TitleInfo& title : titles) title_separators += Separators(title.Title);
    Check(header.compare(0, before.size(), before) == 0, "the header lost what the text held", shown);
    Check(Separators(header) == Separators(before) + title_separators + titles.size(), "header cells", shown);
    if (with_spare && titles.size() >= 2)
        Check(header.size() >= 2 && header.compare(header.size() - 2, 2, L"||") == 0, "the spare's empty cell", shown);
    if (with_spare && titles.size() == 1) Check(header == before + L"|", "the spare's empty cell alone", shown);

    // A data row: the sequence cell and one cell per record column, every
    // column looked up in the titles.
    std::wstring data_row;
    ambrelle::AppendCell(ambrelle::SequenceCell(row), &data_row);
    const size_t end = ambrelle::RecordColumnsEnd(titles);
    for (size_t i = 1; i < end; ++i) ambrelle::AppendCell(WithoutSeparators(titles.at(i).Title), &data_row);
    const size_t columns = titles.size() >= 2 ? titles.size() - 1 : 1;
    Check(Separators(data_row) == columns, "data row cells", shown);
    const std::vector<std::wstring> cells = CellsOf(data_row);
    Check(cells.size() == columns && cells[0] == ambrelle::SequenceCell(row), "the sequence cell first", shown);

    // The totals row: ten cells, label second, totals sixth and seventh.
    const std::wstring totals = ambrelle::TotalsRowText(WithoutSeparators(requested), WithoutSeparators(confirmed));
    const std::vector<std::wstring> total_cells = CellsOf(totals);
    Check(Separators(totals) == 10 && total_cells.size() == 10, "totals row cells", shown);
    Check(total_cells[1] == L"合计" && total_cells[5] == WithoutSeparators(requested) &&
              total_cells[6] == WithoutSeparators(confirmed),
          "totals row cells in their columns", shown);
    for (size_t i : {0, 2, 3, 4, 7, 8, 9}) Check(total_cells[i].empty(), "an empty totals cell", shown);

    // Rows: the offset of the record, without wrapping around.
    const long long offset = static_cast<long long>(row) - 2;
    const long long lowest = std::numeric_limits<int32_t>::min();
    Check(ambrelle::RecordOffsetOfRow(row) == std::max(offset, lowest), "a record offset wrapped around", shown);
    const std::wstring sequence = ambrelle::SequenceCell(row);
    Check(sequence == (row >= 1 ? L" " : L"") + std::to_wstring(static_cast<long long>(row) - 1),
          "a sequence cell of another number", shown);
    const bool totals_row = ambrelle::IsTotalsRow(row, rows, kind);
    if (kind == 0 || kind == 2)
        Check(totals_row == (row >= rows), "the last row of a confirmation kind is the totals row", shown);
    else
        Check(!totals_row, "a totals row of a kind without totals", shown);
    return 0;
}
