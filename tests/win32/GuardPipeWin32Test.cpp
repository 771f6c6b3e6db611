// Both ends of the guard's pipe against each other under Wine: the tray
// program's questions never wait longer than asked, and the service serves
// every caller on its one thread, whatever a caller sends or fails to send.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <future>

#include "guard/GuardPipeServer_win32.h"
#include "tray/GuardClient_win32.h"

namespace {

// Runs the server's loop on this thread until `work`, on another, is done.
template <typename Work>
auto Serve(GuardPipeServer& server, Work work) {
    auto result = std::async(std::launch::async, work);
    while (result.wait_for(std::chrono::seconds(0)) != std::future_status::ready) {
        const DWORD woke =
            ::WaitForMultipleObjects(server.EventCount(), server.Events(), FALSE,
                                     std::min<DWORD>(50, server.MillisecondsToDeadline()));
        if (woke < WAIT_OBJECT_0 + server.EventCount()) server.OnEvent(woke - WAIT_OBJECT_0);
        server.ExpireCallers();
    }
    return result.get();
}

std::string Raw(const std::string& request) {
    char answer[2048];
    DWORD n = 0;
    if (!::CallNamedPipeA(kGuardPipeName, const_cast<char*>(request.data()),
                          static_cast<DWORD>(request.size()), answer, sizeof answer, &n, 5000)) {
        return "error " + std::to_string(::GetLastError());
    }
    return std::string(answer, n);
}

}  // namespace

TEST(GuardPipeWin32, NoGuardAndASilentOneNeverHoldTheTrayProgram) {
    EXPECT_EQ(AskGuard(GuardMethod::Status, 200).reach, GuardReach::NoGuard);
    // A pipe of that name that never answers: the question ends when its time is up.
    const HANDLE silent = ::CreateNamedPipeA(kGuardPipeName, PIPE_ACCESS_DUPLEX,
                                             PIPE_TYPE_MESSAGE | PIPE_WAIT, 1, 64, 64, 0, nullptr);
    ASSERT_NE(silent, INVALID_HANDLE_VALUE);
    const ULONGLONG start = ::GetTickCount64();
    EXPECT_EQ(AskGuard(GuardMethod::Status, 300).reach, GuardReach::Failed);
    EXPECT_LT(::GetTickCount64() - start, 2000u);
    ::CloseHandle(silent);
}

TEST(GuardPipeWin32, AnswersEachCallerAsThePipeIdentifiesIt) {
    std::atomic<int> answered{0};
    GuardPipeServer server([&](const GuardRequest& request, const GuardCaller& caller) {
        ++answered;
        if (request.method == GuardMethod::PowerOff) return GuardAnswer::Error(kGuardErrorRefused);
        // An administrator's rows: as many as a long history has.
        if (request.method == GuardMethod::AdminHistory) {
            return GuardAnswer::Lines(std::vector<std::string>(
                static_cast<std::size_t>(request.number), request.user + "	5	guest"));
        }
        return GuardAnswer::Lines({caller.user, caller.administrator ? "administrator" : "user"});
    });
    std::string why;
    ASSERT_TRUE(server.Start(why)) << why;
    char user[256] = {};
    DWORD size = sizeof user;
    ASSERT_TRUE(::GetUserNameA(user, &size));

    const GuardPipeReply status = Serve(server, [] { return AskGuard(GuardMethod::Status); });
    EXPECT_TRUE(status.Is(GuardAnswer::Kind::Lines));
    // Wine's one user is an administrator; on Windows, only an elevated caller is.
    EXPECT_EQ(status.answer.lines, (std::vector<std::string>{user, "administrator"}));
    EXPECT_EQ(Serve(server, [] { return AskGuard(GuardMethod::PowerOff); }).answer.error,
              kGuardErrorRefused);
    const GuardPipeReply rows = Serve(server, [] {
        return AskGuard(GuardRequest(GuardMethod::AdminHistory, "Yamada Taro", 3000));
    });
    EXPECT_TRUE(rows.Is(GuardAnswer::Kind::Lines));
    EXPECT_EQ(rows.answer.lines, std::vector<std::string>(3000, "Yamada Taro\t5\tguest"));

    // Callers that connect and never ask hold every instance for a moment only;
    // garbage and oversized requests are refused without reaching the service.
    const std::string replies = Serve(server, [] {
        std::vector<HANDLE> idle;
        for (int i = 0; i < 4; ++i) {
            idle.push_back(::CreateFileA(kGuardPipeName, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                         OPEN_EXISTING, 0, nullptr));
        }
        std::string seen = Raw("\xFF garbage") + " | " + Raw("HG1 Status" + std::string(100, 'x'));
        for (const HANDLE handle : idle) ::CloseHandle(handle);
        return seen;
    });
    const std::string unknown = std::string("HG1 Error ") + kGuardErrorUnknownRequest;
    EXPECT_EQ(replies, unknown + " | " + unknown);
    EXPECT_EQ(answered, 3);
}
