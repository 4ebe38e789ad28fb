// Values of the sample data as VARIANTs: text from UTF-8 (TextVariant), local times.
#pragma once

#include <windows.h>
#include <ole2.h>

#include <string>

#include "out_values.h"

namespace ambrelle {

// A local time split into its day (a whole DATE) and the seconds into that day,
// so that times computed from it are exact to the second.
struct LocalTime {
    DATE day = 0;
    long long seconds = 0;
};

// "yyyy-mm-dd hh:mm:ss" or "yyyy-mm-dd"; false for anything else or an impossible date.
bool ParseLocalTime(const std::string& text, LocalTime* time);

// The DATE seconds after a local time.
DATE DateAfter(const LocalTime& start, long long seconds);

// UTF-8 to UTF-16; false for invalid UTF-8.
bool WideFromUtf8(const std::string& utf8, std::wstring* wide);

}  // namespace ambrelle
