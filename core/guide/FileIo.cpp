#include "guide/FileIo.h"

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <utility>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pos {

namespace {

Diagnostic Failure(int id, const std::string &path, int error)
{
    return Diagnostic{.id = id, .detail = std::system_category().message(error), .file = path};
}

// Closes a descriptor on every way out.
class Descriptor
{
public:
    explicit Descriptor(int fd)
        : m_fd(fd)
    {}
    ~Descriptor()
    {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    Descriptor(const Descriptor &) = delete;
    Descriptor &operator=(const Descriptor &) = delete;

    int get() const { return m_fd; }
    // Closes now; returns 0 or the error of close.
    int close()
    {
        const int fd = m_fd;
        m_fd = -1;
        return ::close(fd) == 0 ? 0 : errno;
    }

private:
    int m_fd;
};

bool WriteAll(int fd, std::string_view text, int &error)
{
    const char *p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            error = errno;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

// The directory part of path ("." when there is none) and the file name.
void SplitPath(const std::string &path, std::string &directory, std::string &name)
{
    const auto slash = path.rfind('/');
    if (slash == std::string::npos) {
        directory = ".";
        name = path;
    } else {
        directory = slash == 0 ? "/" : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

} // namespace

Status WriteWholeFile(const std::string &path, std::string_view text)
{
    const auto fail = [&path](int error) { return Failure(sid::FileCannotWrite, path, error); };
    std::string directory;
    std::string name;
    SplitPath(path, directory, name);
    if (name.empty())
        return fail(EISDIR);

    // A file that stands there keeps its permission bits; a directory is
    // refused before anything is created.
    struct stat existing
    {};
    const bool replacing = ::stat(path.c_str(), &existing) == 0;
    if (replacing && S_ISDIR(existing.st_mode))
        return fail(EISDIR);

    static std::atomic<unsigned> counter{0};
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = (directory == "/" ? std::string() : directory) + "/." + name + ".tmp."
                    + std::to_string(::getpid()) + "." + std::to_string(counter++);
        fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST && errno != EINTR)
            return fail(errno);
    }
    if (fd < 0)
        return fail(EEXIST);
    Descriptor file(fd);

    int error = 0;
    bool ok = WriteAll(fd, text, error);
    if (ok && replacing && S_ISREG(existing.st_mode)
        && ::fchmod(fd, existing.st_mode & 07777) != 0) {
        error = errno;
        ok = false;
    }
    if (ok && ::fsync(fd) != 0) {
        error = errno;
        ok = false;
    }
    if (const int closeError = file.close(); ok && closeError != 0) {
        error = closeError;
        ok = false;
    }
    if (ok && ::rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
        ok = false;
    }
    if (!ok) {
        ::unlink(temporary.c_str());
        return fail(error);
    }

    // Make the rename itself durable; a failure here no longer loses data.
    const int dirFd = ::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    return {};
}

} // namespace pos
