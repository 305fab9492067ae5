#pragma once

// Text as the tools of today write it: lines ended by LF, CR LF or CR.

#include "byte_source.h"
#include "format.h"
// Fields and the readers' messages come with the lines: the JASC-PAL reader
// takes them from here.
#include "messages.h"
#include "text_fields.h"
#include "text_lines.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane::formats {

// Dropped before a text's first line.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Lines by the tools' rule (LF, CR LF or CR), and where one is for a message.
class TextReader : public corvane::TextReader {
public:
    explicit TextReader(ByteSource& source) : corvane::TextReader(source, LineRule::AnyEnd) {}

    // "ligne N « TEXT »", for a message: control bytes escaped, a long line cut.
    [[nodiscard]] std::string where() const;
};

// The head's first line, by the rules above, is exactly `text`.
[[nodiscard]] bool firstLineIs(const Head& head, std::string_view text);

} // namespace corvane::formats
