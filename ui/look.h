#pragma once

#include <QFont>
#include <QString>

#include <filesystem>
#include <string_view>

namespace corvane::ui {

// Names the application, gives it its icon, and makes everything Qt shows
// speak French whatever the system's language.
void setUpApplication();

// The title of every message box.
inline const QString AppTitle = QStringLiteral("Corvane");

// "MS Sans Serif" where it is installed; otherwise the system's sans-serif at
// the same point size, so that the layout keeps its proportions.
QFont msSansSerif(qreal pointSize, bool italic = false);

// Text read from a palette file is single-byte text in the Windows code page
// these files come from (Windows-1252).
QString fromFileText(std::string_view bytes);

// A path chosen in a dialog, as the palette core takes it.
std::filesystem::path toFsPath(const QString& path);

} // namespace corvane::ui
