// The real Qt dialogs, answered by poking at them once they are shown.
#include "cdia.h"
#include "princ.h"
#include "prompts.h"
#include "ui_support.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QPushButton>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace corvane::ui::testing {
namespace {

// Runs `act` on the first modal window of type W once it shows up.
template <typename W> void whenShown(std::function<void(W*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(10);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        if (auto* w = qobject_cast<W*>(QApplication::activeModalWidget())) {
            timer->stop();
            timer->deleteLater();
            act(w);
        }
    });
    timer->start();
}

// Spins the event loop until ready() or a generous limit.
bool waitFor(const std::function<bool()>& ready)
{
    QElapsedTimer clock;
    clock.start();
    while (!ready() && clock.elapsed() < 10000)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return ready();
}

QStringList visibleNames(QFileDialog* dialog)
{
    auto* view = dialog->findChild<QListView*>(QStringLiteral("listView"));
    QStringList names;
    if (view == nullptr)
        return names;
    for (int row = 0; row < view->model()->rowCount(view->rootIndex()); ++row)
        names << view->model()->index(row, 0, view->rootIndex()).data().toString();
    names.sort();
    return names;
}

TEST(RealFileDialog, ShowsFiltersAsWrittenMatchesAnyCaseAndReturnsTheChoice)
{
    QTemporaryDir dir;
    for (const char* name : {"FOO.PAL", "foo.pal", "notes.txt", "sansextension"})
        writeFile(dir, QLatin1String(name), "x");
    const WorkingFolder here(dir.path());

    CDia dia;
    dia.CancelError = true;
    dia.DialogTitle = QStringLiteral("Ouvrir une palette");
    dia.FileName = QStringLiteral("*.PAL");
    dia.Filter = QStringLiteral("Palette (*.PAL)|*.pal|Tous les fichiers (*.*)|*.*");
    dia.Flags = CDia::PathMustExist | CDia::FileMustExist;

    QString title, nameField;
    QStringList filters, palettes, everything;
    whenShown<QFileDialog>([&](QFileDialog* dialog) {
        title = dialog->windowTitle();
        filters = dialog->nameFilters();
        nameField = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->text();
        waitFor([&] { return visibleNames(dialog).size() >= 2; });
        palettes = visibleNames(dialog);
        auto* types = dialog->findChild<QComboBox*>(QStringLiteral("fileTypeCombo"));
        types->setCurrentIndex(1);
        emit types->activated(1);
        emit types->textActivated(types->itemText(1));
        waitFor([&] { return visibleNames(dialog).size() >= 4; });
        everything = visibleNames(dialog);
        dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(QStringLiteral("foo.pal"));
        QMetaObject::invokeMethod(dialog, "accept");
    });
    ASSERT_EQ(dia.ShowOpen(), 0);
    EXPECT_EQ(dia.FileName, QDir::toNativeSeparators(dir.filePath(QStringLiteral("foo.pal"))));
    EXPECT_EQ(title, QStringLiteral("Ouvrir une palette"));
    EXPECT_EQ(filters, (QStringList{QStringLiteral("Palette (*.PAL)"), QStringLiteral("Tous les fichiers (*.*)")}));
    EXPECT_EQ(nameField, QStringLiteral("*.PAL"));
    EXPECT_EQ(palettes, (QStringList{QStringLiteral("FOO.PAL"), QStringLiteral("foo.pal")}));
    EXPECT_EQ(everything, (QStringList{QStringLiteral("FOO.PAL"), QStringLiteral("foo.pal"),
                                       QStringLiteral("notes.txt"), QStringLiteral("sansextension")}));
}

TEST(RealFileDialog, CancelReportsTheCancelCodeOnlyWhenAskedTo)
{
    for (const bool cancelError : {true, false}) {
        CDia dia;
        dia.CancelError = cancelError;
        dia.FileName = QStringLiteral("avant.pal");
        dia.Filter = QStringLiteral("Palette DIV (*.PAL)|*.PAL");
        dia.Flags = CDia::PathMustExist;
        whenShown<QFileDialog>([](QFileDialog* dialog) {
            EXPECT_TRUE(dialog->testOption(QFileDialog::DontConfirmOverwrite));
            EXPECT_TRUE(dialog->defaultSuffix().isEmpty());
            EXPECT_EQ(dialog->acceptMode(), QFileDialog::AcceptSave);
            dialog->reject();
        });
        EXPECT_EQ(dia.ShowSave(), cancelError ? CDia::CancelErrorCode : 0);
        EXPECT_EQ(dia.FileName, QStringLiteral("avant.pal"));
    }
}

TEST(RealMessageBox, QuitQuestionSpeaksFrenchAndEnterMeansYes)
{
    Princ princ;
    princ.show();
    QString title, text, yes, no;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        yes = box->button(QMessageBox::Yes)->text();
        no = box->button(QMessageBox::No)->text();
        QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
        QApplication::sendEvent(box->focusWidget() != nullptr ? static_cast<QWidget*>(box->focusWidget()) : box,
                                &enter);
    });
    princ.findChild<QAction*>(QStringLiteral("mn_quiter"))->trigger();
    EXPECT_EQ(title, QStringLiteral("Corvane"));
    EXPECT_EQ(text, QStringLiteral("Etes vous sûrs de vouloir quiter ?"));
    EXPECT_EQ(icon, QMessageBox::Question);
    EXPECT_EQ(QString(yes).remove(QLatin1Char('&')), QStringLiteral("Oui"));
    EXPECT_EQ(QString(no).remove(QLatin1Char('&')), QStringLiteral("Non"));
    EXPECT_FALSE(princ.isVisible()) << "Enter chose Yes";
}

TEST(RealMessageBox, UnknownKindIsAPlainOkBox)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, "inconnu.txt", "ni l'un ni l'autre\r\n");
    const CDia::Answerer previous =
        CDia::setAnswerer([&](const CDia&, CDia::Action) -> std::optional<QString> { return path; });
    Princ princ;
    QString title, text, ok;
    QStringList heard;
    QMessageBox::Icon icon = QMessageBox::Question;
    int buttons = 0;
    whenShown<QMessageBox>([&](QMessageBox* box) {
        heard = spokenNames(box);
        title = box->windowTitle();
        text = box->text();
        icon = box->icon();
        buttons = static_cast<int>(box->buttons().size());
        ok = box->button(QMessageBox::Ok)->text();
        box->button(QMessageBox::Ok)->click();
    });
    princ.findChild<QAction*>(QStringLiteral("mn_ouvrir"))->trigger();
    CDia::setAnswerer(previous);
    EXPECT_EQ(title, QStringLiteral("Corvane"));
    EXPECT_EQ(text, QStringLiteral("Type Inconnue"));
    EXPECT_EQ(icon, QMessageBox::NoIcon);
    EXPECT_EQ(buttons, 1);
    EXPECT_EQ(ok, QStringLiteral("OK"));
    EXPECT_EQ(heard, (QStringList{QStringLiteral("Corvane"), QStringLiteral("Type Inconnue"), QStringLiteral("OK")}));
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
}

TEST(RealAboutBox, ClosesAndIsGoneBothWays)
{
    Princ princ;
    for (const bool byButton : {true, false}) {
        bool shown = false;
        whenShown<QDialog>([&](QDialog* about) {
            shown = about->objectName() == QStringLiteral("f_propos") && about->isModal();
            if (byButton)
                about->findChild<QPushButton*>(QStringLiteral("Command1"))->click();
            else
                about->close(); // as the window system's close button does
        });
        princ.findChild<QAction*>(QStringLiteral("mn_propos"))->trigger();
        EXPECT_TRUE(shown);
        QApplication::processEvents();
        for (QWidget* w : QApplication::topLevelWidgets())
            EXPECT_NE(w->objectName(), QStringLiteral("f_propos")) << "the About box is destroyed, never kept";
    }
}

} // namespace
} // namespace corvane::ui::testing
