// The texts of grid cells that need nothing of the platform: blanks trimmed,
// a sequence number with its sign place, the pattern of a quantity.
#pragma once

#include <string>
#include <string_view>

namespace ambrelle {

// The most decimal places a quantity is shown with (the scale of the
// Automation's Decimal type); a larger count shows this many.
constexpr int kMaxDecimalPlaces = 28;

// The part of text without blanks (spaces) at either end; inner blanks stay
// (empty for blanks only).
std::wstring_view BlankTrimmed(std::wstring_view text);

// A whole number as Str writes it: a leading blank in place of the sign of a
// number that is not negative (" 1", "-1").
std::wstring NumberWithSignPlace(long long number);

// The pattern of a quantity with `count` decimal places: "##,#0" for a count
// of 0 or less, "##,#0." and that many "0" otherwise, 28 at most.
std::wstring QuantityPatternOfCount(long long count);

}  // namespace ambrelle
