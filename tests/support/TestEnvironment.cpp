#include "support/TestEnvironment.h"

#include <QUuid>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <ftw.h>
#include <stdexcept>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

QByteArray processRoot;

void removeTree(const QByteArray& path)
{
    // Unwritable folders are opened up first, so that everything below them goes too.
    nftw(path.constData(), [](const char* entry, const struct stat* st, int type, struct FTW*) {
        if (type == FTW_D || type == FTW_DNR)
            chmod(entry, (st->st_mode & 07777) | S_IRWXU);
        return 0;
    }, 16, FTW_PHYS);
    nftw(path.constData(), [](const char* entry, const struct stat*, int, struct FTW*) {
        ::remove(entry);
        return 0;
    }, 16, FTW_DEPTH | FTW_PHYS);
}

void makeFolderChain(const QByteArray& path)
{
    for (qsizetype slash = path.indexOf('/', 1);; slash = path.indexOf('/', slash + 1)) {
        const QByteArray prefix = slash < 0 ? path : path.left(slash);
        if (mkdir(prefix.constData(), 0755) != 0 && errno != EEXIST)
            throw std::runtime_error("mkdir failed: " + prefix.toStdString());
        if (slash < 0)
            return;
    }
}

} // namespace

namespace TestEnvironment {

void setUpProcess()
{
    // World-searchable, so that tests running code as an unprivileged user reach it.
    processRoot = "/tmp/brenvik-test-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
    for (const char* sub : {"/home", "/tmp", "/config", "/data", "/state", "/cache", "/run"})
        makeFolderChain(processRoot + sub);
    chmod((processRoot + "/run").constData(), 0700);
    chmod((processRoot + "/tmp").constData(), 01777);
    const std::pair<const char*, const char*> variables[] = {{"HOME", "/home"}, {"TMPDIR", "/tmp"},
        {"XDG_CONFIG_HOME", "/config"}, {"XDG_DATA_HOME", "/data"}, {"XDG_STATE_HOME", "/state"}, {"XDG_CACHE_HOME", "/cache"}};
    for (const auto& [variable, sub] : variables)
        setenv(variable, (processRoot + sub).constData(), 1);
    setenv("XDG_RUNTIME_DIR", (processRoot + "/run").constData(), 0); // keep a test bus's own
    std::atexit([] { removeTree(processRoot); });
}

} // namespace TestEnvironment

TempFolder::TempFolder()
{
    const QByteArray path = qgetenv("TMPDIR") + "/t-" + QUuid::createUuid().toString(QUuid::WithoutBraces).toUtf8();
    makeFolderChain(path);
    m_url = FileUrl::fromNativePath(path);
}

TempFolder::~TempFolder()
{
    removeTree(m_url.nativePath());
}

FileUrl TempFolder::write(const QByteArray& relative, const QByteArray& contents) const
{
    const FileUrl url = file(relative);
    makeFolderChain(url.parent().nativePath());
    const int fd = open(url.nativePath().constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, contents.constData(), size_t(contents.size())) != contents.size())
        throw std::runtime_error("cannot write " + url.nativePath().toStdString());
    close(fd);
    return url;
}

FileUrl TempFolder::makeFolder(const QByteArray& relative) const
{
    const FileUrl url = file(relative);
    makeFolderChain(url.nativePath());
    return url;
}

int runUnprivileged(const std::function<int()>& body)
{
    const pid_t child = fork();
    if (child == 0) {
        if (getuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0))
            _exit(126);
        int status = 127;
        try {
            status = body();
        } catch (...) {
            status = 125;
        }
        _exit(status);
    }
    int status = 0;
    if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status))
        return -1;
    return WEXITSTATUS(status);
}
