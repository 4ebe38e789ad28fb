// The number patterns and texts of cells: the quantity pattern has one of the
// allowed shapes with the right number of places, a sequence number reads back
// as the number with a blank for a sign that is not "-", trimming takes blanks
// off both ends only.
#include <limits>

#include "cell_text.h"
#include "fuzz_support.h"

using fuzz::Check;

namespace {

// The number a sign place and digits stand for, or false.
bool ReadBack(const std::wstring& text, long long* number) {
    if (text.size() < 2 || (text[0] != L' ' && text[0] != L'-')) return false;
    const bool negative = text[0] == L'-';
    unsigned long long magnitude = 0;
    for (size_t i = 1; i < text.size(); ++i) {
        if (text[i] < L'0' || text[i] > L'9') return false;
        if (i > 1 && text[1] == L'0') return false;  // no leading zeros
        if (magnitude > (std::numeric_limits<unsigned long long>::max() - 9) / 10) return false;
        magnitude = magnitude * 10 + static_cast<unsigned>(text[i] - L'0');
    }
    const unsigned long long limit = negative ? 1ULL << 63 : (1ULL << 63) - 1;
    if (magnitude > limit || (negative && magnitude == 0)) return false;
    *number = negative ? static_cast<long long>(0 - magnitude) : static_cast<long long>(magnitude);
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const long long count = input.ConsumeIntegral<long long>();
    const long long number = input.ConsumeIntegral<long long>();
    const std::wstring text = fuzz::UnitsOf(input.ConsumeRemainingBytesAsString());
    const std::wstring shown = std::to_wstring(count) + L" places, number " + std::to_wstring(number);

    const std::wstring pattern = ambrelle::QuantityPatternOfCount(count);
    if (count <= 0) {
        Check(pattern == L"##,#0", "a pattern with places for none", shown);
    } else {
        const long long places = count < ambrelle::kMaxDecimalPlaces ? count : ambrelle::kMaxDecimalPlaces;
        Check(pattern.size() == 6 + static_cast<size_t>(places) && pattern.compare(0, 6, L"##,#0.") == 0 &&
                  pattern.find_first_not_of(L'0', 6) == std::wstring::npos,
              "a pattern of another shape or place count", shown);
    }

    const std::wstring sequence = ambrelle::NumberWithSignPlace(number);
    long long back = 0;
    Check(ReadBack(sequence, &back) && back == number, "a sequence number that does not read back", sequence);
    Check((sequence[0] == L'-') == (number < 0), "the sign place of a number", sequence);

    const std::wstring trimmed(ambrelle::BlankTrimmed(text));
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) {
        Check(trimmed.empty(), "blanks trimmed to something", text);
    } else {
        Check(!trimmed.empty() && trimmed.front() != L' ' && trimmed.back() != L' ', "a blank at an end", text);
        Check(text.compare(first, trimmed.size(), trimmed) == 0 &&
                  text.find_first_not_of(L' ', first + trimmed.size()) == std::wstring::npos,
              "trimming took more than the blanks at the ends", text);
    }
    return 0;
}
