#include "remote/RemoteDiagnostics.h"

#include "core/TextLines.h"
#include "platform/LogFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QMutexLocker>

RemoteDiagnostics::RemoteDiagnostics(QString filePath) : m_path(std::move(filePath))
{
    QDir().mkpath(QFileInfo(m_path).path());
}

void RemoteDiagnostics::record(const QString& message)
{
    const QByteArray line =
        QDateTime::currentDateTimeUtc().toString(Qt::ISODateWithMs).toUtf8() + ' ' + message.toUtf8() + '\n';
    QMutexLocker lock(&m_mutex);
    // The folder may have been removed since; recreating it is cheap.
    QDir().mkpath(QFileInfo(m_path).path());
    if (QFileInfo(m_path).size() > rotationSize) {
        QFile::remove(m_path + QStringLiteral(".1"));
        QFile::rename(m_path, m_path + QStringLiteral(".1"));
    }
    QFile file(m_path);
    if (file.open(QIODevice::WriteOnly | QIODevice::Append))
        file.write(line);
}

FTPDiagnostics& FTPDiagnostics::shared()
{
    static FTPDiagnostics instance(brenvikLogFolder() + QStringLiteral("/FTP-Diagnose.log"));
    return instance;
}

QString FTPDiagnostics::failureSummary(const QString& standardError, int status) const
{
    const QStringList lines = splitNonEmptyLines(standardError);
    for (auto line = lines.crbegin(); line != lines.crend(); ++line) {
        if (line->startsWith(u"curl:") || line->contains(u"Login denied") || line->contains(u"Access denied")
            || line->contains(u"Could not") || line->contains(u"timed out"))
            return *line;
    }
    return QStringLiteral("curl wurde mit Status %1 beendet. Diagnose: %2").arg(status).arg(path());
}

SFTPDiagnostics& SFTPDiagnostics::shared()
{
    static SFTPDiagnostics instance(brenvikLogFolder() + QStringLiteral("/SFTP-Diagnose.log"));
    return instance;
}
