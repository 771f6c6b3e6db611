#include <cstdarg>
#include <cstdio>
#include <vector>

#include "usage/FormatText.h"

// The system's own C run-time (_vscprintf, _vsnprintf): MinGW's C++ headers
// route vsnprintf to MinGW's replacement, whose float formatting (about 20 KB of
// the exe) the program, which prints only integers and text, never uses.
std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = _vscprintf(format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        _vsnprintf(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(args);
    return text;
}
