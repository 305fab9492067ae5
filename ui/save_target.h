#pragma once

#include <QByteArray>
#include <QSaveFile>
#include <QString>

#include <functional>
#include <memory>

namespace corvane::ui {

// The three steps of writing an output file so that a file already at the
// path is replaced only by complete content.
class SaveTarget {
public:
    virtual ~SaveTarget() = default;
    virtual bool create() = 0;
    virtual qint64 write(const char* data, qint64 size) = 0;
    virtual bool commit() = 0;
    // Drops what was written; the path keeps what it held.
    virtual void abandon() = 0;
};

// A temporary file beside the target, renamed over it on commit.
class SaveFileTarget final : public SaveTarget {
public:
    explicit SaveFileTarget(const QString& path) : file_(path) {}
    bool create() override { return file_.open(QIODevice::WriteOnly); }
    qint64 write(const char* data, qint64 size) override { return file_.write(data, size); }
    bool commit() override { return file_.commit(); }
    void abandon() override { file_.cancelWriting(); }

private:
    QSaveFile file_;
};

using SaveTargetFactory = std::function<std::unique_ptr<SaveTarget>(const QString& path)>;

// Creates, writes every byte and commits; false, with nothing replaced, when
// any step fails.
bool saveWhole(SaveTarget& target, const QByteArray& content);

} // namespace corvane::ui
