// The only way the program touches its data files. No call ever blocks on
// another process: reading takes no lock, a lock held by another is waited for
// only briefly, and anything that is not a regular file (a FIFO, a device) is
// treated as if it were not there.
#pragma once

#include <cstddef>
#include <functional>
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

// What an update found and did.
struct FileUpdate {
    FileContents before;   // the file as read: Read, Absent, or Unreadable
    bool written = false;  // the new bytes are the file's now
    bool held = false;     // another process held its lock: read as it stands, nothing written
    std::string why;       // when not written: the system's reason
};

// Read, change, write back, as one step no other copy of the program can come
// between: the file's lock is held from the read to the end of the write, and
// `change` makes the new bytes from what was read. Never follows a link.
// - An existing regular file is read and overwritten in place from offset 0,
//   then cut to the new length, so an interruption never leaves it empty or
//   shorter than the old contents, and only read and write permission on the
//   file is needed.
// - A missing file (or a link, a FIFO) is created whole: written to a temporary
//   file beside it, flushed, and renamed into place, so it never exists half-written.
// - When the lock stays another's beyond a brief wait, the file is read without
//   it and nothing is written (`held`): a lock never hides what a file holds.
FileUpdate UpdateDataFile(const std::string& path, std::size_t maxBytes,
                          const std::function<std::string(const FileContents&)>& change);

// Puts `bytes` in the file's place whole, whatever was there: written to a
// temporary file beside it, flushed, and renamed over it, so that a reader
// finds the old file or the new one, never a part. For the administrator's
// files, which the installer writes while no copy of the program runs; empty
// when written, else the system's reason.
std::string ReplaceDataFile(const std::string& path, const std::string& bytes);
