// The guard's interface on Windows, a named pipe: one request and one answer
// per connection, each a single message of a few text fields. The same
// requests and errors as the guard's bus interface on Linux (GuardBus.h); every
// answer is for the caller's own user, whom the service takes from the pipe.
//
//   "HG1 Status"    -> "HG1 Lines\n" LINE "\n" LINE   the two lines of the caller's window
//   "HG1 PowerOff"  -> "HG1 Accepted"                 the exit command's request when the
//                                                     password was not given
//   any request     -> "HG1 Error " NAME              kGuardErrorNotCounted, kGuardErrorRefused,
//                                                     kGuardErrorUnknownRequest
//
// Lines are in the system's narrow code page, whose characters never contain
// the line feed byte. Notices are not sent here: the service shows them itself
// in the user's session.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/GuardBus.h"

constexpr const char* kGuardPipeName = "\\\\.\\pipe\\hourgate-guard";
constexpr const char* kGuardErrorUnknownRequest = "org.hourgate.Guard1.Error.UnknownRequest";

// Nothing longer is read: a request is a word, an answer two status lines.
constexpr std::size_t kMaxGuardRequestBytes = 64;
constexpr std::size_t kMaxGuardAnswerBytes = 1024;
constexpr std::size_t kMaxGuardLines = 4;

enum class GuardRequest { Status, PowerOff };

struct GuardAnswer {
    enum class Kind { Lines, Accepted, Error };
    Kind kind = Kind::Error;
    std::vector<std::string> lines;  // Lines
    std::string error;               // Error: the error's name

    static GuardAnswer Error(std::string name) { return {Kind::Error, {}, std::move(name)}; }
    bool operator==(const GuardAnswer& other) const {
        return kind == other.kind && lines == other.lines && error == other.error;
    }
};

std::string EncodeGuardRequest(GuardRequest request);
// Nothing for anything but exactly one known request.
std::optional<GuardRequest> DecodeGuardRequest(const std::string& bytes);

// Lines beyond kMaxGuardLines or kMaxGuardAnswerBytes, and bytes that would end a
// line early, are left out: whatever the lines, the answer decodes.
std::string EncodeGuardAnswer(const GuardAnswer& answer);
// Nothing for an answer that is cut short, too long or not one of the forms above.
std::optional<GuardAnswer> DecodeGuardAnswer(const std::string& bytes);
