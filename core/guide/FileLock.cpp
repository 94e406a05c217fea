#include "guide/FileLock.h"

#include "guide/FileRead.h"

#include <cerrno>
#include <chrono>
#include <thread>
#include <utility>

#if defined(_WIN32)
#include "guide/WindowsFile.h"
#else
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>
#endif

namespace pos {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(10);

// The system's part: open the lock file, try the lock once, close. Open and
// TryLock give 0 or the system's error; Refusal puts an error into words.

#if defined(_WIN32)

using SystemError = DWORD;
constexpr SystemError kTaken = ERROR_LOCK_VIOLATION;
// Open's own error for a folder where the lock file should be.
constexpr SystemError kIsFolder = ERROR_DIRECTORY;

SystemError Open(const std::string &path, HANDLE &handle)
{
    std::wstring wide;
    if (const DWORD error = win::SystemPath(path, wide))
        return error;
    // Read access is enough for LockFileEx. Others may open, write and remove
    // the file as on POSIX systems. A link planted there is opened as the
    // link itself (FILE_FLAG_OPEN_REPARSE_POINT) and refused; a folder opens
    // (FILE_FLAG_BACKUP_SEMANTICS) to be refused as one.
    win::Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, win::kShareAll, nullptr, OPEN_ALWAYS,
                                   FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT
                                       | FILE_FLAG_BACKUP_SEMANTICS,
                                   nullptr));
    if (!file)
        return ::GetLastError();
    win::Kind kind = win::Kind::Other;
    BY_HANDLE_FILE_INFORMATION info{};
    if (const DWORD error = win::KindOf(file.get(), kind, info))
        return error;
    if (kind == win::Kind::Folder)
        return kIsFolder;
    if (kind != win::Kind::Regular || (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
        return ERROR_CANT_RESOLVE_FILENAME;
    handle = file.release();
    return 0;
}

// kTaken while another holder has the lock. The lock is on the file's first
// byte, which need not exist; every FileLock locks through its own handle.
SystemError TryLock(HANDLE handle)
{
    OVERLAPPED at{};
    return ::LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)
               ? 0
               : ::GetLastError();
}

void Close(HANDLE handle)
{
    // The lock would go with the handle too, but only when the system gets
    // round to it: released first, it is free for the next run at once.
    OVERLAPPED at{};
    ::UnlockFileEx(handle, 0, 1, 0, &at);
    ::CloseHandle(handle);
}

Diagnostic Refusal(const std::string &path, SystemError error)
{
    Diagnostic refusal = error == kIsFolder ? SystemFailure(sid::LockFailed, {}, EISDIR)
                                            : win::Failure(sid::LockFailed, {}, error);
    refusal.args.insert(refusal.args.begin(), path);
    return refusal;
}

#else

using SystemError = int;
constexpr SystemError kTaken = EWOULDBLOCK;

int Open(const std::string &path, int &handle)
{
    // Read-only is enough for the lock and works on a lock file another
    // user created; O_NOFOLLOW keeps a link planted there from being used.
    do
        handle = ::open(path.c_str(), O_RDONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    while (handle < 0 && errno == EINTR);
    return handle < 0 ? errno : 0;
}

// EWOULDBLOCK while another holder has the lock.
int TryLock(int handle)
{
    int result = 0;
    do
        result = ::flock(handle, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    return result == 0 ? 0 : errno;
}

void Close(int handle)
{
    ::close(handle); // closing releases the lock
}

Diagnostic Refusal(const std::string &path, SystemError error)
{
    Diagnostic refusal = SystemFailure(sid::LockFailed, {}, error);
    refusal.args.insert(refusal.args.begin(), path);
    return refusal;
}

#endif

} // namespace

Result<FileLock> FileLock::Acquire(const std::string &path, int waitMs)
{
    Handle handle = kNoHandle;
    if (const SystemError error = Open(path, handle); error != 0)
        return Refusal(path, error);
    FileLock lock(handle); // closes the file on every way out

    const auto deadline
        = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
    for (;;) {
        const SystemError error = TryLock(handle);
        if (error == 0)
            return lock;
        if (error != kTaken)
            return Refusal(path, error);
        if (std::chrono::steady_clock::now() >= deadline)
            return Diagnostic{.id = sid::ProjectBusy,
                              .args = {path, std::int64_t{(waitMs + 999) / 1000}}};
        std::this_thread::sleep_for(kRetryInterval);
    }
}

FileLock::FileLock(FileLock &&other) noexcept
    : m_handle(std::exchange(other.m_handle, kNoHandle))
{}

FileLock &FileLock::operator=(FileLock &&other) noexcept
{
    if (this != &other) {
        if (m_handle != kNoHandle)
            Close(m_handle);
        m_handle = std::exchange(other.m_handle, kNoHandle);
    }
    return *this;
}

FileLock::~FileLock()
{
    if (m_handle != kNoHandle)
        Close(m_handle);
}

} // namespace pos
