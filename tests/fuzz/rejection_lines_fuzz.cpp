// Rejection reasons cut into lines: every line at most 30 units, the lines
// give back the reason, a pair is never split, and a line is cut short only
// to keep a pair together.
#include "fuzz_support.h"
#include "rejection_lines.h"

using ambrelle::kRejectionLineLength;
using fuzz::Check;

namespace {

bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const size_t offset_seed = input.ConsumeIntegral<uint16_t>();
    const std::wstring reason = fuzz::UnitsOf(input.ConsumeRemainingBytesAsString());

    const std::vector<std::wstring_view> lines = ambrelle::RejectionLines(reason);
    Check(!lines.empty(), "every reason has a line", reason);
    if (reason.size() <= kRejectionLineLength)
        Check(lines.size() == 1 && lines[0] == reason, "a short reason is its own line", reason);

    std::wstring joined;
    for (size_t i = 0; i < lines.size(); ++i) {
        const std::wstring_view line = lines[i];
        Check(line.size() <= kRejectionLineLength, "a line of at most 30 units", reason);
        Check(!line.empty() || reason.empty(), "no empty line of a reason", reason);
        if (i + 1 < lines.size()) {
            const std::wstring_view next = lines[i + 1];
            Check(!(IsHigh(line.back()) && !next.empty() && IsLow(next.front())), "a surrogate pair split", reason);
            // Cut short only where the 30th unit is the first half of a pair.
            Check(line.size() == kRejectionLineLength ||
                      (line.size() == kRejectionLineLength - 1 && IsHigh(next.front())),
                  "a line cut short without a pair", reason);
        }
        joined += line;
    }
    Check(joined == reason, "the lines give back the reason", reason);

    // The piece length from any offset inside the text.
    if (!reason.empty()) {
        const size_t offset = offset_seed % reason.size();
        const size_t length = ambrelle::RejectionPieceLength(reason, offset);
        Check(length >= 1 || reason.size() - offset == 0, "a piece is never empty", reason);
        Check(length <= kRejectionLineLength && length <= reason.size() - offset, "a piece stays within the text",
              reason);
        Check(offset + length == reason.size() || !(IsHigh(reason[offset + length - 1]) && IsLow(reason[offset + length])),
              "a piece ends inside a pair", reason);
    }
    return 0;
}
