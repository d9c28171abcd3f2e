#include "remote/NetworkProbeFlow.h"

#include "remote/NetworkProbe.h"


namespace {

QString endpoint(const QString& host, qint64 port)
{
    return host + u':' + QString::number(port);
}

bool isSFTP(std::optional<RemoteProtocolKind> kind)
{
    return kind.value_or(RemoteProtocolKind::sftp) == RemoteProtocolKind::sftp;
}

} // namespace

namespace NetworkProbeFlow {

EditorStatus endpointCheckStarted(const QString& hostField, qint64 port, std::optional<RemoteProtocolKind> kind)
{
    const QString target = endpoint(hostField.trimmed(), port);
    if (isSFTP(kind))
        return {QStringLiteral("Prüfe eine Verbindung und die SSH-Begrüßung von ") + target
                    + QStringLiteral(" – maximal 5 Sekunden …"),
                EditorStatus::Tone::secondary};
    return {QStringLiteral("Prüfe genau eine TCP-Verbindung zu ") + target + QStringLiteral(" – maximal 5 Sekunden …"),
            EditorStatus::Tone::secondary};
}

QFuture<EditorStatus> runEndpointCheck(const QString& hostField, qint64 port, std::optional<RemoteProtocolKind> kind)
{
    const QString host = hostField.trimmed();
    const bool sftp = isSFTP(kind);
    QFuture<void> check = sftp ? NetworkProbe::testSSH(host, port, endpointTimeout)
                               : NetworkProbe::test(host, port, endpointTimeout);
    const QString target = endpoint(host, port);
    // Both continuations run on the thread where the check ends, so the result
    // never waits for an event loop; the editor attaches its own continuation.
    return check
        .then([target, sftp] {
            return EditorStatus{sftp ? target + QStringLiteral(" antwortet als SSH/SFTP-Server.")
                                     : target
                                           + QStringLiteral(" ist per TCP erreichbar. Anmeldung und Protokoll wurden "
                                                            "noch nicht geprüft."),
                                EditorStatus::Tone::success};
        })
        .onFailed([target](const BrenvikError& error) {
            return EditorStatus{target + QStringLiteral(": ") + error.description(), EditorStatus::Tone::failure};
        });
}

QString hostKeyButtonTitle()
{
    return QStringLiteral("Host-Key vorab prüfen …");
}

HostKeyCheck hostKeyCheckStarted(const QString& hostField, qint64 port)
{
    HostKeyCheck check;
    check.host = hostField.trimmed();
    if (check.host.isEmpty() || port < 1) {
        check.buttonTitle = hostKeyButtonTitle();
        check.status = {QStringLiteral("Server und Port zuerst eingeben."), EditorStatus::Tone::failure};
        return check;
    }
    check.runs = true;
    check.buttonTitle = QStringLiteral("Prüfe ") + endpoint(check.host, port) + QStringLiteral(" …");
    check.status = {QStringLiteral("SSH-Host-Key-Prüfung läuft – spätestens nach 8 Sekunden erfolgt eine Rückmeldung."),
                    EditorStatus::Tone::secondary};
    return check;
}

HostKeyConfirmation hostKeyConfirmation(const QStringList& fingerprints)
{
    return {QStringLiteral("SFTP-Host-Key bestätigen"),
            QStringLiteral("Vergleiche den Fingerprint mit der Angabe deines Servers oder Hosting-Anbieters. "
                           "Ungeprüftes Übernehmen schützt nicht vor einem manipulierten Server."),
            fingerprints,
            QSize(470, 26),
            {QStringLiteral("Geprüften Key übernehmen"), QStringLiteral("Abbrechen")}};
}

EditorStatus hostKeyTaken()
{
    return {QStringLiteral("Host-Key eingetragen. Bitte Verbindung jetzt sichern."), EditorStatus::Tone::success};
}

EditorStatus hostKeyKept()
{
    return {QStringLiteral("Host-Key nicht verändert."), EditorStatus::Tone::secondary};
}

EditorStatus hostKeyCheckCancelled()
{
    return {QStringLiteral("Host-Key-Prüfung abgebrochen."), EditorStatus::Tone::secondary};
}

EditorStatus hostKeyCheckFailed(const BrenvikError& error)
{
    return {error.description(), EditorStatus::Tone::failure};
}

} // namespace NetworkProbeFlow
