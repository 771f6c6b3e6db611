// The service's end of the guard's pipe: a few instances served by overlapped
// I/O on the service's one thread, so that answers come from the same thread
// that runs the accountings. Each connection carries one request and its
// answer; a caller that does not finish in time is let go.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>

#include "core/GuardPipe.h"
#include "os/Handles_win32.h"

// Who is asking, as the pipe tells it: the caller's session and account.
struct GuardCaller {
    std::uint32_t session = 0;
    std::string user;  // empty when the caller could not be identified
    // A member of BUILTIN\Administrators by the caller's token: under UAC, only
    // from an elevated program.
    bool administrator = false;
};

class GuardPipeServer {
public:
    using Answerer = std::function<GuardAnswer(const GuardRequest&, const GuardCaller&)>;

    explicit GuardPipeServer(Answerer answer) : m_answer(std::move(answer)) {}
    ~GuardPipeServer();
    GuardPipeServer(const GuardPipeServer&) = delete;
    GuardPipeServer& operator=(const GuardPipeServer&) = delete;

    // Creates the pipe's instances and waits for callers; false, with the
    // reason, when the pipe cannot be created.
    bool Start(std::string& why);

    // The events to wait for: the one at `index` signalled means OnEvent(index).
    const HANDLE* Events() const { return m_events.data(); }
    DWORD EventCount() const { return m_started ? kInstances : 0; }
    void OnEvent(DWORD index);
    // How long until a slow caller is to be let go (INFINITE: none waits), and
    // letting go of those whose time is up.
    DWORD MillisecondsToDeadline() const;
    void ExpireCallers();

private:
    static constexpr DWORD kInstances = 4;
    enum class State { Idle, Connecting, Reading, Writing, Draining };
    struct Instance {
        ScopedFile pipe;   // null until created
        ScopedFile event;  // the overlapped calls' event
        OVERLAPPED overlapped{};
        State state = State::Idle;
        // An overlapped call was issued and its completion not taken yet: only
        // then may it be cancelled and waited for (a call that failed at once
        // never signals).
        bool pending = false;
        ULONGLONG deadline = 0;
        char request[kMaxGuardRequestBytes + 1] = {};
        std::string answer;
    };

    // Issues an overlapped call: true when it was issued, whether it has
    // completed yet or not.
    static bool Issue(Instance& instance, BOOL started);
    void Listen(Instance& instance);
    void Read(Instance& instance);
    void Answer(Instance& instance, const std::string& request);
    void Drain(Instance& instance);
    // Ends the connection (cancelling what is pending) and listens again.
    void Reset(Instance& instance);
    GuardCaller Identify(HANDLE pipe) const;

    Answerer m_answer;
    bool m_started = false;
    std::array<Instance, kInstances> m_instances;
    std::array<HANDLE, kInstances> m_events{};
};
