#include "remote/HostKeyLineCache.h"

#include "core/BrenvikError.h"
#include "core/TextLines.h"
#include "platform/FileWriting.h"
#include "remote/KnownHostLine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Far more pinned keys than anyone keeps; the oldest go first.
constexpr qsizetype maximumLines = 512;
constexpr qint64 maximumFileBytes = 1024 * 1024;

bool sameEntry(const KnownHostLine& line, const QString& host, qint64 port, const QString& fingerprint)
{
    return line.isFor(host, port) && line.fingerprint() == fingerprint;
}

} // namespace

HostKeyLineCache& HostKeyLineCache::shared()
{
    static HostKeyLineCache instance(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation)
                                     + QStringLiteral("/Brenvik/known_hosts"));
    return instance;
}

HostKeyLineCache::HostKeyLineCache(QString file) : m_file(std::move(file)) {}

QString HostKeyLineCache::key(const QString& host, qint64 port, const QString& fingerprint)
{
    return host.toLower() + u':' + QString::number(port) + u':' + fingerprint;
}

std::optional<QString> HostKeyLineCache::line(const QString& host, qint64 port, const QString& fingerprint)
{
    std::lock_guard lock(m_mutex);
    const QString entry = key(host, port, fingerprint);
    if (const auto found = m_lines.constFind(entry); found != m_lines.constEnd())
        return *found;
    const std::optional<QString> stored = lineFromFile(host, port, fingerprint);
    if (stored) {
        m_lines.insert(entry, *stored);
        m_inFile.insert(entry);
    }
    return stored;
}

void HostKeyLineCache::remember(const QString& host, qint64 port, const QString& fingerprint, const QString& line)
{
    std::lock_guard lock(m_mutex);
    m_lines.insert(key(host, port, fingerprint), line);
}

void HostKeyLineCache::keep(const QString& host, qint64 port, const QString& fingerprint, const QString& line)
{
    std::lock_guard lock(m_mutex);
    const QString entry = key(host, port, fingerprint);
    m_lines.insert(entry, line);
    if (m_inFile.contains(entry))
        return;
    m_inFile.insert(entry);
    const std::optional<KnownHostLine> parsed = KnownHostLine::parse(line);
    if (!parsed || !sameEntry(*parsed, host, port, fingerprint))
        return;
    QList<KnownHostLine> lines = fileLines();
    lines.append(*parsed);
    writeFileLines(lines.mid(std::max<qsizetype>(0, lines.size() - maximumLines)));
}

void HostKeyLineCache::forget(const QString& host, qint64 port, const QString& fingerprint)
{
    std::lock_guard lock(m_mutex);
    const QString entry = key(host, port, fingerprint);
    m_lines.remove(entry);
    m_inFile.remove(entry);
    QList<KnownHostLine> lines = fileLines();
    if (lines.removeIf([&](const KnownHostLine& line) { return sameEntry(line, host, port, fingerprint); }) > 0)
        writeFileLines(lines);
}

std::optional<QString> HostKeyLineCache::lineFromFile(const QString& host, qint64 port,
                                                      const QString& fingerprint) const
{
    for (const KnownHostLine& line : fileLines())
        if (sameEntry(line, host, port, fingerprint))
            return line.text();
    return std::nullopt;
}

// Only well-formed lines, which reach ssh rewritten from their fields: nothing
// else in the file can.
QList<KnownHostLine> HostKeyLineCache::fileLines() const
{
    QFile file(m_file);
    if (QFileInfo(m_file).isSymLink() || !file.open(QIODevice::ReadOnly) || file.size() > maximumFileBytes)
        return {};
    QList<KnownHostLine> lines;
    for (const QString& text : splitNonEmptyLines(QString::fromUtf8(file.read(maximumFileBytes))))
        if (const std::optional<KnownHostLine> parsed = KnownHostLine::parse(text))
            lines.append(*parsed);
    return lines;
}

void HostKeyLineCache::writeFileLines(const QList<KnownHostLine>& lines) const
{
    if (!QDir().mkpath(QFileInfo(m_file).path()))
        return;
    // The hosts someone works on are nobody else's business.
    const int created = ::open(QFile::encodeName(m_file).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (created >= 0)
        ::close(created);
    QByteArray text;
    for (const KnownHostLine& line : lines)
        text += line.text().toUtf8() + '\n';
    try {
        writeFileAtomically(m_file, text);
    } catch (const BrenvikError&) {
    }
}
