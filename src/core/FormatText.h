// printf-style formatting into a std::string, for the notices, the display and
// the record; and the lines of a small text file. (No iostreams in the core:
// they would add most of a megabyte to the static Windows exes.)
#pragma once

#include <string>
#include <vector>

// The lines of `text`, without their LF or CR LF; a last line without one counts.
std::vector<std::string> SplitLines(const std::string& text);

std::string FormatText(const char* format, ...)
#if defined(__GNUC__)
    __attribute__((format(printf, 1, 2)))
#endif
    ;
