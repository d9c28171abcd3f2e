#include "remote/SftpTransportError.h"

SFTPTransportError::SFTPTransportError(Kind kind, const QString& description)
    : BrenvikError(QStringLiteral("SFTPTransportError"), description), m_kind(kind)
{
}

SFTPTransportError SFTPTransportError::hostKeyMismatch(const QString& expected, const QStringList& offered)
{
    return {Kind::hostKeyMismatch, QStringLiteral("SFTP-Verbindung aus Sicherheitsgründen abgebrochen. Erwartet: ")
                                       + expected + QStringLiteral("\nVom Server angeboten: ")
                                       + offered.join(QStringLiteral(", "))};
}

SFTPTransportError SFTPTransportError::unavailable(const QString& host, qint64 port)
{
    return {Kind::unavailable,
            QStringLiteral("Von %1:%2 konnte kein SSH-Host-Key gelesen werden. Prüfe Adresse, SSH-Port, "
                           "Firewall/VPN und ob SFTP beim Anbieter aktiviert ist.")
                .arg(host, QString::number(port))};
}

SFTPTransportError SFTPTransportError::timeout(const QString& host, qint64 port)
{
    return {Kind::timeout,
            QStringLiteral("Die SSH-Host-Key-Prüfung für %1:%2 wurde nach 8 Sekunden abgebrochen. Prüfe Server, "
                           "Port, Firewall und ob dort wirklich SSH/SFTP läuft.")
                .arg(host, QString::number(port))};
}

SFTPTransportError SFTPTransportError::command(const QString& message)
{
    return {Kind::command, QStringLiteral("SFTP-Vorgang fehlgeschlagen: ") + message};
}

SFTPTransportError SFTPTransportError::missingHostKey()
{
    return {Kind::missingHostKey,
            QStringLiteral("Für SFTP fehlt der bestätigte SHA-256-Host-Key. Trage im Verbindungsprofil den vom "
                           "Serveradministrator erhaltenen Wert im Format SHA256:… ein.")};
}

SFTPTransportError SFTPTransportError::noServerKey()
{
    return {Kind::noServerKey, QStringLiteral("Der SFTP-Server hat keinen auswertbaren SSH-Host-Key geliefert.")};
}
