#include "binary.h"

#include <array>

namespace corvane::formats {

std::uint32_t littleEndian(const std::uint8_t* bytes, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = size; i-- > 0;)
        value = value << 8 | bytes[i];
    return value;
}

std::uint32_t bigEndian(const std::uint8_t* bytes, std::size_t size)
{
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < size; ++i)
        value = value << 8 | bytes[i];
    return value;
}

void appendLittleEndian(std::string& out, std::uint32_t value, std::size_t size)
{
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

void appendBigEndian(std::string& out, std::uint32_t value, std::size_t size)
{
    for (std::size_t i = size; i-- > 0;)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
}

bool skip(ByteSource& source, std::uint64_t n)
{
    std::array<char, 4096> buffer;
    while (n > 0) {
        const std::size_t want = n < buffer.size() ? static_cast<std::size_t>(n) : buffer.size();
        if (readFully(source, buffer.data(), want) < want)
            return false;
        n -= want;
    }
    return true;
}

bool readAll(ByteSource& source, std::uint8_t* bytes, std::size_t n)
{
    return readFully(source, reinterpret_cast<char*>(bytes), n) == n;
}

} // namespace corvane::formats
