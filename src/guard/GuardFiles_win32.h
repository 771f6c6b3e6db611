// The guard's directory made the guard's own: it runs from the directory of the
// programs and keeps the records there, where users may run the programs but
// neither change anything nor open a record.
#pragma once

#include <functional>
#include <string>

// Access lists, protected from inheritance: the directory and the programs
// (*.exe) readable and runnable by users; every other file, the records among
// them, SYSTEM's and the administrators' alone. New files inherit the latter.
constexpr const char* kGuardDirectorySddl = "D:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;;0x1200a9;;;BU)";
constexpr const char* kGuardProgramSddl = "D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;0x1200a9;;;BU)";
constexpr const char* kGuardPrivateSddl = "D:P(A;;FA;;;SY)(A;;FA;;;BA)";

// Sets those lists on `directory` and the files in it, and clears the
// read-only attribute of the private ones; links are left alone. Each failure
// is told to `log`.
void ProtectGuardDirectory(const std::string& directory,
                           const std::function<void(const std::string&)>& log);
