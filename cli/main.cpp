#include "files.h"
#include "messages.h"

#include "conversion.h"
#include "corvane_version.h"
#include "jasc_pal.h"

#include <getopt.h>
#include <sys/stat.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::cli {
namespace {

constexpr std::string_view Program = "corvane-convert";
constexpr int AllConverted = 0;
constexpr int NotAllConverted = 1;
constexpr int UsageError = 2;
constexpr std::size_t MaxCountShown = 40;

constexpr std::string_view Help = R"(Utilisation : corvane-convert [-f] ENTRÉE SORTIE
         ou : corvane-convert [-f] -d DOSSIER ENTRÉE...
         ou : corvane-convert --type FICHIER...
Convertit des palettes de couleurs comme la commande « Convertir Palette » de
Corvane : une palette DIV Games Studio devient une palette JASC-PAL de
256 couleurs, une palette JASC-PAL de 256 ou 16 couleurs devient une palette DIV.

  -d, --directory=DOSSIER  écrit chaque sortie dans DOSSIER, qui doit exister,
                           sous le nom de fichier de son entrée
  -f, --force              remplace les fichiers de sortie qui existent déjà
      --type               affiche seulement le type de chaque FICHIER,
                           une ligne « NOM: TYPE » par fichier
      --help               affiche cette aide et quitte
      --version            affiche la version et quitte

Avec « - » pour ENTRÉE, la palette est lue sur l'entrée standard ; avec « - »
pour SORTIE, elle est écrite sur la sortie standard.

Code de retour : 0 si tout a été converti, 1 si un fichier ne l'a pas été
(les autres le sont quand même), 2 pour une erreur d'utilisation.
)";

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

struct Options {
    bool force = false;
    bool kindOnly = false;
    std::optional<std::string> folder;
    std::vector<std::string> operands;
};

// Converts files one after another: what failed is told as it happens, and
// the exit status remembers it.
class Converter {
public:
    explicit Converter(bool force) : writer_(force) {}

    void fail(std::string_view file, std::string_view why)
    {
        tell(file, why);
        status_ = NotAllConverted;
    }

    // The file's content in the other format, exactly as the window's
    // Convert writes it; nothing when it cannot be read or converted.
    std::optional<std::string> converted(const std::string& name, Input& input)
    {
        if (const Failure failure = readInput(name, input)) {
            fail(inputName(name), *failure);
            return std::nullopt;
        }
        if (input.result.kind == PaletteKind::Unknown) {
            fail(inputName(name), UnknownKindMessage);
            return std::nullopt;
        }
        const Conversion conversion = conversionFor(input.caption);
        if (conversion == Conversion::None) {
            // As written, but a line of garbage is not worth kilobytes of message.
            const std::string_view count = input.result.countText;
            const std::string shown = count.size() > MaxCountShown
                                          ? fileTextToUtf8(count.substr(0, MaxCountShown)) + "…"
                                          : fileTextToUtf8(count);
            fail(inputName(name), "palette JASC-PAL de « " + shown +
                                      " » couleurs : seules celles de 256 ou 16 couleurs se convertissent");
            return std::nullopt;
        }
        return convertPalette(input.table, conversion);
    }

    void convert(const std::string& in, const std::string& out)
    {
        Input input;
        const std::optional<std::string> content = converted(in, input);
        if (!content)
            return;
        const Failure failure =
            out == "-" ? writeStandardOutput(*content, input.id) : writer_.write(out, *content, input.id);
        if (failure)
            fail(outputName(out), *failure);
    }

    int finish()
    {
        for (const OutputWriter::FlushFailure& failure : writer_.flush())
            fail(printableName(failure.folder), failure.why);
        return status_;
    }

private:
    OutputWriter writer_;
    int status_ = AllConverted;
};

int showKinds(const std::vector<std::string>& files)
{
    int status = AllConverted;
    for (const std::string& name : files) {
        Input input;
        if (const Failure failure = readInput(name, input)) {
            tell(inputName(name), *failure);
            status = NotAllConverted;
            continue;
        }
        std::string line = printableName(name);
        line.append(": ");
        line.append(input.result.kind == PaletteKind::Unknown ? std::string(UnknownKindMessage)
                                                              : fileTextToUtf8(input.caption.text()));
        line.push_back('\n');
        std::fwrite(line.data(), 1, line.size(), stdout);
    }
    return status;
}

int convertIntoFolder(const std::string& folder, const std::vector<std::string>& inputs, bool force)
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
    Converter converter(force);
    for (const std::string& in : inputs) {
        // Named after the input, as it was given: its last component.
        const std::string name = std::filesystem::path(in).filename().string();
        if (name.empty() || name == "." || name == "..") {
            converter.fail(inputName(in), "lecture impossible : " + frenchErrnoText(EISDIR));
            continue;
        }
        converter.convert(in, prefix + name);
    }
    return converter.finish();
}

enum LongOnly { TypeOption = 256, HelpOption, VersionOption };

int runCommandLine(int argc, char** argv)
{
    const option longOptions[] = {
        {"directory", required_argument, nullptr, 'd'},   {"force", no_argument, nullptr, 'f'},
        {"type", no_argument, nullptr, TypeOption},       {"help", no_argument, nullptr, HelpOption},
        {"version", no_argument, nullptr, VersionOption}, {nullptr, 0, nullptr, 0},
    };
    Options options;
    opterr = 0; // getopt's own messages are English
    for (int c; (c = ::getopt_long(argc, argv, ":d:f", longOptions, nullptr)) != -1;) {
        switch (c) {
        case 'd':
            options.folder = optarg;
            break;
        case 'f':
            options.force = true;
            break;
        case TypeOption:
            options.kindOnly = true;
            break;
        case HelpOption:
            std::fwrite(Help.data(), 1, Help.size(), stdout);
            return finishStandardOutput(AllConverted);
        case VersionOption:
            std::fputs("corvane-convert (Corvane) " CORVANE_VERSION "\n" CORVANE_COPYRIGHT, stdout);
            return finishStandardOutput(AllConverted);
        case ':':
            return usageError("l'option « " + std::string(argv[optind - 1]) + " » demande un dossier");
        default: {
            // A known long option given an argument leaves its value in optopt,
            // an unknown long option leaves 0, an unknown short one itself.
            for (const option& known : longOptions)
                if (known.name != nullptr && optopt != 0 && known.val == optopt)
                    return usageError("l'option « --" + std::string(known.name) + " » ne prend pas d'argument");
            const std::string_view given = argv[optind - 1];
            const std::string unknown =
                optopt != 0 ? std::string("-") + char(optopt) : printableName(given.substr(0, given.find('=')));
            return usageError("option inconnue : « " + unknown + " »");
        }
        }
    }
    options.operands.assign(argv + optind, argv + argc);

    if (options.kindOnly && (options.folder || options.force))
        return usageError("--type ne se combine ni avec -d ni avec --force");
    if (options.operands.empty())
        return usageError("fichier manquant");
    if (options.kindOnly)
        return finishStandardOutput(showKinds(options.operands));
    if (options.folder) {
        for (const std::string& operand : options.operands)
            if (operand == "-")
                return usageError("« - » n'est pas une entrée possible avec -d : la sortie prend le nom de l'entrée");
        return convertIntoFolder(*options.folder, options.operands, options.force);
    }
    if (options.operands.size() < 2)
        return usageError("fichier de sortie manquant");
    if (options.operands.size() > 2)
        return usageError("fichier en trop : « " + printableName(options.operands[2]) +
                          " » (-d pour convertir "
                          "plusieurs fichiers)");
    Converter converter(options.force);
    converter.convert(options.operands[0], options.operands[1]);
    return converter.finish();
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
