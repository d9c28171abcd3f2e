#include "panels/RemoteLocation.h"

#include "remote/CredentialStore.h"

namespace RemoteLocation {

QString description(const RemoteProfile& profile, const QString& path)
{
    return rawValue(profile.kind) + QStringLiteral("://") + profile.host + path;
}

std::optional<QString> parentPath(const QString& path)
{
    if (path == u"/" || path.isEmpty())
        return std::nullopt;
    QString trimmed = path;
    while (trimmed.size() > 1 && trimmed.endsWith(u'/'))
        trimmed.chop(1);
    const qsizetype slash = trimmed.lastIndexOf(u'/');
    return slash <= 0 ? QStringLiteral("/") : trimmed.left(slash);
}

std::optional<QString> typedPath(const QString& text)
{
    const qsizetype scheme = text.indexOf(QStringLiteral("://"));
    if (scheme >= 0) {
        const qsizetype slash = text.indexOf(u'/', scheme + 3);
        if (slash >= 0)
            return text.mid(slash);
    }
    if (text.startsWith(u'/'))
        return text;
    return std::nullopt;
}

QString freeName(const QString& name, const QSet<QString>& taken)
{
    if (!taken.contains(name))
        return name;
    const qsizetype dot = name.lastIndexOf(u'.');
    const bool hasExtension = dot > 0 && dot < name.size() - 1;
    const QString base = hasExtension ? name.left(dot) : name;
    const QString extension = hasExtension ? name.mid(dot) : QString();
    // Bounded by the listing: among taken.size() + 1 candidates one is free.
    for (qsizetype n = 2;; ++n) {
        const QString candidate = base + u' ' + QString::number(n) + extension;
        if (!taken.contains(candidate))
            return candidate;
    }
}

QString dragType()
{
    return QString::fromLatin1(CredentialStore::applicationIdentifier) + QStringLiteral(".remote-items");
}

QByteArray dragText(const QUuid& profileId, const QStringList& remotePaths)
{
    QByteArrayList lines;
    for (const QString& path : remotePaths)
        lines << canonicalUuidText(profileId).toUtf8() << path.toUtf8();
    return lines.join('\n');
}

std::optional<DraggedEntries> parseDragText(const QByteArray& text)
{
    const QByteArrayList lines = text.split('\n');
    if (text.isEmpty() || lines.size() % 2 != 0)
        return std::nullopt;
    DraggedEntries entries;
    for (qsizetype i = 0; i < lines.size(); i += 2) {
        const std::optional<QUuid> id = parseCanonicalUuid(QString::fromUtf8(lines.at(i)));
        const QString path = QString::fromUtf8(lines.at(i + 1));
        if (!id || (i > 0 && *id != entries.profileId) || !path.startsWith(u'/'))
            return std::nullopt;
        entries.profileId = *id;
        entries.remotePaths.append(path);
    }
    return entries;
}

} // namespace RemoteLocation
