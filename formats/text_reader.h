#pragma once

// Text as the tools of today write it: lines ended by LF, CR LF or CR.

#include "byte_source.h"
#include "format.h"
#include "text_lines.h"

#include <cstddef>
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

} // namespace corvane::formats
