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
    return number < 0 ? std::to_wstring(number) : L" " + std::to_wstring(number);
}

std::wstring QuantityPatternOfCount(long long count) {
    if (count <= 0) return L"##,#0";
    const long long places = count < kMaxDecimalPlaces ? count : kMaxDecimalPlaces;
    return L"##,#0." + std::wstring(static_cast<size_t>(places), L'0');
}

}  // namespace ambrelle
