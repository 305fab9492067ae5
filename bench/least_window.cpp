// The least Qt Widgets window: a menu bar and a label. Corvane's start-up time
// and memory are held against it.
#include <QApplication>
#include <QLabel>
#include <QMainWindow>
#include <QMenuBar>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.menuBar()->addMenu(QStringLiteral("PAL"));
    window.setCentralWidget(new QLabel(QStringLiteral("Corvane")));
    window.show();
    return QApplication::exec();
}
