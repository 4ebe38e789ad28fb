#include "row_text.h"

namespace tessary {

std::vector<std::wstring> SplitRowText(const wchar_t* text, size_t length, long column_count) {
    std::vector<std::wstring> cells;
    if (column_count <= 0) return cells;
    cells.resize(static_cast<size_t>(column_count));
    size_t column = 0;
    for (size_t i = 0; text && i < length && column < cells.size(); ++i) {
        wchar_t c = text[i];
        if (c == L'|') {
            ++column;
            continue;
        }
        if (c == L'\t' || c == L'\r' || c == L'\n') c = L' ';
        cells[column] += c;
    }
    return cells;
}

bool LooksNumeric(const std::wstring& cell) {
    size_t begin = cell.find_first_not_of(L' ');
    if (begin == std::wstring::npos) return false;
    size_t end = cell.find_last_not_of(L' ') + 1;
    size_t i = begin;
    if (cell[i] == L'-' || cell[i] == L'+') ++i;
    bool digit_seen = false;
    for (; i < end; ++i) {
        wchar_t c = cell[i];
        if (c >= L'0' && c <= L'9') {
            digit_seen = true;
        } else if (c != L',' && c != L'.') {
            return false;
        }
    }
    return digit_seen;
}

}  // namespace tessary
