#pragma once

// Writes a DXF drawing as a CAD program does (three-column group codes,
// handles, numbers with ten decimals), buffered; and the floor the DXF
// benchmarks compare with.

#include <charconv>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace bench {

class DrawingWriter
{
public:
    explicit DrawingWriter(std::FILE *file)
        : m_file(file)
    {}

    void pair(const char *code, std::string_view value)
    {
        m_buffer += code;
        m_buffer += '\n';
        m_buffer += value;
        m_buffer += '\n';
        if (m_buffer.size() > (1u << 20))
            flush();
    }

    void number(const char *code, double value)
    {
        char text[64];
        const auto [end, ec]
            = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, 10);
        pair(code,
             std::string_view(text, ec == std::errc() ? static_cast<std::size_t>(end - text) : 0));
    }

    void handle()
    {
        char text[32];
        const auto [end, ec] = std::to_chars(text, text + sizeof text, ++m_handle, 16);
        pair("  5", std::string_view(text, static_cast<std::size_t>(end - text)));
    }

    void flush()
    {
        m_written += std::fwrite(m_buffer.data(), 1, m_buffer.size(), m_file);
        m_buffer.clear();
    }

    std::size_t written() const { return m_written + m_buffer.size(); }

private:
    std::FILE *m_file;
    std::string m_buffer;
    std::size_t m_written = 0;
    unsigned long long m_handle = 0x100;
};

// The floor: the whole file into memory in one go, then its line feeds
// counted with memchr.
inline std::size_t CountLineFeeds(const std::string &path)
{
    std::FILE *file = std::fopen(path.c_str(), "rb");
    if (!file)
        return 0;
    const auto size = static_cast<std::size_t>(std::filesystem::file_size(path));
    auto data = std::make_unique_for_overwrite<char[]>(size + 1);
    const std::size_t got = std::fread(data.get(), 1, size + 1, file);
    std::fclose(file);
    std::size_t count = 0;
    const char *p = data.get();
    const char *end = p + got;
    while (const void *nl = std::memchr(p, '\n', static_cast<std::size_t>(end - p))) {
        ++count;
        p = static_cast<const char *>(nl) + 1;
    }
    return count;
}

} // namespace bench
