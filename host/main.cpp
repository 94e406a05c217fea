#include "PosHost.h"

#include "res/StringTable.h"

#include <cerrno>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#if defined(_WIN32)
#include "guide/WindowsFile.h"

#include <fcntl.h>
#include <io.h>
#include <shellapi.h>

namespace {

// The console shows what pos-host prints as UTF-8, both languages alike,
// for as long as it runs; the code page it had comes back afterwards.
class Utf8Console
{
public:
    Utf8Console()
        : m_saved(::GetConsoleOutputCP())
    {
        if (m_saved != 0 && m_saved != CP_UTF8)
            ::SetConsoleOutputCP(CP_UTF8);
    }
    ~Utf8Console()
    {
        if (m_saved != 0 && m_saved != CP_UTF8)
            ::SetConsoleOutputCP(m_saved);
    }
    Utf8Console(const Utf8Console &) = delete;
    Utf8Console &operator=(const Utf8Console &) = delete;

private:
    UINT m_saved; // 0 without a console
};

} // namespace
#endif

int main(int argc, char **argv)
{
    std::vector<std::string> args;
#if defined(_WIN32)
    // argv holds the arguments in the ANSI code page, which cannot spell
    // every file name: they are taken from the wide command line, in UTF-8.
    static_cast<void>(argv);
    int count = 0;
    if (wchar_t **wide = ::CommandLineToArgvW(::GetCommandLineW(), &count)) {
        for (int i = 1; i < count; ++i)
            args.push_back(pos::win::Narrow(wide[i]));
        ::LocalFree(wide);
    } else {
        args.assign(argv + (argc > 0 ? 1 : 0), argv + argc);
    }
    // The bytes as they are, with no CR put before each LF: the same
    // products as on every other system.
    ::_setmode(::_fileno(stdout), _O_BINARY);
    ::_setmode(::_fileno(stderr), _O_BINARY);
    const Utf8Console console;
#else
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
#endif
    errno = 0;
    int status = pos::RunPosHost(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout && status == pos::kExitOk) {
        // The product did not reach standard output (a closed pipe, a full disk).
        const int error = errno != 0 ? errno : EIO;
        std::cerr << "stdout: "
                  << pos::FormatId(pos::sid::FileCannotWrite,
                                   {std::generic_category().message(error)})
                  << '\n';
        status = pos::kExitFailed;
    }
    return status;
}
