#include "remote/SftpCommand.h"

#include "core/TextLines.h"
#include "remote/FtpListing.h"
#include "remote/RemoteTree.h"
#include "remote/SftpTransportError.h"

#include <QRegularExpression>
#include <algorithm>
#include <cstdlib>

namespace {

bool hasLineBreakOrNul(QByteArrayView bytes)
{
    return bytes.contains('\n') || bytes.contains('\r') || bytes.contains('\0');
}

[[noreturn]] void refusePath(const QString& shown)
{
    QString printable = shown;
    for (QChar& c : printable)
        if (c.category() == QChar::Other_Control)
            c = QChar::ReplacementCharacter;
    throw SFTPTransportError::command(
        QStringLiteral("Der Pfad „%1“ enthält einen Zeilenumbruch und kann nicht über SFTP übertragen werden.")
            .arg(printable));
}

bool hasControlCharacter(const QString& text)
{
    return std::any_of(text.begin(), text.end(), [](QChar c) { return c.category() == QChar::Other_Control; });
}

bool isUsableUser(const QString& user)
{
    return !user.startsWith(u'-') && !hasControlCharacter(user);
}

} // namespace

namespace SftpCommand {

bool isUsableHost(const QString& host)
{
    return !host.isEmpty() && !host.startsWith(u'-') && !host.contains(u'@') && !hasControlCharacter(host)
           && std::none_of(host.begin(), host.end(), [](QChar c) { return c.isSpace(); });
}

QByteArray quoted(const QByteArray& path)
{
    QByteArray text;
    text.reserve(path.size() + 2);
    text.append('"');
    for (const char c : path) {
        if (c == '\\')
            text.append("\\\\");
        else if (c == '"')
            text.append("\\\"");
        else if (c != '\r' && c != '\n')
            text.append(c);
    }
    text.append('"');
    return text;
}

QByteArray remoteArgument(const QString& path)
{
    QByteArray bytes = path.toUtf8();
    if (hasLineBreakOrNul(bytes))
        refusePath(path);
    if (!bytes.startsWith('/'))
        bytes.prepend('/');
    return quoted(bytes);
}

QByteArray localArgument(const FileUrl& file)
{
    const QByteArray& bytes = file.nativePath();
    if (hasLineBreakOrNul(bytes))
        refusePath(file.path());
    if (!bytes.startsWith('/'))
        throw SFTPTransportError::command(QStringLiteral("Der lokale Pfad „%1“ ist nicht absolut.").arg(file.path()));
    return quoted(bytes);
}

int connectTimeoutSeconds(qint64 operationTimeout)
{
    return int(std::clamp<qint64>(operationTimeout, 2, 15));
}

std::chrono::seconds readyWait(qint64 operationTimeout)
{
    return std::chrono::seconds(std::clamp<qint64>(operationTimeout, 5, 20));
}

std::chrono::seconds commandWait(qint64 operationTimeout)
{
    return std::chrono::seconds(std::clamp<qint64>(operationTimeout, 5, 30));
}

QList<QByteArray> sessionArguments(const RemoteProfile& profile, const QByteArray& knownHostsPath)
{
    if (!isUsableHost(profile.host))
        throw SFTPTransportError::command(QStringLiteral("Der Servername ist ungültig."));
    if (!isUsableUser(profile.username))
        throw SFTPTransportError::command(QStringLiteral("Der Benutzername ist ungültig."));

    QList<QByteArray> arguments{
        "-oLogLevel=ERROR",
        "-P",
        QByteArray::number(profile.port),
        "-oConnectTimeout=" + QByteArray::number(connectTimeoutSeconds(profile.timeout)),
        "-oConnectionAttempts=1",
        "-oServerAliveInterval=" + QByteArray::number(std::max<qint64>(profile.keepAlive, 0)),
        "-oServerAliveCountMax=1",
        "-oBatchMode=no",
        "-oStrictHostKeyChecking=yes",
        "-oUserKnownHostsFile=" + knownHostsPath,
        "-oGlobalKnownHostsFile=/dev/null",
        "-oNumberOfPasswordPrompts=1",
    };
    const QString identity = profile.identityFile.value_or(QString()).trimmed();
    if (!identity.isEmpty())
        arguments << "-oIdentitiesOnly=yes" << "-i" << identity.toUtf8() << "-oPreferredAuthentications=publickey";
    else
        arguments << "-oPreferredAuthentications=publickey,keyboard-interactive,password";
    arguments << (profile.username + u'@' + profile.host).toUtf8();
    return arguments;
}

ChildProcess::Environment sessionEnvironment(const RemoteProfile& profile, const QByteArray& askpassProgram,
                                             const QByteArray& inheritedCharacterLocale)
{
    ChildProcess::Environment additions{
        {"SSH_ASKPASS", askpassProgram},
        {"SSH_ASKPASS_REQUIRE", "force"},
        {"DISPLAY", "Brenvik:0"},
        {"BRVK_SFTP_ASKPASS_PROFILE", canonicalUuidText(profile.id).toUtf8()},
    };
    const QByteArray locale = inheritedCharacterLocale.toLower();
    if (!locale.contains("utf-8") && !locale.contains("utf8"))
        additions.append(qMakePair(QByteArray("LC_ALL"), QByteArray("C.UTF-8")));
    return additions;
}

QByteArray inheritedCharacterLocale()
{
    for (const char* name : {"LC_ALL", "LC_CTYPE", "LANG"}) {
        const char* value = std::getenv(name);
        if (value && *value)
            return value;
    }
    return {};
}

QByteArray markerCommand(const QByteArray& marker)
{
    // A local change of folder that always fails (a file is no folder): sftp
    // echoes the line on its standard output when it reads it and names the
    // path in an error on its standard error, so both streams are closed
    // without a shell or a round trip to the server.
    return "lcd /dev/null/" + marker + '\n';
}

QString answerLines(const QString& text, const QByteArray& marker)
{
    const QString markerText = QString::fromLatin1(marker);
    QStringList kept;
    for (const QString& line : splitNonEmptyLines(text))
        if (!line.startsWith(u"sftp>") && !line.contains(markerText))
            kept.append(line);
    return kept.join(u'\n');
}

QString safeServerMessage(const QString& text)
{
    QStringList lines = splitNonEmptyLines(text);
    lines.removeIf([](const QString& line) { return line.trimmed().isEmpty(); });
    // A failed log-in ends with "Connection closed" (more than once, with or
    // without a full stop); the reason is the line before.
    const auto isClosingWords = [](const QString& line) {
        QString words = line.trimmed();
        if (words.endsWith(u'.'))
            words.chop(1);
        return words == u"Connection closed";
    };
    while (lines.size() > 1 && isClosingWords(lines.last()))
        lines.removeLast();
    return lines.isEmpty() ? QStringLiteral("Verbindung beendet") : lines.last().left(300);
}

QList<RemoteEntry> parseListing(const QString& answer, const QString& listedPath)
{
    QString prefix = listedPath.startsWith(u'/') ? listedPath : u'/' + listedPath;
    if (!prefix.endsWith(u'/'))
        prefix += u'/';
    QList<RemoteEntry> entries;
    // Sorted once the listed folder's path is off the names.
    for (RemoteEntry& entry : FtpListing::parseUnsorted(answer)) {
        if (entry.name.startsWith(prefix))
            entry.name.remove(0, prefix.size());
        if (RemoteTree::isPlainEntryName(entry.name))
            entries.append(std::move(entry));
    }
    FtpListing::sortEntries(entries);
    return entries;
}

} // namespace SftpCommand

namespace SftpCommand {

bool listingIsExact(const QString& forward, const QString& reversed)
{
    const QStringList lines = splitNonEmptyLines(forward);
    QStringList backwards = splitNonEmptyLines(reversed);
    std::reverse(backwards.begin(), backwards.end());
    if (lines != backwards)
        return false;
    static const QRegularExpression escape(QStringLiteral("\\\\[0-7]{3}"));
    for (const QString& line : lines) {
        const bool dotEntry = line.endsWith(u" .") || line.endsWith(u" ..") || line.endsWith(u"/.")
                              || line.endsWith(u"/..");
        if (line.contains(escape) || (!dotEntry && FtpListing::parseUnsorted(line).isEmpty()))
            return false;
    }
    return true;
}

} // namespace SftpCommand
