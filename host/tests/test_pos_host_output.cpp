// Where -o leads: each kind of file the output path may name, with what
// stands there afterwards and the exit status.

#include "PosHostTest.h"

#include <cerrno>
#include <chrono>
#include <functional>
#include <thread>

#if defined(_WIN32)
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#endif

namespace pos::test {
namespace {

namespace fs = std::filesystem;

const std::string kData = POS_TEST_DATA_DIR;
const std::string kExampleJson = kData + "/../examples/worked_example.json";
const std::string kExampleIl = kData + "/../examples/worked_example.il";

#if !defined(_WIN32)
// Runs the command in a child process as the user nobody, for a folder that
// root could write into all the same; the exit status, or -1 when the child
// cannot become nobody.
int RunAsNobody(const std::vector<std::string> &args)
{
    const pid_t child = ::fork();
    if (child == 0) {
        if (::setgid(65534) != 0 || ::setuid(65534) != 0)
            ::_exit(99);
        ::_exit(std::get<0>(RunCommand(args)));
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) != 99 ? WEXITSTATUS(status) : -1;
}
#endif

struct Row
{
    const char *what;
    std::function<void()> setUp;
    std::vector<std::string> args;
    int status;
    std::string err;                    // expected on stderr
    std::function<std::string()> state; // what stands there afterwards
    std::string expected;
    bool readOnlyFolder = false;
    const char *unavailable = nullptr; // why the machine cannot set the row up
};

TEST_F(PosHostTest, OutputPathsKeepWhatStandsThereAndReportEveryFailure)
{
    const std::string text = Read(kExampleIl);
    const std::string dxf = "0\nSECTION\n2\nENTITIES\n0\nLINE\n10\n0\n20\n0\n11\n10\n21\n0\n"
                            "0\nENDSEC\n0\nEOF\n";
    const std::string longName(250, 'n');
    const auto generate = [](const std::string &out) {
        return std::vector<std::string>{"generate", kExampleJson, "-o", out};
    };
    // Links are made where the system lets the test make them (not Wine).
    const char *noLinks = MakeSymlink("probe", "probe-link") ? nullptr
                                                             : "this system makes no symbolic "
                                                               "links";
    std::filesystem::remove("probe-link");
    const std::string notRegular
        = ": the file cannot be written: not a regular file (a pipe, a device or a socket)\n";

    std::vector<Row> rows = {
        {"regular file", [] { Write("out", "old"); }, generate("out"), 0, "out written\n",
         [] { return Read("out"); }, text},
        {"missing folder", [] {}, generate("no/such/out"), 1,
         "no/such/out: the file cannot be written: No such file or directory\n",
         [] { return std::to_string(fs::exists("no")); }, "0"},
        {"folder", [] { fs::create_directory("dir"); }, generate("dir"), 1,
         "dir: the file cannot be written: Is a directory\n",
         [] { return std::to_string(fs::is_directory("dir")); }, "1"},
        {"relative symlink in a folder",
         [] {
             fs::create_directory("sub");
             Write("sub/target", "old");
             MakeSymlink("target", "sub/link");
         },
         generate("sub/link"), 0, "sub/link written\n",
         [] { return std::to_string(IsSymlink("sub/link")) + Read("sub/target"); }, "1" + text,
         false, noLinks},
        {"hard link",
         [] {
             Write("a", "old");
             fs::create_hard_link("a", "b");
         },
         generate("a"), 0, "a written\n", [] { return Read("a") + Read("b"); }, text + text},
        {"input by another spelling",
         [] { Write("in.json", Read(kExampleJson)); },
         {"generate", "in.json", "-o", "./in.json"},
         1,
         "./in.json: this is the input file in.json; the output must go to another file\n",
         [] { return Read("in.json"); },
         Read(kExampleJson)},
        {"input through a symlink",
         [&] {
             Write("d.dxf", dxf);
             MakeSymlink("d.dxf", "l.dxf");
         },
         {"import-dxf", "d.dxf", "--arrange", "-o", "l.dxf"},
         1,
         "l.dxf: this is the input file d.dxf; the output must go to another file\n",
         [] { return Read("d.dxf"); },
         dxf,
         false,
         noLinks},
        {"input by the same path",
         [&] { Write("in.il", text); },
         {"decode", "in.il", "-o", "in.il"},
         1,
         "in.il: this is the input file in.il; the output must go to another file\n",
         [] { return Read("in.il"); },
         text},
        {"250-character name", [] {}, generate(longName), 0, longName + " written\n",
         [&] { return Read(longName); }, text},
        {"Chinese folder", [] { fs::create_directory(PathOf("输出")); }, generate("输出/子程序.il"),
         0, "输出/子程序.il written\n", [] { return Read("输出/子程序.il"); }, text},
    };

#if defined(_WIN32)
    // Another program holds the file open, sharing it for reading only; a
    // named pipe that a program serves; the null device.
    HANDLE holder = INVALID_HANDLE_VALUE;
    const std::string pipe = R"(\\.\pipe\pos_host_output_)" + std::to_string(::getpid());
    const HANDLE server = ::CreateNamedPipeA(pipe.c_str(), PIPE_ACCESS_INBOUND, PIPE_TYPE_BYTE, 1,
                                             0, 0, 0, nullptr);
    ASSERT_NE(server, INVALID_HANDLE_VALUE);
    rows.insert(
        rows.end(),
        {
            {"held open by another program",
             [&] {
                 Write("held", "old");
                 holder = ::CreateFileW(PathOf("held").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                        nullptr, OPEN_EXISTING, 0, nullptr);
             },
             generate("held"), 1,
             "held: the file cannot be written: another program has the file open; close it "
             "there and try again\n",
             [&] {
                 ::CloseHandle(holder);
                 return Read("held");
             },
             "old"},
            {"NUL", [] {}, generate("NUL"), 1, "NUL" + notRegular, [] { return ""; }, ""},
            {"named pipe", [] {}, generate(pipe), 1, pipe + notRegular, [] { return ""; }, ""},
        });
#else
    const auto fileType = [](const std::string &path) {
        const fs::file_type type = fs::symlink_status(path).type();
        return type == fs::file_type::character ? "device"
               : type == fs::file_type::fifo    ? "fifo"
                                                : "other";
    };

    // A faulty writer run by root would replace the machine's own /dev/null:
    // root gets device nodes of its own (the same devices) instead.
    const bool root = ::geteuid() == 0;
    const std::string null = root ? "null" : "/dev/null", full = root ? "full" : "/dev/full";
    const char *noDevices = nullptr;
    if (root) {
        const int fd = ::mknod("null", S_IFCHR | 0666, ::makedev(1, 3)) == 0
                               && ::mknod("full", S_IFCHR | 0666, ::makedev(1, 7)) == 0
                           ? ::open("null", O_WRONLY)
                           : -1;
        if (fd < 0)
            noDevices = "running as root, cannot make device nodes here";
        ::close(fd);
    }

    // The reader at the other end of a pipe: it opens the pipe (and blocks
    // there) before the command runs; holder keeps a writer until it did.
    std::thread reader;
    std::string received;
    int holder = -1;
    const auto startReader = [&] {
        ASSERT_EQ(::mkfifo("pipe", 0600), 0);
        reader = std::thread([&received] {
            const int fd = ::open("pipe", O_RDONLY);
            char buffer[4096];
            for (ssize_t n = 0; fd >= 0 && (n = ::read(fd, buffer, sizeof buffer)) > 0;)
                received.append(buffer, static_cast<std::size_t>(n));
            ::close(fd);
        });
        for (int i = 0; i < 10000 && holder < 0; ++i) {
            holder = ::open("pipe", O_WRONLY | O_NONBLOCK);
            if (holder < 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        ASSERT_GE(holder, 0);
    };
    const auto stopReader = [&] {
        ::close(holder);
        reader.join();
        return received;
    };

    rows.insert(
        rows.end(),
        {
            {"read-only folder, writable file",
             [] {
                 fs::create_directory("ro");
                 Write("ro/out", "old");
                 fs::permissions("ro/out", static_cast<fs::perms>(0666));
                 fs::permissions("ro", static_cast<fs::perms>(0555));
             },
             generate("ro/out"), 0, "ro/out written\n",
             [] {
                 fs::permissions("ro", fs::perms::owner_all);
                 return Read("ro/out");
             },
             text, true},
            {"/dev/null", [] {}, generate(null), 0, null + " written\n",
             [&] { return fileType(null); }, "device", false, noDevices},
            {"/dev/full", [] {}, generate(full), 1,
             full + ": the file cannot be written: No space left on device\n",
             [&] { return fileType(full); }, "device", false, noDevices},
            {"pipe without reader", [] { ASSERT_EQ(::mkfifo("fifo", 0600), 0); }, generate("fifo"),
             1, "fifo: the file cannot be written: it is a named pipe that no program is reading\n",
             [&] { return fileType("fifo"); }, "fifo"},
            {"pipe with a reader", startReader, generate("pipe"), 0, "pipe written\n", stopReader,
             text},
        });
#endif
    std::string skipped;
    for (const Row &row : rows) {
        SCOPED_TRACE(row.what);
        if (row.unavailable) {
            skipped += std::string(row.what) + " (" + row.unavailable + ") ";
            continue;
        }
        row.setUp();
#if !defined(_WIN32)
        if (row.readOnlyFolder && ::geteuid() == 0) {
            // Root writes into any folder: the command runs as nobody, its
            // messages unseen.
            const int status = RunAsNobody(row.args);
            if (status < 0) {
                row.state();
                skipped += std::string(row.what) + " (running as root, cannot become nobody) ";
                continue;
            }
            EXPECT_EQ(status, row.status);
            EXPECT_EQ(row.state(), row.expected);
            continue;
        }
#endif
        const auto [status, out, err] = RunCommand(row.args);
        EXPECT_EQ(std::make_tuple(status, out, err), std::make_tuple(row.status, "", row.err));
        EXPECT_EQ(row.state(), row.expected);
    }
#if defined(_WIN32)
    ::CloseHandle(server);
#endif
    // Nothing of ours is left beside the files.
    for (const auto &entry : fs::directory_iterator("."))
        EXPECT_FALSE(entry.path().filename().string().starts_with(".pos-tmp-")) << entry.path();
    if (!skipped.empty())
        GTEST_SKIP() << "not set up: " << skipped;
}

} // namespace
} // namespace pos::test
