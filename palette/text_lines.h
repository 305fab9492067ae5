#pragma once

#include "byte_source.h"

#include <array>
#include <cstddef>
#include <string>
#include <string_view>

namespace corvane {

inline constexpr char CarriageReturn = '\r';
inline constexpr char LineFeed = '\n';
inline constexpr char EndOfText = '\x1A';
// UTF-8's byte-order mark, which some tools write before a text's first line.
inline constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";

// Where a line ends.
enum class LineRule {
    // The window's: CR or CR LF ends a line, a lone LF is an ordinary
    // character, and 0x1A ends the text (nothing after it is read).
    Window,
    // The tools' of today: LF, CR LF or CR ends a line; 0x1A is an ordinary
    // character. A UTF-8 byte-order mark before the first line is no part of it.
    AnyEnd,
};

// Splits a byte source into text lines by either rule. Lines of any length
// are handed out whole, in pieces, in constant memory.
class LineReader {
public:
    LineReader(ByteSource& source, LineRule rule)
        : source_(source), otherStop_(rule == LineRule::Window ? EndOfText : LineFeed)
    {
    }
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    // Points piece at the next piece of text, without line ends; the view
    // lasts until the next call. A line comes as one piece, or as several
    // where it runs across a refill of the buffer; lineEnds is set on the
    // last piece of each line (an empty line is one empty piece). False at
    // the end of the text.
    bool next(std::string_view& piece, bool& lineEnds);

private:
    static constexpr std::size_t Unknown = static_cast<std::size_t>(-1);

    bool ensureByte();
    std::size_t nextOf(char byte, std::size_t& at);

    ByteSource& source_;
    // Besides CR: what else stops a line, LF (a line end) or 0x1A (the end of the text).
    char otherStop_;
    std::array<char, 16384> buffer_; // only bytes up to len_ are ever read
    std::size_t pos_ = 0;
    std::size_t len_ = 0;
    // Where the buffer's next CR and next other stop were found (len_: none left).
    std::size_t crAt_ = Unknown;
    std::size_t otherAt_ = Unknown;
    bool inLine_ = false;       // the last piece did not end its line
    bool skipLineFeed_ = false; // a CR ended the buffer; an LF first in the next one belongs to it
    bool ended_ = false;
};

// Whole lines by either rule, in constant memory: the first KeptBytes of
// each line are kept, the rest of a longer line is only passed over.
class TextReader {
public:
    static constexpr std::size_t KeptBytes = 1024;

    TextReader(ByteSource& source, LineRule rule) : lines_(source, rule), rule_(rule) {}

    // Moves to the next line; false at the end of the text. Each piece of
    // the whole line is also given to feed(piece), before line() takes its
    // share of it: a reader that wants more of a line than KeptBytes.
    template <class Feed> bool next(Feed&& feed);
    bool next()
    {
        return next([](std::string_view) {});
    }
    // Moves to the next line; true if there is one and it is exactly `text`.
    [[nodiscard]] bool nextIs(std::string_view text) { return next() && !cut_ && line_ == text; }
    // The line's first KeptBytes, without its end.
    [[nodiscard]] std::string_view line() const { return line_; }
    // The line was longer than what line() keeps.
    [[nodiscard]] bool cut() const { return cut_; }
    // Counted from 1.
    [[nodiscard]] std::size_t number() const { return number_; }
    [[nodiscard]] LineRule rule() const { return rule_; }
    // The lines that follow, as pieces straight from the splitter, for a
    // reader whose many short lines are its hot loop; number() leaves them out.
    [[nodiscard]] LineReader& pieces() { return lines_; }

private:
    void take(std::string_view piece);
    void ended();

    LineReader lines_;
    LineRule rule_;
    std::string line_;
    bool cut_ = false;
    std::size_t number_ = 0;
};

template <class Feed> bool TextReader::next(Feed&& feed)
{
    line_.clear();
    cut_ = false;
    std::string_view piece;
    bool lineEnds = false;
    if (!lines_.next(piece, lineEnds))
        return false;
    for (;;) {
        feed(piece);
        take(piece);
        if (lineEnds || !lines_.next(piece, lineEnds))
            break;
    }
    ended();
    return true;
}

} // namespace corvane
