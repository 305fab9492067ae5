#pragma once

// Numbers of fixed size in binary formats, and bytes passed over.

#include "byte_source.h"

#include <cstddef>
#include <cstdint>
#include <string>

namespace corvane::formats {

[[nodiscard]] std::uint32_t littleEndian(const std::uint8_t* bytes, std::size_t size);
[[nodiscard]] std::uint32_t bigEndian(const std::uint8_t* bytes, std::size_t size);
void appendLittleEndian(std::string& out, std::uint32_t value, std::size_t size);
void appendBigEndian(std::string& out, std::uint32_t value, std::size_t size);

// Passes n bytes; false when the input ends first.
[[nodiscard]] bool skip(ByteSource& source, std::uint64_t n);

// Reads all n bytes; false when the input ends first.
[[nodiscard]] bool readAll(ByteSource& source, std::uint8_t* bytes, std::size_t n);

} // namespace corvane::formats
