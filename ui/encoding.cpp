#include "encoding.h"

#include "code_page.h"

#include <QDir>
#include <QFile>

namespace corvane::ui {

QString fromFileText(std::string_view bytes)
{
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (const char c : bytes)
        text.append(QChar(static_cast<char16_t>(windows1252(static_cast<unsigned char>(c)))));
    return text;
}

std::filesystem::path toFsPath(const QString& path)
{
#ifdef _WIN32
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
}

QString fromFsPath(const std::filesystem::path& path)
{
#ifdef _WIN32
    return QDir::toNativeSeparators(QString::fromStdWString(path.native()));
#else
    return QDir::toNativeSeparators(QFile::decodeName(QByteArray::fromStdString(path.native())));
#endif
}

} // namespace corvane::ui
