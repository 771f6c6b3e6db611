#include "os/GuardPipeClient_win32.h"

#include "os/Handles_win32.h"

namespace {

DWORD Remaining(ULONGLONG deadline) {
    const ULONGLONG now = ::GetTickCount64();
    return now >= deadline ? 0 : static_cast<DWORD>(deadline - now);
}

// Waits for an overlapped call until the deadline; a call still running then is
// cancelled. `n` is the number of bytes moved; `error` why it failed.
bool Finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL started, ULONGLONG deadline, DWORD& n,
            DWORD& error) {
    if (!started) {
        error = ::GetLastError();
        if (error != ERROR_IO_PENDING) return false;
    }
    if (::WaitForSingleObject(overlapped.hEvent, Remaining(deadline)) != WAIT_OBJECT_0) {
        ::CancelIo(pipe);
        ::GetOverlappedResult(pipe, &overlapped, &n, TRUE);
        error = WAIT_TIMEOUT;
        return false;
    }
    if (::GetOverlappedResult(pipe, &overlapped, &n, FALSE)) return true;
    error = ::GetLastError();
    return false;
}

}  // namespace

GuardPipeReply AskGuard(const GuardRequest& request, DWORD timeoutMs) {
    const ULONGLONG deadline = ::GetTickCount64() + timeoutMs;
    GuardPipeReply reply;
    const std::string bytes = EncodeGuardRequest(request);
    if (bytes.empty()) {
        reply.error = ERROR_INVALID_PARAMETER;
        return reply;
    }
    ScopedFile pipe;
    for (;;) {
        // Identification only: whoever answers may learn who asks, not act as them.
        pipe = OpenFileHandle(
            kGuardPipeName, GENERIC_READ | FILE_WRITE_DATA | FILE_WRITE_ATTRIBUTES, 0,
            OPEN_EXISTING, FILE_FLAG_OVERLAPPED | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION);
        if (pipe) break;
        reply.error = ::GetLastError();
        if (reply.error == ERROR_FILE_NOT_FOUND) {
            reply.reach = GuardReach::NoGuard;
            return reply;
        }
        // Every instance busy: wait for one, within the time given.
        if (reply.error != ERROR_PIPE_BUSY || Remaining(deadline) == 0 ||
            !::WaitNamedPipeA(kGuardPipeName, Remaining(deadline))) {
            return reply;
        }
    }
    DWORD mode = PIPE_READMODE_MESSAGE;
    const ScopedFile event(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!event || !::SetNamedPipeHandleState(pipe.get(), &mode, nullptr, nullptr)) {
        reply.error = ::GetLastError();
        return reply;
    }
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD n = 0;
    if (!Finish(pipe.get(), overlapped,
                ::WriteFile(pipe.get(), bytes.data(), static_cast<DWORD>(bytes.size()), nullptr,
                            &overlapped),
                deadline, n, reply.error)) {
        return reply;
    }
    // One byte more than an answer may have: a longer one is not complete here.
    std::string answer(kMaxGuardAnswerBytes + 1, '\0');
    if (!Finish(pipe.get(), overlapped,
                ::ReadFile(pipe.get(), &answer[0], static_cast<DWORD>(answer.size()), nullptr,
                           &overlapped),
                deadline, n, reply.error)) {
        return reply;
    }
    answer.resize(n);
    if (const std::optional<GuardAnswer> decoded = DecodeGuardAnswer(answer)) {
        reply.reach = GuardReach::Answered;
        reply.answer = *decoded;
        reply.error = ERROR_SUCCESS;
    } else {
        reply.error = ERROR_INVALID_DATA;
    }
    return reply;
}
