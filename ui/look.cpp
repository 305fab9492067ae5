#include "look.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QFontInfo>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QScreen>
#include <QTranslator>

#include <array>

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

QFont msSansSerif(qreal pointSize, bool italic)
{
    static const QString family = [] {
        const QString wanted = QStringLiteral("MS Sans Serif");
        if (QFontDatabase::families().contains(wanted, Qt::CaseInsensitive))
            return wanted;
        QFont sans;
        sans.setStyleHint(QFont::SansSerif);
        sans.setFamily(sans.defaultFamily());
        return QFontInfo(sans).family();
    }();
    QFont font(family);
    font.setPointSizeF(pointSize);
    font.setWeight(QFont::Normal);
    font.setItalic(italic);
    return font;
}

QLabel* makeLabel(QWidget* parent, const char* name, const QString& text, int left, int top)
{
    auto* label = new QLabel(parent);
    label->setObjectName(QLatin1String(name));
    label->setTextFormat(Qt::PlainText); // a caption from a file is never markup
    label->setText(text);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->move(px(left), px(top));
    return label;
}

QLabel* makeVersionLabel(QWidget* parent, const char* name, int left, int top)
{
    QLabel* label = makeLabel(parent, name, QStringLiteral("V.1.0"), left, top);
    label->setFont(msSansSerif(13.5, true));
    QPalette blue = label->palette();
    blue.setColor(QPalette::WindowText, QColor(0, 0, 255));
    label->setPalette(blue);
    label->adjustSize();
    return label;
}

void centreOnScreen(QWidget* window)
{
    if (const QScreen* screen = window->screen()) {
        QRect frame = window->frameGeometry();
        frame.moveCenter(screen->availableGeometry().center());
        window->move(frame.topLeft());
    }
}

QString fromFileText(std::string_view bytes)
{
    // 0x80..0x9F differ from Latin-1; the five unassigned codes map through.
    static constexpr std::array<char16_t, 32> high = {0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
                                                      0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
                                                      0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                                      0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        text.append(QChar(b >= 0x80 && b < 0xA0 ? high[b - 0x80] : char16_t(b)));
    }
    return text;
}

std::filesystem::path toFsPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromFsPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(QString::fromStdWString(path.native()));
#else
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path.native())));
#endif
}

} // namespace corvane::ui
