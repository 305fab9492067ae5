#include "princ.h"

#include "encoding.h"
#include "f_propos.h"
#include "prompts.h"
#include "wait_cursor.h"
#include "window_layout.h"

#include "conversion.h"
#include "load.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLayout>
#include <QMenuBar>
#include <QMimeData>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace corvane::ui {
namespace {

const QString OpenFilter = QStringLiteral("Palette (*.PAL)|*.pal|Tous les fichiers (*.*)|*.*");
constexpr int OpenFlags = CDia::PathMustExist | CDia::FileMustExist; // 6144
constexpr int SaveFlags = CDia::PathMustExist;                       // 2048

QColor stripColour(const PaletteTable::Entry& entry)
{
    // A level above 255 shows as 255; a negative one as 0.
    const auto level = [](std::int16_t v) { return std::clamp<int>(v, 0, 255); };
    return QColor(level(entry[Red]), level(entry[Green]), level(entry[Blue]));
}

// Takes a drop, or a drag passing over the window, that carries one local
// file and lets it be copied, and gives that file's path; refuses any other,
// and the pointer shows it. A drop is never taken as a move: its owner
// could then delete the file.
std::optional<QString> takeFileDrop(QDropEvent* event)
{
    const QList<QUrl> urls = event->mimeData() != nullptr ? event->mimeData()->urls() : QList<QUrl>();
    const bool oneFile = (event->possibleActions() & Qt::CopyAction) != 0 && urls.size() == 1 &&
                         urls.first().isLocalFile() && !QFileInfo(urls.first().toLocalFile()).isDir();
    if (!oneFile) {
        event->ignore();
        return std::nullopt;
    }
    event->setDropAction(Qt::CopyAction);
    event->accept();
    return urls.first().toLocalFile();
}

} // namespace

Princ::Princ(QWidget* parent) : QMainWindow(parent)
{
    setObjectName(QStringLiteral("Princ"));
    setWindowTitle(QStringLiteral("Corvane     V.1.0"));
    setFont(msSansSerif(8));
    setContextMenuPolicy(Qt::NoContextMenu);
    setAcceptDrops(true);
    // The layout is fixed: no maximise button.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint | Qt::CustomizeWindowHint);

    auto* client = new QWidget(this);
    client->setFixedSize(ClientWidth, ClientHeight);
    setCentralWidget(client);
    buildControls(client);
    buildMenus();
    // Fixed size: the client area below the menu bar, never resized.
    layout()->setSizeConstraint(QLayout::SetFixedSize);
}

void Princ::buildControls(QWidget* client)
{
    Label1[0] = makeLabel(client, "Label1(0)", QStringLiteral("Type :"), 60, 60);
    Label1[0]->adjustSize();

    Label2[0] = makeLabel(client, "Label2(0)", QString(), 600, 60);
    Label2[0]->setFrameStyle(QFrame::Box | QFrame::Plain);
    Label2[0]->setLineWidth(1);
    // Fixed size, wide enough for the kinds it shows even in a substitute font.
    int kindWidth = px(2055);
    for (const std::string_view kind : {KindCaption::Div, KindCaption::Psp256, KindCaption::Psp16}) {
        const int textWidth = Label2[0]->fontMetrics().horizontalAdvance(fromFileText(kind));
        kindWidth = std::max(kindWidth, textWidth + 2 * Label2[0]->frameWidth() + 4);
    }
    Label2[0]->setFixedSize(kindWidth, px(255));
    Label2[0]->setAutoFillBackground(true);
    Label2[0]->setBackgroundRole(QPalette::Base);
    Label2[0]->setForegroundRole(QPalette::Text);
    // No fixed name: a screen reader reads the kind it shows, and hears it
    // change. What the label is for goes in its description.
    Label2[0]->setAccessibleDescription(QStringLiteral("Type"));

    Label3[1] = makeLabel(client, "Label3(1)", QStringLiteral("Couleurs :"), 60, 360);
    // Fixed size, but never narrower than its text when a substitute font
    // is wider than the one the layout was drawn with.
    Label3[1]->setFixedSize(std::max(px(735), Label3[1]->sizeHint().width()), px(195));

    Label1[1] = makeLabel(client, "Label1(1)", QStringLiteral("Corvane"), 4740, 0);
    Label1[1]->setFont(msSansSerif(18));
    Label1[1]->adjustSize();

    Label2[1] = makeVersionLabel(client, "Label2(1)", 7020, 60);

    Label3[0] = makeLabel(client, "Label3(0)", QStringLiteral("Par Brennock"), 6480, 420);
    Label3[0]->adjustSize();

    Picture1 = new ColourStrip(client);
    Picture1->setObjectName(QStringLiteral("Picture1"));
    Picture1->setAccessibleName(QStringLiteral("Couleurs"));
    Picture1->move(px(60), px(660));
}

void Princ::buildMenus()
{
    // No shortcuts, access keys or menu roles: the captions stay as written
    // and no platform moves an item elsewhere.
    const auto item = [](QMenu* menu, const char* name, const QString& caption) {
        QAction* action = menu->addAction(caption);
        action->setObjectName(QLatin1String(name));
        action->setMenuRole(QAction::NoRole);
        action->setShortcutContext(Qt::WidgetShortcut);
        return action;
    };
    const auto separator = [](QMenu* menu, const char* name) {
        QAction* action = menu->addSeparator();
        action->setObjectName(QLatin1String(name));
        return action;
    };

    mn_pal = menuBar()->addMenu(QStringLiteral("PAL"));
    mn_pal->setObjectName(QStringLiteral("mn_pal"));
    mn_ouvrir = item(mn_pal, "mn_ouvrir", QStringLiteral("Ouvrir Palette ..."));
    mn_rien1 = separator(mn_pal, "mn_rien1");
    mn_convertir = item(mn_pal, "mn_convertir", QStringLiteral("Convertir Palette"));
    mn_rien2 = separator(mn_pal, "mn_rien2");
    mn_quiter = item(mn_pal, "mn_quiter", QStringLiteral("Quiter"));

    mn_aide = menuBar()->addMenu(QStringLiteral("?"));
    mn_aide->setObjectName(QStringLiteral("mn_aide"));
    mn_propos = item(mn_aide, "mn_propos", QStringLiteral("A propos"));

    connect(mn_ouvrir, &QAction::triggered, this, &Princ::mn_ouvrir_Click);
    connect(mn_convertir, &QAction::triggered, this, &Princ::mn_convertir_Click);
    connect(mn_quiter, &QAction::triggered, this, &Princ::mn_quiter_Click);
    connect(mn_propos, &QAction::triggered, this, &Princ::mn_propos_Click);
}

void Princ::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    if (centred_)
        return;
    centred_ = true;
    centreOnScreen(this);
}

void Princ::showKindCaption()
{
    Label2[0]->setText(fromFileText(caption_.text()));
}

void Princ::drawStrip(std::optional<std::int16_t> count)
{
    // 256 entries as 2-pixel bands, 16 as 32-pixel bands; any other count
    // keeps the earlier picture. The count is a number: "0256" draws as 256.
    if (count != 256 && count != 16)
        return;
    const auto entries = static_cast<std::size_t>(*count);
    // Bands fill columns 1 to 512 and rows 1 to 20; column 0, row 0 and the
    // right and bottom margins keep the background.
    const int bandWidth = static_cast<int>(512 / entries);
    for (std::size_t k = 0; k < entries && k < table_.entryCount(); ++k)
        Picture1->fill(bandWidth * static_cast<int>(k) + 1, 1, bandWidth, 20, stripColour(table_.entries()[k]));
}

void Princ::mn_ouvrir_Click()
{
    CDia.CancelError = true;
    CDia.DialogTitle = QStringLiteral("Ouvrir une palette");
    CDia.FileName = QStringLiteral("*.PAL");
    CDia.Filter = OpenFilter;
    CDia.Flags = OpenFlags;
    if (CDia.ShowOpen() == CDia::CancelErrorCode)
        return;
    load(toFsPath(CDia.FileName));
}

void Princ::openFile(const std::filesystem::path& path)
{
    // Only a file that is certainly absent is named; any other trouble
    // reading it is met as the Open command meets it.
    std::error_code error;
    if (std::filesystem::status(path, error).type() == std::filesystem::file_type::not_found) {
        showMessage(this, {QStringLiteral("Le fichier « %1 » n'existe pas.").arg(fromFsPath(path))});
        return;
    }
    load(path);
}

void Princ::load(const std::filesystem::path& path)
{
    LoadResult result;
    {
        WaitCursor hourglass;
        result = loader_(path, table_, caption_);
        if (result.kind != PaletteKind::Unknown) {
            drawStrip(result.count);
            showKindCaption();
        }
    }
    if (result.kind == PaletteKind::Unknown)
        showMessage(this, {QString::fromUtf8(UnknownKindMessage)});
}

void Princ::dragEnterEvent(QDragEnterEvent* event)
{
    takeFileDrop(event);
}

void Princ::dragMoveEvent(QDragMoveEvent* event)
{
    takeFileDrop(event);
}

void Princ::dropEvent(QDropEvent* event)
{
    // Opened once the drop is over, so that a message cannot keep the
    // program the file came from waiting.
    if (const std::optional<QString> path = takeFileDrop(event))
        QTimer::singleShot(0, this, [this, file = *path] { openFile(toFsPath(file)); });
}

void Princ::mn_convertir_Click()
{
    const Conversion conversion = conversionFor(caption_);
    if (conversion == Conversion::None) {
        showMessage(this, {QStringLiteral("Ouvrez un fichier avant")});
        return;
    }
    const bool toJasc = conversion == Conversion::DivToJasc;
    showMessage(this, {toJasc ? QStringLiteral("Conversion de fichier DIV vers PSP")
                              : QStringLiteral("Conversion de fichier PSP vers DIV")});

    CDia.CancelError = true;
    CDia.DialogTitle = QStringLiteral("Convertir la palette");
    CDia.FileName = QStringLiteral("*.PAL");
    CDia.Filter = toJasc ? QStringLiteral("Palette PSP (*.PAL)|*.PAL") : QStringLiteral("Palette DIV (*.PAL)|*.PAL");
    CDia.Flags = SaveFlags;
    if (CDia.ShowSave() == CDia::CancelErrorCode)
        return;

    const std::string content = convertPalette(table_, conversion);
    const std::unique_ptr<SaveTarget> target = saveTargets_(CDia.FileName);
    if (!saveWhole(*target, QByteArray::fromStdString(content))) {
        showMessage(this,
                    {QStringLiteral("Impossible d'écrire le fichier\n") + QDir::toNativeSeparators(CDia.FileName)});
    }
}

void Princ::mn_quiter_Click()
{
    const auto answer = showMessage(this, {QStringLiteral("Etes vous sûrs de vouloir quiter ?"), QMessageBox::Question,
                                           QMessageBox::Yes | QMessageBox::No, QMessageBox::Yes});
    if (answer != QMessageBox::Yes)
        return;
    close();
    QCoreApplication::quit();
}

void Princ::mn_propos_Click()
{
    // Created anew each time, so that it always opens in the same state.
    f_propos about;
    about.exec();
}

} // namespace corvane::ui
