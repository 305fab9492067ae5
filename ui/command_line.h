#pragma once

#include <filesystem>
#include <optional>
#include <string>

namespace corvane::ui {

// What the command line asks for. Read before any window exists, so that
// --help and --version work without a display.
struct CommandLine {
    enum class Request { Window, Help, Version, Error };
    Request request = Request::Window;
    // The file to open once the window shows: the first one named.
    std::optional<std::filesystem::path> file;
    // For standard error: what was wrong, or the files left unopened.
    std::string notes;
};

// GNU style: --help, --version, and "--" to end the options; every other
// argument names a file.
CommandLine parseCommandLine(int argc, const char* const* argv);

// What --help and --version print on standard output.
std::string helpText();
std::string versionText();

} // namespace corvane::ui
