#include "sample_values.h"

#include <cstdio>

namespace ambrelle {

bool ParseLocalTime(const std::string& text, LocalTime* time) {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0, consumed = 0;
    const int fields = std::sscanf(text.c_str(), "%4d-%2d-%2d %2d:%2d:%2d%n", &year, &month, &day, &hour, &minute,
                                   &second, &consumed);
    if (fields == 3) {
        hour = minute = second = 0;
        if (std::sscanf(text.c_str(), "%4d-%2d-%2d%n", &year, &month, &day, &consumed) != 3) return false;
    } else if (fields != 6) {
        return false;
    }
    if (static_cast<size_t>(consumed) != text.size()) return false;
    if (hour > 23 || minute > 59 || second > 59 || hour < 0 || minute < 0 || second < 0) return false;
    SYSTEMTIME date = {};
    date.wYear = static_cast<WORD>(year);
    date.wMonth = static_cast<WORD>(month);
    date.wDay = static_cast<WORD>(day);
    DATE whole_day = 0;
    if (!SystemTimeToVariantTime(&date, &whole_day)) return false;
    // SystemTimeToVariantTime accepts 31 April as 1 May: check the date round-trips.
    SYSTEMTIME back = {};
    if (!VariantTimeToSystemTime(whole_day, &back) || back.wMonth != month || back.wDay != day) return false;
    time->day = whole_day;
    time->seconds = hour * 3600LL + minute * 60LL + second;
    return true;
}

DATE DateAfter(const LocalTime& start, long long seconds) {
    const long long total = start.seconds + seconds;
    const long long days = total / 86400;
    const long long rest = total % 86400;
    return start.day + static_cast<double>(days) + static_cast<double>(rest) / 86400.0;
}

bool WideFromUtf8(const std::string& utf8, std::wstring* wide) {
    wide->clear();
    if (utf8.empty()) return true;
    const int length = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()),
                                           nullptr, 0);
    if (length <= 0) return false;
    wide->resize(length);
    return MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), static_cast<int>(utf8.size()), &(*wide)[0],
                               length) == length;
}

}  // namespace ambrelle
