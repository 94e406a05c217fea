// Input files: opened once, only regular files, within their limit, and every
// refusal naming the file in words of both languages.
#include "guide/FileRead.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

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
    const std::string fifo = (dir / "fifo").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string big = (dir / "big").string();
    std::ofstream(big, std::ios::binary).close();
    fs::resize_file(big, (std::uint64_t{1} << 20) + 1); // sparse: nothing is read
    const std::string notRegular = "the file cannot be opened: not a regular file (a pipe, a "
                                   "device or a socket)";
    const std::pair<Result<std::string>, std::string> cases[] = {
        {ReadWholeFile(fifo), fifo + ": " + notRegular}, // no writer: would block for ever
        {ReadWholeFile("/dev/zero"), "/dev/zero: " + notRegular},
        {ReadWholeFile(dir.string()), dir.string() + ": the file cannot be opened: Is a directory"},
        {ReadWholeFile(big, std::uint64_t{1} << 20),
         big + ": the file is larger than 1 MiB, the limit for such files"},
    };
    for (const auto &[read, message] : cases)
        EXPECT_EQ(Why(read), message);
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

} // namespace
