// A row's text as the container hands it over: cells in column order, each
// followed by "|", with no escaping.
#pragma once

#include <string>
#include <vector>

namespace tessary {

// The cells of columns 1 to column_count: the text split at each "|", cells
// beyond the column count dropped, missing cells empty. Tabs and line breaks
// inside a cell become blanks, so a cell stays on one line wherever it goes.
std::vector<std::wstring> SplitRowText(const wchar_t* text, size_t length, long column_count);

// True for a cell that reads as a plain number ("12", "-1,234.50", " 7"):
// such cells are aligned to the right.
bool LooksNumeric(const std::wstring& cell);

}  // namespace tessary
