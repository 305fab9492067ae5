#include "command_line.h"
#include "f_propos.h"
#include "failing_target.h"
#include "princ.h"
#include "samples.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QMimeData>
#include <QPushButton>
#include <QUrl>

#include <gtest/gtest.h>

namespace corvane::ui::testing {
namespace {

const QString DivMessage = QStringLiteral("Conversion de fichier DIV vers PSP");
const QString PspMessage = QStringLiteral("Conversion de fichier PSP vers DIV");

class PrincTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    void trigger(const char* name)
    {
        QAction* action = princ.findChild<QAction*>(QLatin1String(name));
        ASSERT_NE(action, nullptr) << name;
        action->trigger();
    }
    void open(const QString& path)
    {
        user.choose(path);
        trigger("mn_ouvrir");
    }
    void convertTo(const QString& path)
    {
        user.choose(path);
        trigger("mn_convertir");
    }
    QString caption() const { return princ.kindLabel()->text(); }
    QImage strip() const { return princ.colourStrip()->image(); }
    QColor background() const { return princ.colourStrip()->palette().color(QPalette::Base); }

    // Every pixel of the strip's inner area: bands of `width` pixels over
    // columns 1..512, rows 1..20, in colour(k); background everywhere else.
    template <typename Colour> void expectStrip(int width, Colour colour) const
    {
        const QImage image = strip();
        ASSERT_EQ(image.size(), QSize(515, 23));
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x) {
                const bool drawn = x >= 1 && x <= 512 && y >= 1 && y <= 20;
                const QColor want = drawn ? colour((x - 1) / width) : background();
                ASSERT_EQ(image.pixelColor(x, y), want) << "pixel " << x << "," << y;
            }
    }

    QTemporaryDir dir;
    ScriptedUser user;
    Princ princ;
};

QByteArray rampDiv()
{
    return QByteArray::fromStdString(divFile(levelsOf([](int k, int c) { return (k + 21 * c) % 64; })));
}

QColor rampColour(int k)
{
    return QColor(4 * (k % 64), 4 * ((k + 21) % 64), 4 * ((k + 42) % 64));
}

QByteArray sixteen()
{
    const auto value = [](int k, int c) { return c == 0 ? 16 * k : c == 1 ? 255 - 16 * k : 7 * k; };
    return QByteArray::fromStdString(jascText("16", entryLines(16, value)));
}

QColor sixteenColour(int k)
{
    return QColor(16 * k, 255 - 16 * k, 7 * k);
}

TEST_F(PrincTest, StartsEmptyWithItsFixedLayout)
{
    EXPECT_EQ(princ.windowTitle(), QStringLiteral("Corvane     V.1.0"));
    EXPECT_EQ(princ.centralWidget()->size(), QSize(530, 75));
    EXPECT_EQ(caption(), QString());
    EXPECT_EQ(princ.kindCaption().text(), "");
    EXPECT_EQ(princ.paletteTable().entryCount(), 0u);
    expectStrip(2, [&](int) { return background(); });
    EXPECT_EQ(princ.colourStrip()->size(), QSize(517, 25));
    EXPECT_EQ(princ.colourStrip()->pos(), QPoint(4, 44));

    const struct {
        const char* name;
        const char* text;
        QPoint pos;
    } labels[] = {
        {"Label1(0)", "Type :", {4, 4}},    {"Label2(0)", "", {40, 4}},       {"Label3(1)", "Couleurs :", {4, 24}},
        {"Label1(1)", "Corvane", {316, 0}}, {"Label2(1)", "V.1.0", {468, 4}}, {"Label3(0)", "Par Brennock", {432, 28}},
    };
    for (const auto& want : labels) {
        const auto* label = princ.findChild<QLabel*>(QLatin1String(want.name));
        ASSERT_NE(label, nullptr) << want.name;
        EXPECT_EQ(label->text(), QString::fromUtf8(want.text)) << want.name;
        EXPECT_EQ(label->pos(), want.pos) << want.name;
        EXPECT_EQ(label->textFormat(), Qt::PlainText) << want.name;
    }
    const auto* version = princ.findChild<QLabel*>(QStringLiteral("Label2(1)"));
    EXPECT_EQ(version->palette().color(QPalette::WindowText), QColor(0, 0, 255));
    EXPECT_TRUE(version->font().italic());
    EXPECT_DOUBLE_EQ(version->font().pointSizeF(), 13.5);
    EXPECT_DOUBLE_EQ(princ.findChild<QLabel*>(QStringLiteral("Label1(1)"))->font().pointSizeF(), 18.0);
}

TEST_F(PrincTest, MenusAreExactlyAsDesigned)
{
    const QList<QAction*> bar = princ.menuBar()->actions();
    ASSERT_EQ(bar.size(), 2);
    EXPECT_EQ(bar[0]->text(), QStringLiteral("PAL"));
    EXPECT_EQ(bar[1]->text(), QStringLiteral("?"));

    const struct {
        int menu;
        const char* name;
        const char* caption; // empty for a separator
    } items[] = {
        {0, "mn_ouvrir", "Ouvrir Palette ..."},
        {0, "mn_rien1", ""},
        {0, "mn_convertir", "Convertir Palette"},
        {0, "mn_rien2", ""},
        {0, "mn_quiter", "Quiter"},
        {1, "mn_propos", "A propos"},
    };
    QList<QAction*> seen[2] = {bar[0]->menu()->actions(), bar[1]->menu()->actions()};
    int index[2] = {0, 0};
    for (const auto& want : items) {
        const QList<QAction*>& actions = seen[want.menu];
        ASSERT_LT(index[want.menu], actions.size());
        const QAction* action = actions[index[want.menu]++];
        EXPECT_EQ(action->objectName(), QLatin1String(want.name));
        EXPECT_EQ(action->isSeparator(), *want.caption == '\0') << want.name;
        EXPECT_EQ(action->text(), QString::fromUtf8(want.caption)) << want.name;
        EXPECT_TRUE(action->shortcut().isEmpty()) << want.name;
        EXPECT_FALSE(action->text().contains(QLatin1Char('&'))) << want.name;
        EXPECT_FALSE(action->isCheckable()) << want.name;
        EXPECT_TRUE(action->isEnabled() && action->isVisible()) << want.name;
    }
    EXPECT_EQ(index[0], seen[0].size());
    EXPECT_EQ(index[1], seen[1].size());
}

TEST_F(PrincTest, ConvertBeforeAnyOpenAsksToOpenAFile)
{
    trigger("mn_convertir");
    EXPECT_EQ(user.messageTexts(), QStringList{QStringLiteral("Ouvrez un fichier avant")});
    EXPECT_TRUE(user.dialogs.empty());
}

TEST_F(PrincTest, OpenDialogIsSetUpAsDesigned)
{
    user.cancel();
    trigger("mn_ouvrir");
    ASSERT_EQ(user.dialogs.size(), 1u);
    const auto& seen = user.dialogs[0];
    EXPECT_EQ(seen.action, CDia::Action::Open);
    EXPECT_TRUE(seen.cancelError);
    EXPECT_EQ(seen.title, QStringLiteral("Ouvrir une palette"));
    EXPECT_EQ(seen.fileName, QStringLiteral("*.PAL"));
    EXPECT_EQ(seen.filter, QStringLiteral("Palette (*.PAL)|*.pal|Tous les fichiers (*.*)|*.*"));
    EXPECT_EQ(seen.flags, 6144);
    EXPECT_TRUE(user.messages.empty()) << "cancelling shows nothing";
}

TEST_F(PrincTest, DivThenSixteenRepaintsEveryColumnAndKeepsTheMargins)
{
    std::vector<bool> hourglassWhileReading;
    princ.setPaletteLoader([&](const std::filesystem::path& path, PaletteTable& table, KindCaption& kind) {
        const QCursor* cursor = QApplication::overrideCursor();
        hourglassWhileReading.push_back(cursor != nullptr && cursor->shape() == Qt::WaitCursor);
        return loadPaletteFile(path, table, kind);
    });
    open(writeFile(dir, "ramp.pal", rampDiv()));
    EXPECT_EQ(caption(), QStringLiteral("Palette DIV Games Studio"));
    expectStrip(2, rampColour);

    open(writeFile(dir, "sixteen.pal", sixteen()));
    EXPECT_EQ(caption(), QStringLiteral("Palette PSP 16 couleurs"));
    expectStrip(32, sixteenColour);
    EXPECT_TRUE(user.messages.empty());
    EXPECT_EQ(hourglassWhileReading, (std::vector<bool>{true, true}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is always restored";
}

TEST_F(PrincTest, LevelsBeyondAByteShowAsFullAndNegativesAsNone)
{
    const auto wild = [](int k, int c) { return c == 0 ? 1020 : c == 1 ? -5 : k; };
    open(writeFile(dir, "wild.pal", QByteArray::fromStdString(jascText("256", entryLines(256, wild)))));
    expectStrip(2, [](int k) { return QColor(255, 0, k); });
    // A DIV byte of 255 is held as 1020 and drawn as 255.
    open(writeFile(dir, "bright.pal", QByteArray::fromStdString(divFile(levelsOf([](int, int) { return 255; })))));
    expectStrip(2, [](int) { return QColor(255, 255, 255); });
}

TEST_F(PrincTest, CountsThatDrawNothingKeepTheStrip)
{
    open(writeFile(dir, "ramp.pal", rampDiv()));
    const struct {
        const char* count;
        const char* caption;
        std::size_t entries; // table size afterwards
    } cases[] = {
        {"255", "Palette PSP 255 couleurs", 255},
        {"0", "Palette PSP 0 couleurs", 255},
        {"-4", "Palette PSP -4 couleurs", 255},
        {"seize", "Palette PSP seize couleurs", 255},
        {"<b>8</b>", "Palette PSP <b>8</b> couleurs", 255},
    };
    for (const auto& c : cases) {
        open(writeFile(dir, "odd.pal",
                       QByteArray::fromStdString(jascText(c.count, entryLines(255, [](int, int) { return 9; })))));
        EXPECT_EQ(caption(), QString::fromUtf8(c.caption)) << c.count;
        EXPECT_EQ(princ.paletteTable().entryCount(), c.entries) << c.count;
        expectStrip(2, rampColour);
        user.messages.clear();
        trigger("mn_convertir");
        EXPECT_EQ(user.messageTexts(), QStringList{QStringLiteral("Ouvrez un fichier avant")}) << c.count;
    }
}

TEST_F(PrincTest, ZeroPaddedCountDrawsButIsNotConvertible)
{
    open(writeFile(dir, "padded.pal",
                   QByteArray::fromStdString(jascText("0256", entryLines(256, [](int k, int) { return k; })))));
    EXPECT_EQ(caption(), QStringLiteral("Palette PSP 0256 couleurs"));
    expectStrip(2, [](int k) { return QColor(k, k, k); });
    trigger("mn_convertir");
    EXPECT_EQ(user.messageTexts(), QStringList{QStringLiteral("Ouvrez un fichier avant")});
}

TEST_F(PrincTest, UnknownFileChangesNothingAndKeepsThePaletteConvertible)
{
    const QString div = writeFile(dir, "ramp.pal", rampDiv());
    open(div);
    const QByteArray unknowns[] = {"JASC-PAL\n0100\n16\n", "Bonjour\r\n", "", QByteArray("PAL\x1A", 4)};
    for (const QByteArray& bytes : unknowns) {
        user.messages.clear();
        open(writeFile(dir, "other.txt", bytes));
        EXPECT_EQ(user.messageTexts(), QStringList{QStringLiteral("Type Inconnue")});
        EXPECT_EQ(caption(), QStringLiteral("Palette DIV Games Studio"));
        expectStrip(2, rampColour);
    }
    user.messages.clear();
    open(dir.filePath("missing.pal"));
    EXPECT_EQ(user.messageTexts(), QStringList{QStringLiteral("Type Inconnue")});

    user.messages.clear();
    convertTo(dir.filePath("out.pal"));
    EXPECT_EQ(user.messageTexts(), QStringList{DivMessage});
    EXPECT_TRUE(readFile(dir.filePath("out.pal")).startsWith("JASC-PAL\r\n0100\r\n256\r\n0 84 168\r\n"));
}

TEST_F(PrincTest, CancellingEitherDialogChangesAndWritesNothing)
{
    // The dialogs start on "*.PAL": a cancel taken for a choice would write
    // a file of that name in the working folder.
    const WorkingFolder here(dir.path());
    open(writeFile(dir, "sixteen.pal", sixteen()));
    user.cancel();
    trigger("mn_ouvrir");
    EXPECT_EQ(caption(), QStringLiteral("Palette PSP 16 couleurs"));
    expectStrip(32, sixteenColour);

    const QStringList before = QDir(dir.path()).entryList(QDir::Files);
    user.cancel();
    trigger("mn_convertir");
    EXPECT_EQ(user.messageTexts(), QStringList{PspMessage}) << "the direction comes before the dialog";
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), before);
    ASSERT_EQ(user.dialogs.size(), 3u);
    const auto& save = user.dialogs[2];
    EXPECT_EQ(save.action, CDia::Action::Save);
    EXPECT_TRUE(save.cancelError);
    EXPECT_EQ(save.title, QStringLiteral("Convertir la palette"));
    EXPECT_EQ(save.fileName, QStringLiteral("*.PAL"));
    EXPECT_EQ(save.filter, QStringLiteral("Palette DIV (*.PAL)|*.PAL"));
    EXPECT_EQ(save.flags, 2048);
}

TEST_F(PrincTest, EverySampleConvertsToItsExpectedBytes)
{
    int converted = 0;
    for (const std::filesystem::path& sample : corvane::test::samplePalettes()) {
        const std::optional<std::string> expected = corvane::test::expectedOutput(sample);
        if (!expected)
            continue; // refused: the core and command-line tests say why
        SCOPED_TRACE(sample.filename().string());
        const bool fromDiv = expected->starts_with("JASC-PAL");
        user.messages.clear();
        open(QString::fromStdString(sample.string()));
        const QString first = dir.filePath(QStringLiteral("first.pal"));
        const QString second = dir.filePath(QStringLiteral("second.pal"));
        convertTo(first);
        convertTo(second);
        const QString message = fromDiv ? DivMessage : PspMessage;
        EXPECT_EQ(user.messageTexts(), (QStringList{message, message}));
        EXPECT_EQ(user.dialogs.back().filter,
                  fromDiv ? QStringLiteral("Palette PSP (*.PAL)|*.PAL") : QStringLiteral("Palette DIV (*.PAL)|*.PAL"));
        EXPECT_EQ(readFile(first), QByteArray::fromStdString(*expected));
        EXPECT_EQ(readFile(second), QByteArray::fromStdString(*expected)) << "converting twice gives the same bytes";
        ++converted;
    }
    EXPECT_GT(converted, 0);
}

TEST_F(PrincTest, ConvertingOntoTheOpenedFileReplacesIt)
{
    const QString path = writeFile(dir, "self.pal", sixteen());
    open(path);
    convertTo(path);
    const QByteArray out = readFile(path);
    ASSERT_EQ(out.size(), 798);
    EXPECT_TRUE(out.startsWith(QByteArray("pal\x1A\r\n\0\0", 8)));
    // The palette in memory is untouched: converting again gives the same.
    convertTo(dir.filePath("again.pal"));
    EXPECT_EQ(readFile(dir.filePath("again.pal")), out);
}

TEST_F(PrincTest, ANameWithoutExtensionIsUsedAsTyped)
{
    open(writeFile(dir, "ramp.pal", rampDiv()));
    convertTo(dir.filePath("sortie"));
    EXPECT_TRUE(QFile::exists(dir.filePath("sortie")));
    EXPECT_FALSE(QFile::exists(dir.filePath("sortie.PAL")));
    EXPECT_FALSE(QFile::exists(dir.filePath("sortie.pal")));
}

TEST_F(PrincTest, QuitQuestionNoKeepsEverythingYesCloses)
{
    princ.show();
    open(writeFile(dir, "sixteen.pal", sixteen()));
    user.reply = QMessageBox::No;
    trigger("mn_quiter");
    ASSERT_EQ(user.messages.size(), 1u);
    const Message& question = user.messages[0];
    EXPECT_EQ(question.text, QStringLiteral("Etes vous sûrs de vouloir quiter ?"));
    EXPECT_EQ(question.icon, QMessageBox::Question);
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(question.defaultButton, QMessageBox::Yes);
    EXPECT_TRUE(princ.isVisible());
    EXPECT_EQ(caption(), QStringLiteral("Palette PSP 16 couleurs"));
    expectStrip(32, sixteenColour);
    convertTo(dir.filePath("still.pal"));
    EXPECT_EQ(readFile(dir.filePath("still.pal")).size(), 798);

    user.reply = QMessageBox::Yes;
    trigger("mn_quiter");
    EXPECT_FALSE(princ.isVisible());
}

TEST_F(PrincTest, SeparatorsDoNothing)
{
    open(writeFile(dir, "ramp.pal", rampDiv()));
    user.messages.clear();
    trigger("mn_rien1");
    trigger("mn_rien2");
    EXPECT_TRUE(user.messages.empty());
    EXPECT_TRUE(user.dialogs.size() == 1u);
    EXPECT_EQ(caption(), QStringLiteral("Palette DIV Games Studio"));
}

TEST_F(PrincTest, AFailedWriteIsReportedAndTheExistingFileKept)
{
    open(writeFile(dir, "sixteen.pal", sixteen()));
    const QByteArray precious = "JASC-PAL\r\nprécieux\r\n";
    const QString target = writeFile(dir, "keep.pal", precious);
    // Fails at one step of writing: creating, writing after some bytes, or
    // committing.
    const FailingTarget::Plan plans[] = {
        {.failCreate = true}, {.budget = 0}, {.budget = 1}, {.budget = 797}, {.failCommit = true},
    };
    for (const auto& plan : plans) {
        princ.setSaveTargetFactory([&](const QString& path) { return std::make_unique<FailingTarget>(path, plan); });
        user.messages.clear();
        convertTo(target);
        ASSERT_EQ(user.messages.size(), 2u);
        EXPECT_EQ(user.messages[1].text,
                  QStringLiteral("Impossible d'écrire le fichier\n") + QDir::toNativeSeparators(target));
        EXPECT_EQ(user.messages[1].buttons, QMessageBox::Ok);
        EXPECT_EQ(readFile(target), precious);
        EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files).size(), 2) << "no temporary file left behind";
    }
}

TEST_F(PrincTest, WritingIntoAFolderThatIsNotThereIsReported)
{
    open(writeFile(dir, "ramp.pal", rampDiv()));
    const QString target = dir.filePath(QStringLiteral("absent/out.pal"));
    convertTo(target);
    EXPECT_EQ(user.messages.back().text,
              QStringLiteral("Impossible d'écrire le fichier\n") + QDir::toNativeSeparators(target));
}

TEST_F(PrincTest, AboutBoxIsLaidOutAsDesigned)
{
    f_propos about;
    EXPECT_EQ(about.windowTitle(), QStringLiteral("A Propos de Corvane"));
    EXPECT_EQ(about.size(), QSize(302, 173));
    const auto* logo = about.findChild<QLabel*>(QStringLiteral("Picture1"));
    ASSERT_NE(logo, nullptr);
    EXPECT_EQ(logo->pixmap().size(), QSize(100, 100));
    EXPECT_EQ(logo->size(), QSize(104, 104));
    EXPECT_EQ(logo->pos(), QPoint(4, 4));
    const auto* ok = about.findChild<QPushButton*>(QStringLiteral("Command1"));
    ASSERT_NE(ok, nullptr);
    EXPECT_EQ(ok->text(), QStringLiteral("Ok"));
    EXPECT_EQ(ok->geometry(), QRect(220, 148, 77, 21));
    const struct {
        const char* name;
        const char* text; // nullptr: the implementer's own words
        QPoint pos;
    } texts[] = {{"Label1", "Corvane", {112, 8}},
                 {"Label2", "V.1.0", {240, 44}},
                 {"Label3(0)", "Par Brennock", {112, 76}},
                 {"Label3(1)", nullptr, {144, 96}},
                 {"Label4", nullptr, {4, 116}}};
    for (const auto& want : texts) {
        const auto* label = about.findChild<QLabel*>(QLatin1String(want.name));
        ASSERT_NE(label, nullptr) << want.name;
        EXPECT_EQ(label->pos(), want.pos) << want.name;
        if (want.text != nullptr)
            EXPECT_EQ(label->text(), QLatin1String(want.text)) << want.name;
        else
            EXPECT_FALSE(label->text().isEmpty()) << want.name;
    }
    const auto* note = about.findChild<QLabel*>(QStringLiteral("Label4"));
    EXPECT_EQ(note->size(), QSize(293, 41));
    EXPECT_TRUE(note->wordWrap());
}

TEST_F(PrincTest, ScreenReadersHearWhatIsShown)
{
    const QStringList window = {
        QStringLiteral("Corvane     V.1.0"), QStringLiteral("Type :"), QStringLiteral("Couleurs :"),
        QStringLiteral("Corvane"),           QStringLiteral("V.1.0"),  QStringLiteral("Par Brennock"),
        QStringLiteral("Couleurs"),          QStringLiteral("PAL"),    QStringLiteral("Ouvrir Palette ..."),
        QStringLiteral("Convertir Palette"), QStringLiteral("Quiter"), QStringLiteral("?"),
        QStringLiteral("A propos")};
    EXPECT_EQ(spokenNames(&princ), window) << "the empty kind label says nothing";
    QAccessibleInterface* kind = QAccessible::queryAccessibleInterface(princ.kindLabel());
    EXPECT_EQ(kind->text(QAccessible::Description), QStringLiteral("Type"));

    for (const auto& [file, shown] :
         {std::pair{rampDiv(), "Palette DIV Games Studio"}, std::pair{sixteen(), "Palette PSP 16 couleurs"}}) {
        open(writeFile(dir, "palette.pal", file));
        QStringList heard = window;
        heard.insert(2, QLatin1String(shown));
        EXPECT_EQ(spokenNames(&princ), heard);
        EXPECT_EQ(kind->text(QAccessible::Description), QStringLiteral("Type"));
    }

    f_propos about;
    QStringList aboutBox = {about.windowTitle(), QStringLiteral("Logo de Corvane")};
    for (const char* name : {"Label1", "Label2", "Label3(0)", "Label3(1)", "Label4"})
        aboutBox << about.findChild<QLabel*>(QLatin1String(name))->text();
    aboutBox << QStringLiteral("Ok");
    EXPECT_EQ(spokenNames(&about), aboutBox);
}

TEST_F(PrincTest, CommandLineOpensTheFirstFileAsTheOpenDialogWould)
{
    const QString div = writeFile(dir, "ramp.pal", rampDiv());
    const QString psp16 = writeFile(dir, "seize.pal", sixteen());
    const QString unknown = writeFile(dir, "notes.txt", "Bonjour\r\n");
    const QString missing = dir.filePath(QStringLiteral("absent.pal"));
    const auto gone = [](const QString& name) { return QStringLiteral("Le fichier « %1 » n'existe pas.").arg(name); };
    const auto blank = [&](int) { return background(); };
    const struct {
        QStringList args;
        CommandLine::Request request;
        QString caption; // the window starts empty and keeps what the case before opened
        QStringList messages;
        std::function<QColor(int)> colour;
        int band;
        QString note; // in what goes to standard error
    } cases[] = {
        {{missing}, CommandLine::Request::Window, {}, {gone(QDir::toNativeSeparators(missing))}, blank, 2, {}},
        {{QStringLiteral("--"), QStringLiteral("--help")},
         CommandLine::Request::Window,
         {},
         {gone("--help")},
         blank,
         2,
         {}},
        {{unknown}, CommandLine::Request::Window, {}, {QStringLiteral("Type Inconnue")}, blank, 2, {}},
        {{psp16}, CommandLine::Request::Window, QStringLiteral("Palette PSP 16 couleurs"), {}, sixteenColour, 32, {}},
        {{div, psp16},
         CommandLine::Request::Window,
         QStringLiteral("Palette DIV Games Studio"),
         {},
         rampColour,
         2,
         psp16 + QStringLiteral(": non ouvert")},
        {{QStringLiteral("--vite"), psp16},
         CommandLine::Request::Error,
         QStringLiteral("Palette DIV Games Studio"),
         {},
         rampColour,
         2,
         QStringLiteral("option non reconnue « --vite »")},
    };
    for (const auto& c : cases) {
        const QString what = c.args.join(QLatin1Char(' '));
        std::vector<std::string> args{"corvane"};
        for (const QString& arg : c.args)
            args.push_back(QFile::encodeName(arg).toStdString());
        std::vector<const char*> argv;
        for (const std::string& arg : args)
            argv.push_back(arg.c_str());
        const CommandLine line = parseCommandLine(static_cast<int>(argv.size()), argv.data());
        EXPECT_EQ(line.request, c.request) << qPrintable(what);
        EXPECT_TRUE(QString::fromStdString(line.notes).contains(c.note)) << line.notes;
        EXPECT_EQ(line.notes.empty(), c.note.isEmpty()) << line.notes;

        user.messages.clear();
        if (line.request == CommandLine::Request::Window && line.file)
            princ.openFile(*line.file);
        EXPECT_EQ(caption(), c.caption) << qPrintable(what);
        EXPECT_EQ(user.messageTexts(), c.messages) << qPrintable(what);
        expectStrip(c.band, c.colour);
    }
    EXPECT_TRUE(user.dialogs.empty()) << "no Open dialog on the way";
}

TEST_F(PrincTest, DropOpensOneLocalFileAndRefusesAnythingElse)
{
    const QString div = writeFile(dir, "ramp.pal", rampDiv());
    // Whether the window takes the drag and the drop; the drop is then
    // given time to open its file.
    const auto drop = [&](const QList<QUrl>& urls) {
        QMimeData mime;
        mime.setUrls(urls);
        const Qt::DropActions actions = Qt::CopyAction | Qt::MoveAction;
        QDragEnterEvent enter(QPoint(10, 30), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&princ, &enter);
        QDropEvent dropped(QPointF(10, 30), actions, &mime, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&princ, &dropped);
        QApplication::processEvents();
        EXPECT_EQ(enter.isAccepted(), dropped.isAccepted());
        if (dropped.isAccepted()) {
            EXPECT_EQ(dropped.dropAction(), Qt::CopyAction) << "never a move";
        }
        return enter.isAccepted();
    };
    EXPECT_FALSE(drop({QUrl::fromLocalFile(dir.path())}));
    EXPECT_FALSE(drop({QUrl::fromLocalFile(div), QUrl::fromLocalFile(div)}));
    EXPECT_FALSE(drop({QUrl(QStringLiteral("https://example.org/ramp.pal"))}));
    EXPECT_EQ(caption(), QString());
    EXPECT_TRUE(user.messages.empty());

    EXPECT_TRUE(drop({QUrl::fromLocalFile(div)}));
    EXPECT_EQ(caption(), QStringLiteral("Palette DIV Games Studio"));
    expectStrip(2, rampColour);
    EXPECT_TRUE(user.messages.empty());
}

} // namespace
} // namespace corvane::ui::testing
