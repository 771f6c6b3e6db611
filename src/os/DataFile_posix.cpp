#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "core/DataFile.h"

namespace {

// Another copy of the program rewrites a record in well under a millisecond;
// a lock held longer than this belongs to someone else and is not waited for.
constexpr int kLockWaitSteps = 20;
constexpr useconds_t kLockWaitStepMicroseconds = 10000;

std::string Reason() { return std::strerror(errno); }

// The lock keeps two copies of the program from updating a file at once.
bool LockBriefly(int fd) {
    for (int step = 0; step < kLockWaitSteps; ++step) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return true;
        if (errno != EWOULDBLOCK && errno != EINTR) return false;
        ::usleep(kLockWaitStepMicroseconds);
    }
    errno = EWOULDBLOCK;
    return false;
}

bool IsRegular(int fd) {
    struct stat info = {};
    return ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
}

bool IsNotThere(int error) { return error == ENOENT || error == ELOOP || error == ENXIO; }

class Fd {
public:
    explicit Fd(int fd) : m_fd(fd) {}
    ~Fd() {
        if (m_fd >= 0) ::close(m_fd);
    }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return m_fd; }

private:
    int m_fd;
};

bool WriteAll(int fd, const std::string& bytes) {
    return ::pwrite(fd, bytes.data(), bytes.size(), 0) == static_cast<ssize_t>(bytes.size());
}

// Publishes a new file whole. `replace` puts it in the place of a link or a
// FIFO; otherwise it only takes an empty place, and EEXIST tells that another
// copy of the program created the file first.
std::string CreateWhole(const std::string& path, const std::string& bytes, bool replace) {
    const std::string temporary = path + "." + std::to_string(::getpid()) + ".tmp";
    const Fd fd(::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (fd.get() < 0) return Reason();
    // The new name must not publish a record whose bytes are not on disk yet.
    const bool published = WriteAll(fd.get(), bytes) && ::fsync(fd.get()) == 0 &&
                           (replace ? ::rename(temporary.c_str(), path.c_str())
                                    : ::link(temporary.c_str(), path.c_str())) == 0;
    const int error = errno;
    if (!published || !replace) ::unlink(temporary.c_str());
    errno = error;
    return published ? std::string() : std::strerror(error);
}

// Up to `maxBytes` from offset 0 of an open file; a read fault keeps what was read.
std::string ReadFrom(int fd, std::size_t maxBytes) {
    std::string bytes;
    char buffer[4096];
    while (bytes.size() < maxBytes) {
        const std::size_t want = std::min(sizeof buffer, maxBytes - bytes.size());
        const ssize_t n = ::pread(fd, buffer, want, static_cast<off_t>(bytes.size()));
        if (n <= 0) break;
        bytes.append(buffer, static_cast<std::size_t>(n));
    }
    return bytes;
}

std::string WriteInPlace(int fd, const std::string& bytes) {
    if (!WriteAll(fd, bytes)) return Reason();
    // Cut only a file that is longer: a truncate to the same size still marks
    // the inode for the next data sync, one more wait every minute.
    struct stat info = {};
    if (::fstat(fd, &info) != 0 || (info.st_size != static_cast<off_t>(bytes.size()) &&
                                    ::ftruncate(fd, static_cast<off_t>(bytes.size())) != 0)) {
        return Reason();
    }
    // The 25 bytes go to the disk at once, without waiting for them. Overwritten
    // in place, never cut, they are the old record or the new one whatever
    // moment the power goes, so waiting buys at most the last minute, at the
    // price of blocking twice a minute (the data write and the disk's cache
    // flush; fsync a third time, for the times). Measured with bench/run.sh:
    // fsync 5-6 wake-ups a minute, fdatasync 4-5, this 2.x (a bare tray
    // program 2.2). A new record is still flushed before its rename.
    if (::sync_file_range(fd, 0, static_cast<off_t>(bytes.size()), SYNC_FILE_RANGE_WRITE) != 0) {
        return Reason();
    }
    return std::string();
}

}  // namespace

FileContents ReadDataFile(const std::string& path, std::size_t maxBytes, bool followLinks) {
    FileContents result;
    // O_NONBLOCK: opening a FIFO would otherwise wait for a writer for ever.
    const int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC | (followLinks ? 0 : O_NOFOLLOW);
    const Fd fd(::open(path.c_str(), flags));
    if (fd.get() < 0 || !IsRegular(fd.get())) {
        if (fd.get() >= 0 || IsNotThere(errno)) return result;
        result.state = FileState::Unreadable;
        result.why = Reason();
        return result;
    }
    // No lock: anyone who may read a file may lock it, and a lock must not hide it.
    result.state = FileState::Read;
    result.bytes = ReadFrom(fd.get(), maxBytes);
    return result;
}

FileUpdate UpdateDataFile(const std::string& path, std::size_t maxBytes,
                          const std::function<std::string(const FileContents&)>& change) {
    FileUpdate result;
    for (;;) {
        const Fd fd(::open(path.c_str(), O_RDWR | O_NONBLOCK | O_NOFOLLOW | O_CLOEXEC));
        if (fd.get() < 0 && !IsNotThere(errno)) {
            result.before = {FileState::Unreadable, std::string(), Reason()};
            result.why = result.before.why;
            return result;
        }
        if (fd.get() < 0 || !IsRegular(fd.get())) {
            // Two copies may find it missing at once: the second adds to the first's.
            const bool missing = fd.get() < 0 && errno == ENOENT;
            result.why = CreateWhole(path, change(result.before), !missing);
            if (missing && errno == EEXIST && !result.why.empty()) continue;
            result.written = result.why.empty();
            return result;
        }
        const bool locked = LockBriefly(fd.get());
        const std::string lockProblem = locked ? std::string() : Reason();
        result.before = {FileState::Read, ReadFrom(fd.get(), maxBytes), std::string()};
        if (!locked) {
            result.held = true;
            result.why = lockProblem;
            return result;
        }
        result.why = WriteInPlace(fd.get(), change(result.before));
        result.written = result.why.empty();
        return result;
    }
}

std::string ReplaceDataFile(const std::string& path, const std::string& bytes) {
    return CreateWhole(path, bytes, true);
}
