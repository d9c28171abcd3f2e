#include "selftest/SftpIntegration.h"

#include "core/BrenvikError.h"
#include "core/SystemError.h"
#include "remote/CredentialStore.h"
#include "remote/CurlRemoteProvider.h"
#include "remote/OpenSSHSFTPTransport.h"
#include "selftest/ScratchFolder.h"
#include "selftest/SelfTestRunner.h"

#include <QElapsedTimer>
#include <QFile>
#include <QStringList>
#include <QUuid>
#include <algorithm>

namespace {

const QUuid profileID = QUuid(QStringLiteral("00000000-0000-4000-8000-000000004122"));
const QByteArray uploadText = QByteArrayLiteral("SFTP funktioniert");

struct Failure {
    QString reason;
};

void print(FILE* out, const QString& line)
{
    std::fputs(line.toUtf8().constData(), out);
    std::fputc('\n', out);
    std::fflush(out);
}

RemoteProfile integrationProfile(const QString& fingerprint)
{
    RemoteProfile profile;
    profile.id = profileID;
    profile.name = QStringLiteral("Lokaler SFTP-Test");
    profile.kind = RemoteProtocolKind::sftp;
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = 42122;
    profile.username = QStringLiteral("brvk");
    profile.initialPath = QStringLiteral("/");
    profile.timeout = 10;
    profile.keepAlive = 600;
    profile.expectedHostKey = fingerprint;
    return profile;
}

// The password lives in the keychain only while the suite runs.
class StoredPassword {
public:
    StoredPassword() { m_store.save(QString::fromLatin1(SftpIntegration::testPassword), profileID); }
    ~StoredPassword() { m_store.remove(profileID); }
    StoredPassword(const StoredPassword&) = delete;
    StoredPassword& operator=(const StoredPassword&) = delete;

private:
    CredentialStore m_store = CredentialStore::forApplication();
};

void writeFile(const FileUrl& file, const QByteArray& contents)
{
    QFile out(file.path());
    if (!out.open(QIODevice::WriteOnly) || out.write(contents) != contents.size() || !out.flush())
        throw SystemError(EIO, file.nativePath());
}

QByteArray readFile(const FileUrl& file)
{
    QFile in(file.path());
    if (!in.open(QIODevice::ReadOnly))
        throw SystemError(ENOENT, file.nativePath());
    return in.readAll();
}

bool lists(const QList<RemoteEntry>& entries, const QString& name)
{
    return std::any_of(entries.begin(), entries.end(), [&](const RemoteEntry& entry) { return entry.name == name; });
}

// What this run created on the server, removed again when the run fails half-way.
class ServerLeftovers {
public:
    explicit ServerLeftovers(CurlRemoteProvider& provider) : m_provider(provider) {}
    ~ServerLeftovers()
    {
        for (const auto& [path, directory] : m_entries) {
            try {
                m_provider.deleteEntry(path, directory).waitForFinished();
            } catch (const BrenvikError&) {
                // Best effort: the run already reports its own failure.
            }
        }
    }
    void created(const QString& path, bool directory) { m_entries.append({path, directory}); }
    void removed(const QString& path)
    {
        m_entries.removeIf([&](const auto& entry) { return entry.first == path; });
    }

private:
    CurlRemoteProvider& m_provider;
    QList<std::pair<QString, bool>> m_entries;
};

void exerciseServer(CurlRemoteProvider& provider, const FileUrl& scratch)
{
    const FileUrl upload = scratch.appending(QByteArrayLiteral("upload.txt"));
    const FileUrl download = scratch.appending(QByteArrayLiteral("download.txt"));
    writeFile(upload, uploadText);
    ServerLeftovers leftovers(provider);

    provider.list(QStringLiteral("/")).waitForFinished();
    provider.upload(upload, QStringLiteral("/upload.txt")).waitForFinished();
    leftovers.created(QStringLiteral("/upload.txt"), false);
    if (!lists(provider.list(QStringLiteral("/")).result(), QStringLiteral("upload.txt")))
        throw Failure{QStringLiteral("Upload fehlt in Liste")};
    provider.rename(QStringLiteral("/upload.txt"), QStringLiteral("/renamed.txt")).waitForFinished();
    leftovers.removed(QStringLiteral("/upload.txt"));
    leftovers.created(QStringLiteral("/renamed.txt"), false);
    provider.download(QStringLiteral("/renamed.txt"), download).waitForFinished();
    if (readFile(download) != uploadText)
        throw Failure{QStringLiteral("Downloadinhalt falsch")};
    provider.createDirectory(QStringLiteral("/folder")).waitForFinished();
    leftovers.created(QStringLiteral("/folder"), true);
    provider.deleteEntry(QStringLiteral("/renamed.txt"), false).waitForFinished();
    leftovers.removed(QStringLiteral("/renamed.txt"));
    provider.deleteEntry(QStringLiteral("/folder"), true).waitForFinished();
    leftovers.removed(QStringLiteral("/folder"));
}

} // namespace

namespace SelfTestRunner {

int32_t runSFTPIntegration(const QString& fingerprint, FILE* out)
{
    QString reason;
    try {
        const StoredPassword password;
        const ScratchFolder scratch(QStringLiteral("SFTP-Client"));
        CurlRemoteProvider provider(integrationProfile(fingerprint), QString());
        try {
            exerciseServer(provider, scratch.url());
        } catch (...) {
            provider.disconnect().waitForFinished();
            throw;
        }
        provider.disconnect().waitForFinished();
        print(out, QStringLiteral("✓ SFTP Host-Key, Schlüsselbund-Anmeldung, Liste, Upload, Rename, Download, MKD, "
                                  "RM und RMD bestanden"));
        return 0;
    } catch (const Failure& failure) {
        reason = failure.reason;
    } catch (const BrenvikError& error) {
        reason = error.description();
    } catch (const std::exception& error) {
        reason = QString::fromUtf8(error.what());
    }
    print(out, QStringLiteral("✗ SFTP-Integration fehlgeschlagen: ") + reason);
    return 1;
}

} // namespace SelfTestRunner

namespace SftpIntegration {

int32_t timeoutVerdict(double seconds)
{
    return seconds <= 9.5 ? 0 : 1;
}

int32_t runTimeoutCheck(const QString& host, qint64 port, FILE* out)
{
    QElapsedTimer clock;
    clock.start();
    QFuture<QStringList> scan = OpenSSHSFTPTransport::scanFingerprints(host, port, 8);
    try {
        scan.waitForFinished();
    } catch (const BrenvikError& error) {
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        print(out, QStringLiteral("✓ Unerreichbarer SFTP-Host meldet nach ") + QString::asprintf("%.1f", seconds)
                       + QStringLiteral(" s: ") + error.description());
        return timeoutVerdict(seconds);
    }
    print(out, QStringLiteral("✗ Unerreichbarer Host lieferte Schlüssel"));
    return 1;
}

} // namespace SftpIntegration
