#include "command_line.h"

#include "corvane_version.h"

#include <string_view>

namespace corvane::ui {

CommandLine parseCommandLine(int argc, const char* const* argv)
{
    CommandLine line;
    bool options = true;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (options && arg == "--") {
            options = false;
        } else if (options && arg == "--help") {
            return {CommandLine::Request::Help, {}, {}};
        } else if (options && arg == "--version") {
            return {CommandLine::Request::Version, {}, {}};
        } else if (options && arg.size() > 1 && arg.front() == '-') {
            // A lone "-" is a file name like any other.
            return {CommandLine::Request::Error,
                    {},
                    "corvane: option non reconnue « " + std::string(arg) +
                        " »\nSaisissez « corvane --help » pour plus d'informations.\n"};
        } else if (!line.file) {
            line.file = std::filesystem::path(std::string(arg));
        } else {
            line.notes += "corvane: " + std::string(arg) + ": non ouvert, un seul fichier est ouvert à la fois\n";
        }
    }
    return line;
}

std::string helpText()
{
    return "Utilisation : corvane [OPTION]... [FICHIER]\n"
           "Convertit des palettes de couleurs entre le format DIV Games Studio et le\n"
           "format JASC-PAL de Paint Shop Pro.\n"
           "\n"
           "Ouvre la fenêtre de Corvane ; si un FICHIER est donné, il y est ouvert comme\n"
           "par « Ouvrir Palette ... ». Seul le premier fichier donné est ouvert.\n"
           "\n"
           "      --help     affiche cette aide et quitte\n"
           "      --version  affiche la version et quitte\n"
           "      --         termine les options : ce qui suit est un nom de fichier\n";
}

std::string versionText()
{
    return "Corvane " CORVANE_VERSION "\n" CORVANE_DESCRIPTION "\nPar Brennock.\n" CORVANE_COPYRIGHT;
}

} // namespace corvane::ui
