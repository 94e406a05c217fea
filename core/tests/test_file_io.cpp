// Whole files read and written whole or not at all.
#include "guide/FileIo.h"

#include <gtest/gtest.h>

#include "TestPlatform.h"

#include <csignal>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <tuple>

#if defined(_WIN32)
#include "guide/WindowsFile.h"

#include <aclapi.h>
#include <process.h>
#include <sddl.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// The ID of a process that has ended.
std::string EndedProcessId()
{
#if defined(_WIN32)
    // This program again, ended before it ran a line.
    wchar_t self[MAX_PATH];
    ::GetModuleFileNameW(nullptr, self, MAX_PATH);
    STARTUPINFOW startup{.cb = sizeof(STARTUPINFOW)};
    PROCESS_INFORMATION child{};
    if (!::CreateProcessW(self, nullptr, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                          nullptr, &startup, &child))
        return {};
    ::TerminateProcess(child.hProcess, 0);
    ::WaitForSingleObject(child.hProcess, INFINITE);
    ::CloseHandle(child.hThread);
    ::CloseHandle(child.hProcess); // the last handle: the ID is free
    return std::to_string(child.dwProcessId);
#else
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    return ::waitpid(child, nullptr, 0) == child ? std::to_string(child) : std::string();
#endif
}

// Sets the time the file was last written: long ago, or an hour ahead.
bool SetWritten(const std::string &path, bool longAgo)
{
#if defined(_WIN32)
    const HANDLE file = ::CreateFileW(test::PathOf(path).c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr,
                                      OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    FILETIME when{};
    ::GetSystemTimeAsFileTime(&when);
    ULARGE_INTEGER ticks{.LowPart = when.dwLowDateTime, .HighPart = when.dwHighDateTime};
    ticks.QuadPart = longAgo ? 116444736000000000ull // 1970
                             : ticks.QuadPart + 3600ull * 10000000ull;
    when = {ticks.LowPart, ticks.HighPart};
    const bool set = ::SetFileTime(file, nullptr, nullptr, &when) != 0;
    ::CloseHandle(file);
    return set;
#else
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    const timespec later[2] = {{UTIME_NOW, 0}, {::time(nullptr) + 3600, 0}};
    return ::utimensat(AT_FDCWD, path.c_str(), longAgo ? old : later, 0) == 0;
#endif
}

} // namespace

// Every byte as it is, CR, LF and Ctrl-Z among them: no system's text mode
// changes line ends or stops at a byte.
TEST_F(FileIo, ReadsAndWritesEveryByteOrSaysWhyNot)
{
    std::string bytes;
    for (int i = 0; i < 200000; ++i)
        bytes += static_cast<char>(i % 251);
    std::ofstream(Path("a"), std::ios::binary) << bytes;
    const Result<std::string> read = ReadWholeFile(Path("a"));
    ASSERT_TRUE(read);
    EXPECT_EQ(*read, bytes);
    ASSERT_TRUE(WriteWholeFile(Path("b"), bytes));
    EXPECT_EQ(Contents(Path("b")), bytes);

    EXPECT_EQ(Why(ReadWholeFile(Path("missing")).error()),
              Path("missing") + ": the file cannot be opened: No such file or directory");
}

#if !defined(_WIN32)
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
#endif

// Temporaries that a killed write left are removed by the next write of the
// same file; those of a live process, of another file or made after this
// write began are not.
TEST_F(FileIo, NextWriteRemovesStaleTemporariesOfTheSameFile)
{
    const std::string dead = EndedProcessId(), live = std::to_string(::getpid());
    ASSERT_FALSE(dead.empty());
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
        ASSERT_TRUE(SetWritten(Path(l.name.c_str()), l.old)) << l.name;
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

#if !defined(_WIN32)
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
#endif

// Names are UTF-8 on every system; a path longer than Windows' old limit of
// 260 characters is written and read like any other.
TEST_F(FileIo, ChineseNamesAndLongPaths)
{
    const auto count = [](const std::string &folder) {
        return std::distance(fs::directory_iterator(test::PathOf(folder)), {});
    };
    const std::string folder = test::Utf8(m_dir) + "/项目";
    const std::string deep = test::Utf8(m_dir) + "/" + std::string(150, 'd');
    for (const auto &[dir, name] :
         {std::pair(folder, std::string("图纸.il")), std::pair(deep, std::string(150, 'f'))}) {
        fs::create_directory(test::PathOf(dir));
        const std::string file = dir + "/" + name;
        ASSERT_TRUE(WriteWholeFile(file, "first")) << file;
        ASSERT_TRUE(WriteWholeFile(file, "second")) << file; // replaced
        EXPECT_EQ(ReadWholeFile(file).value_or("unread"), "second");
        EXPECT_TRUE(RealPath(file).ends_with(name)) << RealPath(file);
        EXPECT_EQ(count(dir), 1) << "no temporary file left";
    }
}

#if defined(_WIN32)
namespace {

// Opens path as another program would, sharing it only as share says.
HANDLE Hold(const std::string &path, DWORD share)
{
    return ::CreateFileW(test::PathOf(path).c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, 0,
                         nullptr);
}

} // namespace

// The new text keeps what the old file had: its access list and its plain
// attributes (the Windows form of keeping owner and mode).
TEST_F(FileIo, WindowsReplaceKeepsAccessListAndAttributesAndLeavesNoTemporaryFile)
{
    ASSERT_TRUE(WriteWholeFile(Path("out"), "first"));
    const std::wstring out = test::PathOf(Path("out")).wstring();
    // Only the owner may read and write, and nothing comes from the folder.
    const auto accessList = [&out] {
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        wchar_t *text = nullptr;
        std::wstring list;
        if (::GetNamedSecurityInfoW(out.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                    nullptr, nullptr, nullptr, &descriptor)
                == ERROR_SUCCESS
            && ::ConvertSecurityDescriptorToStringSecurityDescriptorW(
                descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
            list = text;
        ::LocalFree(text);
        ::LocalFree(descriptor);
        return list;
    };
    PSECURITY_DESCRIPTOR ownerOnly = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
        L"D:P(A;;FA;;;OW)", SDDL_REVISION_1, &ownerOnly, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL list = nullptr;
    ::GetSecurityDescriptorDacl(ownerOnly, &present, &list, &defaulted);
    ASSERT_EQ(
        ::SetNamedSecurityInfoW(const_cast<wchar_t *>(out.c_str()), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, list, nullptr),
        DWORD{ERROR_SUCCESS});
    ::LocalFree(ownerOnly);
    const std::wstring before = accessList();
    ASSERT_TRUE(::SetFileAttributesW(out.c_str(), FILE_ATTRIBUTE_HIDDEN));

    ASSERT_TRUE(WriteWholeFile(Path("out"), std::string("se\0cond", 7)));
    EXPECT_EQ(Contents(Path("out")), std::string("se\0cond", 7));
    EXPECT_TRUE(::GetFileAttributesW(out.c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(Entries(), 1u);
    if (!before.starts_with(L"D:P"))
        GTEST_SKIP() << "this file system keeps no access list of a file (Wine)";
    EXPECT_EQ(accessList(), before);
}

// A file that another program holds open without letting others write or
// remove it keeps its old text, whole, and the message says what to do; a
// program that shares the file does not stand in the way.
TEST_F(FileIo, WindowsFileHeldOpenByAnotherProgramIsLeftWhole)
{
    const std::string busy = "the file cannot be written: another program has the file open; "
                             "close it there and try again";
    const struct
    {
        const char *what;
        DWORD share;
        bool hardLink; // rewritten in place
        bool written;
    } rows[] = {
        {"reading only", FILE_SHARE_READ, false, false},
        {"sharing reading and writing", FILE_SHARE_READ | FILE_SHARE_WRITE, false, false},
        {"reading only, a hard link", FILE_SHARE_READ, true, false},
        {"sharing writing, a hard link", FILE_SHARE_READ | FILE_SHARE_WRITE, true, true},
    };
    for (const auto &row : rows) {
        SCOPED_TRACE(row.what);
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
        std::ofstream(Path("held"), std::ios::binary) << "old";
        if (row.hardLink)
            fs::create_hard_link(Path("held"), Path("other name"));
        const HANDLE holder = Hold(Path("held"), row.share);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        const Status written = WriteWholeFile(Path("held"), "new");
        ::CloseHandle(holder);
        EXPECT_EQ(written ? std::string("written") : MessageText(written.error(), Lang::En),
                  row.written ? "written" : busy);
        EXPECT_EQ(Contents(Path("held")), row.written ? "new" : "old");
        EXPECT_EQ(Entries(), row.hardLink ? 2u : 1u) << "no temporary file left";
    }
}

// Devices and pipes are no files to replace: NUL (also as a name in any
// folder) and a named pipe are refused, and so is a stream of a file, whose
// replacement would replace the file. Nothing is made or changed.
TEST_F(FileIo, WindowsDevicesPipesAndStreamsAreRefused)
{
    const std::string pipe = R"(\\.\pipe\pos_fileio_)" + std::to_string(::getpid());
    const HANDLE server = ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1,
                                             0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    std::ofstream(Path("out"), std::ios::binary) << "old";
    const std::string notRegular
        = ": the file cannot be written: not a regular file (a pipe, a device or a socket)";
    const std::pair<std::string, std::string> rows[] = {
        {"NUL", "NUL" + notRegular},
        {Path("NUL"), Path("NUL") + notRegular},
        {pipe, pipe + notRegular},
        {Path("out") + ":extra",
         Path("out") + ":extra: the file cannot be written: " + win::ErrorText(ERROR_INVALID_NAME)},
    };
    for (const auto &[path, message] : rows)
        EXPECT_EQ(Why(WriteWholeFile(path, "x").error()), message);
    ::CloseHandle(server);
    EXPECT_EQ(Contents(Path("out")), "old");
    EXPECT_EQ(Entries(), 1u);
}

// A link leads to the file written, the link stays; a link that leads
// nowhere is left as it is rather than replaced by a file.
TEST_F(FileIo, WindowsSymbolicLinksAreFollowedAndKept)
{
    fs::create_directory(Path("d"));
    std::ofstream(Path("d/target"), std::ios::binary) << "old";
    if (!test::MakeSymlink("target", Path("d/link")) || !test::MakeSymlink("gone", Path("dead")))
        GTEST_SKIP() << "this system lets the test make no symbolic link";
    ASSERT_TRUE(WriteWholeFile(Path("d/link"), "text"));
    EXPECT_EQ(Contents(Path("d/target")), "text");
    EXPECT_TRUE(test::IsSymlink(Path("d/link")));

    EXPECT_FALSE(WriteWholeFile(Path("dead"), "text"));
    EXPECT_TRUE(test::IsSymlink(Path("dead")));
    EXPECT_FALSE(fs::exists(Path("gone")));
    EXPECT_EQ(Entries(), 2u);
}
#endif
