#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

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

// Layouts are kept in twips, as they were designed, at 15 twips a pixel.
constexpr int px(int twips)
{
    return twips / 15;
}

// A plain-text label at its place (in twips), top-left aligned.
QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top);

// The blue italic "V.1.0" both windows show, at its place (in twips).
QLabel* makeVersionLabel(QWidget* parent, const char* name, int left, int top);

// Puts a top-level window, frame included, in the middle of its screen.
void centreOnScreen(QWidget* window);

// Text read from a palette file is single-byte text in the Windows code page
// these files come from (Windows-1252).
QString fromFileText(std::string_view bytes);

// A path chosen in a dialog, as the palette core takes it.
std::filesystem::path toFsPath(const QString& path);

// A path as the user is shown it, with the system's separators.
QString fromFsPath(const std::filesystem::path& path);

} // namespace corvane::ui
