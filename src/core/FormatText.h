// printf-style formatting into a std::string, for the notices, the display and
// the record.
#pragma once

#include <string>

std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
