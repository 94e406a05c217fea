// Writing whole files (FileIo.h): what stands at the path decides how. A
// regular file is replaced by rename, or rewritten in place where a rename
// would lose something; on POSIX systems a device or a pipe is written
// through, on Windows refused; a symbolic link leads to the file that is
// written. Every file is written in binary: the bytes of the text, as they are.
#include "guide/FileIo.h"
#include "guide/FileRead.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include "guide/WindowsFile.h"

#include <aclapi.h>
#else
#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pos {

namespace {

constexpr std::string_view kTemporaryStem = ".pos-tmp-";

// A short name that no other file is likely to have: a hash of the time and
// a counter; O_EXCL (CREATE_NEW on Windows) settles the rest.
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

} // namespace

#if !defined(_WIN32)

namespace {

constexpr int kMaxLinks = 40; // symbolic links followed before ELOOP, as the kernel does

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

#endif

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

#if defined(_WIN32)
namespace {

// What stands at a path, with its links followed.
struct Standing
{
    bool exists = false;
    win::Kind kind = win::Kind::Other;
    BY_HANDLE_FILE_INFORMATION info{};
    std::wstring finalPath; // the file at the end of any links, when it exists
};

// The path of the file an open handle is on ("\\?\C:\...").
std::wstring FinalPath(HANDLE handle)
{
    std::wstring path(32768, L'\0'); // the longest path the system has
    const DWORD n
        = ::GetFinalPathNameByHandleW(handle, path.data(), static_cast<DWORD>(path.size()), 0);
    if (n == 0 || n >= path.size())
        return {};
    path.resize(n);
    return path;
}

DWORD Look(const std::wstring &path, Standing &standing)
{
    const win::Handle handle = win::OpenToLook(path);
    if (!handle) {
        const DWORD error = ::GetLastError();
        // A named pipe whose every instance is taken is a pipe all the same.
        standing.exists = error == ERROR_PIPE_BUSY;
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PIPE_BUSY ? 0 : error;
    }
    standing.exists = true;
    if (const DWORD error = win::KindOf(handle.get(), standing.kind, standing.info))
        return error;
    if (standing.kind == win::Kind::Regular)
        standing.finalPath = FinalPath(handle.get());
    return 0;
}

Diagnostic Failure(const std::string &path, DWORD error)
{
    return win::Failure(sid::FileCannotWrite, path, error);
}

// True when path names a stream of a file ("out.il:extra"): a colon past a
// drive's ("C:"). Replacing "the file" there would replace the whole file.
bool NamesAStream(std::wstring_view path)
{
    if (path.starts_with(LR"(\\?\UNC\)"))
        path.remove_prefix(8);
    else if (path.starts_with(LR"(\\?\)") || path.starts_with(LR"(\\.\)"))
        path.remove_prefix(4);
    return path.starts_with(L':') || path.find(L':', 2) != std::wstring_view::npos;
}

// The folder part of path, with its closing separator ("" when there is
// none, "C:" for "C:name"), and the file name.
std::pair<std::wstring, std::wstring> SplitPath(const std::wstring &path)
{
    const std::size_t cut = path.find_last_of(L"/\\:");
    if (cut == std::wstring::npos)
        return {std::wstring(), path};
    return {path.substr(0, cut + 1), path.substr(cut + 1)};
}

// Runs step (0 or the error) until it succeeds, and again for about a
// second while another program seems to hold the file open: a virus scanner,
// an indexer or another run may have it open for a moment, and while any
// program has a file open it cannot be renamed over. One that holds it
// longer is then reported as holding it.
template<typename Step>
DWORD WhileNotHeld(Step step)
{
    constexpr int kAttempts = 20;
    for (int attempt = 1;; ++attempt) {
        const DWORD error = step();
        if ((error != ERROR_ACCESS_DENIED && error != ERROR_SHARING_VIOLATION)
            || attempt == kAttempts)
            return error;
        ::Sleep(50);
    }
}

// Writes all of text; 0 or the error.
DWORD WriteAll(HANDLE handle, std::string_view text)
{
    while (!text.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(text.size(), DWORD{1} << 30));
        DWORD written = 0;
        if (!::WriteFile(handle, text.data(), chunk, &written, nullptr))
            return ::GetLastError();
        if (written == 0)
            return ERROR_WRITE_FAULT;
        text.remove_prefix(written);
    }
    return 0;
}

// True while the process with this ID runs (or may: one of another user).
bool ProcessRuns(DWORD id)
{
    if (id == ::GetCurrentProcessId())
        return true;
    const win::Handle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process)
        return ::GetLastError() != ERROR_INVALID_PARAMETER; // no such process
    DWORD code = 0;
    return !::GetExitCodeProcess(process.get(), &code) || code == STILL_ACTIVE;
}

// Removes what killed writes of the same file left behind, as on POSIX
// systems: a temporary PREFIX + PID + "-" + suffix whose process has ended
// and that was last written before this write made its own. Only regular
// files are removed, never a folder or a link.
void RemoveStaleTemporaries(const std::wstring &directory, const std::wstring &prefix,
                            const FILETIME &started)
{
    WIN32_FIND_DATAW entry{};
    const std::wstring pattern = directory + prefix + L"*";
    HANDLE search = ::FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &entry,
                                       FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::wstring_view name = entry.cFileName;
        if (!name.starts_with(prefix)
            || (entry.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        std::wstring_view rest = name.substr(prefix.size());
        std::uint64_t pid = 0;
        std::size_t digits = 0;
        for (; digits < rest.size() && digits < 10 && rest[digits] >= L'0' && rest[digits] <= L'9';
             ++digits)
            pid = pid * 10 + static_cast<std::uint64_t>(rest[digits] - L'0');
        if (digits == 0 || digits == rest.size() || rest[digits] != L'-' || pid == 0
            || pid > 0xFFFFFFFFu)
            continue;
        if (ProcessRuns(static_cast<DWORD>(pid))
            || ::CompareFileTime(&entry.ftLastWriteTime, &started) >= 0)
            continue;
        ::DeleteFileW((directory + std::wstring(name)).c_str());
    } while (::FindNextFileW(search, &entry));
    ::FindClose(search);
}

// Rewrites the regular file target in place, keeping the file (and so its
// other names). Others may read it meanwhile but not write it; the room for
// the text is reserved first, so that a full disk is found before a byte
// changes.
Status WriteInPlace(const std::wstring &target, std::string_view text, const std::string &shown)
{
    win::Handle file;
    if (const DWORD error = WhileNotHeld([&] {
            file
                = win::Handle(::CreateFileW(target.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
            return file ? 0 : ::GetLastError();
        }))
        return Failure(shown, error);
    win::Kind kind = win::Kind::Other;
    BY_HANDLE_FILE_INFORMATION info{};
    if (const DWORD error = win::KindOf(file.get(), kind, info))
        return Failure(shown, error);
    if (kind != win::Kind::Regular)
        return Diagnostic{
            .id = sid::FileCannotWrite, .args = {TextId{sid::FileNotRegular}}, .file = shown};
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    if (text.size() > size) {
        // Never below the file's size: a smaller allocation would cut it.
        FILE_ALLOCATION_INFO room{};
        room.AllocationSize.QuadPart = static_cast<LONGLONG>(text.size());
        if (!::SetFileInformationByHandle(file.get(), FileAllocationInfo, &room, sizeof room)) {
            const DWORD error = ::GetLastError();
            if (error != ERROR_INVALID_PARAMETER && error != ERROR_NOT_SUPPORTED
                && error != ERROR_INVALID_FUNCTION && error != ERROR_CALL_NOT_IMPLEMENTED)
                return Failure(shown, error);
        }
    }
    DWORD error = WriteAll(file.get(), text);
    if (error == 0 && !::SetEndOfFile(file.get()))
        error = ::GetLastError();
    if (error == 0 && !::FlushFileBuffers(file.get()))
        error = ::GetLastError();
    if (const DWORD closeError = file.close(); error == 0)
        error = closeError;
    return error == 0 ? Status{} : Failure(shown, error);
}

// Gives the temporary file what the old file had before a byte is written,
// so that it is never more open than the file it replaces: the old file's
// access list (DACL; the owner stays the writer's, which needs a privilege
// to change), as SetSecurityInfo merges it with what the folder passes on,
// and its plain attributes. A file system that keeps no access lists (FAT)
// gives none to copy. 0 or the error.
DWORD TakeOver(const std::wstring &target, HANDLE temporary)
{
    const win::Handle old(::CreateFileW(target.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                        win::kShareAll, nullptr, OPEN_EXISTING, 0, nullptr));
    if (!old)
        return ::GetLastError();
    PACL access = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (::GetSecurityInfo(old.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr,
                          &access, nullptr, &descriptor)
            == ERROR_SUCCESS
        && access) {
        SECURITY_DESCRIPTOR_CONTROL control = 0;
        DWORD revision = 0;
        ::GetSecurityDescriptorControl(descriptor, &control, &revision);
        const SECURITY_INFORMATION what
            = DACL_SECURITY_INFORMATION
              | ((control & SE_DACL_PROTECTED) ? PROTECTED_DACL_SECURITY_INFORMATION
                                               : UNPROTECTED_DACL_SECURITY_INFORMATION);
        const DWORD error
            = ::SetSecurityInfo(temporary, SE_FILE_OBJECT, what, nullptr, nullptr, access, nullptr);
        ::LocalFree(descriptor);
        if (error != ERROR_SUCCESS)
            return error;
    } else if (descriptor) {
        ::LocalFree(descriptor);
    }
    FILE_BASIC_INFO basic{};
    if (!::GetFileInformationByHandleEx(old.get(), FileBasicInfo, &basic, sizeof basic))
        return ::GetLastError();
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE
                            | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    FILE_BASIC_INFO attributes{}; // zero times: left as they are
    attributes.FileAttributes = (basic.FileAttributes & kKept) | FILE_ATTRIBUTE_NORMAL;
    if (!::SetFileInformationByHandle(temporary, FileBasicInfo, &attributes, sizeof attributes))
        return ::GetLastError();
    return 0;
}

// Writes target whole or not at all through a temporary file beside it,
// flushed and renamed over it by MoveFileExW with write-through (for a new
// file without replace-existing, so that nothing that appeared there
// meanwhile is replaced). A file that another program holds open without
// sharing it is refused unchanged, with the temporary file removed.
Status Replace(const std::wstring &target, std::string_view text, bool exists,
               const std::string &shown)
{
    const auto [directory, name] = SplitPath(target);
    if (name.empty())
        return SystemFailure(sid::FileCannotWrite, shown, EISDIR);
    std::wstring prefix;
    win::Widen(TemporaryPrefix(win::Narrow(name)), prefix);
    const std::wstring pid = std::to_wstring(::GetCurrentProcessId());
    std::wstring temporary;
    win::Handle file;
    for (int attempt = 0; attempt < 100 && !file; ++attempt) {
        std::wstring suffix;
        win::Widen(UniqueSuffix(), suffix);
        temporary = directory + prefix + pid + L"-" + suffix;
        file = win::Handle(::CreateFileW(temporary.c_str(),
                                         GENERIC_WRITE | WRITE_DAC | FILE_WRITE_ATTRIBUTES, 0,
                                         nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file)
            break;
        const DWORD error = ::GetLastError();
        if (error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS)
            continue;
        // A folder that takes no new file may still hold a writable file.
        if (exists && (error == ERROR_ACCESS_DENIED || error == ERROR_WRITE_PROTECT))
            return WriteInPlace(target, text, shown);
        return Failure(shown, error);
    }
    if (!file)
        return Failure(shown, ERROR_FILE_EXISTS);

    FILETIME created{};
    DWORD error = ::GetFileTime(file.get(), &created, nullptr, nullptr) ? 0 : ::GetLastError();
    if (error == 0 && exists)
        error = TakeOver(target, file.get());
    if (error == 0)
        error = WriteAll(file.get(), text);
    if (error == 0 && !::FlushFileBuffers(file.get()))
        error = ::GetLastError();
    if (const DWORD closeError = file.close(); error == 0)
        error = closeError;
    const DWORD flags = MOVEFILE_WRITE_THROUGH | (exists ? MOVEFILE_REPLACE_EXISTING : 0);
    if (error == 0)
        error = WhileNotHeld([&] {
            return ::MoveFileExW(temporary.c_str(), target.c_str(), flags) ? 0 : ::GetLastError();
        });
    if (error != 0) {
        ::DeleteFileW(temporary.c_str());
        // A rename over a file that another program holds open says "access
        // denied"; opening it for removal tells whether that is the reason.
        if (exists && error == ERROR_ACCESS_DENIED) {
            const win::Handle probe(::CreateFileW(target.c_str(), DELETE, win::kShareAll, nullptr,
                                                  OPEN_EXISTING, 0, nullptr));
            if (!probe && ::GetLastError() == ERROR_SHARING_VIOLATION)
                error = ERROR_SHARING_VIOLATION;
        }
        return Failure(shown, error);
    }
    RemoveStaleTemporaries(directory, prefix, created);
    return {};
}

} // namespace

Status WriteWholeFile(const std::string &path, std::string_view text)
{
    std::wstring wide;
    if (const DWORD error = win::SystemPath(path, wide))
        return Failure(path, error);
    if (NamesAStream(wide))
        return Failure(path, ERROR_INVALID_NAME);
    Standing standing;
    if (const DWORD error = Look(wide, standing))
        return Failure(path, error);
    if (!standing.exists)
        return Replace(wide, text, false, path); // a new file
    if (standing.kind == win::Kind::Folder)
        return SystemFailure(sid::FileCannotWrite, path, EISDIR);
    // A device (NUL, CON, COM1, also as "NUL.txt" in any folder) or a pipe is
    // not a file that could be replaced.
    if (standing.kind != win::Kind::Regular)
        return Diagnostic{
            .id = sid::FileCannotWrite, .args = {TextId{sid::FileNotRegular}}, .file = path};
    // The file at the end of any links is written; the links stay.
    const std::wstring &target = standing.finalPath.empty() ? wide : standing.finalPath;
    // A rename would part the other names of the file from the new text.
    if (standing.info.nNumberOfLinks > 1)
        return WriteInPlace(target, text, path);
    return Replace(target, text, true, path);
}

std::string RealPath(const std::string &path)
{
    std::wstring wide;
    if (win::SystemPath(path, wide) != 0)
        return {};
    const win::Handle handle = win::OpenToLook(wide);
    if (!handle)
        return {};
    std::wstring real = FinalPath(handle.get());
    if (real.empty()) {
        // Wine gives no final path longer than MAX_PATH: the absolute path
        // then, whose links cannot be resolved there anyway.
        real.resize(32768);
        const DWORD n = ::GetFullPathNameW(wide.c_str(), static_cast<DWORD>(real.size()),
                                           real.data(), nullptr);
        real.resize(n < real.size() ? n : 0);
    }
    return win::ShownPath(real);
}

Status CheckOutputIsNotInput(const std::string &input, const std::string &output)
{
    // The same file: the same volume and the same file index.
    const auto identify = [](const std::string &path, BY_HANDLE_FILE_INFORMATION &info) {
        std::wstring wide;
        win::Kind kind = win::Kind::Other;
        if (win::SystemPath(path, wide) != 0)
            return false;
        const win::Handle handle = win::OpenToLook(wide);
        return handle && win::KindOf(handle.get(), kind, info) == 0 && kind == win::Kind::Regular;
    };
    BY_HANDLE_FILE_INFORMATION in{}, out{};
    if (identify(input, in) && identify(output, out)
        && in.dwVolumeSerialNumber == out.dwVolumeSerialNumber
        && in.nFileIndexHigh == out.nFileIndexHigh && in.nFileIndexLow == out.nFileIndexLow)
        return Diagnostic{.id = sid::OutputIsInput, .args = {input}, .file = output};
    return {};
}
#else

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

std::string RealPath(const std::string &path)
{
    std::error_code error;
    std::string real = std::filesystem::canonical(path, error).string();
    return error ? std::string() : real;
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

#endif

} // namespace pos
