// Cutting a rejection reason into the lines the window shows: at most 30
// characters (UTF-16 units) a line, a surrogate pair never split.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace ambrelle {

// The longest piece of a rejection reason on one line.
constexpr size_t kRejectionLineLength = 30;

// Length of the next piece of text starting at offset: at most 30 characters,
// one fewer when the 30th would be the first half of a surrogate pair.
size_t RejectionPieceLength(const std::wstring& text, size_t offset);

// The lines of one reason, in order, as views into it: a reason that fits on
// one line (the empty reason too) is its only line; a longer one is cut into
// pieces of RejectionPieceLength.
std::vector<std::wstring_view> RejectionLines(const std::wstring& reason);

}  // namespace ambrelle
