#pragma once

// An exclusive lock between processes (and between threads of one process)
// on a lock file: an operating-system lock on an open file, which the system
// drops when its holder ends, however it ends. The lock file itself carries
// nothing; it is created when missing and never removed, since removing it
// would let two runs lock two different files of the same name.
//
// On POSIX systems this is flock(2) on the file opened read-only; on Windows
// LockFileEx on the file's first byte, the file opened for reading with every
// sharing allowed. Each FileLock opens the file anew, so two FileLocks
// exclude each other even in one process. A lock file that is a symbolic
// link or a folder is refused.

#include "res/Diagnostic.h"

#include <string>

namespace pos {

class FileLock
{
public:
    // Takes the lock on the file at path, trying again every few
    // milliseconds for waitMs while another holder has it. Gives the lock,
    // or message 50560 (args: path, the wait in whole seconds) when it stayed
    // taken, or 50561 (args: path and the system's reason, as SystemFailure
    // gives it) when the file cannot be opened or locked.
    static Result<FileLock> Acquire(const std::string &path, int waitMs);

    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock(); // releases the lock

private:
#if defined(_WIN32)
    using Handle = void *; // a HANDLE
    static constexpr Handle kNoHandle = nullptr;
#else
    using Handle = int; // a file descriptor
    static constexpr Handle kNoHandle = -1;
#endif

    explicit FileLock(Handle handle)
        : m_handle(handle)
    {}

    Handle m_handle = kNoHandle;
};

} // namespace pos
