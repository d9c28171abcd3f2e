#include "remote/RemoteProfileForm.h"

#include <QFile>
#include <fcntl.h>
#include <unistd.h>

namespace {

QString trimmedOfSpacesAndTabs(const QString& text)
{
    qsizetype begin = 0;
    qsizetype end = text.size();
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t'; };
    while (begin < end && blank(text.at(begin)))
        ++begin;
    while (end > begin && blank(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

// The field's whole-number value; 0 for anything that is not one.
qint64 integerValue(const QString& field)
{
    bool ok = false;
    const qint64 value = field.trimmed().toLongLong(&ok);
    return ok ? value : 0;
}

bool readableByCurrentUser(const QString& path)
{
    return ::faccessat(AT_FDCWD, QFile::encodeName(path).constData(), R_OK, AT_EACCESS) == 0;
}

RemoteProfileFormResult warning(const char* text)
{
    return {std::nullopt, QString::fromUtf8(text)};
}

} // namespace

RemoteProfileFormResult saveRemoteProfileForm(const RemoteProfile& editing, const RemoteProfileForm& form,
                                              const CredentialStore& credentials)
{
    const RemoteProtocolKind kind = form.protocolTitle
                                        ? remoteProtocolKindFromRawValue(*form.protocolTitle)
                                              .value_or(RemoteProtocolKind::sftp)
                                        : RemoteProtocolKind::sftp;
    const qint64 port = integerValue(form.port);
    if (trimmedOfSpacesAndTabs(form.name).isEmpty() || trimmedOfSpacesAndTabs(form.host).isEmpty() || port <= 0
        || port >= 65536)
        return warning("Name, Server und gültiger Port sind erforderlich.");
    const QString identityFile = form.identityFile.trimmed();
    if (kind == RemoteProtocolKind::sftp && !identityFile.isEmpty() && !readableByCurrentUser(identityFile))
        return warning("Die ausgewählte SSH-Schlüsseldatei ist nicht lesbar.");

    RemoteProfile profile = editing;
    profile.name = form.name;
    profile.host = form.host;
    profile.username = form.username;
    profile.kind = kind;
    profile.port = port;
    profile.initialPath = form.initialPath.isEmpty() ? QStringLiteral("/") : form.initialPath;
    profile.timeout = std::max<qint64>(integerValue(form.timeout), 1);
    profile.keepAlive = std::max<qint64>(integerValue(form.keepAlive), 0);
    profile.passiveFTP = form.passiveFTP;
    profile.expectedHostKey = form.expectedHostKey;
    profile.identityFile = identityFile.isEmpty() ? std::nullopt : std::optional<QString>(identityFile);

    if (!form.password.isEmpty()) {
        try {
            credentials.save(form.password, profile.id);
        } catch (const CredentialStoreError& error) {
            return {std::nullopt, error.description()};
        }
    }
    return {profile, {}};
}
