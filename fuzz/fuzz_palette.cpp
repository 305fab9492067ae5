// Feeds arbitrary bytes to kind detection, the line reader, both readers, the
// loader and the three conversions, and aborts on any broken invariant.

#include "conversion.h"
#include "div_pal.h"
#include "fuzz_support.h"
#include "jasc_pal.h"
#include "kind_caption.h"
#include "load.h"
#include "palette_kind.h"
#include "text_lines.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using namespace corvane;
using corvane::fuzz::ChunkedSource;
using corvane::fuzz::require;

namespace {

// "Palette PSP " + a count line cut where the caption stops keeping it + " couleurs".
constexpr std::size_t MaxCaptionLength = 12 + MaxCountTextLength + 9;
constexpr std::string_view JascOutputHead = "JASC-PAL\r\n0100\r\n256\r\n";
constexpr std::string_view LineEnd = "\r\n";

// The line rule done the slow, obvious way, to hold LineReader against.
std::vector<std::string> referenceLines(std::string_view text)
{
    std::vector<std::string> lines;
    std::size_t i = 0;
    while (i < text.size() && text[i] != EndOfText) {
        const std::size_t stop = std::min(text.find_first_of(std::string_view("\r\x1A", 2), i), text.size());
        lines.emplace_back(text.substr(i, stop - i));
        if (stop == text.size() || text[stop] == EndOfText)
            break;
        i = stop + 1;
        if (i < text.size() && text[i] == LineFeed)
            ++i;
    }
    return lines;
}

void checkLineReader(ByteSource& source, const std::vector<std::string>& expected)
{
    LineReader reader(source, LineRule::Window);
    std::string_view piece;
    bool lineEnds = true;
    std::size_t k = 0;
    std::string line;
    while (reader.next(piece, lineEnds)) {
        require(piece.find_first_of(std::string_view("\r\x1A", 2)) == std::string_view::npos,
                "a line end inside a piece");
        require(lineEnds || !piece.empty(), "an empty piece that does not end its line");
        line.append(piece);
        if (lineEnds) {
            require(k < expected.size() && line == expected[k], "line differs from the line rule");
            ++k;
            line.clear();
        }
    }
    require(lineEnds, "the text ended inside a line");
    require(k == expected.size(), "line reader stopped early");
    require(!reader.next(piece, lineEnds) && piece.empty(), "line reader resumed after the end");
}

std::string_view trimmed(std::string_view s)
{
    const std::size_t first = s.find_first_not_of(" \t");
    return first == std::string_view::npos ? std::string_view{}
                                           : s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

// The number rule: blanks around, an optional sign, digits, within 16 bits.
std::optional<std::int16_t> referenceNumber(std::string_view text)
{
    text = trimmed(text);
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+'))
        text.remove_prefix(1);
    if (text.empty() || text.find_first_not_of("0123456789") != std::string_view::npos)
        return std::nullopt;
    long value = 0;
    for (const char c : text)
        value = std::min(value * 10 + (c - '0'), 100000L);
    value = negative ? -value : value;
    if (value < -32768 || value > 32767)
        return std::nullopt;
    return static_cast<std::int16_t>(value);
}

// Red and green end at a run of blanks; blue is all the rest.
PaletteTable::Entry referenceEntry(std::string_view line)
{
    PaletteTable::Entry entry{};
    std::string_view rest = trimmed(line);
    for (std::size_t c = 0; c < 3; ++c) {
        std::size_t end = rest.size();
        if (c < 2)
            end = std::min(rest.find_first_of(" \t"), rest.size());
        entry[c] = referenceNumber(rest.substr(0, end)).value_or(0);
        rest = trimmed(rest.substr(end));
    }
    return entry;
}

PaletteKind referenceKind(const std::vector<std::string>& lines)
{
    if (lines.empty())
        return PaletteKind::Unknown;
    if (lines.front() == JascPalMagic)
        return PaletteKind::JascPal;
    if (lines.front() == DivMagic)
        return PaletteKind::Div;
    return PaletteKind::Unknown;
}

// What readDivTolerant must give: level bytes times 4, a missing byte repeating the last.
std::vector<PaletteTable::Entry> expectedDivEntries(std::string_view data)
{
    std::vector<PaletteTable::Entry> entries(DivEntryCount);
    std::int16_t last = 0;
    for (std::size_t i = 0; i < DivLevelBytes; ++i) {
        if (DivLevelOffset + i < data.size())
            last = static_cast<std::int16_t>(static_cast<unsigned char>(data[DivLevelOffset + i]) * 4);
        entries[i / 3][i % 3] = last;
    }
    return entries;
}

PaletteTable::Entry entryOrBlack(const PaletteTable& table, std::size_t k)
{
    return k < table.entryCount() ? table.entries()[k] : PaletteTable::Entry{0, 0, 0};
}

struct Loaded {
    LoadResult result;
    PaletteTable table;
    KindCaption caption;
};

Loaded load(ByteSource& source)
{
    Loaded loaded;
    loaded.result = loadPalette(source, loaded.table, loaded.caption);
    return loaded;
}

Loaded load(std::string_view bytes)
{
    MemorySource source(bytes);
    return load(source);
}

bool same(const Loaded& a, const Loaded& b)
{
    return a.result.kind == b.result.kind && a.result.countText == b.result.countText &&
           a.result.count == b.result.count && a.table.entries() == b.table.entries() &&
           a.caption.text() == b.caption.text();
}

std::size_t countOf(std::string_view text, std::string_view what)
{
    std::size_t n = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos; at = text.find(what, at + what.size()))
        ++n;
    return n;
}

void checkOutput(const PaletteTable& table, Conversion conversion, const std::string& out)
{
    if (conversion == Conversion::None) {
        require(out.empty(), "output for no conversion");
        return;
    }
    require(out.size() >= 2 && out.ends_with(LineEnd), "output without its final line end");
    const Loaded back = load(out);

    if (conversion == Conversion::DivToJasc) {
        require(out.starts_with(JascOutputHead), "JASC-PAL output head");
        require(countOf(out, LineEnd) == 3 + JascPalWrittenEntries, "JASC-PAL output line count");
        require(back.result.kind == PaletteKind::JascPal && back.caption.text() == KindCaption::Psp256 &&
                    back.result.count == 256,
                "JASC-PAL output not read back as 256 entries");
        for (std::size_t k = 0; k < JascPalWrittenEntries; ++k)
            require(back.table.entries()[k] == entryOrBlack(table, k), "JASC-PAL output entry differs");
        return;
    }

    const bool sixteen = conversion == Conversion::Jasc16ToDiv;
    require(out.size() == (sixteen ? 798u : 1038u), "DIV output size");
    require(out.starts_with(DivHeader), "DIV output header");
    require(back.result.kind == PaletteKind::Div && back.caption.text() == KindCaption::Div,
            "DIV output not read back as DIV");
    const std::size_t period = sixteen ? 16 : 256;
    for (std::size_t n = 0; n < DivEntryCount; ++n) {
        const PaletteTable::Entry source = entryOrBlack(table, n % period);
        for (std::size_t c = 0; c < 3; ++c)
            require(back.table.entries()[n][c] == divLevel(source[c]) * 4, "DIV output level differs");
    }
}

void checkConversions(const PaletteTable& table, const KindCaption& caption)
{
    std::string chosenOut;
    for (const Conversion conversion : {Conversion::DivToJasc, Conversion::Jasc256ToDiv, Conversion::Jasc16ToDiv}) {
        std::string out = convertPalette(table, conversion);
        checkOutput(table, conversion, out);
        if (conversion == conversionFor(caption))
            chosenOut = std::move(out);
    }
    require(convertPalette(table, conversionFor(caption)) == chosenOut, "caption's conversion differs");
}

void checkLoaded(std::string_view data, const Loaded& loaded, PaletteKind kind)
{
    const LoadResult& r = loaded.result;
    require(r.kind == kind, "loader kind differs from detection");
    require(loaded.caption.text().size() <= MaxCaptionLength, "caption too long");
    switch (kind) {
    case PaletteKind::Unknown:
        require(loaded.table.entryCount() == 0 && loaded.caption.text().empty() && !r.count,
                "unknown kind changed something");
        break;
    case PaletteKind::Div:
        require(loaded.caption.text() == KindCaption::Div && r.count == 256, "DIV caption or count");
        require(loaded.table.entries() == expectedDivEntries(data), "DIV levels differ");
        require(conversionFor(loaded.caption) == Conversion::DivToJasc, "DIV caption conversion");
        break;
    case PaletteKind::JascPal: {
        require(r.countText.size() <= MaxCountTextLength, "count text longer than kept");
        require(loaded.caption.text() == KindCaption::forJascCount(r.countText), "JASC-PAL caption");
        const int count = parseInt16(r.countText).value_or(0);
        require(loaded.table.entryCount() == static_cast<std::size_t>(std::max(count, 0)), "JASC-PAL table size");
        require(r.count == parseInt16(r.countText), "JASC-PAL count");
        const Conversion expected = r.countText == "256"  ? Conversion::Jasc256ToDiv
                                    : r.countText == "16" ? Conversion::Jasc16ToDiv
                                                          : Conversion::None;
        require(conversionFor(loaded.caption) == expected, "JASC-PAL caption conversion");
        break;
    }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size)
{
    const std::string_view data(reinterpret_cast<const char*>(bytes), size);
    const std::size_t chunk = size > 0 ? 1 + bytes[0] % 32 : 1;

    // Line rule: whole, in small reads, and repeated past the reader's buffer
    // and the line limit.
    const std::vector<std::string> lines = referenceLines(data);
    {
        MemorySource whole(data);
        checkLineReader(whole, lines);
        ChunkedSource pieces(data, chunk);
        checkLineReader(pieces, lines);
        std::string repeated;
        for (int i = 0; i < 8; ++i)
            repeated.append(data);
        MemorySource many(repeated);
        checkLineReader(many, referenceLines(repeated));
    }

    // Numbers and entry lines, on every line of the input, whole and in pieces.
    for (const std::string& line : lines) {
        const std::optional<std::int16_t> number = referenceNumber(line);
        const PaletteTable::Entry entry = referenceEntry(line);
        require(parseInt16(line) == number, "number differs from the number rule");
        require(parseEntryLine(line) == entry, "entry differs from the entry rule");
        Int16Parser numberParser;
        EntryParser entryParser;
        for (std::size_t at = 0; at < line.size(); at += chunk) {
            const std::string_view piece = std::string_view(line).substr(at, chunk);
            numberParser.feed(piece);
            entryParser.feed(piece);
        }
        require(numberParser.value() == number, "number in pieces differs from the number rule");
        require(entryParser.entry() == entry, "entry in pieces differs from the entry rule");
    }

    // Kind detection agrees with the first line, however the bytes arrive.
    const PaletteKind kind = detectKind(data);
    require(kind == referenceKind(lines), "kind differs from the first line");
    {
        MemorySource whole(data);
        require(detectKind(whole) == kind, "kind from a memory source");
        ChunkedSource pieces(data, chunk);
        require(detectKind(pieces) == kind, "kind from small reads");
    }

    // The loader, through every kind of source.
    const Loaded loaded = load(data);
    checkLoaded(data, loaded, kind);
    {
        ChunkedSource pieces(data, chunk);
        require(same(load(pieces), loaded), "load in small reads differs");
    }
    checkConversions(loaded.table, loaded.caption);

    // Each reader on the raw bytes, whatever their kind. For the detected
    // kind it must agree with the loader, whose conversions are checked above.
    {
        MemorySource source(data);
        PaletteTable table;
        readDivTolerant(source, table);
        require(table.entries() == expectedDivEntries(data), "readDivTolerant levels differ");
        KindCaption caption;
        caption.set(std::string(KindCaption::Div));
        if (kind == PaletteKind::Div)
            require(table.entries() == loaded.table.entries(), "readDivTolerant differs from the loader");
        else
            checkConversions(table, caption);
    }
    {
        MemorySource source(data);
        PaletteTable table;
        KindCaption caption;
        const JascCount count = readJascPal(source, table, caption);
        const std::string_view countLine = lines.size() > 2 ? std::string_view(lines[2]) : std::string_view{};
        require(count.text == countLine.substr(0, MaxCountTextLength), "count text differs from the count line");
        require(count.value == referenceNumber(countLine), "count differs from the number rule");
        require(caption.text().size() <= MaxCaptionLength, "caption too long");
        if (kind == PaletteKind::JascPal)
            require(table.entries() == loaded.table.entries() && caption.text() == loaded.caption.text(),
                    "readJascPal differs from the loader");
        else
            checkConversions(table, caption);

        // Blanks before the count and the first entry change no number, however
        // many: a count line and an entry line longer than the buffer and the
        // caption's share.
        if (lines.size() > 2) {
            const std::string padding(20000, ' ');
            std::string padded = "\r" + lines[1] + "\r" + padding + lines[2] + "\r";
            if (lines.size() > 3)
                padded.append(padding).append(lines[3]);
            MemorySource paddedSource(padded);
            PaletteTable paddedTable;
            KindCaption paddedCaption;
            const JascCount paddedCount = readJascPal(paddedSource, paddedTable, paddedCaption);
            require(paddedCount.value == count.value, "blanks before the count changed it");
            require(paddedCount.text == padding.substr(0, MaxCountTextLength), "long count line kept whole");
            require(paddedTable.entryCount() == table.entryCount() &&
                        (table.entryCount() == 0 || paddedTable.entries()[0] == table.entries()[0]),
                    "blanks before the first entry changed it");
        }
    }
    return 0;
}
