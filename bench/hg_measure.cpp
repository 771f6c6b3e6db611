// Measurement helper of bench/run.sh, run under Wine:
//
//   hg_measure EXE FRAME_CLASS
//   hg_measure EXE --guard
//
// starts EXE --dry-run (sharing our standard handles), prints the time from
// process creation to the tray icon of its frame (the window of class
// FRAME_CLASS), then, two seconds later, its memory, and ends it. With --guard
// EXE is a guard service, run by hand (--console): the time is to its pipe's
// first answer, a Status request that also starts one user's count.
#include <windows.h>
// after windows.h, which they need
#include <psapi.h>
#include <shellapi.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

[[noreturn]] void Fail(const char* why) {
    std::fprintf(stderr, "hg_measure: %s\n", why);
    std::exit(1);
}

// The program's frame once its tray icon is there: changing nothing in an icon
// succeeds only for an icon that exists.
HWND FrameWithTrayIcon(const char* frameClass) {
    const HWND frame = ::FindWindowA(frameClass, nullptr);
    if (!frame) return nullptr;
    NOTIFYICONDATAA icon{};
    icon.cbSize = NOTIFYICONDATAA_V2_SIZE;
    icon.hWnd = frame;
    icon.uID = 1;
    return ::Shell_NotifyIconA(NIM_MODIFY, &icon) ? frame : nullptr;
}

// The guard's pipe answered a Status request.
bool GuardAnswered() {
    char request[] = "HG1 Status";
    char answer[1024];
    DWORD n = 0;
    return ::CallNamedPipeA("\\\\.\\pipe\\hourgate-guard", request, sizeof request - 1, answer,
                            sizeof answer, &n, 100) &&
           n > 0;
}

void PrintMemory(HANDLE process) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!::GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                                sizeof counters)) {
        Fail("cannot read the memory counters");
    }
    // Wine leaves PrivateUsage at 0, so also add up the committed private pages.
    unsigned long long committedPrivate = 0;
    MEMORY_BASIC_INFORMATION region{};
    for (const char* address = nullptr;
         ::VirtualQueryEx(process, address, &region, sizeof region) == sizeof region;
         address = static_cast<const char*>(region.BaseAddress) + region.RegionSize) {
        if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) {
            committedPrivate += region.RegionSize;
        }
    }
    std::printf(
        "private_usage_bytes=%llu\ncommitted_private_bytes=%llu\n"
        "pagefile_usage_bytes=%llu\nworking_set_bytes=%llu\n",
        static_cast<unsigned long long>(counters.PrivateUsage), committedPrivate,
        static_cast<unsigned long long>(counters.PagefileUsage),
        static_cast<unsigned long long>(counters.WorkingSetSize));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) Fail("usage: hg_measure EXE FRAME_CLASS|--guard");
    const std::string exe = argv[1];
    const bool guard = std::string(argv[2]) == "--guard";
    std::string line =
        "\"" + exe + "\" --dry-run" + (guard ? " --console --sessions-from-callers" : "");
    const std::string directory = exe.substr(0, exe.find_last_of('\\'));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = ::GetStdHandle(STD_INPUT_HANDLE);
    startup.hStdOutput = ::GetStdHandle(STD_OUTPUT_HANDLE);
    startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION process{};
    LARGE_INTEGER frequency, start, end;
    ::QueryPerformanceFrequency(&frequency);
    ::QueryPerformanceCounter(&start);
    if (!::CreateProcessA(exe.c_str(), &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                          directory.c_str(), &startup, &process)) {
        Fail("cannot start the program");
    }
    ::CloseHandle(process.hThread);
    while (guard ? !GuardAnswered() : !FrameWithTrayIcon(argv[2])) {
        if (::WaitForSingleObject(process.hProcess, 20) == WAIT_OBJECT_0) Fail("program ended");
    }
    ::QueryPerformanceCounter(&end);
    std::printf(guard ? "startup_to_pipe_ms=%.0f\n" : "startup_to_tray_ms=%.0f\n",
                1000.0 * static_cast<double>(end.QuadPart - start.QuadPart) /
                    static_cast<double>(frequency.QuadPart));
    ::Sleep(2000);  // "after start" is defined as two seconds after the icon appeared
    PrintMemory(process.hProcess);
    ::TerminateProcess(process.hProcess, 0);
    ::WaitForSingleObject(process.hProcess, 5000);
    ::CloseHandle(process.hProcess);
    return 0;
}
