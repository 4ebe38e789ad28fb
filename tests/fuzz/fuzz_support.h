// What every fuzz target shares: texts of UTF-16 units made from the fuzzer's
// bytes, and a check that ends the run as a finding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include <fuzzer/FuzzedDataProvider.h>

namespace fuzz {

// Units that text handling often gets wrong: surrogate halves, blanks and
// digits of other scripts, signs that look like ours, CJK.
constexpr char16_t kTrickyUnits[] = {
    0xD800, 0xDBFF, 0xDC00, 0xDFFF, 0xD83D, 0xDE00, 0xD7FF, 0xE000, 0xFFFF, 0xFFFE, 0xFEFF,
    0x00A0, 0x3000, 0x2002, 0x0085, 0x2028, 0x000B, 0x000C, 0x000D, 0x0000,
    0xFF10, 0xFF11, 0xFF19, 0xFF0E, 0xFF0B, 0xFF0D, 0xFF45, 0xFF25, 0x0660, 0x0669, 0x0966, 0x00B2, 0x00B9,
    0x2212, 0x2024, 0x066B, 0x00B7, 0x0130, 0x0131, 0x017F, 0x212A,
    0x5408, 0x8BA1, 0x4E00, 0x9FFF, 0x786E, 0x8BA4, 0x62D2, 0x7EDD, 0xFF5C, 0x2223,
};

// A byte below 0x80 is that ASCII character; 0x80 to 0xEF pick a tricky unit;
// 0xF0 to 0xFF take the next two bytes as any unit. Each unit is kept in one
// wchar_t, as the component's code holds UTF-16 on Windows.
inline std::wstring UnitsOf(const std::string& bytes) {
    std::wstring text;
    text.reserve(bytes.size());
    for (size_t i = 0; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b < 0x80) {
            text += static_cast<wchar_t>(b);
        } else if (b < 0xF0) {
            text += static_cast<wchar_t>(kTrickyUnits[(b - 0x80) % (sizeof(kTrickyUnits) / sizeof(kTrickyUnits[0]))]);
        } else if (i + 2 < bytes.size()) {
            const unsigned low = static_cast<unsigned char>(bytes[i + 1]);
            const unsigned high = static_cast<unsigned char>(bytes[i + 2]);
            text += static_cast<wchar_t>(low | high << 8);
            i += 2;
        }
    }
    return text;
}

inline std::wstring ConsumeText(FuzzedDataProvider* input, size_t max_length = 400) {
    return UnitsOf(input->ConsumeRandomLengthString(max_length));
}

inline std::string Printable(const std::wstring& text) {
    std::string out;
    for (wchar_t c : text) {
        char unit[12];
        if (c >= 0x20 && c < 0x7F) {
            out += static_cast<char>(c);
        } else {
            std::snprintf(unit, sizeof(unit), "\\u%04X", static_cast<unsigned>(c));
            out += unit;
        }
    }
    return out;
}

// A broken promise of the code under test: reported, and the run ends as a
// finding (libFuzzer keeps the input as a crash).
[[noreturn]] inline void Fail(const char* what, const std::wstring& input) {
    std::fprintf(stderr, "FINDING: %s\n  input: \"%s\"\n", what, Printable(input).c_str());
    std::abort();
}

inline void Check(bool holds, const char* what, const std::wstring& input) {
    if (!holds) Fail(what, input);
}

}  // namespace fuzz
