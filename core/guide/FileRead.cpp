#include "guide/FileRead.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <system_error>
#include <utility>

#if defined(_WIN32)
#include "guide/WindowsFile.h"
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace pos {

int ErrnoText(int error)
{
    switch (error) {
    case ENOENT:
        return sid::ErrNoEntry;
    case EACCES:
    case EPERM:
        return sid::ErrAccess;
    case ENOSPC:
        return sid::ErrNoSpace;
    case EISDIR:
        return sid::ErrIsDirectory;
    case EFBIG:
        return sid::ErrTooLarge;
    case EROFS:
        return sid::ErrReadOnly;
    case ENOMEM:
        return sid::ErrNoMemory;
    default:
        return 0;
    }
}

Diagnostic SystemFailure(int id, const std::string &file, int error)
{
    Diagnostic d{.id = id, .file = file};
    if (const int text = ErrnoText(error))
        d.args.emplace_back(TextId{text});
    else
        d.detail = std::generic_category().message(error);
    return d;
}

namespace {

// "64 MiB", "1 GiB": limits are whole mebibytes.
std::string LimitText(std::uint64_t limit)
{
    if (limit % (std::uint64_t{1} << 30) == 0)
        return std::to_string(limit >> 30) + " GiB";
    if (limit % (std::uint64_t{1} << 20) == 0)
        return std::to_string(limit >> 20) + " MiB";
    return std::to_string(limit) + " B";
}

#if !defined(_WIN32)
// True when the open file is the standard input this process was given.
bool IsStandardInput(const struct stat &info)
{
    struct stat input
    {};
    return ::fstat(STDIN_FILENO, &input) == 0 && input.st_dev == info.st_dev
           && input.st_ino == info.st_ino;
}
#endif

} // namespace

InputFile::InputFile(std::string path, Handle handle, std::uint64_t size, std::uint64_t limit)
    : m_path(std::move(path))
    , m_handle(handle)
    , m_size(size)
    , m_limit(limit)
{}

InputFile::InputFile(InputFile &&other) noexcept
    : m_path(std::move(other.m_path))
    , m_handle(std::exchange(other.m_handle, kNoHandle))
    , m_size(other.m_size)
    , m_limit(other.m_limit)
    , m_read(other.m_read)
{}

InputFile::~InputFile()
{
#if defined(_WIN32)
    if (m_handle != kNoHandle)
        ::CloseHandle(m_handle);
#else
    if (m_handle >= 0)
        ::close(m_handle);
#endif
}

Diagnostic InputFile::Failure(int error) const
{
    return SystemFailure(sid::FileCannotOpen, m_path, error);
}

Diagnostic InputFile::TooLarge() const
{
    return Diagnostic{.id = sid::FileOverLimit, .args = {LimitText(m_limit)}, .file = m_path};
}

#if defined(_WIN32)
Result<InputFile> InputFile::Open(const std::string &path, std::uint64_t limit)
{
    std::wstring wide;
    if (const DWORD error = win::SystemPath(path, wide))
        return win::Failure(sid::FileCannotOpen, path, error);
    // A folder opens too (FILE_FLAG_BACKUP_SEMANTICS), to be refused as one;
    // a device or a pipe is refused before anything is read from it.
    win::Handle handle(::CreateFileW(wide.c_str(), GENERIC_READ, win::kShareAll, nullptr,
                                     OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!handle) {
        const DWORD error = ::GetLastError();
        if (error != ERROR_PIPE_BUSY) // a pipe whose every instance is taken
            return win::Failure(sid::FileCannotOpen, path, error);
    }
    win::Kind kind = win::Kind::Other;
    BY_HANDLE_FILE_INFORMATION info{};
    if (handle) {
        if (const DWORD error = win::KindOf(handle.get(), kind, info))
            return win::Failure(sid::FileCannotOpen, path, error);
    }
    if (kind == win::Kind::Folder)
        return SystemFailure(sid::FileCannotOpen, path, EISDIR);
    if (kind != win::Kind::Regular)
        return Diagnostic{
            .id = sid::FileCannotOpen, .args = {TextId{sid::FileNotRegular}}, .file = path};
    const std::uint64_t size = (std::uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow;
    InputFile file(path, handle.release(), size, limit);
    if (size > limit)
        return file.TooLarge();
    return file;
}

Result<std::size_t> InputFile::Read(char *buffer, std::size_t n)
{
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(n, DWORD{1} << 30));
    if (!::ReadFile(m_handle, buffer, wanted, &got, nullptr))
        return win::Failure(sid::FileCannotOpen, m_path, ::GetLastError());
    m_read += got;
    if (m_read > m_limit)
        return TooLarge();
    return std::size_t{got};
}
#else
Result<InputFile> InputFile::Open(const std::string &path, std::uint64_t limit)
{
    int fd = -1;
    do
        fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    while (fd < 0 && errno == EINTR);
    if (fd < 0)
        return SystemFailure(sid::FileCannotOpen, path, errno);
    InputFile file(path, fd, 0, limit);
    struct stat info
    {};
    if (::fstat(fd, &info) != 0)
        return file.Failure(errno);
    if (S_ISDIR(info.st_mode))
        return file.Failure(EISDIR);
    if (S_ISREG(info.st_mode)) {
        file.m_size = static_cast<std::uint64_t>(info.st_size);
        if (file.m_size > limit)
            return file.TooLarge();
    } else if (!IsStandardInput(info)) {
        return Diagnostic{
            .id = sid::FileCannotOpen, .args = {TextId{sid::FileNotRegular}}, .file = path};
    }
    // Standard input is read as it comes, blocking.
    const int flags = ::fcntl(fd, F_GETFL);
    if (flags < 0 || ::fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) != 0)
        return file.Failure(errno);
    return file;
}

Result<std::size_t> InputFile::Read(char *buffer, std::size_t n)
{
    for (;;) {
        const ssize_t got = ::read(m_handle, buffer, n);
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return Failure(errno);
        }
        m_read += static_cast<std::uint64_t>(got);
        if (m_read > m_limit)
            return TooLarge();
        return static_cast<std::size_t>(got);
    }
}
#endif

Result<std::string> ReadWholeFile(const std::string &path, std::uint64_t limit)
{
    Result<InputFile> file = InputFile::Open(path, limit);
    if (!file)
        return std::move(file.error());
    std::string text;
    try {
        if (file->sizeHint() > 0)
            text.reserve(static_cast<std::size_t>(file->sizeHint()));
        char buffer[1 << 16];
        for (;;) {
            const Result<std::size_t> n = file->Read(buffer, sizeof buffer);
            if (!n)
                return n.error();
            if (*n == 0)
                break;
            text.append(buffer, *n);
        }
    } catch (const std::bad_alloc &) {
        return file->Failure(ENOMEM);
    }
    return text;
}

} // namespace pos
