#include "remote/KnownHostLine.h"

#include <QCryptographicHash>
#include <QList>
#include <algorithm>
#include <QtEndian>

namespace {

bool isKeyTypeCharacter(QChar c)
{
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9') || c == u'-'
           || c == u'.' || c == u'@';
}

// The blob opens with its own type as a length-prefixed string; a key that
// names another type than its line is a forged or damaged line.
bool blobHasType(const QByteArray& blob, const QByteArray& type)
{
    if (blob.size() < 4)
        return false;
    const quint32 length = qFromBigEndian<quint32>(blob.constData());
    return length == quint32(type.size()) && blob.size() > 4 + type.size() && blob.mid(4, type.size()) == type;
}

} // namespace

std::optional<KnownHostLine> KnownHostLine::parse(QStringView line)
{
    const QList<QStringView> fields = line.trimmed().split(u' ', Qt::SkipEmptyParts);
    if (fields.size() != 3 || fields[0].startsWith(u'@') || fields[0].startsWith(u'|'))
        return std::nullopt;
    if (fields[1].isEmpty() || !std::all_of(fields[1].begin(), fields[1].end(), isKeyTypeCharacter))
        return std::nullopt;
    const auto decoded =
        QByteArray::fromBase64Encoding(fields[2].toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
    if (!decoded || !blobHasType(*decoded, fields[1].toLatin1()))
        return std::nullopt;
    return KnownHostLine{fields[0].toString(), fields[1].toString(), *decoded};
}

QString KnownHostLine::hostFieldFor(const QString& host, qint64 port)
{
    return port == 22 ? host : u'[' + host + QStringLiteral("]:") + QString::number(port);
}

QString KnownHostLine::text() const
{
    return hostField + u' ' + keyType + u' ' + QString::fromLatin1(key.toBase64());
}

QString KnownHostLine::fingerprint() const
{
    const QByteArray digest = QCryptographicHash::hash(key, QCryptographicHash::Sha256);
    return QStringLiteral("SHA256:") + QString::fromLatin1(digest.toBase64(QByteArray::OmitTrailingEquals));
}

bool KnownHostLine::isFor(const QString& host, qint64 port) const
{
    return hostField.compare(hostFieldFor(host, port), Qt::CaseInsensitive) == 0;
}
