#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class QWidget;

namespace corvane::ui {

// The file dialog control of the main window: the open and save dialogs,
// driven by a few properties set before each showing.
class CDia {
public:
    // What a cancelled dialog reports when CancelError is set.
    static constexpr int CancelErrorCode = 32755;
    // Flags: the chosen folder must exist; the chosen file must exist.
    static constexpr int PathMustExist = 0x800;
    static constexpr int FileMustExist = 0x1000;
    static constexpr int OverwritePrompt = 0x2;

    enum class Action { Open, Save };

    explicit CDia(QWidget* owner = nullptr) : owner_(owner) {}

    bool CancelError = false;
    QString DialogTitle;
    QString FileName;
    // "description|pattern|description|pattern", patterns separated by ';'.
    QString Filter;
    int Flags = 0;

    // 0 once a file is chosen (FileName then holds its path); a cancelled
    // dialog gives CancelErrorCode when CancelError is set, 0 otherwise.
    int ShowOpen() { return show(Action::Open); }
    int ShowSave() { return show(Action::Save); }

    // Lets tests choose a path (or cancel, with nullopt) instead of a
    // person; an empty function restores the real dialogs. Returns the one
    // it replaces, for the caller to put back.
    using Answerer = std::function<std::optional<QString>(const CDia&, Action)>;
    static Answerer setAnswerer(Answerer answerer);

private:
    struct FilterEntry {
        QString description; // shown as written
        QStringList patterns;
    };

    [[nodiscard]] static QList<FilterEntry> parseFilter(const QString& filter);
    int show(Action action);
    std::optional<QString> runDialog(Action action);

    QWidget* owner_;
    QString lastFolder_; // where the previous dialog ended, for this run only
};

} // namespace corvane::ui
