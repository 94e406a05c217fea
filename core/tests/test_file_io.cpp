// Whole files read and written whole or not at all.
#include "guide/FileIo.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <sys/resource.h>
#include <unistd.h>

using namespace pos;
namespace fs = std::filesystem;

namespace {

class FileIo : public ::testing::Test
{
protected:
    void SetUp() override
    {
        m_dir = fs::temp_directory_path()
                / ("pos_fileio_" + std::to_string(::getpid()) + "_"
                   + ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    std::string Path(const char *name) const { return (m_dir / name).string(); }
    std::size_t Entries() const
    {
        return static_cast<std::size_t>(
            std::distance(fs::directory_iterator(m_dir), fs::directory_iterator()));
    }
    static std::string Contents(const std::string &path)
    {
        std::ifstream in(path, std::ios::binary);
        std::ostringstream s;
        s << in.rdbuf();
        return s.str();
    }

    fs::path m_dir;
};

// The reason of a failure, with the file it names.
std::string Why(const Diagnostic &d)
{
    return d.file + ": " + Describe(d, Lang::En);
}

} // namespace

TEST_F(FileIo, ReadsEveryByteOrSaysWhyNot)
{
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>(i % 251);
    std::ofstream(Path("a"), std::ios::binary) << bytes;
    const Result<std::string> read = ReadWholeFile(Path("a"));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, bytes);

    EXPECT_EQ(Why(ReadWholeFile(Path("missing")).error()),
              Path("missing") + ": the file cannot be opened: No such file or directory");
}

TEST_F(FileIo, WriteCreatesAndReplacesKeepingTheModeAndNoTemporaryFile)
{
    ASSERT_TRUE(WriteWholeFile(Path("out"), "first"));
    EXPECT_EQ(Contents(Path("out")), "first");
    fs::permissions(Path("out"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    ASSERT_TRUE(WriteWholeFile(Path("out"), std::string("se\0cond", 7)));
    EXPECT_EQ(Contents(Path("out")), std::string("se\0cond", 7));
    EXPECT_EQ(fs::status(Path("out")).permissions(),
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(Entries(), 1u);
}

TEST_F(FileIo, RefusedWritesCreateNothingAndReplaceNothing)
{
    fs::create_directories(Path("d"));
    const Status directory = WriteWholeFile(Path("d"), "x");
    ASSERT_FALSE(directory);
    EXPECT_EQ(Why(directory.error()), Path("d") + ": the file cannot be written: Is a directory");
    EXPECT_EQ(WriteWholeFile(Path("no/such/out"), "x").error().detail, "No such file or directory");
    EXPECT_TRUE(fs::is_directory(Path("d")));
    EXPECT_EQ(Entries(), 1u);
}

// A write that fails halfway (here at the file size limit) leaves the old
// file as it was and no temporary file behind.
TEST_F(FileIo, FailedWriteLeavesTheOldFileUntouched)
{
    std::ofstream(Path("keep")) << "old contents";
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 4096;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const Status written = WriteWholeFile(Path("keep"), std::string(100000, 'x'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    ASSERT_FALSE(written);
    EXPECT_EQ(written.error().detail, "File too large");
    EXPECT_EQ(Contents(Path("keep")), "old contents");
    EXPECT_EQ(Entries(), 1u);
}
