#pragma once

#include "byte_source.h"
#include "kind_caption.h"
#include "palette_table.h"
#include "text_lines.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace corvane {

// The file's first line.
inline constexpr std::string_view JascPalMagic = "JASC-PAL";
inline constexpr std::string_view JascPalVersion = "0100";
inline constexpr std::size_t JascPalWrittenEntries = 256;

// The caption keeps no more than this much of the count line; its number is
// read from the whole line.
inline constexpr std::size_t MaxCountTextLength = 4096;

// A signed decimal integer that fits 16 bits, with blanks (space or tab)
// allowed around it. Anything else is not a number.
[[nodiscard]] std::optional<std::int16_t> parseInt16(std::string_view text);

// The same rule for a text that comes in pieces: any number of leading zeros
// and blanks costs nothing, so a line of any length is read in constant memory.
class Int16Parser {
public:
    void feed(std::string_view piece);
    [[nodiscard]] std::optional<std::int16_t> value() const;

private:
    enum class State : std::uint8_t { Before, Sign, Digits, After, NotANumber };
    static constexpr std::uint32_t Largest = 32768; // the magnitude of -32768

    State state_ = State::Before;
    bool negative_ = false;
    std::uint32_t magnitude_ = 0;
};

// Red, green and blue of one entry line. Fields are split at runs of blanks;
// blue is all that follows green, so "1 2 3 4" has no number for blue.
// Missing fields and fields that are not numbers are 0.
[[nodiscard]] PaletteTable::Entry parseEntryLine(std::string_view line);

// The same rule for a line that comes in pieces.
class EntryParser {
public:
    void feed(std::string_view piece);
    [[nodiscard]] PaletteTable::Entry entry() const;

private:
    PaletteTable::Entry entry_{};
    std::size_t component_ = 0;
    bool inField_ = false; // red or green has begun and no blank has ended it yet
    Int16Parser number_;
};

struct JascCount {
    std::string text;                  // as written, cut after MaxCountTextLength bytes
    std::optional<std::int16_t> value; // from the whole line
    // An entry line read holds an LF: a file whose lines end with LF alone
    // has several of its lines read as one. Reported only; nothing changes.
    bool lineFeedInEntry = false;
};

// How a JASC-PAL file's first two lines went.
enum class JascStart { Read, NotJasc, Ended };

// The start both JASC-PAL readers share, each by its own line rule: the
// magic line, then the version line, which no reader examines ("0100" is all
// that tools write). By the window's rule the magic line is passed over, being
// what opened the file; by the tools' rule it must be exactly JASC-PAL.
JascStart readJascStart(TextReader& lines);

// The window's reader, by its line rule. Reads the palette: sets the caption from the count line as written, then,
// for a count of 1 or more, replaces the table with that many entries (missing
// lines are black).
// A count of 0 or less, or one that is not a number, keeps the table as it
// was. Returns the count.
JascCount readJascPal(ByteSource& source, PaletteTable& table, KindCaption& caption);

// The text of a 256-entry palette, each line ended by CR LF but the last; the
// writer adds the final line end.
[[nodiscard]] std::string buildJascText(const std::array<PaletteTable::Entry, JascPalWrittenEntries>& entries);

} // namespace corvane
