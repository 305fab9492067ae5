#pragma once

// Text as the tools of today write it: lines ended by LF, CR LF or CR.

#include "byte_source.h"
#include "format.h"
#include "messages.h"
#include "text_lines.h"

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace corvane::formats {

// Lines by the tools' rule (LF, CR LF or CR), and where one is for a message.
class TextReader : public corvane::TextReader {
public:
    explicit TextReader(ByteSource& source) : corvane::TextReader(source, LineRule::AnyEnd) {}

    // "ligne N « TEXT »", for a message: control bytes escaped, a long line cut.
    [[nodiscard]] std::string where() const;
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

// Hexadecimal digits only, and at least one.
[[nodiscard]] bool allHexDigits(std::string_view text);

// A name to write on a line of its own: control bytes become '_'.
[[nodiscard]] std::string nameOnOneLine(std::string_view name);

// Adds a colour that a line gave, refusing the one past MaxColours.
[[nodiscard]] Problem addColour(Palette& palette, const PaletteTable::Entry& colour);

// The palette read, once all lines are: refused if it has no colour.
[[nodiscard]] Problem handOver(Palette& read, Palette& palette);

// The bytes of a text as they can be shown in a message: control bytes,
// backslashes and bytes that are not UTF-8 escaped, at most `most` bytes,
// then "…".
[[nodiscard]] std::string shownText(std::string_view bytes, std::size_t most = 40);

} // namespace corvane::formats
