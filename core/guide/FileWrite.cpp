// Writing whole files (FileIo.h): what stands at the path decides how. A
// regular file is replaced by rename, or rewritten in place where a rename
// would lose something; a device or a pipe is written through; a symbolic
// link leads to the file that is written.
#include "guide/FileIo.h"
#include "guide/FileRead.h"

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <system_error>

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

namespace pos {

namespace {

constexpr int kMaxLinks = 40; // symbolic links followed before ELOOP, as the kernel does
constexpr std::string_view kTemporaryStem = ".pos-tmp-";

Diagnostic Failure(const std::string &path, int error)
{
    return SystemFailure(sid::FileCannotWrite, path, error);
}

int OpenRetrying(const char *path, int flags, mode_t mode = 0)
{
    int fd = -1;
    do
        fd = ::open(path, flags, mode);
    while (fd < 0 && errno == EINTR);
    return fd;
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

// Writes all of text; 0 or the error.
int WriteAll(int fd, std::string_view text)
{
    const char *p = text.data();
    std::size_t left = text.size();
    while (left > 0) {
        const ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return 0;
}

// WriteAll, with SIGPIPE held back: a reader that goes away is EPIPE, not
// the end of the process. A SIGPIPE that this write raised is taken off.
int WriteAllToPipe(int fd, std::string_view text)
{
    sigset_t pipeSignal, saved, pending;
    sigemptyset(&pipeSignal);
    sigaddset(&pipeSignal, SIGPIPE);
    pthread_sigmask(SIG_BLOCK, &pipeSignal, &saved);
    sigpending(&pending);
    const bool wasPending = sigismember(&pending, SIGPIPE) == 1;
    const int error = WriteAll(fd, text);
    if (error == EPIPE && !wasPending) {
        const timespec zero{};
        while (sigtimedwait(&pipeSignal, nullptr, &zero) < 0 && errno == EINTR) {
        }
    }
    pthread_sigmask(SIG_SETMASK, &saved, nullptr);
    return error;
}

// The directory part of path ("." when there is none) and the file name.
void SplitPath(const std::string &path, std::string &directory, std::string &name)
{
    const auto slash = path.rfind('/');
    // Built in one piece: GCC 12 warns falsely (-Wrestrict) of assigning a
    // literal to a string here.
    if (slash == std::string::npos) {
        directory = std::string(1, '.');
        name = path;
    } else {
        directory = slash == 0 ? std::string(1, '/') : path.substr(0, slash);
        name = path.substr(slash + 1);
    }
}

std::string Join(const std::string &directory, std::string_view name)
{
    return (directory == "/" ? std::string() : directory) + "/" + std::string(name);
}

// Where path leads once the symbolic links of its last part are followed.
struct Target
{
    std::string path;
    // A link of /proc (a process's descriptor, e.g. /dev/stdout) was met:
    // its text is no path to rename over, the descriptor is written through.
    bool processDescriptor = false;
};

// 0 or the error; a link that leads nowhere yet leads to the file to create.
int Resolve(const std::string &path, Target &target)
{
    target.path = path;
    for (int hops = 0;; ++hops) {
        struct stat info
        {};
        if (::lstat(target.path.c_str(), &info) != 0)
            return errno == ENOENT ? 0 : errno;
        if (!S_ISLNK(info.st_mode))
            return 0;
        if (hops == kMaxLinks)
            return ELOOP;
        std::string directory, name;
        SplitPath(target.path, directory, name);
        if (char *real = ::realpath(directory.c_str(), nullptr)) {
            target.processDescriptor = std::string_view(real).starts_with("/proc/");
            std::free(real);
            if (target.processDescriptor)
                return 0;
        }
        std::string link(PATH_MAX, '\0');
        const ssize_t n = ::readlink(target.path.c_str(), link.data(), link.size());
        if (n < 0)
            return errno;
        link.resize(static_cast<std::size_t>(n));
        target.path = link.starts_with('/') ? link : Join(directory, link);
    }
}

// A short name that no other file is likely to have: a hash of the time and
// a counter; O_EXCL settles the rest.
std::string UniqueSuffix()
{
    static std::atomic<std::uint32_t> counter{0};
    std::uint64_t x
        = static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count())
          ^ (std::uint64_t{counter++} * 0x9E3779B97F4A7C15u);
    x ^= x >> 29;
    x *= 0xBF58476D1CE4E5B9u;
    x ^= x >> 32;
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(x & 0xFFFFFFFFu));
    return hex;
}

bool Before(const timespec &a, const timespec &b)
{
    return a.tv_sec < b.tv_sec || (a.tv_sec == b.tv_sec && a.tv_nsec < b.tv_nsec);
}

// Removes what killed writes of the same file left behind. Our temporaries
// are named PREFIX + PID + "-" + suffix (PREFIX from TemporaryPrefix). One is
// stale when the process that made it no longer exists (kill reports ESRCH)
// and it was last changed before this write made its own temporary. So a
// write still going on, in this process or any other, is never disturbed; a
// PID taken over by another process only keeps a leftover until a later
// write. Only regular files are removed.
void RemoveStaleTemporaries(const std::string &directory, const std::string &prefix,
                            const timespec &started)
{
    DIR *folder = ::opendir(directory.c_str());
    if (!folder)
        return;
    while (const dirent *entry = ::readdir(folder)) {
        const std::string_view name = entry->d_name;
        if (!name.starts_with(prefix))
            continue;
        const std::string_view rest = name.substr(prefix.size());
        long pid = 0;
        const auto [end, ec] = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
        if (ec != std::errc() || pid <= 0 || end == rest.data() + rest.size() || *end != '-')
            continue;
        if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH)
            continue;
        struct stat info
        {};
        if (::fstatat(::dirfd(folder), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0
            && S_ISREG(info.st_mode) && Before(info.st_mtim, started))
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    }
    ::closedir(folder);
}

void SyncDirectory(const std::string &directory)
{
    // Makes the rename itself durable; a failure here no longer loses data.
    const int fd = OpenRetrying(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

// A device, a pipe or a process's descriptor: opened without waiting for a
// reader, then written with every error counted.
Status WriteThrough(const std::string &path, std::string_view text, bool processDescriptor)
{
    // A regular file behind a process's descriptor is appended to: it is
    // what the shell redirected to, and > has emptied it already.
    const int fd = OpenRetrying(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC | O_NONBLOCK
                                                  | (processDescriptor ? O_APPEND : 0));
    if (fd < 0) {
        if (errno == ENXIO)
            return Diagnostic{.id = sid::PipeWithoutReader, .file = path};
        return Failure(path, errno);
    }
    Descriptor file(fd);
    struct stat info
    {};
    if (::fstat(fd, &info) != 0)
        return Failure(path, errno);
    const bool regular = S_ISREG(info.st_mode) && processDescriptor;
    if (!S_ISCHR(info.st_mode) && !S_ISFIFO(info.st_mode) && !regular)
        return Diagnostic{.id = sid::FileKindNotWritable, .file = path};
    // The reader is there: from now on a write may wait for it.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return Failure(path, errno);
    int error = S_ISFIFO(info.st_mode) ? WriteAllToPipe(fd, text) : WriteAll(fd, text);
    if (error == 0 && regular && ::fsync(fd) != 0)
        error = errno;
    if (const int closeError = file.close(); error == 0)
        error = closeError;
    return error == 0 ? Status{} : Failure(path, error);
}

// Rewrites the regular file target in place, keeping its inode (and so its
// links, owner and mode). The room for the text is reserved first, so that a
// full disk is found before a byte changes; the text is then written from
// the start, the rest cut off and the whole flushed.
Status WriteInPlace(const std::string &target, std::string_view text, const std::string &shown)
{
    const int fd = OpenRetrying(target.c_str(), O_WRONLY | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return Failure(shown, errno);
    Descriptor file(fd);
    struct stat info
    {};
    if (::fstat(fd, &info) != 0)
        return Failure(shown, errno);
    if (!S_ISREG(info.st_mode))
        return Diagnostic{.id = sid::FileKindNotWritable, .file = shown};
#if defined(__linux__)
    if (!text.empty()) {
        int reserved = -1;
        do
            reserved = ::fallocate(fd, FALLOC_FL_KEEP_SIZE, 0, static_cast<off_t>(text.size()));
        while (reserved != 0 && errno == EINTR);
        if (reserved != 0 && errno != EOPNOTSUPP && errno != ENOSYS)
            return Failure(shown, errno);
    }
#endif
    int error = WriteAll(fd, text);
    if (error == 0 && ::ftruncate(fd, static_cast<off_t>(text.size())) != 0)
        error = errno;
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (const int closeError = file.close(); error == 0)
        error = closeError;
    return error == 0 ? Status{} : Failure(shown, error);
}

// Writes target (a regular file, existing when old is given, or a new one)
// whole or not at all through a temporary file renamed over it.
Status Replace(const std::string &target, std::string_view text, const struct stat *old,
               const std::string &shown)
{
    std::string directory, name;
    SplitPath(target, directory, name);
    if (name.empty())
        return Failure(shown, EISDIR);
    const std::string prefix = TemporaryPrefix(name);
    std::string temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = Join(directory, prefix + std::to_string(::getpid()) + "-" + UniqueSuffix());
        // Never wider than the file will be: a replacement starts private.
        fd = OpenRetrying(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          old ? 0600 : 0666);
        if (fd < 0 && errno != EEXIST) {
            // A folder that takes no new file may still hold a writable file.
            if (old && (errno == EACCES || errno == EPERM || errno == EROFS))
                return WriteInPlace(target, text, shown);
            return Failure(shown, errno);
        }
    }
    if (fd < 0)
        return Failure(shown, EEXIST);
    Descriptor file(fd);

    int error = 0;
    struct stat created
    {};
    if (::fstat(fd, &created) != 0)
        error = errno;
    if (error == 0 && old) {
        // The owner and group where this process may set them (the owner
        // only as root; a group the user belongs to): best effort.
        if (::fchown(fd, old->st_uid, old->st_gid) != 0
            && ::fchown(fd, static_cast<uid_t>(-1), old->st_gid) != 0) {
        }
        // After fchown, which clears the set-user-ID and set-group-ID bits.
        if (::fchmod(fd, old->st_mode & 07777) != 0)
            error = errno;
    }
    if (error == 0)
        error = WriteAll(fd, text);
    if (error == 0 && ::fsync(fd) != 0)
        error = errno;
    if (const int closeError = file.close(); error == 0)
        error = closeError;
    if (error == 0 && ::rename(temporary.c_str(), target.c_str()) != 0)
        error = errno;
    if (error != 0) {
        ::unlink(temporary.c_str());
        return Failure(shown, error);
    }
    SyncDirectory(directory);
    RemoveStaleTemporaries(directory, prefix, created.st_mtim);
    return {};
}

} // namespace

std::string TemporaryPrefix(std::string_view fileName)
{
    std::uint32_t hash = 2166136261u; // FNV-1a
    for (const char c : fileName) {
        hash ^= static_cast<unsigned char>(c);
        hash *= 16777619u;
    }
    char hex[9];
    std::snprintf(hex, sizeof hex, "%08x", static_cast<unsigned>(hash));
    return std::string(kTemporaryStem) + hex + "-";
}

Status WriteWholeFile(const std::string &path, std::string_view text)
{
    Target target;
    if (const int error = Resolve(path, target); error != 0)
        return Failure(path, error);
    struct stat info
    {};
    if (::stat(path.c_str(), &info) != 0) {
        if (errno != ENOENT || target.processDescriptor)
            return Failure(path, errno);
        return Replace(target.path, text, nullptr, path); // a new file
    }
    if (S_ISDIR(info.st_mode))
        return Failure(path, EISDIR);
    if (S_ISCHR(info.st_mode) || S_ISFIFO(info.st_mode)
        || (S_ISREG(info.st_mode) && target.processDescriptor))
        return WriteThrough(path, text, target.processDescriptor);
    if (!S_ISREG(info.st_mode))
        return Diagnostic{.id = sid::FileKindNotWritable, .file = path};
    // A rename would part the other names of the file from the new text.
    if (info.st_nlink > 1)
        return WriteInPlace(target.path, text, path);
    return Replace(target.path, text, &info, path);
}

Status CheckOutputIsNotInput(const std::string &input, const std::string &output)
{
    struct stat in
    {
    }, out{};
    if (::stat(input.c_str(), &in) == 0 && ::stat(output.c_str(), &out) == 0 && S_ISREG(in.st_mode)
        && S_ISREG(out.st_mode) && in.st_dev == out.st_dev && in.st_ino == out.st_ino)
        return Diagnostic{.id = sid::OutputIsInput, .args = {input}, .file = output};
    return {};
}

} // namespace pos
