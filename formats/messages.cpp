#include "messages.h"

#include "code_page.h"

#include <cerrno>

namespace corvane::formats {
namespace {

void appendUtf8(std::string& out, char32_t c)
{
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

bool isControl(char32_t c)
{
    return c < 0x20 || c == 0x7F || (c >= 0x80 && c < 0xA0);
}

} // namespace

std::string colourCount(std::size_t n)
{
    return std::to_string(n) + (n > 1 ? " couleurs" : " couleur");
}

void appendByteEscape(std::string& out, unsigned char byte)
{
    constexpr std::string_view Hex = "0123456789ABCDEF";
    out.append("\\x").push_back(Hex[byte >> 4]);
    out.push_back(Hex[byte & 0xF]);
}

std::string cannotRead(std::string_view why)
{
    return "lecture impossible : " + std::string(why);
}

std::string fileTextToUtf8(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char byte : bytes) {
        const auto b = static_cast<unsigned char>(byte);
        const char32_t c = windows1252(b); // the five unassigned bytes are controls: escaped
        if (isControl(c))
            appendByteEscape(out, b);
        else if (c == '\\')
            out.append("\\\\");
        else
            appendUtf8(out, c);
    }
    return out;
}

std::string printableName(std::string_view name)
{
    std::string out;
    out.reserve(name.size());
    for (const char byte : name) {
        const auto b = static_cast<unsigned char>(byte);
        if (b < 0x20 || b == 0x7F)
            appendByteEscape(out, b);
        else if (b == '\\')
            out.append("\\\\");
        else
            out.push_back(byte);
    }
    return out;
}

std::string frenchErrnoText(int error)
{
    switch (error) {
    case ENOENT:
        return "fichier introuvable";
    case EACCES:
    case EPERM:
        return "permission refusée";
    case ENOSPC:
        return "disque plein";
    case EDQUOT:
        return "quota de disque dépassé";
    case EFBIG:
        return "fichier trop grand";
    case EROFS:
        return "système de fichiers en lecture seule";
    case EISDIR:
        return "c'est un dossier";
    case ENOTDIR:
        return "un élément du chemin n'est pas un dossier";
    case ENAMETOOLONG:
        return "nom trop long";
    case ELOOP:
        return "trop de liens symboliques";
    case EIO:
        return "erreur d'entrée-sortie";
    case EMFILE:
    case ENFILE:
        return "trop de fichiers ouverts";
    case ENOMEM:
        return "mémoire insuffisante";
    case EBUSY:
    case ETXTBSY:
        return "fichier occupé";
    case EEXIST:
        return "le fichier existe déjà";
    case EXDEV:
        return "pas sur le même système de fichiers";
    case EPIPE:
        return "tube fermé";
    case EAGAIN:
        return "ressource temporairement indisponible";
    case ESTALE:
        return "fichier réseau périmé";
    case EINTR:
        return "interrompu";
    case EBADF:
        return "descripteur de fichier invalide";
    case ENXIO:
    case ENODEV:
        return "périphérique introuvable";
    default:
        return "erreur système " + std::to_string(error);
    }
}

} // namespace corvane::formats
