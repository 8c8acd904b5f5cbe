#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace quelvo::fuzz {

/// Reads a fuzzer's bytes piece by piece; a piece that runs past the end is cut short.
class Input
{
public:
    Input(const std::uint8_t* data, std::size_t size) : m_rest(reinterpret_cast<const char*>(data), size) {}

    /// One byte, 0 once the input is used up.
    std::uint8_t byte()
    {
        if (m_rest.empty())
            return 0;
        const auto b = static_cast<std::uint8_t>(m_rest.front());
        m_rest.remove_prefix(1);
        return b;
    }

    /// A text whose length (below `maxLength`) is given by the byte before it.
    std::string text(std::size_t maxLength)
    {
        const std::size_t length = byte() % maxLength;
        return take(length);
    }

    /// Everything not yet read.
    std::string rest() { return take(m_rest.size()); }

private:
    std::string take(std::size_t length)
    {
        const std::string_view piece = m_rest.substr(0, length);
        m_rest.remove_prefix(piece.size());
        return std::string(piece);
    }

    std::string_view m_rest;
};

/// Stops the run with a message when a property does not hold; the fuzzer keeps the input.
inline void require(bool holds, const char* property)
{
    if (holds)
        return;
    std::fprintf(stderr, "property broken: %s\n", property);
    std::abort();
}

} // namespace quelvo::fuzz
