#include "window_layout.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QLabel>
#include <QScreen>

namespace corvane::ui {

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

} // namespace corvane::ui
