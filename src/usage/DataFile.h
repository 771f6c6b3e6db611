// The two ways the program touches its data files. Each call opens the file
// without sharing it with other processes, and only for the length of the call.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

// Up to `maxBytes` from the start of the file, as raw bytes; nothing when the file
// cannot be opened (missing, no access, held open by another process).
std::optional<std::string> ReadFilePrefix(const std::string& path, std::size_t maxBytes);

// Makes the file hold exactly `bytes`, creating it when it does not exist. An
// existing file is overwritten in place from offset 0 and only then cut to the new
// length, and the result is flushed to disk, so an interruption never leaves it
// empty or shorter than the old contents. Needs write permission on the file
// only, not on its directory. False when the file cannot be opened for writing.
bool OverwriteFile(const std::string& path, const std::string& bytes);
