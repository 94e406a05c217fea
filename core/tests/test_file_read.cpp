// Input files: opened once, only regular files, within their limit, and every
// refusal naming the file in words of both languages.
#include "guide/FileRead.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <vector>

#if defined(_WIN32)
#include "guide/WindowsFile.h"

#include <process.h>
#else
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace pos;
namespace fs = std::filesystem;

namespace {

std::string Why(const Result<std::string> &read, Lang lang = Lang::En)
{
    return read ? std::string("read") : read.error().file + ": " + Describe(read.error(), lang);
}

TEST(FileRead, RefusesWhatIsNotARegularFileWithoutWaiting)
{
    const fs::path dir = fs::temp_directory_path() / ("pos_fileread_" + std::to_string(::getpid()));
    fs::create_directories(dir);
    const std::string big = (dir / "big").string();
    std::ofstream(big, std::ios::binary).close();
    fs::resize_file(big, (std::uint64_t{1} << 20) + 1); // sparse: nothing is read
    const std::string notRegular = "the file cannot be opened: not a regular file (a pipe, a "
                                   "device or a socket)";
#if defined(_WIN32)
    // A pipe whose server never writes, and the null device, also as a file
    // name in a folder.
    const std::string pipe = R"(\\.\pipe\pos_fileread_)" + std::to_string(::getpid());
    const HANDLE server = ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_OUTBOUND, PIPE_TYPE_BYTE, 1,
                                             0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    const std::vector<std::string> devices = {pipe, "NUL", (dir / "NUL").string()};
#else
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    // A pipe without a writer would block for ever.
    const std::vector<std::string> devices = {fifo, "/dev/zero"};
#endif
    for (const std::string &device : devices)
        EXPECT_EQ(Why(ReadWholeFile(device)), device + ": " + notRegular);
    const std::pair<Result<std::string>, std::string> cases[] = {
        {ReadWholeFile(dir.string()), dir.string() + ": the file cannot be opened: Is a directory"},
        {ReadWholeFile(big, std::uint64_t{1} << 20),
         big + ": the file is larger than 1 MiB, the limit for such files"},
    };
    for (const auto &[read, message] : cases)
        EXPECT_EQ(Why(read), message);
#if defined(_WIN32)
    ::CloseHandle(server);
#endif
    fs::resize_file(big, std::uint64_t{1} << 20); // at the limit: read
    EXPECT_EQ(ReadWholeFile(big, std::uint64_t{1} << 20).value().size(), std::size_t{1} << 20);
    EXPECT_EQ(Why(ReadWholeFile(big, 1000)),
              big + ": the file is larger than 1000 B, the limit for such files");
    fs::remove_all(dir);
}

TEST(FileRead, CommonSystemReasonsInBothLanguages)
{
    EXPECT_EQ(Why(ReadWholeFile("/no/such/file"), Lang::Zh),
              "/no/such/file: 无法打开文件：文件或目录不存在");
    const std::pair<int, std::string> reasons[] = {
        {ENOENT, "文件或目录不存在"}, {EACCES, "权限不足"}, {ENOSPC, "设备上没有剩余空间"},
        {EISDIR, "是一个目录"},       {EFBIG, "文件过大"},  {EROFS, "文件系统为只读"},
        {ENOMEM, "内存不足"},
    };
    for (const auto &[error, zh] : reasons)
        EXPECT_EQ(Describe(SystemFailure(sid::FileCannotWrite, "f", error), Lang::Zh),
                  "无法写入文件：" + zh);
    const Diagnostic other = SystemFailure(sid::FileCannotOpen, "f", EIO);
    EXPECT_EQ(other.detail, "Input/output error");
    EXPECT_EQ(other.file, "f");
}

#if defined(_WIN32)
// Paths cross to the system as UTF-16 and come back as UTF-8; the system's
// errors read as the same reasons as on POSIX systems.
TEST(WindowsFile, PathsAndReasons)
{
    const std::pair<std::string, std::wstring> texts[] = {
        {"", L""},
        {"plain.json", L"plain.json"},
        {"项目/图纸.dxf", L"\u9879\u76ee/\u56fe\u7eb8.dxf"},
        {"\xf0\x9f\x93\x90", L"\U0001F4D0"}, // beyond the BMP: a surrogate pair
    };
    for (const auto &[utf8, utf16] : texts) {
        std::wstring wide;
        EXPECT_TRUE(win::Widen(utf8, wide)) << utf8;
        EXPECT_EQ(wide, utf16) << utf8;
        EXPECT_EQ(win::Narrow(wide), utf8);
    }
    std::wstring wide;
    for (const char *bad : {"\xff", "a\xc3", "\xed\xa0\x80"}) // not UTF-8; an encoded surrogate
        EXPECT_FALSE(win::Widen(bad, wide)) << bad;
    EXPECT_EQ(win::Narrow(L"a\xd800z"), "a\xef\xbf\xbdz") << "an unpaired surrogate";

    // A long path is made absolute behind "\\?\"; a short one stays as given.
    const std::string name(300, 'n');
    const std::wstring wideName(300, L'n');
    const std::pair<std::string, std::wstring> paths[] = {
        {"a/b", L"a/b"},
        {R"(C:\)" + name, LR"(\\?\C:\)" + wideName},
        {R"(\\server\share\)" + name, LR"(\\?\UNC\server\share\)" + wideName},
        {R"(\\?\C:\)" + name, LR"(\\?\C:\)" + wideName},
    };
    for (const auto &[path, system] : paths) {
        ASSERT_EQ(win::SystemPath(path, wide), 0u) << path;
        EXPECT_EQ(wide, system) << path;
    }
    EXPECT_EQ(win::SystemPath("\xff", wide), DWORD{ERROR_NO_UNICODE_TRANSLATION});
    EXPECT_EQ(win::ShownPath(LR"(\\?\C:\x)"), R"(C:\x)");
    EXPECT_EQ(win::ShownPath(LR"(\\?\UNC\server\share)"), R"(\\server\share)");

    const std::pair<DWORD, std::string> reasons[] = {
        {ERROR_FILE_NOT_FOUND, "文件或目录不存在"},
        {ERROR_PATH_NOT_FOUND, "文件或目录不存在"},
        {ERROR_ACCESS_DENIED, "权限不足"},
        {ERROR_DISK_FULL, "设备上没有剩余空间"},
        {ERROR_SHARING_VIOLATION, "另一个程序正在使用该文件；请在那里关闭它后重试"},
        {ERROR_LOCK_VIOLATION, "另一个程序正在使用该文件；请在那里关闭它后重试"},
    };
    for (const auto &[error, zh] : reasons)
        EXPECT_EQ(Describe(win::Failure(sid::FileCannotWrite, "f", error), Lang::Zh),
                  "无法写入文件：" + zh)
            << error;
    const Diagnostic other = win::Failure(sid::FileCannotOpen, "f", ERROR_INVALID_NAME);
    EXPECT_EQ(other.detail, win::ErrorText(ERROR_INVALID_NAME));
    EXPECT_FALSE(other.detail.empty() || other.detail.ends_with('\n'));
}
#endif

} // namespace
