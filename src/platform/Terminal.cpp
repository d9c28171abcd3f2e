#include "platform/Terminal.h"

#include "core/SystemError.h"

#include <QFile>
#include <QProcess>
#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

TerminalError::TerminalError(QString description) : BrenvikError(QStringLiteral("TerminalError"), std::move(description))
{
}

namespace Terminal {

namespace {

#ifndef Q_OS_MACOS
bool isExecutableFile(const QByteArray& path)
{
    struct stat st;
    return path.startsWith('/') && ::stat(path.constData(), &st) == 0 && S_ISREG(st.st_mode)
        && ::access(path.constData(), X_OK) == 0;
}
#endif

void startDetached(const QByteArray& program, const QStringList& arguments, const QString& folder)
{
    if (!QProcess::startDetached(QFile::decodeName(program), arguments, folder))
        throw TerminalError(QStringLiteral("„%1“ konnte nicht gestartet werden.").arg(QFile::decodeName(program)));
}

} // namespace

QList<Choice> choices(const QByteArrayList& emulators)
{
#ifdef Q_OS_MACOS
    Q_UNUSED(emulators);
    return {{QStringLiteral("Terminal"), QStringLiteral("/System/Applications/Utilities/Terminal.app")},
            {QStringLiteral("iTerm"), QStringLiteral("/Applications/iTerm.app")},
            {QStringLiteral("Warp"), QStringLiteral("/Applications/Warp.app")}};
#else
    QList<Choice> result;
    for (const QByteArray& path : emulators)
        if (isExecutableFile(path))
            result.append({QFile::decodeName(path.mid(path.lastIndexOf('/') + 1)), QFile::decodeName(path)});
    if (result.isEmpty())
        result.append({QStringLiteral("Terminal"), QStringLiteral("/System/Applications/Utilities/Terminal.app")});
    return result;
#endif
}

const QByteArrayList& knownEmulators()
{
    static const QByteArrayList emulators = {
        "/usr/bin/x-terminal-emulator", "/usr/bin/gnome-terminal", "/usr/bin/konsole",
        "/usr/bin/xfce4-terminal",      "/usr/bin/mate-terminal",  "/usr/bin/lxterminal",
        "/usr/bin/kitty",               "/usr/bin/alacritty",      "/usr/bin/xterm",
    };
    return emulators;
}

void openFolder(const FileUrl& folder, const QString& configuredPath, const QByteArrayList& emulators)
{
    // The working folder travels as text: a path whose bytes are no text would name another folder.
    const std::optional<QString> folderPath = folder.exactPath();
    if (!folderPath)
        throw TerminalError(QStringLiteral("Der Ordnerpfad enthält Zeichen, die sich nicht an ein Terminal übergeben lassen."));
    struct stat st;
    if (::stat(folder.nativePath().constData(), &st) != 0)
        throw SystemError(errno, folder.nativePath());
#ifdef Q_OS_MACOS
    Q_UNUSED(emulators);
    startDetached("/usr/bin/open", {QStringLiteral("-a"), configuredPath, *folderPath}, *folderPath);
#else
    QByteArrayList candidates = {QFile::encodeName(configuredPath)};
    candidates += emulators;
    for (const QByteArray& program : candidates) {
        if (isExecutableFile(program))
            return startDetached(program, {}, *folderPath);
    }
    throw TerminalError(QStringLiteral("Es wurde kein Terminalprogramm gefunden."));
#endif
}

} // namespace Terminal
