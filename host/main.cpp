#include "PosHost.h"

#include "res/StringTable.h"

#include <cerrno>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

int main(int argc, char **argv)
{
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i)
        args.emplace_back(argv[i]);
    errno = 0;
    int status = pos::RunPosHost(args, std::cout, std::cerr);
    std::cout.flush();
    if (!std::cout && status == pos::kExitOk) {
        // The product did not reach standard output (a closed pipe, a full disk).
        const int error = errno != 0 ? errno : EIO;
        std::cerr << "stdout: "
                  << pos::FormatId(pos::sid::FileCannotWrite,
                                   {std::system_category().message(error)})
                  << '\n';
        status = pos::kExitFailed;
    }
    return status;
}
