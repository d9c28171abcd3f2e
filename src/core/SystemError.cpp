#include "core/SystemError.h"

#include <QFile>
#include <cerrno>
#include <cstring>

namespace {

QString describe(int code, const QByteArray& path)
{
    const QString message = SystemError::messageFor(code);
    if (path.isEmpty())
        return message;
    return QStringLiteral("„%1“: %2").arg(QString::fromUtf8(path), message);
}

} // namespace

SystemError::SystemError(int code, QByteArray nativePath)
    : BrenvikError(QStringLiteral("SystemError"), describe(code, nativePath)), m_code(code),
      m_nativePath(std::move(nativePath))
{
}

QString SystemError::messageFor(int code)
{
    switch (code) {
    case EACCES:
    case EPERM: return QStringLiteral("Zugriff verweigert.");
    case ENOENT: return QStringLiteral("Die Datei oder der Ordner existiert nicht.");
    case ENOTDIR: return QStringLiteral("Ein Teil des Pfads ist kein Ordner.");
    case EISDIR: return QStringLiteral("Das Objekt ist ein Ordner.");
    case EEXIST: return QStringLiteral("Ein Objekt mit diesem Namen existiert bereits.");
    case ENOTEMPTY: return QStringLiteral("Der Ordner ist nicht leer.");
    case ENOSPC: return QStringLiteral("Auf dem Datenträger ist nicht genügend Speicherplatz frei.");
    case EDQUOT: return QStringLiteral("Das Speicherkontingent ist ausgeschöpft.");
    case EROFS: return QStringLiteral("Der Datenträger ist schreibgeschützt.");
    case EFBIG: return QStringLiteral("Die Datei ist zu groß.");
    case ENAMETOOLONG: return QStringLiteral("Der Name ist zu lang.");
    case ELOOP: return QStringLiteral("Zu viele symbolische Links in Folge.");
    case EXDEV: return QStringLiteral("Quelle und Ziel liegen auf verschiedenen Datenträgern.");
    case EBUSY: return QStringLiteral("Das Objekt wird gerade verwendet.");
    case EIO: return QStringLiteral("Ein-/Ausgabefehler beim Zugriff auf den Datenträger.");
    case EMFILE:
    case ENFILE: return QStringLiteral("Zu viele geöffnete Dateien.");
    case EINVAL: return QStringLiteral("Ungültiges Argument.");
    default: return QString::fromLocal8Bit(std::strerror(code));
    }
}
