// The texts of grid cells that need nothing of the platform: blanks trimmed,
// a sequence number with its sign place, the pattern of a quantity.
#pragma once

#include <cstddef>
#include <string>

namespace ambrelle {

// The most decimal places a quantity is shown with (the scale of the
// Automation's Decimal type); a larger count shows this many.
constexpr int kMaxDecimalPlaces = 28;

// Without blanks (spaces) at either end; inner blanks stay.
std::wstring TrimBlanks(const std::wstring& text);

// The part of text[0, length) without blanks at either end, as the offset of
// its first character and its length (0 for a text of blanks only).
struct TextPart {
    size_t first;
    size_t length;
};
TextPart BlankTrimmedPart(const wchar_t* text, size_t length);

// A whole number as Str writes it: a leading blank in place of the sign of a
// number that is not negative (" 1", "-1").
std::wstring NumberWithSignPlace(long long number);

// The pattern of a quantity with `count` decimal places: "##,#0" for a count
// of 0 or less, "##,#0." and that many "0" otherwise, 28 at most.
std::wstring QuantityPatternOfCount(long long count);

}  // namespace ambrelle
