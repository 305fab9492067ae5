#pragma once

// The bytes of a gzip file as they inflate, no more of them than are asked
// for: BennuGD writes DIV's palettes, FPG, FNT and MAP files this way.

#include "byte_source.h"

#include <cstddef>
#include <memory>
#include <string_view>

namespace corvane::formats {

inline constexpr std::string_view GzipMagic{"\x1F\x8B", 2};

class GzipSource final : public ByteSource {
public:
    // Reads the compressed bytes from `compressed`, a few kilobytes at a time.
    explicit GzipSource(ByteSource& compressed);
    ~GzipSource() override;
    GzipSource(const GzipSource&) = delete;
    GzipSource& operator=(const GzipSource&) = delete;

    std::size_t read(char* buf, std::size_t n) override;
    // The compressed source failed to read.
    [[nodiscard]] bool failed() const override { return compressed_.failed(); }
    // The stream stopped short of its end: cut, or not gzip at all.
    [[nodiscard]] bool broken() const { return state_ == State::Broken; }

private:
    enum class State { Inflating, Ended, Broken };

    ByteSource& compressed_;
    struct Stream;
    std::unique_ptr<Stream> stream_;
    State state_ = State::Inflating;
};

} // namespace corvane::formats
