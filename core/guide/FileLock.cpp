#include "guide/FileLock.h"

#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>
#include <utility>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace pos {

namespace {

constexpr auto kRetryInterval = std::chrono::milliseconds(10);

// The system's part: open the lock file, try the lock once, close. Each
// gives 0 or the error number.

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

} // namespace

Result<FileLock> FileLock::Acquire(const std::string &path, int waitMs)
{
    const auto failed = [&path](int error) {
        return Diagnostic{
            .id = sid::LockFailed, .args = {path}, .detail = std::system_category().message(error)};
    };
    Handle handle = kNoHandle;
    if (const int error = Open(path, handle); error != 0)
        return failed(error);
    FileLock lock(handle); // closes the file on every way out

    const auto deadline
        = std::chrono::steady_clock::now() + std::chrono::milliseconds(waitMs > 0 ? waitMs : 0);
    for (;;) {
        const int error = TryLock(handle);
        if (error == 0)
            return lock;
        if (error != EWOULDBLOCK)
            return failed(error);
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
