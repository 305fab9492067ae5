#include "f_propos.h"

#include "window_layout.h"

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

namespace corvane::ui {
f_propos::f_propos(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("f_propos"));
    setWindowTitle(QStringLiteral("A Propos de Corvane"));
    setFont(msSansSerif(8));
    setFixedSize(ClientWidth, ClientHeight);
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setFrameStyle(QFrame::WinPanel | QFrame::Sunken); // a two-pixel frame round the logo
    Picture1->setPixmap(QPixmap(QStringLiteral(":/corvane/logo.bmp")));
    Picture1->setAccessibleName(QStringLiteral("Logo de Corvane"));
    Picture1->move(px(60), px(60));
    Picture1->adjustSize();

    Label1 = makeLabel(this, "Label1", QStringLiteral("Corvane"), 1680, 120);
    Label1->setFont(msSansSerif(18));
    Label1->adjustSize();

    Label2 = makeVersionLabel(this, "Label2", 3600, 660);

    Label3[0] = makeLabel(this, "Label3(0)", QStringLiteral("Par Brennock"), 1680, 1140);
    Label3[0]->adjustSize();
    Label3[1] = makeLabel(this, "Label3(1)", QStringLiteral("brennock@example.com"), 2160, 1440);
    Label3[1]->adjustSize();

    Label4 = makeLabel(this, "Label4",
                       QStringLiteral("N'hésitez pas à m'écrire pour toute question, remarque ou conseil, "
                                      "pour signaler un bogue ou pour demander le code source."),
                       60, 1740);
    Label4->setWordWrap(true);
    Label4->setFixedSize(px(4395), px(615));

    Command1 = new QPushButton(QStringLiteral("Ok"), this);
    Command1->setObjectName(QStringLiteral("Command1"));
    Command1->setGeometry(px(3300), px(2220), px(1155), px(315));
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);
}

void f_propos::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    centreOnScreen(this);
}

} // namespace corvane::ui
