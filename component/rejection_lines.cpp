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

std::vector<std::wstring> RejectionLines(const std::wstring& reason) {
    if (reason.size() <= kRejectionLineLength) return {reason};
    std::vector<std::wstring> lines;
    lines.reserve(reason.size() / (kRejectionLineLength - 1) + 1);
    size_t offset = 0;
    while (reason.size() - offset > kRejectionLineLength) {
        const size_t length = RejectionPieceLength(reason, offset);
        lines.push_back(reason.substr(offset, length));
        offset += length;
    }
    if (offset < reason.size()) lines.push_back(reason.substr(offset));
    return lines;
}

}  // namespace ambrelle
