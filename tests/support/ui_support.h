#pragma once

#include "cdia.h"
#include "palette_files.h"
#include "prompts.h"

#include <QAccessible>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <deque>
#include <optional>
#include <string>
#include <vector>

namespace corvane::ui::testing {

// Stands in for the person at the keyboard: answers the file dialogs from a
// queue and the message boxes with a set reply, and remembers what it saw.
class ScriptedUser {
public:
    struct DialogSeen {
        CDia::Action action;
        bool cancelError;
        QString title, fileName, filter;
        int flags;
    };

    ScriptedUser()
    {
        previousDialogs_ = CDia::setAnswerer([this](const CDia& dia, CDia::Action action) -> std::optional<QString> {
            dialogs.push_back({action, dia.CancelError, dia.DialogTitle, dia.FileName, dia.Filter, dia.Flags});
            if (answers.empty())
                return std::nullopt;
            const Answer answer = answers.front();
            answers.pop_front();
            if (answer.cancel)
                return std::nullopt;
            return answer.path;
        });
        previousMessages_ = setMessageAnswerer([this](const Message& message) {
            messages.push_back(message);
            return reply;
        });
    }
    ~ScriptedUser()
    {
        CDia::setAnswerer(std::move(previousDialogs_));
        setMessageAnswerer(std::move(previousMessages_));
    }
    ScriptedUser(const ScriptedUser&) = delete;
    ScriptedUser& operator=(const ScriptedUser&) = delete;

    void choose(const QString& path) { answers.push_back({false, path}); }
    void cancel() { answers.push_back({true, {}}); }

    [[nodiscard]] QStringList messageTexts() const
    {
        QStringList texts;
        for (const Message& m : messages)
            texts << m.text;
        return texts;
    }

    struct Answer {
        bool cancel;
        QString path;
    };
    std::deque<Answer> answers;
    std::vector<DialogSeen> dialogs;
    std::vector<Message> messages;
    QMessageBox::StandardButton reply = QMessageBox::Ok;

private:
    CDia::Answerer previousDialogs_;
    MessageAnswerer previousMessages_;
};

// Every name a screen reader can read out, in the order of the
// accessibility tree from `root` down; unnamed nodes are left out.
inline QStringList spokenNames(QObject* root)
{
    QStringList names;
    const auto walk = [&names](const auto& self, QAccessibleInterface* node) -> void {
        if (node == nullptr)
            return;
        if (const QString name = node->text(QAccessible::Name); !name.isEmpty())
            names << name;
        for (int i = 0; i < node->childCount(); ++i)
            self(self, node->child(i));
    };
    walk(walk, QAccessible::queryAccessibleInterface(root));
    return names;
}

// Makes `path` the working folder until it goes.
class WorkingFolder {
public:
    explicit WorkingFolder(const QString& path) : previous_(QDir::currentPath()) { QDir::setCurrent(path); }
    ~WorkingFolder() { QDir::setCurrent(previous_); }
    WorkingFolder(const WorkingFolder&) = delete;
    WorkingFolder& operator=(const WorkingFolder&) = delete;

private:
    QString previous_;
};

inline QString writeFile(const QTemporaryDir& dir, const QString& name, const QByteArray& bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(bytes);
    return path;
}

inline QByteArray readFile(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The same palette file builders as the core tests; QByteArray::fromStdString
// hands their files to Qt.
using corvane::test::divFile;
using corvane::test::entryLines;
using corvane::test::jascText;
using corvane::test::levelsOf;

} // namespace corvane::ui::testing
