// Peak resident size of the Corvane window, once shown and then once it has
// opened the file named on the command line as a user would (the open dialog
// answered with that path). One file per run, so that each peak is its own.
// With --hostile-files, writes the stress tests' hostile files into FOLDER
// and prints their paths, one a line, for the runs to open.
//
//   corvane_open_probe [FILE]
//   corvane_open_probe --hostile-files FOLDER

#include "app_setup.h"
#include "cdia.h"
#include "hostile_files.h"
#include "princ.h"
#include "process_memory.h"
#include "prompts.h"

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <string>
#include <string_view>

using namespace corvane::ui;

namespace {

using corvane::test::statusKiB;

// File names from the cases' descriptions: letters, digits and '-'.
int writeHostileFiles(const std::filesystem::path& folder)
{
    for (const corvane::test::HostileFile& file : corvane::test::hostileFiles()) {
        std::string name;
        for (const char c : std::string_view(file.name))
            name.push_back(std::isalnum(static_cast<unsigned char>(c)) != 0 ? c : '-');
        const std::filesystem::path path = folder / (name + ".pal");
        if (!corvane::test::writeHostileFile(path, file)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            return 1;
        }
        std::printf("%s\n", path.c_str());
    }
    return 0;
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
    if (argc == 3 && std::string_view(argv[1]) == "--hostile-files")
        return writeHostileFiles(argv[2]);
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
