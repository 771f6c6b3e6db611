#include "core/GuardPipe.h"

#include <algorithm>
#include <iterator>

namespace {

constexpr const char* kPrefix = "HG1 ";
constexpr const char* kLines = "Lines";
constexpr const char* kAccepted = "Accepted";
constexpr const char* kError = "Error ";

struct MethodName {
    GuardMethod method;
    const char* name;
    bool takesArguments;  // a user and a number
};
constexpr MethodName kMethods[] = {
    {GuardMethod::Status, "Status", false},
    {GuardMethod::PowerOff, "PowerOff", false},
    {GuardMethod::AdminStatus, "AdminStatus", false},
    {GuardMethod::AdminGrant, "AdminGrant", true},
    {GuardMethod::AdminSet, "AdminSet", true},
    {GuardMethod::AdminReload, "AdminReload", false},
    {GuardMethod::AdminHistory, "AdminHistory", true},
};

const MethodName& Describe(GuardMethod method) {
    return *std::find_if(std::begin(kMethods), std::end(kMethods),
                         [method](const MethodName& known) { return known.method == method; });
}

bool StartsWith(const std::string& text, const std::string& prefix) {
    return text.compare(0, prefix.size(), prefix) == 0;
}

// An error's name: a dotted word of printable ASCII, as the bus's error names are.
bool IsErrorName(const std::string& name) {
    return !name.empty() && name.size() <= 128 &&
           std::all_of(name.begin(), name.end(), [](char c) { return c > ' ' && c < 0x7F; });
}

// A number as the encoder writes it: decimal digits without a leading zero.
std::optional<int> ParseNumber(const std::string& text) {
    if (text.empty() || text.size() > std::to_string(kMaxGuardNumber).size()) return std::nullopt;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return std::nullopt;
    }
    if (text.size() > 1 && text[0] == '0') return std::nullopt;
    return std::stoi(text);
}

}  // namespace

std::optional<GuardMethod> GuardMethodNamed(const std::string& name) {
    for (const MethodName& known : kMethods) {
        if (name == known.name) return known.method;
    }
    return std::nullopt;
}

std::string EncodeGuardRequest(const GuardRequest& request) {
    const MethodName& method = Describe(request.method);
    std::string bytes = std::string(kPrefix) + method.name;
    if (!method.takesArguments) {
        return request.user.empty() && request.number == 0 ? bytes : std::string();
    }
    if (request.user.find_first_of(std::string("\n\0", 2)) != std::string::npos ||
        request.number < 0 || request.number > kMaxGuardNumber) {
        return {};
    }
    bytes += '\n' + request.user + '\n' + std::to_string(request.number);
    return bytes.size() <= kMaxGuardRequestBytes ? bytes : std::string();
}

std::optional<GuardRequest> DecodeGuardRequest(const std::string& bytes) {
    if (bytes.size() > kMaxGuardRequestBytes || !StartsWith(bytes, kPrefix)) return std::nullopt;
    if (bytes.find('\0') != std::string::npos) return std::nullopt;
    const std::string body = bytes.substr(std::string(kPrefix).size());
    const std::size_t nameEnd = body.find('\n');
    const std::optional<GuardMethod> method = GuardMethodNamed(body.substr(0, nameEnd));
    if (!method) return std::nullopt;
    if (!Describe(*method).takesArguments) {
        if (nameEnd != std::string::npos) return std::nullopt;
        return GuardRequest(*method);
    }
    const std::size_t userEnd =
        nameEnd == std::string::npos ? nameEnd : body.find('\n', nameEnd + 1);
    if (userEnd == std::string::npos) return std::nullopt;
    const std::optional<int> number = ParseNumber(body.substr(userEnd + 1));
    if (!number) return std::nullopt;
    return GuardRequest(*method, body.substr(nameEnd + 1, userEnd - nameEnd - 1), *number);
}

std::string EncodeGuardAnswer(const GuardAnswer& answer) {
    std::string bytes = kPrefix;
    const auto firstLine = [](const std::string& text) {
        return text.substr(0, text.find_first_of(std::string("\n\0", 2)));
    };
    switch (answer.kind) {
        case GuardAnswer::Kind::Lines:
            bytes += kLines;
            for (std::size_t i = 0; i < answer.lines.size() && i < kMaxGuardLines; ++i) {
                const std::string part = firstLine(answer.lines[i]);
                // A line that would take the answer past what a reader takes is left out.
                if (bytes.size() + 1 + part.size() > kMaxGuardAnswerBytes) break;
                bytes += '\n';
                bytes += part;
            }
            break;
        case GuardAnswer::Kind::Accepted:
            bytes += kAccepted;
            break;
        case GuardAnswer::Kind::Error: {
            bytes += kError + answer.error;
            const std::string why = firstLine(answer.message);
            if (!why.empty() && bytes.size() + 1 < kMaxGuardAnswerBytes) {
                bytes += '\n' + why.substr(0, kMaxGuardAnswerBytes - bytes.size() - 1);
            }
            break;
        }
    }
    return bytes;
}

std::optional<GuardAnswer> DecodeGuardAnswer(const std::string& bytes) {
    if (bytes.size() > kMaxGuardAnswerBytes || !StartsWith(bytes, kPrefix)) return std::nullopt;
    if (bytes.find('\0') != std::string::npos) return std::nullopt;
    const std::string body = bytes.substr(std::string(kPrefix).size());
    if (body == kAccepted) return GuardAnswer::Accepted();
    if (StartsWith(body, kError)) {
        const std::size_t nameEnd = body.find('\n');
        const std::size_t nameStart = std::string(kError).size();
        const std::string name = body.substr(nameStart, nameEnd - nameStart);
        if (!IsErrorName(name)) return std::nullopt;
        const std::string why = nameEnd == std::string::npos ? "" : body.substr(nameEnd + 1);
        // One line, and not empty when its line feed is there.
        if (why.find('\n') != std::string::npos) return std::nullopt;
        if (nameEnd != std::string::npos && why.empty()) return std::nullopt;
        return GuardAnswer::Error(name, why);
    }
    if (body != kLines && !StartsWith(body, std::string(kLines) + '\n')) return std::nullopt;
    GuardAnswer answer = GuardAnswer::Lines({});
    for (std::size_t start = body.find('\n'); start != std::string::npos;) {
        const std::size_t end = body.find('\n', start + 1);
        answer.lines.push_back(
            body.substr(start + 1, end == std::string::npos ? end : end - start - 1));
        start = end;
    }
    if (answer.lines.size() > kMaxGuardLines) return std::nullopt;
    return answer;
}
