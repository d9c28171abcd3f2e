// Lists one folder repeatedly through one OpenSSHSFTPTransport, log-in
// included, and prints the microseconds it took. Also keeps the benchmark's
// keychain item, so that a raw sftp run can log in through the same askpass.
//
//   bench_sftp_transport store                 (password from BRVK_TEST_SFTP_PASSWORD)
//   bench_sftp_transport remove
//   bench_sftp_transport list ASKPASS PORT FINGERPRINT FOLDER COUNT
//   bench_sftp_transport tree ASKPASS PORT FINGERPRINT FOLDER LOCAL   (a tree download)
#include "remote/CredentialStore.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "remote/RemoteTree.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <cstdio>
#include <cstring>

namespace {

const QUuid profileID(QStringLiteral("00000000-0000-4000-8000-00000000be0c"));

RemoteProfile benchProfile(char** argv)
{
    RemoteProfile profile;
    profile.id = profileID;
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = QByteArray(argv[3]).toLongLong();
    profile.username = QStringLiteral("brvk");
    profile.expectedHostKey = QString::fromUtf8(argv[4]);
    return profile;
}

int downloadTree(char** argv)
{
    SftpTools tools;
    tools.askpass = argv[2];
    QElapsedTimer clock;
    clock.start();
    {
        OpenSSHSFTPTransport transport(benchProfile(argv), tools);
        RemoteTree::download(transport, QString::fromUtf8(argv[5]), FileUrl::fromNativePath(argv[6]), {});
        transport.disconnect();
    }
    std::printf("%lld\n", static_cast<long long>(clock.nsecsElapsed() / 1000));
    return 0;
}

int listRepeatedly(char** argv)
{
    const RemoteProfile profile = benchProfile(argv);
    SftpTools tools;
    tools.askpass = argv[2];
    const QString folder = QString::fromUtf8(argv[5]);
    const int count = std::atoi(argv[6]);

    QElapsedTimer clock;
    clock.start();
    qsizetype entries = 0;
    {
        OpenSSHSFTPTransport transport(profile, tools);
        for (int i = 0; i < count; ++i)
            entries += transport.list(folder).size();
        transport.disconnect();
    }
    const qint64 micros = clock.nsecsElapsed() / 1000;
    std::printf("%lld %lld\n", static_cast<long long>(micros), static_cast<long long>(entries));
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const CredentialStore store = CredentialStore::forApplication();
    try {
        if (argc == 2 && std::strcmp(argv[1], "store") == 0) {
            store.save(qEnvironmentVariable("BRVK_TEST_SFTP_PASSWORD"), profileID);
            std::printf("%s\n", canonicalUuidText(profileID).toUtf8().constData());
            return 0;
        }
        if (argc == 2 && std::strcmp(argv[1], "remove") == 0) {
            store.remove(profileID);
            return 0;
        }
        if (argc == 7 && std::strcmp(argv[1], "list") == 0)
            return listRepeatedly(argv);
        if (argc == 7 && std::strcmp(argv[1], "tree") == 0)
            return downloadTree(argv);
    } catch (const BrenvikError& error) {
        std::fprintf(stderr, "%s\n", error.description().toUtf8().constData());
        return 1;
    }
    std::fprintf(stderr, "Aufruf: siehe Kopf von sftp_transport.cpp\n");
    return 2;
}
