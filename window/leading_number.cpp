#include "leading_number.h"

#include <cmath>
#include <cstdlib>
#include <locale.h>

namespace ambrelle {

namespace {

bool IsSkipped(wchar_t c) { return c == L' ' || c == L'\t' || c == L'\n'; }
bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

// The C runtime's "C" locale, whatever locale the host set for the process;
// freed when the DLL unloads (a host may load and unload it many times).
#ifdef _WIN32
using LocaleHandle = _locale_t;
LocaleHandle NewClassicLocale() { return _create_locale(LC_NUMERIC, "C"); }
void FreeLocale(LocaleHandle locale) { _free_locale(locale); }
double ReadInLocale(const std::string& number, LocaleHandle locale) {
    return _strtod_l(number.c_str(), nullptr, locale);
}
#else
using LocaleHandle = locale_t;
LocaleHandle NewClassicLocale() { return newlocale(LC_NUMERIC_MASK, "C", static_cast<locale_t>(nullptr)); }
void FreeLocale(LocaleHandle locale) { freelocale(locale); }
double ReadInLocale(const std::string& number, LocaleHandle locale) { return strtod_l(number.c_str(), nullptr, locale); }
#endif

LocaleHandle ClassicLocale() {
    static const struct Owned {
        LocaleHandle locale = NewClassicLocale();
        ~Owned() {
            if (locale) FreeLocale(locale);
        }
    } classic;
    return classic.locale;
}

// The number text in ASCII with "." as its point, read as a double.
double ReadDecimal(const std::string& number) {
    if (const auto classic = ClassicLocale()) return ReadInLocale(number, classic);
    // Without a locale object: write the text with the C runtime's own point.
    std::string local = number;
    const char point = *localeconv()->decimal_point;
    for (char& c : local)
        if (c == '.') c = point;
    return std::strtod(local.c_str(), nullptr);
}

}  // namespace

std::string LeadingNumberText(const std::wstring& text) {
    std::wstring compact;
    compact.reserve(text.size());
    for (wchar_t c : text)
        if (!IsSkipped(c)) compact += c;

    // The longest leading part that forms a decimal number.
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
    if (!digits) return std::string();
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
    return number;
}

bool ReadLeadingNumber(const std::wstring& text, double* value) {
    *value = 0;
    const std::string number = LeadingNumberText(text);
    if (number.empty()) return true;
    const double read = ReadDecimal(number);
    if (!std::isfinite(read)) return false;
    *value = read;
    return true;
}

}  // namespace ambrelle
