#include "rejection_lines.h"

#include <algorithm>

namespace ambrelle {

size_t RejectionPieceLength(const std::wstring& text, size_t offset) {
    size_t length = std::min(kRejectionLineLength, text.size() - offset);
    if (length == kRejectionLineLength && offset + length < text.size()) {
        const wchar_t last = text[offset + length - 1];
        if (last >= 0xD800 && last <= 0xDBFF) --length;  // keep the pair together on the next line
    }
    return length;
}

std::vector<std::wstring_view> RejectionLines(const std::wstring& reason) {
    const std::wstring_view text(reason);
    if (reason.size() <= kRejectionLineLength) return {text};
    std::vector<std::wstring_view> lines;
    lines.reserve(reason.size() / (kRejectionLineLength - 1) + 1);
    size_t offset = 0;
    while (reason.size() - offset > kRejectionLineLength) {
        const size_t length = RejectionPieceLength(reason, offset);
        lines.push_back(text.substr(offset, length));
        offset += length;
    }
    if (offset < reason.size()) lines.push_back(text.substr(offset));
    return lines;
}

}  // namespace ambrelle
