#include "cell_text.h"

namespace ambrelle {

std::wstring_view BlankTrimmed(std::wstring_view text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring_view::npos) return {};
    return text.substr(first, text.find_last_not_of(L' ') - first + 1);
}

std::wstring NumberWithSignPlace(long long number) {
    // Written digit by digit from the end: the lowest number has no positive
    // counterpart, so the digits are taken from the unsigned magnitude.
    wchar_t digits[24];
    wchar_t* first = digits + 24;
    unsigned long long magnitude = number < 0 ? static_cast<unsigned long long>(-(number + 1)) + 1
                                              : static_cast<unsigned long long>(number);
    do {
        *--first = static_cast<wchar_t>(L'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude != 0);
    *--first = number < 0 ? L'-' : L' ';
    return std::wstring(first, digits + 24);
}

std::wstring QuantityPatternOfCount(long long count) {
    if (count <= 0) return L"##,#0";
    const long long places = count < kMaxDecimalPlaces ? count : kMaxDecimalPlaces;
    return L"##,#0." + std::wstring(static_cast<size_t>(places), L'0');
}

}  // namespace ambrelle
