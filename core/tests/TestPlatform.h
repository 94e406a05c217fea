#pragma once

// What the tests need of the system and spell differently on POSIX systems
// and on Windows: the environment, links, and paths in UTF-8.

#include <filesystem>
#include <string>
#include <string_view>

#if defined(_WIN32)
#include <stdlib.h>
#include <windows.h>
#else
#include <stdlib.h>
#endif

namespace pos::test {

// Sets a variable of the process environment; an empty value removes it on
// Windows, which reads the same as an empty one here.
inline void SetEnv(const char *name, const char *value)
{
#if defined(_WIN32)
    ::_putenv_s(name, value);
#else
    ::setenv(name, value, 1);
#endif
}

// A path from UTF-8 text, and back: on Windows std::filesystem takes a
// std::string in the ANSI code page, which cannot spell every name.
inline std::filesystem::path PathOf(std::string_view utf8)
{
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}
inline std::string Utf8(const std::filesystem::path &path)
{
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

inline bool IsSymlink(const std::string &path)
{
#if defined(_WIN32)
    const DWORD attributes = ::GetFileAttributesW(PathOf(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
#else
    return std::filesystem::is_symlink(path);
#endif
}

// Makes link a symbolic link to target (relative to the link's folder);
// false when the system makes none: Windows without the privilege or
// developer mode, and Wine, whose CreateSymbolicLinkW says yes and makes
// nothing.
inline bool MakeSymlink(const std::string &target, const std::string &link)
{
#if defined(_WIN32)
    // libstdc++ has no create_symlink for Windows.
    return ::CreateSymbolicLinkW(PathOf(link).c_str(), PathOf(target).make_preferred().c_str(),
                                 SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE)
           && IsSymlink(link);
#else
    std::error_code error;
    std::filesystem::create_symlink(target, link, error);
    return !error;
#endif
}

} // namespace pos::test
