// The only way the program touches its data files. No call ever blocks on
// another process: a file held by one (a lock, an unshared open) is waited for
// only briefly, and anything that is not a regular file (a FIFO, a device) is
// treated as if it were not there.
#pragma once

#include <cstddef>
#include <string>

enum class FileState {
    Read,        // the bytes were read
    Absent,      // no such regular file
    Unreadable,  // it exists, but cannot be read now (no access, held by another process)
};

struct FileContents {
    FileState state = FileState::Absent;
    std::string bytes;
    std::string why;  // for Unreadable: the system's reason
};

// Up to `maxBytes` from the start of the file, as raw bytes. With `followLinks`
// false a symbolic link counts as absent.
FileContents ReadDataFile(const std::string& path, std::size_t maxBytes, bool followLinks);

// Makes the file hold exactly `bytes`, never following a link.
// - An existing regular file is overwritten in place from offset 0, then cut to
//   the new length and flushed, so an interruption never leaves it empty or
//   shorter than the old contents, and only write permission on the file is needed.
// - A missing file (or a link, a FIFO) is created whole: written to a temporary
//   file beside it, flushed, and renamed into place, so it never exists half-written.
// Returns an empty text on success, else the system's reason for the failure.
std::string WriteDataFile(const std::string& path, const std::string& bytes);
