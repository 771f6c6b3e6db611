#include "core/FormatText.h"

#include <cstdarg>
#include <cstdio>
#include <vector>

namespace {

#ifdef _WIN32
// The system's own C run-time: MinGW's C++ headers route vsnprintf to MinGW's
// replacement, whose float formatting (about 20 KB of the exe) the program,
// which prints only integers and text, never uses.
int FormattedLength(const char* format, va_list args) { return _vscprintf(format, args); }
void FormatInto(char* buffer, std::size_t size, const char* format, va_list args) {
    _vsnprintf(buffer, size, format, args);
}
#else
int FormattedLength(const char* format, va_list args) {
    return std::vsnprintf(nullptr, 0, format, args);
}
void FormatInto(char* buffer, std::size_t size, const char* format, va_list args) {
    std::vsnprintf(buffer, size, format, args);
}
#endif

}  // namespace

std::string FormatText(const char* format, ...) {
    va_list args;
    va_start(args, format);
    va_list copy;
    va_copy(copy, args);
    const int needed = FormattedLength(format, copy);
    va_end(copy);
    std::string text;
    if (needed > 0) {
        std::vector<char> buffer(static_cast<std::size_t>(needed) + 1);
        FormatInto(buffer.data(), buffer.size(), format, args);
        text.assign(buffer.data(), static_cast<std::size_t>(needed));
    }
    va_end(args);
    return text;
}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(std::move(line));
        start = end + 1;
    }
    return lines;
}
