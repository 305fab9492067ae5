#pragma once

// Text as the tools of today write it: lines ended by LF, CR LF or CR.

#include "byte_source.h"
#include "format.h"
#include "messages.h"

#include <array>
#include <cstddef>
#include <optional>
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

// The next field of `text`: blanks (space, tab) before it dropped, the field
// taken off; empty when only blanks are left.
[[nodiscard]] std::string_view takeField(std::string_view& text);

// A field of decimal digits only, read as a number no greater than `most`.
[[nodiscard]] std::optional<std::size_t> decimal(std::string_view field, std::size_t most);

// Red, green and blue as three fields of decimal digits from 0 to 255, taken
// off `text`; false if they are not there.
[[nodiscard]] bool takeLevels(std::string_view& text, PaletteTable::Entry& colour);

// Red, green and blue from exactly six hexadecimal digits, either case.
[[nodiscard]] bool hexLevels(std::string_view digits, PaletteTable::Entry& colour);

// Red, green and blue as six hexadecimal digits, levels 0..255 only.
void appendHexLevels(std::string& out, const PaletteTable::Entry& colour, bool upperCase);

// 0-9, a-f or A-F.
[[nodiscard]] bool isHexDigit(char c);

// Hexadecimal digits only, and at least one.
[[nodiscard]] bool allHexDigits(std::string_view text);

// A name to write on a line of its own: control bytes become '_'.
[[nodiscard]] std::string nameOnOneLine(std::string_view name);

// Adds a colour that a line gave, refusing the one past MaxColours.
[[nodiscard]] Problem addColour(Palette& palette, const PaletteTable::Entry& colour);

// The palette read, once all lines are: refused if it has no colour.
[[nodiscard]] Problem handOver(Palette& read, Palette& palette);

} // namespace corvane::formats
