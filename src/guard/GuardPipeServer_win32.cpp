#include "guard/GuardPipeServer_win32.h"

#include <sddl.h>

#include <cstdlib>
#include <vector>

namespace {

// SYSTEM and administrators may do anything; an authenticated user may connect,
// write a request (FILE_WRITE_DATA), read the answer (FILE_GENERIC_READ) and set
// the message read mode (FILE_WRITE_ATTRIBUTES), but not create an instance of
// the pipe (FILE_APPEND_DATA), which would let them answer in the service's
// place. Network logons are refused outright.
constexpr const char* kPipeSddl = "D:P(D;;GA;;;NU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;0x12018b;;;AU)";
// A request is a few bytes: a caller that has not sent it, or has not taken the
// answer, by then is let go so that it cannot hold an instance.
constexpr ULONGLONG kCallerMilliseconds = 2000;

}  // namespace

GuardPipeServer::~GuardPipeServer() {
    // A call still under way must end before its pipe and event are closed.
    for (Instance& instance : m_instances) {
        if (instance.pipe && instance.pending) {
            ::CancelIo(instance.pipe.get());
            DWORD n = 0;
            ::GetOverlappedResult(instance.pipe.get(), &instance.overlapped, &n, TRUE);
        }
    }
}

bool GuardPipeServer::Start(std::string& why) {
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(kPipeSddl, SDDL_REVISION_1, &made,
                                                                nullptr)) {
        why = "cannot build the pipe's access list (Windows error " +
              std::to_string(::GetLastError()) + ")";
        return false;
    }
    const ScopedLocal descriptor(made);
    SECURITY_ATTRIBUTES attributes{sizeof attributes, descriptor.get(), FALSE};
    for (DWORD i = 0; i < kInstances; ++i) {
        Instance& instance = m_instances[i];
        // The first instance must be ours: a pipe of that name made by someone
        // else before the service started would otherwise answer in its place.
        const DWORD first = i == 0 ? FILE_FLAG_FIRST_PIPE_INSTANCE : 0;
        const HANDLE pipe = ::CreateNamedPipeA(
            kGuardPipeName, PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | first,
            PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
            kInstances, kMaxGuardAnswerBytes, kMaxGuardRequestBytes, 0, &attributes);
        instance.pipe.reset(pipe == INVALID_HANDLE_VALUE ? nullptr : pipe);
        instance.event.reset(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
        instance.overlapped.hEvent = instance.event.get();
        m_events[i] = instance.event.get();
        if (!instance.pipe.get() || !instance.event) {
            why = std::string("cannot create ") + kGuardPipeName + " (Windows error " +
                  std::to_string(::GetLastError()) + ")";
            return false;
        }
    }
    for (Instance& instance : m_instances) Listen(instance);
    m_started = true;
    return true;
}

bool GuardPipeServer::Issue(Instance& instance, BOOL started) {
    const DWORD error = started ? ERROR_SUCCESS : ::GetLastError();
    instance.pending =
        started || error == ERROR_IO_PENDING || error == ERROR_MORE_DATA;  // signalled when done
    ::SetLastError(error);
    return instance.pending;
}

void GuardPipeServer::Listen(Instance& instance) {
    instance.state = State::Connecting;
    instance.deadline = 0;
    ::ResetEvent(instance.overlapped.hEvent);
    if (Issue(instance, ::ConnectNamedPipe(instance.pipe.get(), &instance.overlapped))) return;
    switch (::GetLastError()) {
        case ERROR_PIPE_CONNECTED:  // a caller came between the instance's making and now
            Read(instance);
            return;
        default:
            // The instance cannot be used now; it is tried again at the next expiry.
            instance.state = State::Idle;
            instance.deadline = ::GetTickCount64() + kCallerMilliseconds;
            return;
    }
}

void GuardPipeServer::Read(Instance& instance) {
    instance.state = State::Reading;
    instance.deadline = ::GetTickCount64() + kCallerMilliseconds;
    // One byte more than a request may have: a longer message does not fit and
    // is refused, as it is too long.
    if (!Issue(instance, ::ReadFile(instance.pipe.get(), instance.request, sizeof instance.request,
                                    nullptr, &instance.overlapped))) {
        Reset(instance);
    }
}

void GuardPipeServer::Answer(Instance& instance, const std::string& request) {
    const std::optional<GuardRequest> decoded = DecodeGuardRequest(request);
    const GuardAnswer answer = decoded ? m_answer(*decoded, Identify(instance.pipe.get()))
                                       : GuardAnswer::Error(kGuardErrorUnknownRequest);
    instance.answer = EncodeGuardAnswer(answer);
    instance.state = State::Writing;
    instance.deadline = ::GetTickCount64() + kCallerMilliseconds;
    if (!Issue(instance, ::WriteFile(instance.pipe.get(), instance.answer.data(),
                                     static_cast<DWORD>(instance.answer.size()), nullptr,
                                     &instance.overlapped))) {
        Reset(instance);
    }
}

void GuardPipeServer::Drain(Instance& instance) {
    // Disconnecting would throw away an answer not read yet: wait until the
    // caller has closed its end, which ends this read.
    instance.state = State::Draining;
    if (!Issue(instance, ::ReadFile(instance.pipe.get(), instance.request, sizeof instance.request,
                                    nullptr, &instance.overlapped))) {
        Reset(instance);
    }
}

void GuardPipeServer::OnEvent(DWORD index) {
    if (index >= kInstances) return;
    Instance& instance = m_instances[index];
    if (!instance.pending) return;
    DWORD n = 0;
    const BOOL done = ::GetOverlappedResult(instance.pipe.get(), &instance.overlapped, &n, FALSE);
    const DWORD error = done ? ERROR_SUCCESS : ::GetLastError();
    if (error == ERROR_IO_INCOMPLETE) return;
    instance.pending = false;
    // A request longer than the buffer is still answered (refused); any other
    // failure ends the connection.
    const bool tooLong = instance.state == State::Reading && error == ERROR_MORE_DATA;
    if (!done && !tooLong) {
        Reset(instance);
        return;
    }
    switch (instance.state) {
        case State::Connecting:
            Read(instance);
            return;
        case State::Reading:
            Answer(instance, tooLong ? std::string(sizeof instance.request, '\0')
                                     : std::string(instance.request, n));
            return;
        case State::Writing:
            Drain(instance);
            return;
        case State::Draining:
        case State::Idle:
            Reset(instance);
            return;
    }
}

void GuardPipeServer::Reset(Instance& instance) {
    if (instance.pending) {
        ::CancelIo(instance.pipe.get());
        DWORD n = 0;
        ::GetOverlappedResult(instance.pipe.get(), &instance.overlapped, &n, TRUE);
        instance.pending = false;
    }
    ::DisconnectNamedPipe(instance.pipe.get());
    Listen(instance);
}

DWORD GuardPipeServer::MillisecondsToDeadline() const {
    const ULONGLONG now = ::GetTickCount64();
    ULONGLONG next = 0;
    for (const Instance& instance : m_instances) {
        if (instance.deadline != 0 && (next == 0 || instance.deadline < next)) {
            next = instance.deadline;
        }
    }
    if (next == 0) return INFINITE;
    return next <= now ? 0 : static_cast<DWORD>(next - now);
}

void GuardPipeServer::ExpireCallers() {
    const ULONGLONG now = ::GetTickCount64();
    for (Instance& instance : m_instances) {
        if (instance.deadline != 0 && instance.deadline <= now) Reset(instance);
    }
}

GuardCaller GuardPipeServer::Identify(HANDLE pipe) const {
    GuardCaller caller;
    ULONG session = 0;
    if (!::GetNamedPipeClientSessionId(pipe, &session)) return caller;
    caller.session = session;
    // The caller's account from its token: the caller lets the service identify
    // it, not act as it, so the token is only read.
    if (!::ImpersonateNamedPipeClient(pipe)) return caller;
    HANDLE opened = nullptr;
    const BOOL ok = ::OpenThreadToken(::GetCurrentThread(), TOKEN_QUERY, TRUE, &opened);
    // Anything after this must run as the service again, or not at all.
    if (!::RevertToSelf()) std::abort();
    if (!ok) return caller;
    const ScopedFile token(opened);
    // The token is one of identification level, which is enough to check a group.
    BYTE administrators[SECURITY_MAX_SID_SIZE];
    DWORD sidSize = sizeof administrators;
    BOOL member = FALSE;
    caller.administrator =
        ::CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, administrators, &sidSize) &&
        ::CheckTokenMembership(token.get(), administrators, &member) && member;
    std::vector<char> buffer(256);
    DWORD size = 0;
    BOOL read = ::GetTokenInformation(token.get(), TokenUser, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), &size);
    if (!read && ::GetLastError() == ERROR_INSUFFICIENT_BUFFER) {
        buffer.resize(size);
        read = ::GetTokenInformation(token.get(), TokenUser, buffer.data(), size, &size);
    }
    if (!read) return caller;
    const PSID sid = reinterpret_cast<TOKEN_USER*>(buffer.data())->User.Sid;
    char name[256] = {};
    char domain[256] = {};
    DWORD nameSize = sizeof name;
    DWORD domainSize = sizeof domain;
    SID_NAME_USE use;
    if (::LookupAccountSidA(nullptr, sid, name, &nameSize, domain, &domainSize, &use)) {
        caller.user = name;
    }
    return caller;
}
