#include "cell_text.h"

namespace ambrelle {

std::wstring TrimBlanks(const std::wstring& text) {
    const TextPart part = BlankTrimmedPart(text.data(), text.size());
    return text.substr(part.first, part.length);
}

TextPart BlankTrimmedPart(const wchar_t* text, size_t length) {
    size_t first = 0;
    while (first < length && text[first] == L' ') ++first;
    size_t end = length;
    while (end > first && text[end - 1] == L' ') --end;
    return {first, end - first};
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
