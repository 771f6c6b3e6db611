// The guard's interface on Windows, a named pipe: one request and one answer
// per connection, each a single message of a few text fields. The same
// requests and errors as the guard's bus interface on Linux (GuardBus.h); a
// tray program's answers are for the caller's own user, whom the service takes
// from the pipe, and the administrators' requests are for administrators only.
//
//   "HG1 Status"    -> "HG1 Lines\n" LINE "\n" LINE   the two lines of the caller's window
//   "HG1 PowerOff"  -> "HG1 Accepted"                 the exit command's request when the
//                                                     password was not given
//   "HG1 AdminStatus", "HG1 AdminReload"
//   "HG1 AdminGrant\n" USER "\n" MINUTES, "HG1 AdminSet\n" USER "\n" MINUTES
//   "HG1 AdminHistory\n" USER "\n" DAYS
//                   -> "HG1 Lines" ("\n" ROW)...      GuardAdmin's rows, tab-separated fields
//   any request     -> "HG1 Error " NAME ["\n" WHY]   kGuardErrorNotCounted, kGuardErrorRefused,
//                                                     kGuardErrorFailed (with why),
//                                                     kGuardErrorUnknownRequest
//
// Lines and user names are in the system's narrow code page, whose characters
// never contain the line feed byte; a number is plain decimal. Notices are not
// sent here: the service shows them itself in the user's session.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "core/GuardBus.h"

constexpr const char* kGuardPipeName = "\\\\.\\pipe\\hourgate-guard";
constexpr const char* kGuardErrorUnknownRequest = "org.hourgate.Guard1.Error.UnknownRequest";

// Nothing longer is read: a request is a word and perhaps a user name and a
// number; an answer is two status lines, or an administrator's rows (a week of
// history fits many times over).
constexpr std::size_t kMaxGuardRequestBytes = 512;
constexpr std::size_t kMaxGuardAnswerBytes = 64 * 1024;
constexpr std::size_t kMaxGuardLines = 4096;
constexpr int kMaxGuardNumber = 999999;

enum class GuardMethod {
    Status,
    PowerOff,
    AdminStatus,
    AdminGrant,
    AdminSet,
    AdminReload,
    AdminHistory
};

struct GuardRequest {
    // A method alone: those of the tray program, AdminStatus and AdminReload.
    GuardRequest(GuardMethod what = GuardMethod::Status, std::string who = {}, int count = 0)
        : method(what), user(std::move(who)), number(count) {}

    GuardMethod method;
    std::string user;  // AdminGrant, AdminSet, AdminHistory ("" there: every user)
    int number;        // their minutes, or days

    bool operator==(const GuardRequest& other) const {
        return method == other.method && user == other.user && number == other.number;
    }
};

struct GuardAnswer {
    enum class Kind { Lines, Accepted, Error };
    Kind kind = Kind::Error;
    std::vector<std::string> lines;  // Lines
    std::string error;               // Error: the error's name
    std::string message;             // Error: why, in a line; may be empty

    static GuardAnswer Lines(std::vector<std::string> lines) {
        return {Kind::Lines, std::move(lines), {}, {}};
    }
    static GuardAnswer Accepted() { return {Kind::Accepted, {}, {}, {}}; }
    static GuardAnswer Error(std::string name, std::string why = {}) {
        return {Kind::Error, {}, std::move(name), std::move(why)};
    }
    bool operator==(const GuardAnswer& other) const {
        return kind == other.kind && lines == other.lines && error == other.error &&
               message == other.message;
    }
};

// The method of that name (GuardBus.h), if the pipe carries it.
std::optional<GuardMethod> GuardMethodNamed(const std::string& name);
// Empty for a request the pipe cannot carry: a user name with a line feed or a
// NUL, a number outside 0 to kMaxGuardNumber, a user or number given to a method
// that takes none, or more than kMaxGuardRequestBytes in all.
std::string EncodeGuardRequest(const GuardRequest& request);
// Nothing for anything but exactly one request as the encoder writes it.
std::optional<GuardRequest> DecodeGuardRequest(const std::string& bytes);

// Lines beyond kMaxGuardLines or kMaxGuardAnswerBytes, bytes that would end a
// line early, and as much of an error's message as does not fit, are left out:
// whatever the lines and the message, the answer decodes.
std::string EncodeGuardAnswer(const GuardAnswer& answer);
// Nothing for an answer that is cut short, too long or not one of the forms above.
std::optional<GuardAnswer> DecodeGuardAnswer(const std::string& bytes);
