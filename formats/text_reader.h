#pragma once

// Text as the tools of today write it: lines ended by LF, CR LF or CR.

#include "byte_source.h"
#include "format.h"
// Fields and the readers' messages come with the lines: the JASC-PAL reader
// takes them from here.
#include "messages.h"
#include "text_fields.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::formats {

// Dropped before a text's first line.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Splits a byte source into lines in constant memory: the first KeptBytes of
// each line are kept, the rest of a longer line is only passed over. A UTF-8
// byte-order mark before the first line is dropped.
class TextReader {
public:
    static constexpr std::size_t KeptBytes = 1024;

    explicit TextReader(ByteSource& source) : source_(source) {}
    TextReader(const TextReader&) = delete;
    TextReader& operator=(const TextReader&) = delete;

    // Moves to the next line; false at the end of the text.
    bool next();
    // Moves to the next line; true if there is one and it is exactly `text`.
    [[nodiscard]] bool nextIs(std::string_view text) { return next() && !cut_ && line_ == text; }
    // The line's first KeptBytes, without its end.
    [[nodiscard]] std::string_view line() const { return line_; }
    // The line was longer than what line() keeps.
    [[nodiscard]] bool cut() const { return cut_; }
    // Counted from 1.
    [[nodiscard]] std::size_t number() const { return number_; }
    // "ligne N « TEXT »", for a message: control bytes escaped, a long line cut.
    [[nodiscard]] std::string where() const;

private:
    static constexpr std::size_t Unknown = static_cast<std::size_t>(-1);

    bool fill();
    std::size_t nextOf(char byte, std::size_t& at);

    ByteSource& source_;
    std::array<char, 65536> buffer_;
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    bool ended_ = false;
    bool skipLineFeed_ = false; // a CR ended the last line: an LF right after it belongs to it
    // Where the buffer's next LF and next CR were found (len_: none left).
    std::size_t lfAt_ = Unknown;
    std::size_t crAt_ = Unknown;
    std::string line_;
    bool cut_ = false;
    std::size_t number_ = 0;
};

// The head's first line, by the rules above, is exactly `text`.
[[nodiscard]] bool firstLineIs(const Head& head, std::string_view text);

} // namespace corvane::formats
