// A file panel in remote mode, as the user meets it: the time from openRemote()
// until the rows of a folder are shown, and a tree download started from the
// panel (progress window included) until it has ended; for both the longest
// stall of the GUI thread meanwhile, seen by a 1 ms heartbeat timer, in wall
// time and in the thread's own CPU time (which does not grow while other
// processes hold the processor). Prints "MICROSECONDS STALL_MS CPU_STALL_MS ROWS". The SFTP password comes from the
// keychain item that bench_sftp_transport stores; FTP's from BENCH_PASSWORD.
//
//   bench_remote_panel open     PROTOCOL PORT USER FINGERPRINT ASKPASS FOLDER
//   bench_remote_panel download PROTOCOL PORT USER FINGERPRINT ASKPASS FOLDER LOCAL_FOLDER
#include "panels/FilePanelController.h"
#include "panels/FileTableModel.h"
#include "panels/RemotePanelSession.h"
#include "remote/CurlRemoteProvider.h"
#include "ui/QtInteraction.h"

#include "../Heartbeat.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTableView>
#include <QTemporaryDir>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

template <typename Signal>
void waitFor(FilePanelController& panel, Signal signal)
{
    bool arrived = false;
    const QMetaObject::Connection connection = QObject::connect(&panel, signal, [&arrived] { arrived = true; });
    while (!arrived)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(connection);
}

RemoteProfile profileFrom(char** argv)
{
    RemoteProfile profile;
    profile.id = QUuid(QStringLiteral("00000000-0000-4000-8000-00000000be0c"));
    profile.name = QStringLiteral("Messung");
    profile.kind = remoteProtocolKindFromRawValue(QString::fromUtf8(argv[2])).value_or(RemoteProtocolKind::sftp);
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = QByteArray(argv[3]).toLongLong();
    profile.username = QString::fromUtf8(argv[4]);
    if (std::strcmp(argv[5], "-") != 0)
        profile.expectedHostKey = QString::fromUtf8(argv[5]);
    profile.initialPath = QString::fromUtf8(argv[7]);
    return profile;
}

} // namespace

int main(int argc, char** argv)
{
    const bool open = argc == 8 && std::strcmp(argv[1], "open") == 0;
    const bool download = argc == 9 && std::strcmp(argv[1], "download") == 0;
    if (!open && !download) {
        std::fprintf(stderr, "Aufruf: siehe Kopf von bench_remote_panel.cpp\n");
        return 2;
    }
    // The panel saves its tabs: never into the user's own settings.
    QTemporaryDir settingsHome;
    setenv("XDG_CONFIG_HOME", settingsHome.path().toLocal8Bit().constData(), 1);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    const QByteArray askpass = argv[6];
    RemotePanelProviders::setFactory([askpass](const RemoteProfile& profile, const QString& password) {
        SftpTools tools;
        tools.askpass = askpass;
        return std::make_shared<CurlRemoteProvider>(profile, password, CurlRemoteProvider::systemCurl, tools);
    });
    const RemoteProfile profile = profileFrom(argv);
    const QString password = qEnvironmentVariable("BENCH_PASSWORD");

    QTemporaryDir start;
    QtInteraction interaction;
    FilePanelController panel(FileUrl::fromLocalPath(start.path()), QStringLiteral("Left"), interaction);
    panel.resize(900, 700);
    panel.show();
    waitFor(panel, &FilePanelController::listingFinished);

    QElapsedTimer clock;
    if (open) {
        Heartbeat heartbeat;
        clock.start();
        panel.openRemote(profile, password);
        waitFor(panel, &FilePanelController::listingFinished);
        panel.table()->viewport()->repaint();
        const qint64 micros = clock.nsecsElapsed() / 1000;
        const double stall = heartbeat.longestMilliseconds();
        std::printf("%lld %.1f %.1f %d\n", static_cast<long long>(micros), stall, heartbeat.longestCpuMilliseconds(),
                    panel.tableModel().rowCount());
        return panel.remoteEntries().isEmpty() ? 1 : 0;
    }

    // The download: logged in and listed first, so that only the transfer counts.
    RemoteProfile parent = profile;
    parent.initialPath = profile.initialPath.left(profile.initialPath.lastIndexOf(u'/') + 1);
    panel.openRemote(parent, password);
    waitFor(panel, &FilePanelController::listingFinished);
    Heartbeat heartbeat;
    clock.start();
    panel.downloadRemotePaths({profile.initialPath}, FileUrl::fromNativePath(argv[8]), false);
    waitFor(panel, &FilePanelController::remoteWorkFinished);
    const qint64 micros = clock.nsecsElapsed() / 1000;
    const double stall = heartbeat.longestMilliseconds();
    std::printf("%lld %.1f %.1f %d\n", static_cast<long long>(micros), stall, heartbeat.longestCpuMilliseconds(),
                panel.tableModel().rowCount());
    return 0;
}
