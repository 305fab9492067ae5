#include "system_errors.h"

#include <cerrno>

namespace corvane::intake {

std::string cannotRead(std::string_view why)
{
    return "lecture impossible : " + std::string(why);
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

} // namespace corvane::intake
