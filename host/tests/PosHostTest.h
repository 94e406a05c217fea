#pragma once

// What the in-process tests of pos-host share: a command's run with what it
// printed, and a fixture that works in a fresh directory of its own, with
// messages in English unless a test chooses and the wizard offscreen.

#include "PosHost.h"
#include "TestPlatform.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>
#endif

namespace pos::test {

// A command's exit status, standard output and standard error.
using Result = std::tuple<int, std::string, std::string>;

inline Result RunCommand(const std::vector<std::string> &args)
{
    std::ostringstream out, err;
    const int status = RunPosHost(args, out, err);
    return {status, out.str(), err.str()};
}

// Paths in UTF-8, as the commands take them.
inline std::string Read(const std::string &path)
{
    std::ifstream in(PathOf(path), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline void Write(const std::string &path, const std::string &text)
{
    std::ofstream(PathOf(path), std::ios::binary) << text;
}

class PosHostTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        std::filesystem::create_directories(m_dir);
        std::filesystem::current_path(m_dir);
        SetEnv("LC_ALL", "C");
        SetEnv("QT_QPA_PLATFORM", "offscreen");
    }

    void TearDown() override
    {
        std::filesystem::current_path(m_cwd);
        std::filesystem::remove_all(m_dir);
    }

    const std::filesystem::path m_cwd = std::filesystem::current_path();
    const std::filesystem::path m_dir
        = std::filesystem::temp_directory_path() / ("pos_host_" + std::to_string(::getpid()));
};

} // namespace pos::test
