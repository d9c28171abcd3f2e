#include "core/FileUrl.h"

#include <QFile>
#include <QUrl>
#include <QUtf8StringView>

namespace {

const QByteArray remoteScheme = QByteArrayLiteral("brvk-remote://");

// Characters a URL path may carry unencoded, minus "/" so that a name holding a
// slash still forms exactly one path component.
const QByteArray pathSafeExtras = QByteArrayLiteral("!$&'()*+,-.:;=@_~");

qsizetype lastSlash(const QByteArray& bytes)
{
    return bytes.lastIndexOf('/');
}

} // namespace

FileUrl FileUrl::fromNativePath(QByteArray absolutePath)
{
    while (absolutePath.size() > 1 && absolutePath.endsWith('/'))
        absolutePath.chop(1);
    return FileUrl(std::move(absolutePath));
}

FileUrl FileUrl::fromLocalPath(const QString& absolutePath)
{
    return fromNativePath(absolutePath.toUtf8());
}

FileUrl FileUrl::remote(const QString& profileId, const QString& name)
{
    const QByteArray id = profileId.isEmpty() ? QByteArrayLiteral("unknown") : profileId.toUtf8();
    return FileUrl(remoteScheme + id + '/' + QUrl::toPercentEncoding(name, pathSafeExtras));
}

bool FileUrl::hasExactText() const
{
    return QUtf8StringView(m_bytes).isValidUtf8();
}

std::optional<QString> FileUrl::exactPath() const
{
    if (!hasExactText())
        return std::nullopt;
    return path();
}

QByteArray FileUrl::nativeFileName() const
{
    const qsizetype slash = lastSlash(m_bytes);
    if (isLocal() && m_bytes.size() == 1)
        return {};
    return m_bytes.mid(slash + 1);
}

QString FileUrl::fileName() const
{
    if (isRemote())
        return QUrl::fromPercentEncoding(nativeFileName());
    return QString::fromUtf8(nativeFileName());
}

QString FileUrl::pathExtension() const
{
    const QString name = fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot <= 0 || dot == name.size() - 1)
        return {};
    return name.mid(dot + 1);
}

FileUrl FileUrl::parent() const
{
    const qsizetype slash = lastSlash(m_bytes);
    if (isRemote()) {
        const qsizetype hostEnd = m_bytes.indexOf('/', remoteScheme.size());
        return slash > hostEnd ? FileUrl(m_bytes.left(slash)) : *this;
    }
    if (slash <= 0)
        return FileUrl(QByteArrayLiteral("/"));
    return FileUrl(m_bytes.left(slash));
}

FileUrl FileUrl::appending(const QByteArray& nativeName) const
{
    if (m_bytes.endsWith('/'))
        return FileUrl(m_bytes + nativeName);
    return FileUrl(m_bytes + '/' + nativeName);
}

bool FileUrl::isInside(const FileUrl& ancestor) const
{
    if (ancestor.m_bytes == m_bytes)
        return true;
    if (ancestor.m_bytes == "/")
        return isLocal();
    return m_bytes.startsWith(ancestor.m_bytes) && m_bytes.size() > ancestor.m_bytes.size()
        && m_bytes.at(ancestor.m_bytes.size()) == '/';
}
