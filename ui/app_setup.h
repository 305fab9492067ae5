#pragma once

#include <QString>

namespace corvane::ui {

// Names the application, gives it its icon, and makes everything Qt shows
// speak French whatever the system's language.
void setUpApplication();

// The title of every message box.
inline const QString AppTitle = QStringLiteral("Corvane");

} // namespace corvane::ui
