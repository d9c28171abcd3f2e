#include "remote/CurlCommand.h"

#include "remote/RemoteTransportError.h"

#include <QUrl>
#include <algorithm>

namespace {

QString quoted(QString value)
{
    value.replace(u'\\', QStringLiteral("\\\\"));
    value.replace(u'"', QStringLiteral("\\\""));
    value.remove(u'\r');
    value.remove(u'\n');
    return u'"' + value + u'"';
}

// An IPv6 address must stand in brackets, or its colons would read as the port.
QString urlHost(const QString& host)
{
    if (host.contains(u':') && !host.startsWith(u'['))
        return u'[' + host + u']';
    return host;
}

} // namespace

namespace CurlCommand {

QList<QByteArray> arguments(const RemoteProfile& profile, const QList<QByteArray>& operationArguments, Limit limit)
{
    QList<QByteArray> result{"--silent", "--show-error", "--fail", "--globoff", "--connect-timeout",
                             QByteArray::number(profile.timeout)};
    if (limit == Limit::totalTime)
        result += {"--max-time", QByteArray::number(std::max<qint64>(profile.timeout, 60))};
    else
        result += {"--speed-limit", "1", "--speed-time", QByteArray::number(std::max<qint64>(profile.timeout, 1))};
    result += {"--config", "-"};
    if (profile.kind == RemoteProtocolKind::ftps)
        result.append("--ssl-reqd");
    if (!profile.passiveFTP)
        result += {"--ftp-port", "-"};
    return result + operationArguments;
}

QByteArray credentialsLine(const QString& username, const QString& password)
{
    return QStringLiteral("user = %1\n").arg(quoted(username + u':' + password)).toUtf8();
}

QString remoteURL(const RemoteProfile& profile, const QString& path, bool directory)
{
    QString absolute = path.startsWith(u'/') ? path : u'/' + path;
    QStringList components = absolute.split(u'/');
    for (QString& component : components)
        component = QString::fromLatin1(QUrl::toPercentEncoding(component));
    QString encoded = components.join(u'/');
    if (directory && !encoded.endsWith(u'/'))
        encoded += u'/';
    return QStringLiteral("ftp://%1:%2%3").arg(urlHost(profile.host)).arg(profile.port).arg(encoded);
}

const QString& commandPath(const QString& path)
{
    if (path.contains(u'\r') || path.contains(u'\n') || path.contains(QChar(0)))
        throw RemoteTransportError::unusableName(path.toUtf8());
    return path;
}

} // namespace CurlCommand
