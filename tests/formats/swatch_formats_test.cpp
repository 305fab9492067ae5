// The swatch and sprite readers over their samples and hand-made bad inputs.
#include "format_checks.h"

#include <zlib.h>

namespace corvane::test {
namespace {

using namespace std::string_literals;

std::string bigEndian(std::uint32_t value, std::size_t size)
{
    std::string out;
    for (std::size_t i = size; i-- > 0;)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    return out;
}

std::string littleEndian(std::uint32_t value, std::size_t size)
{
    std::string out;
    for (std::size_t i = 0; i < size; ++i)
        out.push_back(static_cast<char>(value >> (8 * i) & 0xFF));
    return out;
}

std::string repeated(std::string_view text, std::size_t n)
{
    std::string out;
    while (n-- > 0)
        out += text;
    return out;
}

// --- txt ---

constexpr const char* BadTxtLine = " : une couleur Paint.NET s'écrit AARRGGBB ou RRGGBB, en chiffres hexadécimaux";

const ReaderCase TxtCases[] = {
    {"Lospec", true, sampleBytes("txt/paintnet32-lospec.txt"), "Palette Paint.NET, 32 couleurs"},
    {"ByHand", true, sampleBytes("txt/paintnet-main-lf.txt"),
     "Palette Paint.NET, 4 couleurs : 255 0 0, 0 255 0, 0 0 255, 128 128 128"},
    {"SixDigitsOnlyAreHex", false, "ff0000\r\n", "Palette Paint.NET, 1 couleur : 255 0 0"},
    {"CommentOnly", true, ";Colors: 0\r\n", "la palette n'a aucune couleur"},
    {"SevenDigits", false, "; x\nFF00000\n", "ligne 2 « FF00000 »"s + BadTxtLine},
    {"Blank", false, "; x\n FF000000\n", "ligne 2 «  FF000000 »"s + BadTxtLine},
    {"VgaSizedStaysVga", false, repeated("00112233\r\n", 76) + ";;;;;;\r\n", "Palette Paint.NET, 76 couleurs"},
};
INSTANTIATE_TEST_SUITE_P(txt, FormatReader, testing::ValuesIn(TxtCases), ByName());

// --- ase ---

const std::string AseHead = "ASEF\0\1\0\0"s;

std::string aseColour(std::string_view model, std::initializer_list<float> values)
{
    std::string body = bigEndian(2, 2) + "\0x\0\0"s + std::string(model);
    for (const float value : values)
        body += bigEndian(std::bit_cast<std::uint32_t>(value), 4);
    body += bigEndian(2, 2);
    return bigEndian(1, 2) + bigEndian(static_cast<std::uint32_t>(body.size()), 4) + body;
}

const std::string AseGroup =
    bigEndian(0xC001, 2) + bigEndian(4, 4) + "\0\1\0\0"s + bigEndian(0xC002, 2) + bigEndian(0, 4);

const ReaderCase AseCases[] = {
    {"GroupsAndGreys", true, sampleBytes("ase/ase-groupes-gris.ase"), "Nuancier Adobe ASE, 17 couleurs"},
    {"RgbGreyGroup", true,
     AseHead + bigEndian(4, 4) + aseColour("RGB ", {1.0F / 255, 0, 1}) + AseGroup + aseColour("Gray", {0.5F}),
     "Nuancier Adobe ASE, 2 couleurs : 1 0 255, 128 128 128"},
    {"CmykAfterAGroup", true,
     AseHead + bigEndian(4, 4) + aseColour("Gray", {0}) + AseGroup + aseColour("CMYK", {0, 0, 0, 0}),
     "couleur 1 : couleur CMYK, seules RGB et Gray se lisent (pas de gestion des couleurs)"},
    {"Lab", true, AseHead + bigEndian(1, 4) + aseColour("LAB ", {0, 0, 0}),
     "couleur 0 : couleur LAB, seules RGB et Gray se lisent (pas de gestion des couleurs)"},
    {"OutOfRange", true, AseHead + bigEndian(1, 4) + aseColour("RGB ", {0, 1.5F, 0}),
     "couleur 0 : composante hors de 0 à 1"},
    {"Truncated", true, AseHead + bigEndian(2, 4) + aseColour("Gray", {1}),
     "le fichier s'arrête avant son bloc 1 (il en annonce 2)"},
    {"BlockTooShort", true, AseHead + bigEndian(1, 4) + bigEndian(1, 2) + bigEndian(4, 4) + "\0\1\0\0RGB "s,
     "couleur 0 : bloc tronqué"},
    {"Version2", false, "ASEF\0\2\0\0"s + bigEndian(0, 4), "ce n'est pas un nuancier ASE de version 1.0"},
};
INSTANTIATE_TEST_SUITE_P(ase, FormatReader, testing::ValuesIn(AseCases), ByName());

// --- aco ---

std::string acoEntry(std::uint16_t space, std::uint16_t w, std::uint16_t x = 0, std::uint16_t y = 0)
{
    return bigEndian(space, 2) + bigEndian(w, 2) + bigEndian(x, 2) + bigEndian(y, 2) + bigEndian(0, 2);
}

const std::string AcoOne = "\0\1\0\1"s;
const std::string AcoTwo = "\0\2\0\1"s;
const std::string AcoName = bigEndian(2, 4) + "\0A\0\0"s;

const ReaderCase AcoCases[] = {
    {"Photoshop", true, sampleBytes("aco/aco24-v1v2.aco"), "Nuancier Photoshop, 24 couleurs"},
    {"VersionOneOnly", true, sampleBytes("aco/aco10-v1.aco"), "Nuancier Photoshop, 10 couleurs"},
    {"GreyRounded", true, AcoOne + acoEntry(8, 5000), "Nuancier Photoshop, 1 couleur : 128 128 128"},
    {"VersionTwoWins", true, AcoOne + acoEntry(2, 0) + AcoTwo + acoEntry(0, 0x1234, 0xFFFF, 0x00FF) + AcoName,
     "Nuancier Photoshop, 1 couleur : 18 255 0"},
    {"Cmyk", true, AcoOne + acoEntry(2, 0), "couleur 0 : espace de couleurs CMYK, seuls RGB et gris se lisent"},
    {"GreyPastTenThousand", true, AcoOne + acoEntry(8, 10001), "couleur 0 : gris 10001 hors de 0 à 10000"},
    {"Trailing", false, AcoOne + acoEntry(0, 0) + "x",
     "après 1 couleur en version 1, ni la fin du fichier ni leur version 2"},
    {"NameRunsOut", false, AcoOne + acoEntry(0, 0) + AcoTwo + acoEntry(0, 0) + bigEndian(9, 4),
     "le fichier s'arrête avant sa couleur 0 (il en annonce 1)"},
    {"Empty", true, "\0\1\0\0"s, "la palette n'a aucune couleur"},
    {"VgaSizedStaysVga", false,
     "\0\1\0\x0A"s + std::string(100, '\0') + "\0\2\0\x0A"s +
         repeated(std::string(10, '\0') + bigEndian(26, 4) + std::string(52, '\0'), 10),
     "Nuancier Photoshop, 10 couleurs"},
};
INSTANTIATE_TEST_SUITE_P(aco, FormatReader, testing::ValuesIn(AcoCases), ByName());

// --- col ---

const std::string ColHead = "\x08\x03\0\0\x23\xB1\0\0"s;

const ReaderCase ColCases[] = {
    {"Animator", true, sampleBytes("col/animator.col") + "tail", "Palette Animator Pro, 256 couleurs", 4},
    {"Short", true, ColHead + std::string(30, '\1'), "le fichier s'arrête avant sa couleur 10 (il en a 256)"},
    {"Version1", false, "\x08\x03\0\0\x23\xB1\1\0"s + std::string(768, '\0'), "ce n'est pas une palette Animator Pro"},
};
INSTANTIATE_TEST_SUITE_P(col, FormatReader, testing::ValuesIn(ColCases), ByName());

// --- soc ---

std::string socTable(std::string_view root, std::string_view colours)
{
    return "<?xml version=\"1.0\"?>\n<!-- x -->\n<" + std::string(root) + " xmlns:draw=\"d\">\n" +
           std::string(colours) + "</" + std::string(root) + ">\n";
}

const ReaderCase SocCases[] = {
    {"Standard", true, sampleBytes("soc/standard.soc"), "Table de couleurs LibreOffice, 120 couleurs"},
    {"LibreOffice", true, sampleBytes("soc/libreoffice.soc"), "Table de couleurs LibreOffice, 32 couleurs"},
    {"OtherElementsPassed", true, socTable("ooo:color-table", "<draw:gradient/><draw:color draw:color=\"#0102FF\"/>"),
     "Table de couleurs LibreOffice, 1 couleur : 1 2 255"},
    {"Empty", true, socTable("ooo:color-table", ""), "la palette n'a aucune couleur"},
    {"ShortColour", true,
     socTable("office:color-table", "<draw:color draw:name=\"a\" draw:color=\"#010203\"/>\n"
                                    "<draw:color draw:name=\"b\" draw:color=\"010203\"/>"),
     "couleur 1 « b » : draw:color n'est pas de la forme #rrggbb"},
    {"NoColourAttribute", true, socTable("ooo:color-table", "<draw:color draw:name=\"c\"/>"),
     "couleur 0 « c » : draw:color n'est pas de la forme #rrggbb"},
    {"Malformed", true, socTable("ooo:color-table", "<draw:color\n"), "ligne 5 : XML mal formé"},
    {"OtherRoot", false, socTable("office:document", ""),
     "ce n'est pas une table de couleurs LibreOffice (racine « office:document »)"},
};
INSTANTIATE_TEST_SUITE_P(soc, FormatReader, testing::ValuesIn(SocCases), ByName());

// --- kpl ---

// A zip entry, stored or deflated, claiming its own size inflated unless told another.
struct ZipEntry {
    std::string name, content;
    bool deflated = false;
    std::optional<std::uint32_t> claimed = std::nullopt;
};

std::string zipOf(std::initializer_list<ZipEntry> entries)
{
    std::string local, central;
    for (const ZipEntry& e : entries) {
        const auto* content = reinterpret_cast<const Bytef*>(e.content.data());
        std::string data = e.content;
        if (e.deflated) { // zlib's stream less its 2-byte header and 4-byte check
            uLongf size = compressBound(e.content.size());
            data.resize(size);
            compress2(reinterpret_cast<Bytef*>(data.data()), &size, content, e.content.size(), 9);
            data = data.substr(2, size - 6);
        }
        const auto length = [](std::size_t n) { return static_cast<std::uint32_t>(n); };
        const std::string fields = littleEndian(20, 2) + littleEndian(0, 2) + littleEndian(e.deflated ? 8 : 0, 2) +
                                   littleEndian(0, 4) + littleEndian(crc32(0, content, length(e.content.size())), 4) +
                                   littleEndian(length(data.size()), 4) +
                                   littleEndian(e.claimed.value_or(length(e.content.size())), 4) +
                                   littleEndian(length(e.name.size()), 2) + littleEndian(0, 2);
        central += "PK\1\2"s + littleEndian(20, 2) + fields + std::string(10, '\0') +
                   littleEndian(length(local.size()), 4) + e.name;
        local += "PK\3\4"s + fields + e.name + data;
    }
    const std::string count = littleEndian(static_cast<std::uint32_t>(entries.size()), 2);
    return local + central + "PK\5\6"s + std::string(4, '\0') + count + count +
           littleEndian(static_cast<std::uint32_t>(central.size()), 4) +
           littleEndian(static_cast<std::uint32_t>(local.size()), 4) + std::string(2, '\0');
}

const std::string Krita = "krita/x-colorset";

std::string kpl(std::string_view colourSet)
{
    return zipOf({{"mimetype", Krita}, {"colorset.xml", std::string(colourSet), true}});
}

std::string colourSet(std::string_view entries)
{
    return "<ColorSet name=\"x\" columns=\"16\">\n" + std::string(entries) + "</ColorSet>\n";
}

std::string grey(std::string_view level, std::string_view position = "")
{
    return "<ColorSetEntry><RGB r=\"" + std::string(level) + "\" g=\"" + std::string(level) + "\" b=\"" +
           std::string(level) + "\"/>" + std::string(position) + "</ColorSetEntry>\n";
}

const ReaderCase KplCases[] = {
    {"Krita5GroupAfter", true, sampleBytes("kpl/krita5-groupe.kpl"), "Palette Krita, 26 couleurs"},
    {"NewerType", true, sampleBytes("kpl/krita-pre.kpl"), "Palette Krita, 16 couleurs"},
    {"HalvesUp", true, kpl(colourSet("<ColorSetEntry><RGB r=\"0.5\" g=\"0.498\" b=\"1e-2\"/></ColorSetEntry>")),
     "Palette Krita, 1 couleur : 128 127 3"},
    {"RowByRowUnplacedAfter", true,
     kpl(colourSet(grey("0.4", "<Position row=\"1\" column=\"0\"/>") + grey("1") +
                   grey("0.2", "<Position row=\"0\" column=\"1\"/>") +
                   grey("0", "<Position row=\"0\" column=\"0\"/>"))),
     "Palette Krita, 4 couleurs : 0 0 0, 51 51 51, 102 102 102, 255 255 255"},
    {"Empty", true, kpl("<ColorSet/>"), "la palette n'a aucune couleur"},
    {"Cmyk", true, kpl(colourSet(grey("0") + "<ColorSetEntry><CMYK c=\"0\" m=\"0\" y=\"0\" k=\"1\"/></ColorSetEntry>")),
     "couleur 1 : couleur CMYK, seule RGB se lit (pas de gestion des couleurs)"},
    {"NoColour", true, kpl(colourSet("<ColorSetEntry><Position row=\"0\" column=\"0\"/></ColorSetEntry>")),
     "couleur 0 : aucune couleur"},
    {"OverOne", true, kpl(colourSet(grey("1.2"))), "couleur 0 : r s'écrit en nombre de 0 à 1, pas « 1.2 »"},
    {"Negative", true, kpl(colourSet("<ColorSetEntry><RGB r=\"0\" g=\"-0.1\" b=\"0\"/></ColorSetEntry>")),
     "couleur 0 : g s'écrit en nombre de 0 à 1, pas « -0.1 »"},
    {"Malformed", true, kpl("<ColorSet>\n<ColorSetEntry"), "colorset.xml, ligne 2 : XML mal formé"},
    {"OtherRoot", true, kpl("<Colorset/>"), "colorset.xml : ce n'est pas une palette Krita (racine « Colorset »)"},
    {"NoColourSet", true, zipOf({{"mimetype", Krita}, {"profiles.xml", "<Profiles/>"}}),
     "l'archive n'a pas de colorset.xml"},
    {"Cut", true, sampleBytes("kpl/krita-pre.kpl").substr(0, 200), "ce n'est pas une archive zip lisible"},
    {"Over16MiB", true, zipOf({{"mimetype", Krita}, {"colorset.xml", "<ColorSet/>", false, (16u << 20) + 1}}),
     "colorset.xml : plus de 16 Mio une fois décompressé : trop pour Corvane"},
    {"BombReadToItsClaim", true,
     zipOf({{"mimetype", Krita}, {"colorset.xml", colourSet(grey("0")) + std::string(1 << 20, ' '), true, 100}}),
     "colorset.xml : données abîmées"},
    {"DeflatedMimetype", false, zipOf({{"mimetype", Krita, true}, {"colorset.xml", colourSet(grey("0"))}}),
     "Palette Krita, 1 couleur : 0 0 0"},
    {"MimetypeNotFirst", false, zipOf({{"colorset.xml", colourSet(grey("0"))}, {"mimetype", Krita}}),
     "Palette Krita, 1 couleur : 0 0 0"},
    {"OpenDocument", false, zipOf({{"mimetype", "application/vnd.oasis.opendocument.text"}, {"content.xml", "<x/>"}}),
     "l'archive n'a pas de colorset.xml"},
};
INSTANTIATE_TEST_SUITE_P(kpl, FormatReader, testing::ValuesIn(KplCases), ByName());

// --- lbm ---

std::string iffChunk(std::string_view id, std::string_view body)
{
    return std::string(id) + bigEndian(static_cast<std::uint32_t>(body.size()), 4) + std::string(body) +
           std::string(body.size() % 2, '\0');
}

std::string form(std::string_view type, std::string_view chunks)
{
    return "FORM" + bigEndian(static_cast<std::uint32_t>(chunks.size() + 4), 4) + std::string(type) +
           std::string(chunks);
}

const ReaderCase LbmCases[] = {
    {"DeluxePaint", true, sampleBytes("lbm/deluxe32.lbm"), "Image IFF ILBM, 32 couleurs", 138},
    {"Pbm", true, sampleBytes("lbm/deluxe16-pbm.lbm"), "Image IFF PBM, 16 couleurs", 24},
    {"OddChunkPadded", true, form("ILBM", iffChunk("ANNO", "x") + iffChunk("CMAP", "\1\2\3\4\5\6\7")),
     "Image IFF ILBM, 2 couleurs : 1 2 3, 4 5 6"},
    {"BodyBeforeCmap", true, form("ILBM", iffChunk("BODY", "xx") + iffChunk("CMAP", "abc")),
     "image IFF sans palette (pas de bloc CMAP)"},
    {"CmapCut", true, form("ILBM", "CMAP"s + bigEndian(6, 4) + "abc"),
     "le fichier s'arrête dans son bloc CMAP (6 octets annoncés)"},
    {"Anim", false, form("ANIM", iffChunk("CMAP", "abc")), "ce n'est pas une image IFF ILBM ou PBM"},
};
INSTANTIATE_TEST_SUITE_P(lbm, FormatReader, testing::ValuesIn(LbmCases), ByName());

// --- aseprite ---

std::string spriteChunk(std::uint16_t type, std::string_view body)
{
    return littleEndian(static_cast<std::uint32_t>(body.size() + 6), 4) + littleEndian(type, 2) + std::string(body);
}

std::string sprite(std::initializer_list<std::string> chunks)
{
    std::string frame;
    for (const std::string& chunk : chunks)
        frame += chunk;
    const auto count = static_cast<std::uint32_t>(chunks.size());
    frame = littleEndian(static_cast<std::uint32_t>(frame.size() + 16), 4) + littleEndian(0xF1FA, 2) +
            littleEndian(count, 2) + std::string(4, '\0') + littleEndian(count, 4) + frame;
    return littleEndian(static_cast<std::uint32_t>(frame.size() + 128), 4) + littleEndian(0xA5E0, 2) +
           littleEndian(1, 2) + std::string(120, '\0') + frame;
}

// Size, first and last index, 8 reserved bytes, then flags, R, G, B, A and a name.
std::string newPalette(std::uint32_t size, std::uint32_t first, std::uint32_t last, std::string_view entries)
{
    return spriteChunk(0x2019, littleEndian(size, 4) + littleEndian(first, 4) + littleEndian(last, 4) +
                                   std::string(8, '\0') + std::string(entries));
}

const std::string Layer = spriteChunk(0x2004, std::string(18, '\0'));

const ReaderCase AsepriteCases[] = {
    {"Aseprite13SecondFrameUnread", true, sampleBytes("aseprite/sprite24.aseprite"), "Sprite Aseprite, 24 couleurs",
     40},
    {"OldChunkInTwoPackets", true, sampleBytes("aseprite/sprite256-ancien.aseprite"), "Sprite Aseprite, 256 couleurs"},
    {"SixBit", true, sampleBytes("aseprite/sprite16-6bits.aseprite"), "Sprite Aseprite, 16 couleurs"},
    {"NamedFirstIndexOne", true, sprite({Layer, newPalette(3, 1, 2, "\1\0\1\2\3\xFF\1\0n\0\0\4\5\6\xFF"s)}),
     "Sprite Aseprite, 3 couleurs : 0 0 0, 1 2 3, 4 5 6"},
    {"NewChunkWinsOverOld", true,
     sprite({spriteChunk(0x0004, "\1\0\0\1\7\7\7"s), newPalette(1, 0, 0, "\0\0\1\2\3\xFF"s)}),
     "Sprite Aseprite, 1 couleur : 1 2 3"},
    {"SixBitTimesFour", true, sprite({spriteChunk(0x0011, "\1\0\2\2\1\2\3\x3F\0\0"s)}),
     "Sprite Aseprite, 4 couleurs : 0 0 0, 0 0 0, 4 8 12, 252 0 0"},
    {"NoPalette", true, sprite({Layer}), "sprite sans palette dans sa première image"},
    {"LastPastSize", true, sprite({newPalette(1, 0, 1, std::string(12, '\0'))}),
     "palette de 1 couleur dont les couleurs 0 à 1 changent"},
    {"ChunkTooSmall", true, sprite({"\2\0\0\0\x19\x20"s}), "bloc de taille impossible dans la première image"},
    {"EntryPastChunk", true,
     sprite({spriteChunk(0x2019, littleEndian(2, 4) + littleEndian(0, 4) + littleEndian(1, 4) + std::string(8, '\0') +
                                     std::string(6, '\0'))}),
     "le fichier s'arrête dans sa première image"},
    {"FrameMagicMissing", false, std::string(4, '\0') + "\xE0\xA5"s + std::string(140, '\0'),
     "ce n'est pas un sprite Aseprite"},
};
INSTANTIATE_TEST_SUITE_P(aseprite, FormatReader, testing::ValuesIn(AsepriteCases), ByName());

} // namespace
} // namespace corvane::test
