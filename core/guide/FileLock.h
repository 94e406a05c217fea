#pragma once

// An exclusive lock between processes (and between threads of one process)
// on a lock file: an operating-system lock on an open file, which the system
// drops when its holder ends, however it ends. The lock file itself carries
// nothing; it is created when missing and never removed, since removing it
// would let two runs lock two different files of the same name.
//
// On POSIX systems this is flock(2) on the file opened read-only; each
// FileLock opens the file anew, so two FileLocks exclude each other even in
// one process. Another system (LockFileEx on Windows) adds its own Open,
// TryLock and Close in FileLock.cpp and its own Handle type here.

#include "res/Diagnostic.h"

#include <string>

namespace pos {

class FileLock
{
public:
    // Takes the lock on the file at path, trying again every few
    // milliseconds for waitMs while another holder has it. Gives the lock,
    // or message 50560 (args: path, the wait in whole seconds) when it stayed
    // taken, or 50561 (args: path, detail: the system's reason) when the
    // file cannot be opened or locked.
    static Result<FileLock> Acquire(const std::string &path, int waitMs);

    FileLock(FileLock &&other) noexcept;
    FileLock &operator=(FileLock &&other) noexcept;
    FileLock(const FileLock &) = delete;
    FileLock &operator=(const FileLock &) = delete;
    ~FileLock(); // releases the lock

private:
    using Handle = int; // a file descriptor
    static constexpr Handle kNoHandle = -1;

    explicit FileLock(Handle handle)
        : m_handle(handle)
    {}

    Handle m_handle = kNoHandle;
};

} // namespace pos
