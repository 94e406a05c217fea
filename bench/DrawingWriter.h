#pragma once

// Writes a DXF drawing as a CAD program does (three-column group codes,
// handles, numbers with ten decimals), buffered.

#include <charconv>
#include <cstdio>
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

} // namespace bench
