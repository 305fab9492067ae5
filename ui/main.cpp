#include "app_setup.h"
#include "command_line.h"
#include "princ.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>

int main(int argc, char** argv)
{
    using corvane::ui::CommandLine;
    const CommandLine line = corvane::ui::parseCommandLine(argc, argv);
    std::fputs(line.notes.c_str(), stderr);
    switch (line.request) {
    case CommandLine::Request::Help:
        std::fputs(corvane::ui::helpText().c_str(), stdout);
        return 0;
    case CommandLine::Request::Version:
        std::fputs(corvane::ui::versionText().c_str(), stdout);
        return 0;
    case CommandLine::Request::Error:
        return 2;
    case CommandLine::Request::Window:
        break;
    }

    // Qt sees none of the arguments: a file named "-reverse" stays a file.
    int qtArgc = 1;
    QApplication app(qtArgc, argv);
    corvane::ui::setUpApplication();
    corvane::ui::Princ princ;
    princ.show();
    if (line.file)
        QTimer::singleShot(0, &princ, [&] { princ.openFile(*line.file); });
    return QApplication::exec();
}
