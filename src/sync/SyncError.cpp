#include "sync/SyncError.h"

#include "sync/SyncSnapshot.h"

namespace {

QString messageFor(SyncError::Reason reason)
{
    switch (reason) {
    case SyncError::Reason::destinationChanged:
        return QStringLiteral("Das Ziel wurde nach der Planung verändert und bleibt unverändert erhalten.");
    case SyncError::Reason::sourceChanged:
        return QStringLiteral("Die Quelle wurde während des Kopierens verändert.");
    case SyncError::Reason::unsupportedKind:
        return QStringLiteral("Nur Dateien, Ordner und symbolische Links werden synchronisiert.");
    case SyncError::Reason::tooDeep:
        return QStringLiteral("Die Ordner sind tiefer als %1 Ebenen verschachtelt.").arg(SyncSnapshot::maximumDepth);
    }
    return {};
}

} // namespace

SyncError::SyncError(Reason reason, const QByteArray& nativePath)
    : BrenvikError(QStringLiteral("SyncError"),
                   QStringLiteral("„%1“: %2").arg(QString::fromUtf8(nativePath), messageFor(reason))),
      m_reason(reason)
{
}
