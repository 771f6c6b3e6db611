#include "tray/Console_win32.h"

#include <windows.h>

#include <cstdio>

namespace {

// Output sent to a file or a pipe already has a place to go.
bool IsRedirected(DWORD which) {
    const HANDLE handle = ::GetStdHandle(which);
    if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return false;
    const DWORD type = ::GetFileType(handle);
    return type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE;
}

void AttachParentConsole() {
    const bool out = IsRedirected(STD_OUTPUT_HANDLE);
    const bool err = IsRedirected(STD_ERROR_HANDLE);
    if ((out && err) || !::AttachConsole(ATTACH_PARENT_PROCESS)) return;
    if (!out) std::freopen("CONOUT$", "w", stdout);
    if (!err) std::freopen("CONOUT$", "w", stderr);
}

}  // namespace

int AnswerOnConsole(const CommandLineInfo& info) {
    if (info.action == CommandLineAction::Run) return -1;
    AttachParentConsole();
    const int exitCode = AnswerCommandLine(info, stdout, stderr);
    std::fflush(stdout);
    std::fflush(stderr);
    return exitCode;
}
