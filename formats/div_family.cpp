#include "format.h"

#include "gzip_source.h"
#include "kind_caption.h"
#include "levels.h"
#include "palette_kind.h"

#include <algorithm>
#include <array>
#include <string_view>

namespace corvane::formats {

extern const Format DivFormat;

namespace {

// What follows the three-letter name in every DIV file's header, as in a palette's.
constexpr std::size_t NameBytes = DivMagic.size();
constexpr std::string_view HeaderTail = DivHeader.substr(NameBytes, 4);
constexpr std::size_t SignatureBytes = NameBytes + HeaderTail.size();
// A MAP's width, height, code and description come before its levels.
constexpr std::size_t MapLevelOffset = 48;

struct DivFile {
    std::string_view name;
    std::size_t levelOffset;
    std::string_view kind;
};

constexpr std::array<DivFile, 4> Files{{
    {DivMagic, DivLevelOffset, KindCaption::Div},
    {"fpg", DivLevelOffset, "Palette d'un fichier FPG de DIV Games Studio"},
    {"fnt", DivLevelOffset, "Palette d'un fichier FNT de DIV Games Studio"},
    {"map", MapLevelOffset, "Palette d'un fichier MAP de DIV Games Studio"},
}};

const DivFile* fileOf(std::string_view start)
{
    if (start.size() < SignatureBytes || start.substr(NameBytes, HeaderTail.size()) != HeaderTail)
        return nullptr;
    // Not std::ranges: the page's compiler (emscripten's libc++ 14) lacks them.
    const std::string_view name = start.substr(0, NameBytes);
    const auto found =
        std::find_if(Files.begin(), Files.end(), [name](const DivFile& file) { return file.name == name; });
    return found == Files.end() ? nullptr : &*found;
}

// Once inflated, a palette file is any the window's rule would open.
const DivFile* inflatedFileOf(std::string_view start)
{
    return detectKind(start) == PaletteKind::Div ? &Files[0] : fileOf(start);
}

// The first bytes of a gzip file's content, enough for either rule.
constexpr std::size_t InflatedHeadBytes = std::max(SignatureBytes, KindHeadBytes);

// The block --to=div writes for a palette that brings none: whole, DIV's 16
// ranges of 36 bytes, each of 16 colours in order, so that DIV and the tools
// that read the ranges find all of them. The window's Convert writes its own
// short block instead (windowRangeBlock), byte for byte as its files always
// were; only its own output keeps that form.
constexpr std::array<std::uint8_t, DivRangeBytes> DefaultRanges = [] {
    std::array<std::uint8_t, DivRangeBytes> block{};
    std::size_t at = 0;
    for (std::size_t range = 0; range < 16; ++range) {
        block[at] = 16; // colours in the range; type, fixed and black stay 0
        at += 4;
        for (std::size_t k = 0; k < 32; ++k)
            block[at++] = static_cast<std::uint8_t>((range * 16 + k) % 256);
    }
    return block;
}();

bool detect(const Head& head)
{
    if (head.bytes.starts_with(GzipMagic)) {
        MemorySource compressed(head.bytes);
        GzipSource inflated(compressed);
        std::array<char, InflatedHeadBytes> start;
        return inflatedFileOf({start.data(), readFully(inflated, start.data(), start.size())}) != nullptr;
    }
    // A pal file is the window's, found by its rule before this one.
    const DivFile* file = fileOf(head.bytes);
    return file != nullptr && file->name != "pal";
}

Problem readFile(ByteSource& source, Palette& palette, bool compressed)
{
    std::array<char, MapLevelOffset> header;
    const std::size_t got = readFully(source, header.data(), DivLevelOffset);
    const std::string_view start(header.data(), got);
    const DivFile* file = compressed ? inflatedFileOf(start) : fileOf(start);
    if (file == nullptr)
        return std::string("ce n'est pas un fichier DIV (pal, fpg, fnt ou map)");
    readFully(source, header.data() + got, file->levelOffset - got);
    const std::optional<DivBody> body = readDivBody(source, DivReading::Strict);
    if (!body)
        return std::string("le fichier s'arrête avant les 768 niveaux de sa palette");

    palette = Palette{};
    palette.colours.assign(body->colours.begin(), body->colours.end());
    palette.sixBit = true;
    palette.ranges = body->ranges;
    palette.kind = file->kind;
    if (compressed)
        palette.kind.append(" (fichier compressé par gzip)");
    return std::nullopt;
}

// Refuses a file cut before the end of its levels, unlike the window.
Problem readStrict(ByteSource& source, Palette& palette)
{
    std::array<char, GzipMagic.size()> magic;
    const std::size_t got = readFully(source, magic.data(), magic.size());
    PrefixedSource whole({magic.data(), got}, source);
    if (std::string_view(magic.data(), got) != GzipMagic)
        return readFile(whole, palette, false);
    GzipSource inflated(whole);
    Problem problem = readFile(inflated, palette, true);
    if (problem && inflated.broken() && !inflated.failed())
        return std::string("flux gzip coupé ou abîmé avant la fin de la palette");
    return problem;
}

Problem write(const Palette& palette, const WriteContext&, std::string& out)
{
    DivLevels levels;
    if (Problem problem = sixBitLevels(palette, DivFormat.maxColours, levels))
        return problem;
    out = buildDivContent(levels, palette.ranges ? *palette.ranges : DefaultRanges);
    return std::nullopt;
}

} // namespace

extern const Format DivFormat{"div", ".pal", "DIV", DivEntryCount, SignatureBytes, detect, readStrict, write};

} // namespace corvane::formats
