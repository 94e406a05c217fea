#include "guide/WindowsFile.h"

#include "guide/FileRead.h"

#include <cerrno>
#include <limits>

namespace pos::win {

bool Widen(std::string_view utf8, std::wstring &wide)
{
    wide.clear();
    if (utf8.empty())
        return true;
    if (utf8.size() > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return false;
    const int size = static_cast<int>(utf8.size());
    const int n
        = ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
    if (n <= 0)
        return false;
    wide.resize(static_cast<std::size_t>(n));
    return ::MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, wide.data(), n)
           == n;
}

std::string Narrow(std::wstring_view wide)
{
    if (wide.empty() || wide.size() > static_cast<std::size_t>(std::numeric_limits<int>::max() / 3))
        return {};
    const int size = static_cast<int>(wide.size());
    const int n
        = ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0)
        return {};
    std::string utf8(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, wide.data(), size, utf8.data(), n, nullptr, nullptr);
    return utf8;
}

DWORD SystemPath(const std::string &path, std::wstring &wide)
{
    if (!Widen(path, wide))
        return ERROR_NO_UNICODE_TRANSLATION;
    // Leave room for the temporary file's name beside the file.
    if (wide.size() < MAX_PATH - 40 || wide.starts_with(LR"(\\?\)"))
        return 0;
    const DWORD n = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (n == 0)
        return ::GetLastError();
    std::wstring full(n, L'\0');
    const DWORD written = ::GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
    if (written == 0 || written >= n)
        return written == 0 ? ::GetLastError() : ERROR_BUFFER_OVERFLOW;
    full.resize(written);
    if (full.starts_with(LR"(\\.\)") || full.starts_with(LR"(\\?\)"))
        wide = std::move(full); // a device path: taken as it is
    else if (full.starts_with(LR"(\\)"))
        wide = LR"(\\?\UNC\)" + full.substr(2);
    else
        wide = LR"(\\?\)" + full;
    return 0;
}

std::string ShownPath(std::wstring_view path)
{
    if (path.starts_with(LR"(\\?\UNC\)"))
        return "\\\\" + Narrow(path.substr(8));
    // "\\?\C:\..." only: other "\\?\" paths (volume names) stay as they are.
    if (path.starts_with(LR"(\\?\)") && path.size() >= 7 && path[5] == L':' && path[6] == L'\\')
        return Narrow(path.substr(4));
    return Narrow(path);
}

std::string ErrorText(DWORD error)
{
    wchar_t *buffer = nullptr;
    const DWORD n = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, error, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::wstring_view text(buffer, buffer ? n : 0);
    while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' '))
        text.remove_suffix(1);
    std::string utf8 = text.empty() ? "error " + std::to_string(error) : Narrow(text);
    ::LocalFree(buffer);
    return utf8;
}

int ErrnoOf(DWORD error)
{
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_BAD_NETPATH:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
        return EACCES;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILE_TOO_LARGE:
        return EFBIG;
    case ERROR_WRITE_PROTECT:
        return EROFS;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    default:
        return 0;
    }
}

Diagnostic Failure(int id, const std::string &file, DWORD error)
{
    switch (error) {
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
        return Diagnostic{.id = id, .args = {TextId{sid::ErrInUse}}, .file = file};
    default:
        break;
    }
    if (const int known = ErrnoOf(error))
        return SystemFailure(id, file, known);
    return Diagnostic{.id = id, .detail = ErrorText(error), .file = file};
}

Handle OpenToLook(const std::wstring &path)
{
    return Handle(::CreateFileW(path.c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS, nullptr));
}

DWORD KindOf(HANDLE handle, Kind &kind, BY_HANDLE_FILE_INFORMATION &info)
{
    kind = Kind::Other;
    if (::GetFileType(handle) != FILE_TYPE_DISK)
        return 0;
    if (!::GetFileInformationByHandle(handle, &info))
        return ::GetLastError();
    kind = (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? Kind::Folder : Kind::Regular;
    return 0;
}

} // namespace pos::win
