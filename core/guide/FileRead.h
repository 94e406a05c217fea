#pragma once

// Reading input files whole, in binary: the bytes as the file holds them. An
// input is opened once and checked on the open descriptor: a regular file, or
// (on POSIX systems) the standard input the process was given; a directory, a
// device or a pipe named by its path is refused without waiting for it. On
// Windows the path is UTF-8, opened through the wide calls, and the file may
// be written, renamed or removed by others while it is read. Every input has a size limit, checked
// before and while reading. A failure names the file; the common system reasons are texts of the
// string table, in both languages, the rest the system's own text (strerror).

#include "res/Diagnostic.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace pos {

// Configuration, project and subprogram files.
constexpr std::uint64_t kMaxTextFileBytes = std::uint64_t{64} << 20;

// A failure of the system call behind message id (50106, 50205, ...) on the
// file: the detail is the reason in words, a string-table text for the
// common errno values (ErrnoText), else the C library's text of the value.
Diagnostic SystemFailure(int id, const std::string &file, int error);
// The string-table text of an errno value, 0 when there is none.
int ErrnoText(int error);

// An input file opened for reading.
class InputFile
{
public:
    // Opens path (without blocking on a pipe) and checks what it is and how
    // large: message 50106 with the reason, or 50594 over the limit.
    static Result<InputFile> Open(const std::string &path, std::uint64_t limit);

    InputFile(InputFile &&other) noexcept;
    InputFile &operator=(InputFile &&) = delete;
    ~InputFile();

    // The size of a regular file when it was opened; 0 for standard input.
    std::uint64_t sizeHint() const { return m_size; }
    // Reads at most n bytes; 0 at the end. Refuses to read beyond the limit
    // (50594) and names the file in every failure.
    Result<std::size_t> Read(char *buffer, std::size_t n);
    // The refusal of a file that grew beyond the limit, or of one that
    // cannot be held in memory (ENOMEM).
    Diagnostic TooLarge() const;
    Diagnostic Failure(int error) const;

private:
#if defined(_WIN32)
    using Handle = void *; // a HANDLE
    static constexpr Handle kNoHandle = nullptr;
#else
    using Handle = int; // a file descriptor
    static constexpr Handle kNoHandle = -1;
#endif

    InputFile(std::string path, Handle handle, std::uint64_t size, std::uint64_t limit);

    std::string m_path;
    Handle m_handle = kNoHandle;
    std::uint64_t m_size = 0;
    std::uint64_t m_limit = 0;
    std::uint64_t m_read = 0;
};

// Reads the whole file at path, at most limit bytes.
Result<std::string> ReadWholeFile(const std::string &path, std::uint64_t limit = kMaxTextFileBytes);

} // namespace pos
