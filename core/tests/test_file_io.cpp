// Whole files read and written whole or not at all.
#include "guide/FileIo.h"

#include <gtest/gtest.h>

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
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

TEST_F(FileIo, WriteCreatesAndReplacesKeepingOwnerModeAndNoTemporaryFile)
{
    ASSERT_TRUE(WriteWholeFile(Path("out"), "first"));
    EXPECT_EQ(Contents(Path("out")), "first");
    fs::permissions(Path("out"),
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    // Only root can give a file away; others keep their own.
    const uid_t owner = ::geteuid() == 0 ? 65534 : ::geteuid();
    const gid_t group = ::geteuid() == 0 ? 65534 : ::getegid();
    ASSERT_EQ(::chown(Path("out").c_str(), owner, group), 0);
    ASSERT_TRUE(WriteWholeFile(Path("out"), std::string("se\0cond", 7)));
    EXPECT_EQ(Contents(Path("out")), std::string("se\0cond", 7));
    struct stat info
    {};
    ASSERT_EQ(::stat(Path("out").c_str(), &info), 0);
    EXPECT_EQ(std::make_tuple(info.st_mode & 07777, info.st_uid, info.st_gid),
              std::make_tuple(0640u, owner, group));
    EXPECT_EQ(Entries(), 1u);
}

// A link leads to the file written (created when it is missing), through
// relative and absolute links alike; the links stay.
TEST_F(FileIo, SymbolicLinksAreFollowedAndKept)
{
    fs::create_directory(Path("d"));
    fs::create_symlink("made", Path("d/dangling"));
    fs::create_symlink(Path("d/dangling"), Path("absolute"));
    ASSERT_TRUE(WriteWholeFile(Path("absolute"), "text"));
    EXPECT_EQ(Contents(Path("d/made")), "text");
    EXPECT_TRUE(fs::is_symlink(Path("absolute")) && fs::is_symlink(Path("d/dangling")));

    fs::create_symlink("loop", Path("loop"));
    EXPECT_EQ(Why(WriteWholeFile(Path("loop"), "x").error()),
              Path("loop") + ": the file cannot be written: Too many levels of symbolic links");
}

TEST_F(FileIo, OtherKindsOfFileAreRefused)
{
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    Path("socket").copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr *>(&address), sizeof address), 0);
    EXPECT_EQ(Why(WriteWholeFile(Path("socket"), "x").error()),
              Path("socket")
                  + ": the file cannot be written: it is neither a regular file, a "
                    "character device nor a pipe");
    ::close(fd);
    EXPECT_TRUE(fs::is_socket(Path("socket")));
}

// Temporaries that a killed write left are removed by the next write of the
// same file; those of a live process, of another file or made after this
// write began are not.
TEST_F(FileIo, NextWriteRemovesStaleTemporariesOfTheSameFile)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child); // from now on a process that is gone
    const std::string dead = std::to_string(child), live = std::to_string(::getpid());
    const std::string out = TemporaryPrefix("out");
    const struct
    {
        std::string name;
        bool old;
        bool kept;
    } leftovers[] = {
        {out + dead + "-0000beef", true, false},
        {out + live + "-0000beef", true, true},
        {TemporaryPrefix("other") + dead + "-0000beef", true, true},
        {out + dead + "-0000cafe", false, true},
    };
    for (const auto &l : leftovers) {
        std::ofstream(Path(l.name.c_str())) << "a whole copy";
        const timespec old[2] = {{1000, 0}, {1000, 0}};
        const timespec later[2] = {{UTIME_NOW, 0}, {::time(nullptr) + 3600, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, Path(l.name.c_str()).c_str(), l.old ? old : later, 0), 0);
    }
    ASSERT_TRUE(WriteWholeFile(Path("out"), "text"));
    for (const auto &l : leftovers)
        EXPECT_EQ(fs::exists(Path(l.name.c_str())), l.kept) << l.name;
    EXPECT_EQ(Contents(Path("out")), "text");
}

TEST_F(FileIo, RefusedWritesCreateNothingAndReplaceNothing)
{
    fs::create_directories(Path("d"));
    const Status directory = WriteWholeFile(Path("d"), "x");
    ASSERT_FALSE(directory);
    EXPECT_EQ(Why(directory.error()), Path("d") + ": the file cannot be written: Is a directory");
    EXPECT_EQ(MessageText(WriteWholeFile(Path("no/such/out"), "x").error(), Lang::Zh),
              "无法写入文件：文件或目录不存在");
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
    EXPECT_EQ(MessageText(written.error(), Lang::En), "the file cannot be written: File too large");
    EXPECT_EQ(Contents(Path("keep")), "old contents");
    EXPECT_EQ(Entries(), 1u);
}
