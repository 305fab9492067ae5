// Files made to break the Open command: huge, endless, cut short, or full of
// bytes no palette has. Each must open without a crash or a hang, leave the
// window answering, and cost memory that does not grow with the file.
#include "encoding.h"
#include "jasc_pal.h"
#include "load.h"
#include "princ.h"
#include "ui_support.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QLabel>

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <functional>
#include <string>

namespace corvane::ui::testing {
namespace {

// A field of /proc/self/status, in KiB; -1 where there is none.
long statusKiB(const std::string& field)
{
    std::ifstream status("/proc/self/status");
    for (std::string line; std::getline(status, line);)
        if (line.starts_with(field + ':'))
            return std::stol(line.substr(field.size() + 1));
    return -1;
}

// How far the resident size peaked above where it stood before `work`, in
// KiB. The peak is reset first (clear_refs 5), so that earlier work does not
// hide growth; -1 where the kernel cannot do either.
long peakGrowthKiB(const std::function<void()>& work)
{
    std::ofstream reset("/proc/self/clear_refs");
    const bool wasReset = static_cast<bool>(reset << "5" << std::flush);
    const long before = statusKiB("VmRSS");
    work();
    const long peak = statusKiB("VmHWM");
    // The kernel counts resident pages in batches: a few KiB either way is noise.
    return !wasReset || before < 0 || peak < 0 ? -1 : std::max(0L, peak - before);
}

// head, then holes up to `size` bytes: a file of any size at no cost, that
// reads as NUL bytes past its head.
QString sparseFile(const QTemporaryDir& dir, const QString& name, const QByteArray& head, qint64 size)
{
    const QString path = writeFile(dir, name, head);
    if (size > head.size())
        QFile::resize(path, size);
    return path;
}

constexpr qint64 GiB = qint64(1) << 30;
// A 32767-entry table is 192 KiB; the big files are 1 GiB. Anything between
// means the memory follows the file.
constexpr long MemoryBoundKiB = 32 * 1024;

const QByteArray JascHead = "JASC-PAL\r\n0100\r\n";
const QString Sixteen = QStringLiteral("Palette PSP 16 couleurs");

QByteArray sixteen()
{
    return QByteArray::fromStdString(jascText("16", entryLines(16, [](int k, int c) { return 16 * k + c; })));
}

QByteArray corpusFile(const char* name)
{
    return readFile(QString::fromUtf8(CORVANE_CORPUS_DIR) + QLatin1Char('/') + QLatin1String(name));
}

class HostileFiles : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(dir.isValid());
        princ.show();
        QApplication::processEvents();
        reference = writeFile(dir, "sixteen.pal", sixteen());
    }

    // Opens the file as the user would, lets the window handle what the open
    // queued (painting included), and checks the memory it took on the way.
    void open(const QString& path)
    {
        user.messages.clear();
        const long growth = peakGrowthKiB([&] {
            user.choose(path);
            princ.findChild<QAction*>(QStringLiteral("mn_ouvrir"))->trigger();
            QApplication::processEvents();
        });
        EXPECT_GE(growth, 0) << "the peak resident size cannot be reset or read here";
        EXPECT_LT(growth, MemoryBoundKiB) << "peak resident growth in KiB";
        EXPECT_EQ(QApplication::overrideCursor(), nullptr) << "the hourglass is always restored";
    }

    // The window ends as the palette core says it should from the state it
    // was in, and says "Type Inconnue" exactly when the kind is unknown.
    void expectAsTheCore(const QString& path)
    {
        PaletteTable table = princ.paletteTable();
        KindCaption caption = princ.kindCaption();
        const bool unknown = loadPaletteFile(toFsPath(path), table, caption).kind == PaletteKind::Unknown;
        open(path);
        ASSERT_EQ(princ.kindCaption().text(), caption.text());
        ASSERT_EQ(princ.paletteTable().entries(), table.entries());
        ASSERT_EQ(user.messageTexts(), unknown ? QStringList{QStringLiteral("Type Inconnue")} : QStringList{});
        ASSERT_EQ(princ.kindLabel()->text(), fromFileText(caption.text()));
    }

    QTemporaryDir dir;
    ScriptedUser user;
    Princ princ;
    QString reference;
};

TEST_F(HostileFiles, OpenWithoutCrashHangOrMemoryFollowingTheirSize)
{
    const QByteArray div = QByteArray::fromStdString(divFile(levelsOf([](int k, int c) { return (k + c) % 64; })));
    const QByteArray lines16 = sixteen().mid(JascHead.size() + 4);
    const struct {
        const char* name;
        QByteArray head;
        qint64 size;         // with holes after the head up to this size
        const char* caption; // nullptr: unknown kind, "Type Inconnue"
        int entries;         // -1: the table of the reference palette is kept
    } cases[] = {
        {"1 GiB, a 16-entry palette first", sixteen(), GiB, "Palette PSP 16 couleurs", 16},
        {"1 GiB, a DIV palette first", div, GiB, "Palette DIV Games Studio", 256},
        {"1 GiB first line without end", {}, GiB, nullptr, -1},
        {"1 GiB count line without end", JascHead, GiB, "", -1},
        {"1 GiB entry line without end", JascHead + "16\r\n", GiB, "Palette PSP 16 couleurs", 16},
        {"count 32767, no entry lines", JascHead + "32767\r\n", 0, "Palette PSP 32767 couleurs", 32767},
        {"count beyond any integer", JascHead + QByteArray(40, '9') + "\r\n" + lines16, 0, "", -1},
        {"count past 16 bits", JascHead + "32768\r\n" + lines16, 0, "Palette PSP 32768 couleurs", -1},
        {"negative count", JascHead + "-16\r\n" + lines16, 0, "Palette PSP -16 couleurs", -1},
        {"lowest count", JascHead + "-32768\r\n" + lines16, 0, "Palette PSP -32768 couleurs", -1},
        {"only 0x1A bytes", QByteArray(65536, '\x1A'), 0, nullptr, -1},
        {"JASC-PAL, then only 0x1A", "JASC-PAL" + QByteArray(4096, '\x1A'), 0, "Palette PSP  couleurs", -1},
        {"pal, then only 0x1A", "pal" + QByteArray(4096, '\x1A'), 0, "Palette DIV Games Studio", 256},
        {"NUL in the first line", QByteArray("JASC-PAL\0\r\n", 11) + "0100\r\n16\r\n" + lines16, 0, nullptr, -1},
        {"NUL in the count", JascHead + "1" + QByteArray(1, '\0') + "6\r\n" + lines16, 0, "", -1},
        {"NUL in entry lines", JascHead + "16\r\n" + QByteArray("1\0 2 3\r\n", 8).repeated(16), 0,
         "Palette PSP 16 couleurs", 16},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        open(reference);
        ASSERT_EQ(princ.kindCaption().text(), Sixteen.toStdString());
        open(sparseFile(dir, QStringLiteral("hostile.pal"), c.head, c.size));
        if (c.caption == nullptr) {
            EXPECT_EQ(user.messageTexts(), QStringList{QStringLiteral("Type Inconnue")});
            EXPECT_EQ(princ.kindCaption().text(), Sixteen.toStdString());
        } else {
            EXPECT_TRUE(user.messages.empty());
            EXPECT_EQ(princ.kindLabel()->text(), fromFileText(princ.kindCaption().text()));
            if (*c.caption != '\0') {
                EXPECT_EQ(princ.kindCaption().text(), c.caption);
            }
        }
        EXPECT_EQ(princ.paletteTable().entryCount(), c.entries < 0 ? 16u : std::size_t(c.entries));
        EXPECT_LE(princ.kindCaption().text().size(), 12 + MaxCountTextLength + 9) << "the caption is bounded";
        QFile::remove(dir.filePath(QStringLiteral("hostile.pal")));
    }
    // Still the same window, still doing its work.
    open(reference);
    EXPECT_EQ(princ.kindLabel()->text(), Sixteen);
}

TEST_F(HostileFiles, EveryByteValueInTheCountAndEntryLines)
{
    for (int b = 0; b < 256; ++b) {
        SCOPED_TRACE(b);
        const QByteArray c(1, static_cast<char>(b));
        QByteArray inCount = JascHead + "1" + c + "6\r\n";
        QByteArray inEntries = JascHead + "16\r\n";
        for (int k = 0; k < 16; ++k) {
            inCount += "1 2 3\r\n";
            inEntries += c + "1 2" + c + " 3 " + c + "\r\n";
        }
        expectAsTheCore(writeFile(dir, QStringLiteral("count.pal"), inCount));
        expectAsTheCore(writeFile(dir, QStringLiteral("entries.pal"), inEntries));
    }
}

TEST_F(HostileFiles, EveryPrefixOfSamplePalettes)
{
    for (const char* name : {"div-degrade.PAL", "jasc256-crlf.pal"}) {
        const QByteArray whole = corpusFile(name);
        ASSERT_FALSE(whole.isEmpty()) << name;
        const QString path = writeFile(dir, QStringLiteral("prefix.pal"), whole);
        // From the whole file down to nothing, a byte at a time.
        for (qint64 size = whole.size(); size >= 0; --size) {
            SCOPED_TRACE(::testing::Message() << name << ", first " << size << " bytes");
            ASSERT_TRUE(QFile::resize(path, size));
            expectAsTheCore(path);
        }
    }
}

} // namespace
} // namespace corvane::ui::testing
