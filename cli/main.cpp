#include "files.h"
#include "messages.h"
#include "system_errors.h"

#include "applying.h"
#include "corvane_version.h"
#include "format.h"
#include "input.h"
#include "target.h"

#include <getopt.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {

using intake::frenchErrnoText;
namespace {

constexpr std::string_view Program = "corvane-convert";
constexpr int AllConverted = 0;
constexpr int NotAllConverted = 1;
constexpr int UsageError = 2;

constexpr std::string_view HelpHead = R"(Utilisation : corvane-convert [OPTION]... ENTRÉE SORTIE
         ou : corvane-convert [OPTION]... -d DOSSIER ENTRÉE...
         ou : corvane-convert [--from=FORMAT] --type FICHIER...
         ou : corvane-convert --palette=FICHIER [OPTION]... ENTRÉE SORTIE
         ou : corvane-convert --palette=FICHIER [OPTION]... -d DOSSIER ENTRÉE...
Convertit des palettes de couleurs. Une palette que la fenêtre de Corvane ouvre
(DIV Games Studio, ou JASC-PAL aux fins de ligne CR LF) est convertie comme par
sa commande « Convertir Palette » : une palette DIV devient une palette JASC-PAL
de 256 couleurs, une palette JASC-PAL de 256 ou 16 couleurs une palette DIV.
Toute autre palette est reconnue à son contenu parmi les formats ci-dessous :
la palette d'un fichier DIV (fpg, fnt, map, ou tout fichier DIV compressé par
gzip, comme les écrit BennuGD) devient une palette JASC-PAL, les autres une
palette DIV de 1352 octets. --to choisit un autre format de sortie.

  -d, --directory=DOSSIER  écrit chaque sortie dans DOSSIER, qui doit exister,
                           sous le nom de son entrée, l'extension habituelle
                           du format écrit remplaçant la sienne
  -f, --force              remplace les fichiers de sortie qui existent déjà
      --from=FORMAT        lit chaque entrée dans ce FORMAT, sans le deviner
      --to=FORMAT          écrit chaque sortie dans ce FORMAT
      --type               affiche seulement le type de chaque FICHIER,
                           une ligne « NOM: TYPE » par fichier
      --palette=FICHIER    met la palette de FICHIER (tout format lu, 256
                           couleurs au plus) dans chaque ENTRÉE, une image
                           ou un fichier fpg, map ou fnt, écrite dans son
                           propre format (avec -d, sous son propre nom) :
                           l'entrée i de sa table devient la couleur i de la
                           palette, du noir après la dernière
      --remap              avec --palette, recolore plutôt chaque pixel à la
                           couleur la plus proche de la palette (CIELAB)
      --help               affiche cette aide et quitte
      --version            affiche la version et quitte

Formats (« lecture seule » : se lit mais ne s'écrit pas) :
)";

constexpr std::string_view HelpTail = R"(
Pertes : div et vga ont des niveaux de 6 bits (0 à 63). Vers eux, une couleur
de 8 bits suit la règle des niveaux de la fenêtre et perd en précision ; une
palette DIV menée vers un format de 8 bits puis ramenée perd un niveau sur chaque
composante non nulle, comme dans la fenêtre. De div à vga et l'inverse, les
niveaux passent sans perte. Ne sont gardés ni l'alpha (JASC-PAL, Paint.NET,
Aseprite), ni les noms de couleurs (GIMP, Aseprite, nuanciers Adobe), ni les
groupes ASE, ni l'indice transparent Adobe, ni les drapeaux RIFF, ni l'image
d'un PNG, d'un GIF, d'un BMP, d'un PCX, d'un FPG, d'une image IFF ou d'un
sprite : seulement leurs couleurs.
La table d'un GIF s'arrondit à une puissance de deux (2 à 256 couleurs) et celle
d'un PCX de 256 couleurs compte toujours 256 : du noir après la dernière couleur.
D'une image PNG sans palette
(celles de Lospec), ses couleurs distinctes dans l'ordre où elles apparaissent,
ligne après ligne, sans ses pixels transparents ; de plus de 256 couleurs, c'est
une image et non une palette : elle est refusée. Une couleur d'un nuancier en
CMYK, LAB ou HSB est refusée (pas de gestion des couleurs). lbm et aseprite se
lisent mais ne s'écrivent pas.

Avec --palette, un fichier qui n'a qu'une palette (pal, gpl, hex...) est
refusé. Sans --remap, seule la table de couleurs change : tous les autres
octets du fichier restent les mêmes. Avec --remap, la plus proche se mesure en
CIELAB (CIE 1976), une égalité allant au plus petit indice ; l'indice
transparent (0 dans un fichier fpg, map ou fnt) garde sa place. Une image sans
palette (PNG en couleurs vraies ou en gris, BMP de 24 bits) ne devient indexée
qu'avec --remap.

Exemples :
  corvane-convert lospec.hex JEU.PAL        palette Lospec ou GIMP en palette DIV
  corvane-convert lospec.png JEU.PAL        image de palette Lospec en palette DIV
  corvane-convert --to=div TUILES.FPG T.PAL la palette d'un FPG, plages comprises
  corvane-convert -d pal TUILES.FPG         la même en JASC-PAL : pal/TUILES.pal
  corvane-convert --to=png JEU.PAL jeu.png  palette DIV en image PNG indexée
  corvane-convert --to=pcx JEU.PAL JEU.PCX  image PCX pour l'éditeur de DIV
  corvane-convert héros.aseprite JEU.PAL    palette d'un sprite Aseprite en DIV
  corvane-convert --palette=jeu.gpl TUILES.FPG NEUF.FPG
                                            la palette mise dans un FPG
  corvane-convert --palette=jeu.hex --remap -d neuves *.png
                                            des images recolorées au plus proche

Avec « - » pour ENTRÉE, la palette est lue sur l'entrée standard ; avec « - »
pour SORTIE, elle est écrite sur la sortie standard.

Code de retour : 0 si tout a été converti, 1 si un fichier ne l'a pas été
(les autres le sont quand même), 2 pour une erreur d'utilisation.
)";

// The formats part of the help, from the formats' table.
std::string helpText()
{
    std::string text(HelpHead);
    const auto cell = [&text](std::string_view value, std::size_t width) {
        text.append(value);
        text.append(width > value.size() ? width - value.size() : 1, ' ');
    };
    text.append("  FORMAT    FICHIER   EXTENSION  COULEURS (au plus)\n");
    for (const formats::Format& format : formats::allFormats()) {
        text.append("  ");
        cell(format.name, 10);
        cell(format.title, 10);
        cell(format.extension, 11);
        text.append(format.writes() ? std::to_string(format.maxColours) : "lecture seule").push_back('\n');
    }
    return text.append(HelpTail);
}

void tell(std::string_view file, std::string_view why)
{
    std::string line(Program);
    line.append(": ").append(file).append(": ").append(why).push_back('\n');
    std::fwrite(line.data(), 1, line.size(), stderr);
}

std::string inputName(const std::string& name)
{
    return name == "-" ? std::string("entrée standard") : printableName(name);
}

std::string outputName(const std::string& name)
{
    return name == "-" ? std::string("sortie standard") : printableName(name);
}

int usageError(std::string_view problem)
{
    std::string text(Program);
    text.append(": ").append(problem).append("\nPour en savoir plus : ").append(Program).append(" --help\n");
    std::fwrite(text.data(), 1, text.size(), stderr);
    return UsageError;
}

// Standard output is flushed by hand so that a failure to write it is told.
int finishStandardOutput(int status)
{
    if (std::fflush(stdout) != 0 || std::ferror(stdout) != 0) {
        tell("sortie standard", "écriture impossible : " + frenchErrnoText(errno));
        return status == AllConverted ? NotAllConverted : status;
    }
    return status;
}

// What the command line asks for.
enum class Task { Convert, ShowKinds, Help, Version, ListFormats, ListOutputFormats };

struct Options {
    Task task = Task::Convert;
    bool force = false;
    const formats::Format* from = nullptr;
    const formats::Format* to = nullptr;
    std::optional<std::string> folder;
    // --palette: the palette put into each input; --remap: how.
    std::optional<std::string> palette;
    bool remap = false;
    // The command line's own strings: a batch of many files keeps no copy of their names.
    std::span<char* const> operands;
};

// Converts files one after another: what failed is told as it happens, and
// the exit status remembers it.
class Converter {
public:
    // With a palette, puts it into each input instead, as --remap says.
    explicit Converter(const Options& options, const apply::Palette* palette = nullptr)
        : from_(options.from), to_(options.to), palette_(palette),
          mode_(options.remap ? apply::Mode::Remap : apply::Mode::KeepIndices), writer_(options.force)
    {
    }

    void fail(std::string_view file, std::string_view why)
    {
        tell(file, why);
        status_ = NotAllConverted;
    }

    // The file's content in the format asked for, or by default in the
    // other format: exactly as the window's Convert writes it for a file the
    // window opens. Nothing when it cannot be read or converted.
    std::optional<intake::Output> converted(const std::string& name, FileId& id)
    {
        intake::Input input;
        Problem problem = readInput(reader_, name, from_, input, id);
        if (!problem && input.warning)
            tell(inputName(name), *input.warning);
        intake::Output output;
        if (!problem)
            problem = intake::convertInput(input, to_, name, output);
        if (problem) {
            fail(inputName(name), *problem);
            return std::nullopt;
        }
        return output;
    }

    void convert(const std::string& in, const std::string& out)
    {
        if (palette_ != nullptr) {
            applyPalette(in, out);
            return;
        }
        FileId id;
        if (const std::optional<intake::Output> output = converted(in, id))
            write(out, output->content, id);
    }

    // Named after the input as it was given, its last component, with the
    // written format's extension.
    void convertInto(const std::string& folder, const std::string& in)
    {
        const std::string name = std::filesystem::path(in).filename().string();
        if (name.empty() || name == "." || name == "..") {
            fail(inputName(in), cannotRead(frenchErrnoText(EISDIR)));
            return;
        }
        if (palette_ != nullptr) {
            applyPalette(in, folder + name);
            return;
        }
        FileId id;
        if (const std::optional<intake::Output> output = converted(in, id))
            write(folder + intake::outputFileName(name, output->format->extension), output->content, id);
    }

    int finish()
    {
        for (const OutputWriter::FlushFailure& failure : writer_.flush())
            fail(printableName(failure.folder), failure.why);
        return status_;
    }

private:
    // The input recoloured into `out`, in its own format, a piece at a time
    // but for standard output, which only gets an output whole.
    void applyPalette(const std::string& in, const std::string& out)
    {
        OpenedInput file;
        if (const Problem problem = file.open(in)) {
            fail(inputName(in), *problem);
            return;
        }
        FdSource source(file.fd(), file.named());
        std::vector<std::string> warnings;
        const auto produce = [&](apply::ByteSink& sink) {
            return apply::applyPalette(source, from_, *palette_, mode_, sink, warnings);
        };
        Problem refused, problem;
        if (out == "-") {
            apply::StringSink sink;
            refused = produce(sink);
            if (!refused)
                problem = writeStandardOutput(sink.content, file.id());
        } else {
            problem = writer_.stream(out, file.id(), produce, refused);
        }
        if (refused) {
            fail(inputName(in), *refused);
            return;
        }
        for (const std::string& warning : warnings)
            tell(inputName(in), warning);
        if (problem)
            fail(outputName(out), *problem);
    }

    void write(const std::string& out, std::string_view content, const FileId& input)
    {
        const Problem problem = out == "-" ? writeStandardOutput(content, input) : writer_.write(out, content, input);
        if (problem)
            fail(outputName(out), *problem);
    }

    const formats::Format* from_;
    const formats::Format* to_;
    const apply::Palette* palette_;
    apply::Mode mode_;
    intake::InputReader reader_;
    OutputWriter writer_;
    int status_ = AllConverted;
};

int showKinds(std::span<char* const> files, const formats::Format* from)
{
    int status = AllConverted;
    intake::InputReader reader;
    for (const std::string name : files) {
        intake::Input input;
        FileId id;
        if (const Problem problem = readInput(reader, name, from, input, id)) {
            tell(inputName(name), *problem);
            status = NotAllConverted;
            continue;
        }
        if (input.warning)
            tell(inputName(name), *input.warning);
        const std::string line = printableName(name) + ": " + intake::kindText(input) + "\n";
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return status;
}

int convertIntoFolder(const std::string& folder, const Options& options, Converter& converter)
{
    struct stat st {};
    if (::stat(folder.c_str(), &st) != 0) {
        tell(printableName(folder), errno == ENOENT ? std::string("dossier introuvable") : frenchErrnoText(errno));
        return NotAllConverted;
    }
    if (!S_ISDIR(st.st_mode)) {
        tell(printableName(folder), "ce n'est pas un dossier");
        return NotAllConverted;
    }
    const std::string prefix = folder.ends_with('/') ? folder : folder + '/';
    for (const std::string in : options.operands)
        converter.convertInto(prefix, in);
    return converter.finish();
}

std::string knownFormats()
{
    std::string names;
    for (const formats::Format& format : formats::allFormats())
        names.append(names.empty() ? "" : ", ").append(format.name);
    return names;
}

enum LongOnly {
    TypeOption = 256,
    HelpOption,
    VersionOption,
    FromOption,
    ToOption,
    ListFormatsOption,
    ListOutputFormatsOption,
    PaletteOption,
    RemapOption,
};

constexpr option LongOptions[] = {
    {"directory", required_argument, nullptr, 'd'},
    {"force", no_argument, nullptr, 'f'},
    {"from", required_argument, nullptr, FromOption},
    {"to", required_argument, nullptr, ToOption},
    {"type", no_argument, nullptr, TypeOption},
    {"palette", required_argument, nullptr, PaletteOption},
    {"remap", no_argument, nullptr, RemapOption},
    {"help", no_argument, nullptr, HelpOption},
    {"version", no_argument, nullptr, VersionOption},
    // For the shell's completion, not in the help.
    {"list-formats", no_argument, nullptr, ListFormatsOption},
    {"list-output-formats", no_argument, nullptr, ListOutputFormatsOption},
    {nullptr, 0, nullptr, 0},
};

// Why getopt refused the option it last read.
std::string refusedOption(int c, char** argv)
{
    if (c == ':')
        return "l'option « " + std::string(argv[optind - 1]) + " » demande " +
               (optopt == 'd'             ? "un dossier"
                : optopt == PaletteOption ? "un fichier"
                                          : "un format");
    // A known long option given an argument leaves its value in optopt,
    // an unknown long option leaves 0, an unknown short one itself.
    for (const option& known : LongOptions)
        if (known.name != nullptr && optopt != 0 && known.val == optopt)
            return "l'option « --" + std::string(known.name) + " » ne prend pas d'argument";
    const std::string_view given = argv[optind - 1];
    const std::string unknown =
        optopt != 0 ? std::string("-") + char(optopt) : printableName(given.substr(0, given.find('=')));
    return "option inconnue : « " + unknown + " »";
}

// The options in order, up to one that answers alone (--help, --version, a
// list), whatever follows it; or the usage error of the first wrong one.
Problem parseOptions(int argc, char** argv, Options& options)
{
    opterr = 0; // getopt's own messages are English
    for (int c; (c = ::getopt_long(argc, argv, ":d:f", LongOptions, nullptr)) != -1;) {
        switch (c) {
        case 'd':
            options.folder = optarg;
            break;
        case 'f':
            options.force = true;
            break;
        case FromOption:
        case ToOption: {
            // --from takes any format, --to only one that writes.
            const intake::Target target = intake::targetNamed(optarg);
            if (target.named == nullptr)
                return *target.refusal + " (formats connus : " + knownFormats() + ")";
            if (c == ToOption && target.refusal)
                return target.refusal;
            (c == FromOption ? options.from : options.to) = target.named;
            break;
        }
        case TypeOption:
            options.task = Task::ShowKinds;
            break;
        case PaletteOption:
            options.palette = optarg;
            break;
        case RemapOption:
            options.remap = true;
            break;
        case HelpOption:
            options.task = Task::Help;
            return std::nullopt;
        case VersionOption:
            options.task = Task::Version;
            return std::nullopt;
        case ListFormatsOption:
            options.task = Task::ListFormats;
            return std::nullopt;
        case ListOutputFormatsOption:
            options.task = Task::ListOutputFormats;
            return std::nullopt;
        default:
            return refusedOption(c, argv);
        }
    }
    options.operands = std::span<char* const>(argv + optind, static_cast<std::size_t>(argc - optind));
    return std::nullopt;
}

// The usage error of options that do not go together, or of operands too few
// or too many for them.
Problem checkOptions(const Options& options)
{
    const bool kinds = options.task == Task::ShowKinds;
    if (!kinds && options.task != Task::Convert)
        return std::nullopt;
    if (options.palette && (kinds || options.to != nullptr))
        return "--palette ne se combine ni avec --to ni avec --type";
    if (options.remap && !options.palette)
        return "--remap ne va qu'avec --palette";
    if (options.palette == "-" &&
        std::find(options.operands.begin(), options.operands.end(), std::string_view("-")) != options.operands.end())
        return "« - » ne peut être à la fois la palette et une entrée";
    if (kinds && (options.folder || options.force))
        return "--type ne se combine ni avec -d ni avec --force";
    if (kinds && options.to != nullptr)
        return "--type ne se combine pas avec --to";
    if (options.operands.empty())
        return "fichier manquant";
    if (kinds)
        return std::nullopt;
    if (options.folder) {
        for (const std::string_view operand : options.operands)
            if (operand == "-")
                return "« - » n'est pas une entrée possible avec -d : la sortie prend le nom de l'entrée";
        return std::nullopt;
    }
    if (options.operands.size() < 2)
        return "fichier de sortie manquant";
    if (options.operands.size() > 2)
        return "fichier en trop : « " + printableName(options.operands[2]) +
               " » (-d pour convertir plusieurs fichiers)";
    return std::nullopt;
}

// The palette of --palette, from its file or standard input.
Problem readPalette(const std::string& name, apply::Palette& palette)
{
    OpenedInput file;
    if (Problem problem = file.open(name))
        return problem;
    FdSource source(file.fd(), file.named());
    return apply::readPalette(source, palette);
}

int perform(const Options& options)
{
    switch (options.task) {
    case Task::Help: {
        const std::string help = helpText();
        std::fwrite(help.data(), 1, help.size(), stdout);
        return finishStandardOutput(AllConverted);
    }
    case Task::Version:
        std::fputs("corvane-convert (Corvane) " CORVANE_VERSION "\n" CORVANE_COPYRIGHT, stdout);
        return finishStandardOutput(AllConverted);
    case Task::ListFormats:
    case Task::ListOutputFormats:
        for (const formats::Format& format : formats::allFormats())
            if (options.task == Task::ListFormats || format.writes())
                std::fprintf(stdout, "%.*s\n", static_cast<int>(format.name.size()), format.name.data());
        return finishStandardOutput(AllConverted);
    case Task::ShowKinds:
        return finishStandardOutput(showKinds(options.operands, options.from));
    case Task::Convert:
        break;
    }
    apply::Palette palette;
    if (options.palette) {
        // Nothing is written when the palette cannot be had.
        if (const Problem problem = readPalette(*options.palette, palette)) {
            tell(inputName(*options.palette), *problem);
            return NotAllConverted;
        }
    }
    Converter converter(options, options.palette ? &palette : nullptr);
    if (options.folder)
        return convertIntoFolder(*options.folder, options, converter);
    converter.convert(options.operands[0], options.operands[1]);
    return converter.finish();
}

int runCommandLine(int argc, char** argv)
{
    Options options;
    Problem problem = parseOptions(argc, argv, options);
    if (!problem)
        problem = checkOptions(options);
    return problem ? usageError(*problem) : perform(options);
}

} // namespace
} // namespace corvane::cli

int main(int argc, char** argv)
{
    // Over a file-size limit, a write fails and is told, instead of the
    // signal ending the program with a temporary file left behind.
    std::signal(SIGXFSZ, SIG_IGN);
    return corvane::cli::runCommandLine(argc, argv);
}
