#include "core/GuardPipe.h"

#include <algorithm>

namespace {

constexpr const char* kPrefix = "HG1 ";
constexpr const char* kStatus = "Status";
constexpr const char* kPowerOff = "PowerOff";
constexpr const char* kLines = "Lines";
constexpr const char* kAccepted = "Accepted";
constexpr const char* kError = "Error ";

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// An error's name: a dotted word of printable ASCII, as the bus's error names are.
bool IsErrorName(const std::string& name) {
    return !name.empty() && name.size() <= 128 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

}  // namespace

std::string EncodeGuardRequest(GuardRequest request) {
    return std::string(kPrefix) + (request == GuardRequest::Status ? kStatus : kPowerOff);
}

std::optional<GuardRequest> DecodeGuardRequest(const std::string& bytes) {
    if (bytes == EncodeGuardRequest(GuardRequest::Status)) return GuardRequest::Status;
    if (bytes == EncodeGuardRequest(GuardRequest::PowerOff)) return GuardRequest::PowerOff;
    return std::nullopt;
}

std::string EncodeGuardAnswer(const GuardAnswer& answer) {
    std::string bytes = kPrefix;
    switch (answer.kind) {
        case GuardAnswer::Kind::Lines:
            bytes += kLines;
            for (std::size_t i = 0; i < answer.lines.size() && i < kMaxGuardLines; ++i) {
                const std::string& line = answer.lines[i];
                const std::string part = line.substr(0, line.find_first_of(std::string("\n\0", 2)));
                // A line that would take the answer past what a reader takes is left out.
                if (bytes.size() + 1 + part.size() > kMaxGuardAnswerBytes) break;
                bytes += '\n';
                bytes += part;
            }
            break;
        case GuardAnswer::Kind::Accepted:
            bytes += kAccepted;
            break;
        case GuardAnswer::Kind::Error:
            bytes += kError + answer.error;
            break;
    }
    return bytes;
}

std::optional<GuardAnswer> DecodeGuardAnswer(const std::string& bytes) {
    if (bytes.size() > kMaxGuardAnswerBytes || !StartsWith(bytes, kPrefix)) return std::nullopt;
    if (bytes.find('\0') != std::string::npos) return std::nullopt;
    const std::string body = bytes.substr(std::string(kPrefix).size());
    if (body == kAccepted) return GuardAnswer{GuardAnswer::Kind::Accepted, {}, {}};
    if (StartsWith(body, kError)) {
        const std::string name = body.substr(std::string(kError).size());
        if (!IsErrorName(name)) return std::nullopt;
        return GuardAnswer::Error(name);
    }
    if (body != kLines && !StartsWith(body, std::string(kLines) + '\n')) return std::nullopt;
    GuardAnswer answer{GuardAnswer::Kind::Lines, {}, {}};
    for (std::size_t start = body.find('\n'); start != std::string::npos;) {
        const std::size_t end = body.find('\n', start + 1);
        answer.lines.push_back(
            body.substr(start + 1, end == std::string::npos ? end : end - start - 1));
        start = end;
    }
    if (answer.lines.size() > kMaxGuardLines) return std::nullopt;
    return answer;
}
