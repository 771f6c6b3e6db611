#include "guard/GuardFiles_win32.h"

#include <windows.h>
// after windows.h, which they need
#include <aclapi.h>
#include <sddl.h>

#include "core/ExemptionList.h"
#include "os/Handles_win32.h"
#include "os/SystemError_win32.h"
#include "os/System_win32.h"

namespace {

// SetNamedSecurityInfoA with the list an SDDL string describes: empty, or why not.
std::string SetAccessList(const std::string& path, const char* sddl) {
    PSECURITY_DESCRIPTOR made = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &made,
                                                                nullptr)) {
        return WindowsErrorText(::GetLastError());
    }
    const ScopedLocal descriptor(made);
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL list = nullptr;
    ::GetSecurityDescriptorDacl(descriptor.get(), &present, &list, &defaulted);
    std::string copy = path;
    const DWORD error = ::SetNamedSecurityInfoA(
        &copy[0], SE_FILE_OBJECT, DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
        nullptr, nullptr, list, nullptr);
    return error == ERROR_SUCCESS ? std::string() : WindowsErrorText(error);
}

bool EndsWithExe(const std::string& name) {
    return name.size() > 4 && ::lstrcmpiA(name.c_str() + name.size() - 4, ".exe") == 0;
}

}  // namespace

void ProtectGuardDirectory(const std::string& directory,
                           const std::function<void(const std::string&)>& log) {
    const auto set = [&log](const std::string& path, const char* sddl) {
        const std::string why = SetAccessList(path, sddl);
        if (!why.empty()) log("cannot make " + path + " the guard's own: " + why);
    };
    // The directory first: its inherited entries then reach the files, whose
    // own lists follow.
    set(directory, kGuardDirectorySddl);
    ExemptNameSlots names = {};
    int count = 0;
    LoadExemptionList(directory, '\\', names, count);
    WIN32_FIND_DATAA found{};
    const HANDLE first = ::FindFirstFileA((directory + "\\*").c_str(), &found);
    if (first == INVALID_HANDLE_VALUE) return;
    const ScopedSearch search(first);
    do {
        if (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) {
            continue;
        }
        const std::string name = found.cFileName;
        const std::string path = directory + "\\" + name;
        if (EndsWithExe(name)) {
            set(path, kGuardProgramSddl);
            continue;
        }
        // Only the program's own files; anything else beside it stays as it is.
        if (!IsProgramDataFile(name, names, count, Win32IsLeadByte)) continue;
        set(path, kGuardPrivateSddl);
        // A record made read-only while users could still change it would stop
        // the service's writes too.
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_READONLY) &&
            !::SetFileAttributesA(path.c_str(),
                                  found.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY)) {
            log("cannot make " + path + " writable: " + WindowsErrorText(::GetLastError()));
        }
    } while (::FindNextFileA(search.get(), &found));
}
