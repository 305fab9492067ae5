// Writes that fail: a device that gives up after N bytes or takes a few bytes
// at a time, and real targets that cannot be replaced. A failure is always
// told, and a file already at the path keeps its bytes.
#include "failing_target.h"
#include "princ.h"
#include "ui_support.h"

#include <QAction>
#include <QDir>

#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

namespace corvane::ui::testing {
namespace {

constexpr qint64 Unlimited = FailingTarget::Unlimited;
const QByteArray Precious = "JASC-PAL\r\nprécieux\r\n";

QString cannotWrite(const QString& path)
{
    return QStringLiteral("Impossible d'écrire le fichier\n") + QDir::toNativeSeparators(path);
}

QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden);
}

class FailingWrites : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }
    void trigger(const char* name) { princ.findChild<QAction*>(QLatin1String(name))->trigger(); }
    void open(const QByteArray& bytes)
    {
        user.choose(writeFile(dir, QStringLiteral("input.pal"), bytes));
        trigger("mn_ouvrir");
    }
    void convertTo(const QString& path)
    {
        user.messages.clear();
        user.choose(path);
        trigger("mn_convertir");
    }

    QTemporaryDir dir;
    ScriptedUser user;
    Princ princ;
};

TEST_F(FailingWrites, ADeviceFailingAfterNBytesIsToldAndTheFileKept)
{
    const struct {
        const char* name;
        QByteArray input;
    } outputs[] = {
        {"DIV to PSP", QByteArray::fromStdString(divFile(levelsOf([](int k, int c) { return (k * 3 + c) % 64; })))},
        {"PSP 256 to DIV",
         QByteArray::fromStdString(jascText("256", entryLines(256, [](int k, int c) { return (k + c) % 256; })))},
        {"PSP 16 to DIV",
         QByteArray::fromStdString(jascText("16", entryLines(16, [](int k, int c) { return 16 * k + c; })))},
    };
    for (const auto& output : outputs) {
        open(output.input);
        princ.setSaveTargetFactory([](const QString& path) { return std::make_unique<SaveFileTarget>(path); });
        convertTo(dir.filePath(QStringLiteral("whole.pal")));
        const QByteArray whole = readFile(dir.filePath(QStringLiteral("whole.pal")));
        const qint64 size = whole.size();
        ASSERT_GT(size, 2) << output.name;
        const QString target = writeFile(dir, QStringLiteral("keep.pal"), Precious);
        const QStringList before = entriesOf(dir.path());

        const struct {
            qint64 budget, chunk, refusal;
            bool written;
        } plans[] = {
            {0, Unlimited, -1, false},        {1, Unlimited, -1, false}, {size / 2, Unlimited, -1, false},
            {size - 1, Unlimited, -1, false}, {size / 2, 64, 0, false}, // stops taking bytes: no endless retry
            {size, Unlimited, -1, true},                                // exactly enough
            {Unlimited, 1, -1, true},         {Unlimited, 7, -1, true}, // short writes are carried on, not lost
        };
        for (const auto& plan : plans) {
            SCOPED_TRACE(::testing::Message() << output.name << ", budget " << plan.budget << ", chunk " << plan.chunk
                                              << ", refusal " << plan.refusal);
            princ.setSaveTargetFactory([&](const QString& path) {
                return std::make_unique<FailingTarget>(
                    path, FailingTarget::Plan{.budget = plan.budget, .chunk = plan.chunk, .refusal = plan.refusal});
            });
            writeFile(dir, QStringLiteral("keep.pal"), Precious);
            convertTo(target);
            ASSERT_EQ(user.messages.size(), plan.written ? 1u : 2u);
            EXPECT_EQ(readFile(target), plan.written ? whole : Precious);
            EXPECT_EQ(entriesOf(dir.path()), before) << "no temporary file is left behind";
            if (!plan.written) {
                EXPECT_EQ(user.messages[1].text, cannotWrite(target));
                EXPECT_EQ(user.messages[1].buttons, QMessageBox::Ok);
            }
        }
    }
}

// Real targets the program may not replace. Permission bits do not stop
// root, so the conversion runs in a child that has become nobody.
TEST_F(FailingWrites, ReadOnlyTargetsAndFoldersAreToldAndLeftAlone)
{
    constexpr uid_t Nobody = 65534;
    const bool root = geteuid() == 0;
    open(QByteArray::fromStdString(jascText("256", entryLines(256, [](int k, int) { return k; }))));
    ASSERT_EQ(::chmod(QFile::encodeName(dir.path()).constData(), 0755), 0);
    const struct {
        const char* name;
        mode_t folderMode;
        int fileMode; // 0: no file there; -1: a folder there
        bool asNobody;
    } cases[] = {
        {"read-only file", 0755, 0444, true},
        {"file in a read-only folder", 0555, 0644, true},
        {"new file in a read-only folder", 0555, 0, true},
        {"a folder at the path", 0755, -1, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString folder = dir.filePath(QString::fromUtf8(c.name));
        const QString target = folder + QStringLiteral("/cible.pal");
        ASSERT_TRUE(QDir().mkpath(folder));
        if (c.fileMode > 0)
            writeFile(dir, QString::fromUtf8(c.name) + QStringLiteral("/cible.pal"), Precious);
        if (c.fileMode < 0) {
            ASSERT_TRUE(QDir().mkpath(target + QStringLiteral("/dedans")));
        }
        const QByteArray folderName = QFile::encodeName(folder), targetName = QFile::encodeName(target);
        if (root) {
            ASSERT_EQ(::chown(folderName.constData(), Nobody, Nobody), 0);
            if (c.fileMode > 0) {
                ASSERT_EQ(::chown(targetName.constData(), Nobody, Nobody), 0);
            }
        }
        if (c.fileMode > 0) {
            ASSERT_EQ(::chmod(targetName.constData(), mode_t(c.fileMode)), 0);
        }
        ASSERT_EQ(::chmod(folderName.constData(), c.folderMode), 0);
        const QStringList before = entriesOf(folder);

        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            if (c.asNobody && root && (setgroups(0, nullptr) != 0 || setgid(Nobody) != 0 || setuid(Nobody) != 0))
                _exit(3);
            // Would the kernel let this process write there? Then nothing here is read-only.
            if (c.asNobody &&
                ::access(c.folderMode == 0555 ? folderName.constData() : targetName.constData(), W_OK) == 0)
                _exit(77);
            convertTo(target);
            _exit(user.messages.size() == 2 && user.messages[1].text == cannotWrite(target) ? 0 : 1);
        }
        int status = 0;
        ASSERT_EQ(waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFEXITED(status)) << "the conversion crashed";
        if (WEXITSTATUS(status) == 77)
            GTEST_SKIP() << "no way to make a file read-only here: even as uid " << Nobody << " writes go through";
        EXPECT_EQ(WEXITSTATUS(status), 0) << "1: no failure message or a wrong one; 3: could not become nobody";
        EXPECT_EQ(entriesOf(folder), before);
        if (c.fileMode > 0) {
            EXPECT_EQ(readFile(target), Precious);
        }
        EXPECT_EQ(QFileInfo(target).isDir(), c.fileMode < 0);
        ::chmod(folderName.constData(), 0755); // so that the temporary folder can be removed
    }
}

} // namespace
} // namespace corvane::ui::testing
