#include "remote/CredentialStore.h"

#include "platform/PlatformTexts.h"
#include "remote/RemoteProfile.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QStringDecoder>
#include <qt6keychain/keychain.h>

namespace {

// Runs one keychain job to its end. Returns false when it could not run at all
// (no application object to drive the event loop).
bool runToCompletion(QKeychain::Job& job, const QUuid& profileID)
{
    if (!QCoreApplication::instance())
        return false;
    job.setAutoDelete(false);
    // A keychain that cannot be reached must never turn into a plain-text file.
    job.setInsecureFallback(false);
    job.setKey(canonicalUuidText(profileID));
    bool finished = false;
    QEventLoop loop;
    QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
        finished = true;
        loop.quit();
    });
    job.start();
    if (!finished)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
    return finished;
}

std::optional<QString> strictUtf8(const QByteArray& bytes)
{
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

} // namespace

CredentialStoreError::CredentialStoreError(qint32 status)
    : BrenvikError(QStringLiteral("CredentialStoreError"),
                   PlatformTexts::localized(QStringLiteral("Der macOS-Schlüsselbund meldet Fehler %1.")).arg(status)),
      m_status(status)
{
}

CredentialStore CredentialStore::forApplication()
{
    return CredentialStore(QString::fromLatin1(applicationIdentifier) + QStringLiteral(".RemoteCredentials"));
}

CredentialStore::CredentialStore(QString service) : m_service(std::move(service)) {}

std::optional<QString> CredentialStore::read(const QUuid& profileID) const
{
    QKeychain::ReadPasswordJob job(m_service);
    if (!runToCompletion(job, profileID) || job.error() != QKeychain::NoError)
        return std::nullopt;
    return strictUtf8(job.binaryData());
}

void CredentialStore::save(const QString& password, const QUuid& profileID) const
{
    // The keychain replaces an existing item in place; deleting it first would
    // lose the old password whenever the new one cannot be stored.
    QKeychain::WritePasswordJob job(m_service);
    job.setTextData(password);
    if (!runToCompletion(job, profileID))
        throw CredentialStoreError(QKeychain::NoBackendAvailable);
    if (job.error() != QKeychain::NoError)
        throw CredentialStoreError(job.error());
}

void CredentialStore::remove(const QUuid& profileID) const
{
    QKeychain::DeletePasswordJob job(m_service);
    runToCompletion(job, profileID);
}
