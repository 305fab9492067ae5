#include "cdia.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QFileSystemModel>

#include <utility>

namespace corvane::ui {
namespace {

CDia::Answerer& answererSlot()
{
    static CDia::Answerer answerer;
    return answerer;
}

// Native dialogs that show each description exactly as written and match
// names regardless of case. Elsewhere (GTK, KDE) Qt's own dialog does both.
constexpr bool NativeDialogShowsFiltersAsWritten =
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    true;
#else
    false;
#endif

} // namespace

QList<CDia::FilterEntry> CDia::parseFilter(const QString& filter)
{
    QList<FilterEntry> entries;
    const QStringList parts = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        FilterEntry entry{parts[i], {}};
        for (const QString& pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            // "*.*" means every file, with or without an extension.
            entry.patterns << (pattern.trimmed() == QLatin1String("*.*") ? QStringLiteral("*") : pattern.trimmed());
        }
        entries << entry;
    }
    return entries;
}

CDia::Answerer CDia::setAnswerer(Answerer answerer)
{
    return std::exchange(answererSlot(), std::move(answerer));
}

int CDia::show(Action action)
{
    const std::optional<QString> chosen = answererSlot() ? answererSlot()(*this, action) : runDialog(action);
    if (!chosen)
        return CancelError ? CancelErrorCode : 0;
    FileName = *chosen;
    return 0;
}

std::optional<QString> CDia::runDialog(Action action)
{
    QFileDialog dialog(owner_, DialogTitle);
    dialog.setAcceptMode(action == Action::Open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode((Flags & FileMustExist) != 0 ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, (Flags & OverwritePrompt) == 0);
    dialog.setOption(QFileDialog::DontUseNativeDialog, !NativeDialogShowsFiltersAsWritten);
    dialog.setFilter(dialog.filter() & ~QDir::CaseSensitive);
    if (!lastFolder_.isEmpty())
        dialog.setDirectory(lastFolder_);

    const QList<FilterEntry> entries = parseFilter(Filter);
    QStringList descriptions;
    for (const FilterEntry& entry : entries)
        descriptions << entry.description;
    dialog.setNameFilters(descriptions);

    // Qt reads the patterns out of each description's brackets; the ones
    // given beside it are what the filter means, so they replace them.
    const auto usePatterns = [&](const QString& description) {
        const qsizetype index = descriptions.indexOf(description);
        if (auto* model = dialog.findChild<QFileSystemModel*>(); model != nullptr && index >= 0)
            model->setNameFilters(entries[index].patterns);
    };
    QObject::connect(&dialog, &QFileDialog::filterSelected, &dialog, usePatterns);
    if (!descriptions.isEmpty()) {
        dialog.selectNameFilter(descriptions.first());
        usePatterns(descriptions.first());
    }
    if (!FileName.isEmpty())
        dialog.selectFile(FileName);

    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty())
        return std::nullopt;
    const QString path = dialog.selectedFiles().constFirst();
    lastFolder_ = QFileInfo(path).absolutePath();
    return QDir::toNativeSeparators(path);
}

} // namespace corvane::ui
