#pragma once

#include <QFont>
#include <QString>

class QLabel;
class QWidget;

namespace corvane::ui {

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

} // namespace corvane::ui
