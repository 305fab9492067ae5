#include "app_setup.h"

#include "corvane_version.h"

#include <QApplication>
#include <QIcon>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace corvane::ui {

void setUpApplication()
{
    QApplication::setApplicationName(QStringLiteral("Corvane"));
    QApplication::setApplicationVersion(QStringLiteral(CORVANE_VERSION));
    // Lets the desktop match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("org.example.Corvane"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/corvane/corvane.ico")));

    QLocale::setDefault(QLocale(QLocale::French, QLocale::France));
    static QTranslator qtFrench;
    if (qtFrench.isEmpty() && qtFrench.load(QLocale(QLocale::French), QStringLiteral("qtbase"), QStringLiteral("_"),
                                            QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QApplication::installTranslator(&qtFrench);
}

} // namespace corvane::ui
