#pragma once

#include <QString>

#include <filesystem>
#include <string_view>

namespace corvane::ui {

// Text read from a palette file is single-byte text in the Windows code page
// these files come from (Windows-1252).
QString fromFileText(std::string_view bytes);

// A path chosen in a dialog, as the palette core takes it.
std::filesystem::path toFsPath(const QString& path);

// A path as the user is shown it, with the system's separators.
QString fromFsPath(const std::filesystem::path& path);

} // namespace corvane::ui
