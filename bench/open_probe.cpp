// Peak resident size of the Corvane window, once shown and then once it has
// opened the file named on the command line as a user would (the open dialog
// answered with that path). One file per run, so that each peak is its own.
//
//   corvane_open_probe [FILE]

#include "app_setup.h"
#include "cdia.h"
#include "princ.h"
#include "prompts.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <cstdio>
#include <fstream>
#include <string>

using namespace corvane::ui;

namespace {

long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ':'))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

void settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 300)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication();
    const QString file = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
    CDia::setAnswerer([&](const CDia&, CDia::Action) -> std::optional<QString> { return file; });
    QString message;
    setMessageAnswerer([&](const Message& m) {
        message = m.text;
        return QMessageBox::Ok;
    });
    Princ princ;
    princ.show();
    settle();
    const long shown = statusKiB("VmHWM");
    QElapsedTimer clock;
    clock.start();
    if (!file.isEmpty())
        princ.findChild<QAction*>(QStringLiteral("mn_ouvrir"))->trigger();
    const qint64 openMs = clock.elapsed();
    settle();
    std::printf("shown %ld KiB, after open %ld KiB (%+ld), open %lld ms, %s\n", shown, statusKiB("VmHWM"),
                statusKiB("VmHWM") - shown, static_cast<long long>(openMs),
                message.isEmpty() ? qPrintable(princ.kindLabel()->text().left(40)) : qPrintable(message));
    return 0;
}
