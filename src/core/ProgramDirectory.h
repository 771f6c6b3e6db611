// Finding the directory of the running executable, and joining file names to it.
#pragma once

#include <string>

#include "core/Platform.h"

// Lead bytes of double-byte characters in code page 932 (Shift_JIS).
bool IsCp932LeadByte(unsigned char byte);

// Position of the last `separator` in `path`, scanning whole characters, so the
// second byte of a double-byte character is never taken for a separator; -1 when
// there is none. `isLeadByte` may be null for code pages without double-byte characters.
int ReverseFindSeparator(const std::string& path, char separator, LeadByteTest isLeadByte);

// The text before the last separator: "C:\Tools\hourgate.exe" gives "C:\Tools",
// "C:\hourgate.exe" gives "C:", a path without separator gives "".
std::string ProgramDirectoryOf(const std::string& executablePath, char separator,
                               LeadByteTest isLeadByte);

// Where a program in `programDirectory` keeps a kind of data file: `packaged`
// when the directory is one of `packagedProgramDirectories` (separated by
// ':'), where a package installs the programs and no data file may be, else
// the program's own directory.
std::string DataDirectoryFor(const std::string& programDirectory,
                             const std::string& packagedProgramDirectories,
                             const std::string& packaged);
// "%s<separator>%s": the directory, one separator, the file name.
std::string JoinPath(const std::string& directory, char separator, const std::string& fileName);
