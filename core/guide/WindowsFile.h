#pragma once

// What the Windows branches of the file code share (FileRead.cpp,
// FileWrite.cpp, FileLock.cpp). Paths are UTF-8 in the program and UTF-16 on
// the system's wide calls; the system's error codes (GetLastError) are put
// into the words of the string table where it has them. Windows only.

#if defined(_WIN32)

#include "res/Diagnostic.h"

#include <string>
#include <string_view>
#include <utility>

#include <windows.h>

namespace pos::win {

// The UTF-16 form of UTF-8 text; false when the text is not UTF-8.
bool Widen(std::string_view utf8, std::wstring &wide);
// The UTF-8 form of UTF-16 text; an unpaired surrogate becomes U+FFFD.
std::string Narrow(std::wstring_view wide);

// The path for the wide calls: 0, or the error when the path is not UTF-8
// or cannot be made absolute. A path longer than MAX_PATH is made absolute
// and given the prefix "\\?\" ("\\?\UNC\" for a share), which lifts the
// limit; a shorter one is passed as it is, relative or not.
DWORD SystemPath(const std::string &path, std::wstring &wide);

// The path a user reads for a path of the system ("\\?\C:\x" is "C:\x").
std::string ShownPath(std::wstring_view path);

// The system's text of an error, in UTF-8, without the closing line break.
std::string ErrorText(DWORD error);

// The common reasons of the string table for an error: the errno value whose
// text says it (ErrnoText), or 0.
int ErrnoOf(DWORD error);

// A failure of the system call behind message id on file, as SystemFailure
// gives it for an errno value: the string table's text for the common
// reasons, 50700 for a file that another program holds open without sharing
// it, else the system's own text.
Diagnostic Failure(int id, const std::string &file, DWORD error);

// Closes a handle on every way out. Holds no handle when CreateFileW failed.
class Handle
{
public:
    Handle() = default;
    explicit Handle(HANDLE handle)
        : m_handle(handle == INVALID_HANDLE_VALUE ? nullptr : handle)
    {}
    ~Handle() { close(); }
    Handle(Handle &&other) noexcept
        : m_handle(std::exchange(other.m_handle, nullptr))
    {}
    Handle &operator=(Handle &&other) noexcept
    {
        if (this != &other) {
            close();
            m_handle = std::exchange(other.m_handle, nullptr);
        }
        return *this;
    }
    Handle(const Handle &) = delete;
    Handle &operator=(const Handle &) = delete;

    explicit operator bool() const { return m_handle != nullptr; }
    HANDLE get() const { return m_handle; }
    HANDLE release() { return std::exchange(m_handle, nullptr); }
    // Closes now; 0 or the error of CloseHandle.
    DWORD close()
    {
        if (!m_handle)
            return 0;
        const BOOL closed = ::CloseHandle(std::exchange(m_handle, nullptr));
        return closed ? 0 : ::GetLastError();
    }

private:
    HANDLE m_handle = nullptr;
};

// Every sharing a reader allows others: reading, writing, deleting and
// renaming the file while it is open.
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Opens what stands at path (links followed) only to look at it: no access
// to the data, every sharing allowed, a folder too.
Handle OpenToLook(const std::wstring &path);

// The file of an open handle: a regular file (a file on a disk that is no
// folder), a folder, or something else (a device such as NUL, a pipe).
enum class Kind { Other, Regular, Folder };
// 0 or the error; info is filled for a regular file or a folder.
DWORD KindOf(HANDLE handle, Kind &kind, BY_HANDLE_FILE_INFORMATION &info);

} // namespace pos::win

#endif
