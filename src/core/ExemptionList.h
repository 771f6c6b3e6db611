// The administrator's exemption list (Hourgate.ini) and the usage category it decides.
#pragma once

#include <string>

#include "core/Platform.h"

constexpr int kMaxExemptNames = 10;
constexpr int kExemptNameBytes = 31;  // 30 bytes of name and the terminating NUL
using ExemptNameSlots = char[kMaxExemptNames][kExemptNameBytes];

constexpr const char* kExemptionListFileName = "Hourgate.ini";

// Fills the slots from the text of the file: one name per line (LF or CR LF),
// trailing white space dropped, leading white space kept, a Ctrl+Z ends the text,
// lines after the tenth are ignored, and a UTF-8 byte-order mark (Notepad's
// "UTF-8") is skipped. A line that is empty, blank or longer than a slot holds
// takes its slot as an empty entry, which matches no login name.
void ParseExemptionList(const std::string& text, ExemptNameSlots& names, int& count);

// The file's text for a comma-separated list of names, as the installer passes
// them: one name per line with CR LF, the blanks around each name and empty
// entries dropped. False, with why, for a list the file cannot hold as given:
// no name, more than 10, a name longer than 30 bytes, or one with a control
// character or a character Windows does not allow in a login name.
bool FormatExemptionList(const std::string& commaSeparated, LeadByteTest isLeadByte,
                         std::string& text, std::string& why);

// Reads Hourgate.ini, whole, from the program directory into the slots. When the
// file cannot be read the slots and the count are left as they were; the result
// is then why, when the file is there (empty when it is simply missing).
std::string LoadExemptionList(const std::string& programDirectory, char separator,
                              ExemptNameSlots& names, int& count);

// The login name itself when it is listed (letter case aside), otherwise "guest".
// A name that could lead out of the program directory as a file name (".", "..",
// or one with a path separator) matches no entry.
std::string ResolveUsageCategory(const std::string& loginName, const ExemptNameSlots& names,
                                 int count, LeadByteTest isLeadByte);

// The files of the program directory that are the program's own: the exemption
// list, the limits, the records (guest.txt, and <name>.txt for a listed name),
// the grants and the history. The guard makes these its own at start and
// leaves every other file as it is.
bool IsProgramDataFile(const std::string& fileName, const ExemptNameSlots& names, int count,
                       LeadByteTest isLeadByte);
