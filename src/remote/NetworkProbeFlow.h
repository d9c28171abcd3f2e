#pragma once

#include "core/BrenvikError.h"
#include "remote/RemoteProfile.h"

#include <QFuture>
#include <QSize>
#include <QString>
#include <QStringList>
#include <optional>

// One state of the profile editor's status line.
struct EditorStatus {
    enum class Tone { secondary, success, failure };

    QString text;
    Tone tone = Tone::secondary;

    friend bool operator==(const EditorStatus&, const EditorStatus&) = default;
};

// The profile editor's two checks before saving, "Server und Port testen" and
// "Host-Key vorab prüfen …": the texts it shows and the work it starts. The
// editor window owns the controls and the alert; these functions hold
// everything else, so they work (and are tested) without a window.
namespace NetworkProbeFlow {

// --- "Server und Port testen" (no kind selected counts as SFTP) ---

inline constexpr double endpointTimeout = 5;

// The status while the check runs; the host is trimmed as the check will use it.
EditorStatus endpointCheckStarted(const QString& hostField, qint64 port, std::optional<RemoteProtocolKind> kind);
// One TCP connection (FTP, FTPS) or a connection and SSH greeting (SFTP), at
// most 5 seconds; the result as the status line shows it. Cancelled when the
// returned future is cancelled.
QFuture<EditorStatus> runEndpointCheck(const QString& hostField, qint64 port, std::optional<RemoteProtocolKind> kind);

// --- "Host-Key vorab prüfen …" ---

QString hostKeyButtonTitle();

struct HostKeyCheck {
    // False when host or port are missing: nothing runs, the status says so.
    bool runs = false;
    QString host;          // trimmed
    QString buttonTitle;   // while it runs; the button is disabled meanwhile
    EditorStatus status;
};
HostKeyCheck hostKeyCheckStarted(const QString& hostField, qint64 port);

// The confirmation alert for the scanned fingerprints, shown in a pop-up.
struct HostKeyConfirmation {
    QString message;
    QString informativeText;
    QStringList fingerprints;
    QSize popUpSize;
    QStringList buttons; // confirm first, then "Abbrechen"
};
HostKeyConfirmation hostKeyConfirmation(const QStringList& fingerprints);

EditorStatus hostKeyTaken();
EditorStatus hostKeyKept();
EditorStatus hostKeyCheckCancelled();
EditorStatus hostKeyCheckFailed(const BrenvikError& error);

} // namespace NetworkProbeFlow
