#include "look.h"
#include "princ.h"

#include <QApplication>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    corvane::ui::setUpApplication();
    corvane::ui::Princ princ;
    princ.show();
    return QApplication::exec();
}
