// hourgatectl.exe: the guard's administrators' requests over its pipe. Run
// from an elevated prompt: the guard answers members of Administrators only.
#include <windows.h>

#include <iostream>

#include "core/GuardPipe.h"
#include "ctl/Ctl.h"
#include "os/GuardPipeClient_win32.h"

namespace {

// Reading a long history takes the guard a moment; a hung guard is not waited for.
constexpr DWORD kCallTimeoutMs = 10000;

GuardReply CallGuard(const std::string& method, const std::string& user, int number) {
    const std::optional<GuardMethod> known = GuardMethodNamed(method);
    if (!known) return {GuardReply::Kind::Failed, {}, "no such request: " + method};
    const GuardPipeReply reply = AskGuard(GuardRequest(*known, user, number), kCallTimeoutMs);
    switch (reply.reach) {
        case GuardReach::NoGuard:
            return {GuardReply::Kind::NotRunning, {}, std::string("no pipe ") + kGuardPipeName};
        case GuardReach::Failed:
            return {GuardReply::Kind::Failed,
                    {},
                    reply.error == ERROR_INVALID_PARAMETER
                        ? "the user name cannot be sent to the guard"
                        : "the guard did not answer (Windows error " + std::to_string(reply.error) +
                              ")"};
        case GuardReach::Answered:
            break;
    }
    const GuardAnswer& answer = reply.answer;
    if (answer.kind == GuardAnswer::Kind::Lines) return {GuardReply::Kind::Ok, answer.lines, {}};
    if (answer.kind == GuardAnswer::Kind::Error && answer.error == kGuardErrorRefused) {
        return {GuardReply::Kind::Refused, {}, answer.message};
    }
    return {GuardReply::Kind::Failed,
            {},
            answer.message.empty() ? "the guard answered " + answer.error : answer.message};
}

// The system's narrow code page (the arguments', the guard's) to UTF-8.
std::string AnsiToUtf8(const std::string& text) {
    if (text.empty()) return text;
    const int size = static_cast<int>(text.size());
    const int wide = ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, nullptr, 0);
    std::wstring utf16(static_cast<std::size_t>(wide), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, text.data(), size, &utf16[0], wide);
    const int bytes =
        ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, nullptr, 0, nullptr, nullptr);
    std::string utf8(static_cast<std::size_t>(bytes), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, utf16.data(), wide, &utf8[0], bytes, nullptr, nullptr);
    return utf8;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    // The texts follow the user's display language; the literals are in code page 932.
    const CtlEnvironment env{PRIMARYLANGID(::GetUserDefaultUILanguage()) == LANG_JAPANESE,
                             AnsiToUtf8};
    return RunCtl(args, CallGuard, env, std::cout, std::cerr);
}
