#include "support/SftpServer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <pwd.h>
#include <stdexcept>
#include <sys/stat.h>
#include <unistd.h>

namespace {

void handToAccount(const QByteArray& path, const QString& user)
{
    const passwd* account = getpwnam(user.toUtf8().constData());
    if (!account || lchown(path.constData(), account->pw_uid, account->pw_gid) != 0)
        throw std::runtime_error("cannot hand " + path.toStdString() + " to the test account");
}

// Socket inode -> (local port, remote port) of every IPv4 TCP connection.
QHash<quint64, std::pair<quint16, quint16>> tcpConnections()
{
    QHash<quint64, std::pair<quint16, quint16>> connections;
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return connections;
    for (const QByteArray& line : table.readAll().split('\n').mid(1)) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() >= 10)
            connections.insert(fields[9].toULongLong(), {quint16(fields[1].split(':').value(1).toUInt(nullptr, 16)),
                                                         quint16(fields[2].split(':').value(1).toUInt(nullptr, 16))});
    }
    return connections;
}

QList<quint64> socketInodes(pid_t pid)
{
    QList<quint64> inodes;
    const QString folder = QStringLiteral("/proc/%1/fd/").arg(pid);
    for (const QString& fd : QDir(folder).entryList(QDir::NoDotAndDotDot | QDir::AllEntries | QDir::System)) {
        const QString target = QFileInfo(QFile::symLinkTarget(folder + fd)).fileName();
        if (target.startsWith(u"socket:["))
            inodes.append(target.mid(8).chopped(1).toULongLong());
    }
    return inodes;
}

QList<pid_t> allProcesses()
{
    QList<pid_t> pids;
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot))
        if (const int pid = entry.toInt())
            pids.append(pid);
    return pids;
}

} // namespace

RemoteProfile SftpTestServer::profile() const
{
    RemoteProfile profile;
    profile.name = QStringLiteral("SFTP-Testserver");
    profile.kind = RemoteProtocolKind::sftp;
    profile.host = QStringLiteral("127.0.0.1");
    profile.port = port;
    profile.username = user;
    profile.timeout = 10;
    profile.expectedHostKey = fingerprint;
    return profile;
}

QString SftpTestServer::makeFolder(const QByteArray& name) const
{
    const QByteArray path = root + '/' + name;
    if (::mkdir(path.constData(), 0755) != 0)
        throw std::runtime_error("cannot create " + path.toStdString());
    handToAccount(path, user);
    return u'/' + QString::fromUtf8(name);
}

void SftpTestServer::writeFile(const QByteArray& serverPath, const QByteArray& contents) const
{
    QFile file(QString::fromUtf8(localPath(serverPath)));
    if (!file.open(QIODevice::WriteOnly) || file.write(contents) != contents.size())
        throw std::runtime_error("cannot write " + serverPath.toStdString());
    file.close();
    handToAccount(localPath(serverPath), user);
}

namespace SftpServer {

std::optional<SftpTestServer> local()
{
    static const std::optional<SftpTestServer> server = [] () -> std::optional<SftpTestServer> {
        const QByteArray port = qgetenv("BRVK_TEST_SFTP_PORT");
        const QByteArray root = qgetenv("BRVK_TEST_SFTP_ROOT");
        const QString fingerprint = qEnvironmentVariable("BRVK_TEST_SFTP_FINGERPRINT");
        const QString password = qEnvironmentVariable("BRVK_TEST_SFTP_PASSWORD");
        // The tests check that the password reaches no child's environment:
        // none may inherit it from here either.
        qunsetenv("BRVK_TEST_SFTP_PASSWORD");
        if (port.isEmpty() || root.isEmpty() || fingerprint.isEmpty())
            return std::nullopt;
        return SftpTestServer{quint16(port.toUInt()), qEnvironmentVariable("BRVK_TEST_SFTP_USER"), password,
                              fingerprint, root};
    }();
    return server;
}

QList<pid_t> childrenOf(pid_t parent)
{
    QList<pid_t> children;
    for (const pid_t pid : allProcesses()) {
        QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        const QByteArray text = stat.readAll();
        // "pid (command) state ppid …"; the command may hold blanks and parentheses.
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == parent)
            children.append(pid);
    }
    return children;
}

QList<pid_t> serverProcessesOf(pid_t sftpProcess)
{
    const auto connections = tcpConnections();
    const QList<pid_t> clientSide = childrenOf(sftpProcess) << sftpProcess;
    QList<quint16> clientPorts;
    for (const pid_t ssh : clientSide)
        for (const quint64 inode : socketInodes(ssh))
            if (connections.contains(inode))
                clientPorts.append(connections.value(inode).first);
    QList<pid_t> servers;
    for (const pid_t pid : allProcesses())
        for (const quint64 inode : socketInodes(pid))
            if (connections.contains(inode) && clientPorts.contains(connections.value(inode).second)
                && !clientSide.contains(pid) && !servers.contains(pid))
                servers.append(pid);
    return servers;
}

} // namespace SftpServer
