// Val's reading of the number at the start of a text: the number text has the
// one shape Val reads, a finite result is never NaN, blanks anywhere and text
// after the number change nothing, a sign in front negates, and plain decimal
// texts read exactly as a simple reference computes them.
#include <cmath>

#include "fuzz_support.h"
#include "leading_number.h"

using fuzz::Check;

namespace {

bool IsSkipped(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// [+-]? digits* ("." digits*)? ("e" [+-]? digits+)?, with a digit before the
// exponent; or empty.
bool HasNumberShape(const std::string& number) {
    if (number.empty()) return true;
    size_t i = 0;
    if (number[i] == '+' || number[i] == '-') ++i;
    bool digits = false;
    while (i < number.size() && IsDigit(number[i])) ++i, digits = true;
    if (i < number.size() && number[i] == '.') {
        ++i;
        while (i < number.size() && IsDigit(number[i])) ++i, digits = true;
    }
    if (!digits) return false;
    if (i == number.size()) return true;
    if (number[i++] != 'e') return false;
    if (i < number.size() && (number[i] == '+' || number[i] == '-')) ++i;
    bool exponent_digits = false;
    while (i < number.size() && IsDigit(number[i])) ++i, exponent_digits = true;
    return exponent_digits && i == number.size();
}

std::wstring Compact(const std::wstring& text) {
    std::wstring compact;
    for (wchar_t c : text)
        if (!IsSkipped(c)) compact += c;
    return compact;
}

// Digits with at most one point, 15 digits at most: the exact quotient of two
// doubles, correctly rounded as the reading must be. False for other texts.
bool PlainDecimal(const std::wstring& compact, double* value) {
    size_t i = 0;
    double whole = 0;
    int digits = 0;
    int fraction_digits = 0;
    bool point = false;
    for (; i < compact.size(); ++i) {
        const wchar_t c = compact[i];
        if (c == L'.' && !point) {
            point = true;
        } else if (c >= L'0' && c <= L'9') {
            if (++digits > 15) return false;
            whole = whole * 10 + (c - L'0');
            if (point) ++fraction_digits;
        } else {
            return false;
        }
    }
    if (digits == 0) return false;
    *value = whole / std::pow(10.0, fraction_digits);
    return true;
}

struct Reading {
    bool finite;
    double value;
};

Reading Read(const std::wstring& text) {
    Reading r{false, -1};
    r.finite = ambrelle::ReadLeadingNumber(text, &r.value);
    Check(!std::isnan(r.value), "a NaN", text);
    Check(r.finite ? std::isfinite(r.value) : r.value == 0, "an overflow reads as 0", text);
    return r;
}

bool Same(const Reading& a, const Reading& b) {
    return a.finite == b.finite && a.value == b.value && std::signbit(a.value) == std::signbit(b.value);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider input(data, size);
    const uint16_t blank_at = input.ConsumeIntegral<uint16_t>();
    const std::wstring text = fuzz::UnitsOf(input.ConsumeRemainingBytesAsString());

    const std::string number = ambrelle::LeadingNumberText(text);
    Check(HasNumberShape(number), "a number text of another shape", text);
    const Reading read = Read(text);
    if (number.empty()) Check(read.finite && read.value == 0, "a text without a number reads as 0", text);
    if (!read.finite)
        Check(number.find('e') != std::string::npos || number.size() > 300, "an overflow without a long number", text);
    if (read.value < 0) Check(number[0] == '-', "a negative number without a minus", text);

    // Blanks, tabs and line feeds anywhere do not count.
    const std::wstring blank = blank_at % 3 == 0 ? L" " : blank_at % 3 == 1 ? L"\t" : L"\n";
    std::wstring spaced = text;
    spaced.insert(text.empty() ? 0 : blank_at % (text.size() + 1), blank);
    Check(Same(read, Read(spaced)), "a blank changed the number", text);
    Check(Same(read, Read(text + L"x")), "text after the number changed it", text);

    const std::wstring compact = Compact(text);
    // A minus in front of a number that starts with a digit or point negates it.
    if (!compact.empty() && (compact[0] == L'.' || (compact[0] >= L'0' && compact[0] <= L'9'))) {
        const Reading negated = Read(L"-" + text);
        Check(negated.finite == read.finite && negated.value == -read.value, "a minus did not negate", text);
    }
    double expected = 0;
    if (PlainDecimal(compact, &expected))
        Check(read.finite && read.value == expected, "a plain decimal read otherwise", text);
    return 0;
}
