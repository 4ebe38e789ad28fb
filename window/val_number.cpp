#include "val_number.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>
#include <string>

#include "com_error.h"

namespace ambrelle {

namespace {

bool IsSkipped(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

int DigitValue(wchar_t c, int radix) {
    int digit = -1;
    if (c >= L'0' && c <= L'9') digit = c - L'0';
    else if (c >= L'a' && c <= L'f') digit = c - L'a' + 10;
    else if (c >= L'A' && c <= L'F') digit = c - L'A' + 10;
    return digit >= 0 && digit < radix ? digit : -1;
}

HRESULT RaiseOverflow() {
    return RaiseComError(MAKE_HRESULT(SEVERITY_ERROR, FACILITY_CONTROL, 6), GUID_NULL, L"Ambrelle", L"Overflow");
}

// &H and &O numbers are whole numbers of 16 bits, or of 32 bits when they need
// more, taken as signed: &HFFFF is -1.
HRESULT ReadRadixNumber(const std::wstring& compact, size_t start, int radix, double* value) {
    unsigned long long magnitude = 0;
    for (size_t i = start; i < compact.size(); ++i) {
        const int digit = DigitValue(compact[i], radix);
        if (digit < 0) break;
        magnitude = magnitude * radix + digit;
        if (magnitude > 0xFFFFFFFFull) return RaiseOverflow();
    }
    if (magnitude <= 0xFFFF)
        *value = static_cast<SHORT>(static_cast<USHORT>(magnitude));
    else
        *value = static_cast<LONG>(static_cast<ULONG>(magnitude));
    return S_OK;
}

}  // namespace

HRESULT ValOfText(const std::wstring& text, double* value) {
    *value = 0;
    std::wstring compact;
    compact.reserve(text.size());
    for (wchar_t c : text)
        if (!IsSkipped(c)) compact += c;

    if (compact.size() >= 2 && compact[0] == L'&') {
        const wchar_t marker = compact[1];
        if (marker == L'H' || marker == L'h') return ReadRadixNumber(compact, 2, 16, value);
        if (marker == L'O' || marker == L'o') return ReadRadixNumber(compact, 2, 8, value);
        return ReadRadixNumber(compact, 1, 8, value);  // "&17" is octal as well
    }

    // The longest leading part that forms a decimal number, in ASCII for strtod.
    std::string number;
    size_t i = 0;
    if (i < compact.size() && (compact[i] == L'+' || compact[i] == L'-')) number += static_cast<char>(compact[i++]);
    bool digits = false;
    while (i < compact.size() && IsDigit(compact[i])) {
        number += static_cast<char>(compact[i++]);
        digits = true;
    }
    if (i < compact.size() && compact[i] == L'.') {
        number += '.';
        ++i;
        while (i < compact.size() && IsDigit(compact[i])) {
            number += static_cast<char>(compact[i++]);
            digits = true;
        }
    }
    if (!digits) return S_OK;
    if (i < compact.size() && (compact[i] == L'E' || compact[i] == L'e' || compact[i] == L'D' || compact[i] == L'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < compact.size() && (compact[j] == L'+' || compact[j] == L'-')) exponent += static_cast<char>(compact[j++]);
        bool exponent_digits = false;
        while (j < compact.size() && IsDigit(compact[j])) {
            exponent += static_cast<char>(compact[j++]);
            exponent_digits = true;
        }
        if (exponent_digits) number += exponent;
    }
    errno = 0;
    const double read = std::strtod(number.c_str(), nullptr);
    if (!std::isfinite(read) || (errno == ERANGE && std::fabs(read) > 1.0)) return RaiseOverflow();
    *value = read;
    return S_OK;
}

}  // namespace ambrelle
