#include "remote/NetworkProbeError.h"

NetworkProbeError::NetworkProbeError(Kind kind, const QString& description)
    : BrenvikError(QStringLiteral("NetworkProbeError"), description), m_kind(kind)
{
}

NetworkProbeError NetworkProbeError::failed(const QString& message)
{
    return {Kind::failed, QStringLiteral("Verbindungstest fehlgeschlagen: ") + message};
}

NetworkProbeError NetworkProbeError::invalidEndpoint()
{
    return {Kind::invalidEndpoint, QStringLiteral("Server oder Port ist ungültig.")};
}

NetworkProbeError NetworkProbeError::timeout()
{
    return {Kind::timeout, QStringLiteral("Der Server hat innerhalb des Timeouts nicht geantwortet.")};
}

NetworkProbeError NetworkProbeError::noSSHBanner()
{
    return {Kind::noSSHBanner,
            QStringLiteral("Der Port ist erreichbar, liefert aber keine SSH/SFTP-Begrüßung. Prüfe den SFTP-Port "
                           "oder eine serverseitige Freigabe.")};
}
