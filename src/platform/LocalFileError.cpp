#include "platform/LocalFileError.h"

namespace {

QString sentence(LocalFileError::Reason reason)
{
    using Reason = LocalFileError::Reason;
    switch (reason) {
    case Reason::folderCopiedIntoItself:
        return QStringLiteral("Ein Ordner kann nicht in sich selbst oder einen seiner Unterordner kopiert werden.");
    case Reason::folderMovedIntoItself:
        return QStringLiteral("Ein Ordner kann nicht in sich selbst oder einen seiner Unterordner verschoben werden.");
    case Reason::sameEntry:
        return QStringLiteral("Quelle und Ziel sind dasselbe Objekt.");
    case Reason::noTrashOnVolume:
        return QStringLiteral("Auf diesem Datenträger gibt es keinen nutzbaren Papierkorb; nichts wurde verändert.");
    case Reason::sourceNotRemoved:
        return QStringLiteral("Das Objekt wurde vollständig kopiert, die Quelle konnte aber nicht ganz entfernt werden.");
    case Reason::sourceChanged:
        return QStringLiteral("Die Quelle hat sich während des Verschiebens verändert: Was dabei hinzukam oder "
                              "geändert wurde, liegt noch an der alten Stelle.");
    case Reason::oldTargetNotRemoved:
        return QStringLiteral("Das Objekt wurde ersetzt, Reste des alten Objekts konnten aber nicht entfernt werden.");
    }
    return {};
}

QString describe(LocalFileError::Reason reason, const QByteArray& path, const QString& detail)
{
    QString text = QStringLiteral("„%1“: %2").arg(QString::fromUtf8(path), sentence(reason));
    if (!detail.isEmpty())
        text += QStringLiteral(" (%1)").arg(detail);
    return text;
}

} // namespace

LocalFileError::LocalFileError(Reason reason, QByteArray nativePath, const QString& detail)
    : BrenvikError(QStringLiteral("LocalFileError"), describe(reason, nativePath, detail)), m_reason(reason),
      m_nativePath(std::move(nativePath))
{
}
