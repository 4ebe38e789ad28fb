#include "cell_text.h"

namespace ambrelle {

std::wstring TrimBlanks(const std::wstring& text) {
    const size_t first = text.find_first_not_of(L' ');
    if (first == std::wstring::npos) return std::wstring();
    const size_t last = text.find_last_not_of(L' ');
    return text.substr(first, last - first + 1);
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
