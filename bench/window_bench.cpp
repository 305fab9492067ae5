// The Open command through the real window: from the file being chosen to
// the colour strip painted and handed to the X server. Run it on a display (Xvfb) rather
// than offscreen, so that the painting reaches an X server.

#include "app_setup.h"
#include "cdia.h"
#include "princ.h"
#include "prompts.h"

#include <benchmark/benchmark.h>

#include <QAction>
#include <QApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QWindow>

#include <cstdio>
#include <memory>
#include <string>

#ifdef CORVANE_X_ROUND_TRIP
#include <QtGui/qguiapplication_platform.h>
#include <xcb/xcb.h>
#endif

using namespace corvane::ui;

namespace {

// Counts the paint events a widget receives.
class PaintCounter : public QObject {
public:
    int count = 0;

protected:
    bool eventFilter(QObject*, QEvent* event) override
    {
        if (event->type() == QEvent::Paint)
            ++count;
        return false;
    }
};

Princ* window = nullptr;
PaintCounter* strip = nullptr;
QString chosen;

// Waits until the X server has handled every request sent so far, the
// strip's pixels among them; nothing to wait for offscreen.
void serverCaughtUp()
{
#ifdef CORVANE_X_ROUND_TRIP
    if (auto* x11 = qApp->nativeInterface<QNativeInterface::QX11Application>())
        free(xcb_get_input_focus_reply(x11->connection(), xcb_get_input_focus(x11->connection()), nullptr));
#endif
}

// Lets the event loop run until the strip has painted again; false if it
// does not within a second.
bool waitForPaint(int before)
{
    QElapsedTimer clock;
    clock.start();
    while (strip->count == before) {
        if (clock.elapsed() > 1000)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents);
    }
    serverCaughtUp();
    return true;
}

void openAndPaint(benchmark::State& state, const char* file)
{
    chosen = QString::fromUtf8(CORVANE_CORPUS_DIR "/") + QLatin1String(file);
    QAction* open = window->findChild<QAction*>(QStringLiteral("mn_ouvrir"));
    for (auto _ : state) {
        const int before = strip->count;
        open->trigger();
        if (!waitForPaint(before)) {
            state.SkipWithError("the strip was not painted");
            break;
        }
    }
}

void BM_OpenAndPaintDiv256(benchmark::State& state)
{
    openAndPaint(state, "div/div-degrade.PAL");
}
void BM_OpenAndPaintJasc256(benchmark::State& state)
{
    openAndPaint(state, "jasc/jasc256-crlf.pal");
}
void BM_OpenAndPaintJasc16(benchmark::State& state)
{
    openAndPaint(state, "jasc/jasc16-crlf.pal");
}

} // namespace

BENCHMARK(BM_OpenAndPaintDiv256)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenAndPaintJasc256)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_OpenAndPaintJasc16)->UseRealTime()->Unit(benchmark::kMicrosecond);

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    setUpApplication();
    CDia::setAnswerer([](const CDia&, CDia::Action) -> std::optional<QString> { return chosen; });
    setMessageAnswerer([](const Message&) { return QMessageBox::Ok; });
    Princ princ;
    PaintCounter counter;
    princ.colourStrip()->installEventFilter(&counter);
    window = &princ;
    strip = &counter;
    princ.show();
    // Shown and painted once before anything is timed.
    QElapsedTimer clock;
    clock.start();
    while ((counter.count == 0 || !princ.windowHandle()->isExposed()) && clock.elapsed() < 5000)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    std::printf("platform: %s\n", qPrintable(QGuiApplication::platformName()));
    std::fflush(stdout);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
