#pragma once

#include "byte_source.h"

#include <array>
#include <cstddef>
#include <string_view>

namespace corvane {

inline constexpr char CarriageReturn = '\r';
inline constexpr char LineFeed = '\n';
inline constexpr char EndOfText = '\x1A';

// Splits a byte source into text lines: CR or CR LF ends a line, a lone LF is
// an ordinary character, and 0x1A ends the text (nothing after it is read).
// Lines of any length are handed out whole, in pieces, in constant memory.
class LineReader {
public:
    explicit LineReader(ByteSource& source) : source_(source) {}
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Points piece at the next piece of text, without line ends; the view
    // lasts until the next call. A line comes as one piece, or as several
    // where it runs across a refill of the buffer; lineEnds is set on the
    // last piece of each line (an empty line is one empty piece). False at
    // the end of the text.
    bool next(std::string_view& piece, bool& lineEnds);
    // Passes over the rest of the current line, or the next whole line if the
    // last piece ended one. False at the end of the text.
    bool skipLine();

private:
    bool ensureByte();

    ByteSource& source_;
    std::array<char, 16384> buffer_; // only bytes up to len_ are ever read
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool inLine_ = false;       // the last piece did not end its line
    bool skipLineFeed_ = false; // a CR ended the buffer; an LF first in the next one belongs to it
    bool ended_ = false;
};

} // namespace corvane
