#include "core/SystemError.h"
#include "platform/Terminal.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

// A stand-in terminal that notes the folder it was started in, and its arguments.
FileUrl recordingTerminal(const TempFolder& folder, const QByteArray& name, const QByteArray& note)
{
    const FileUrl script = folder.write(name, "#!/bin/sh\npwd > '" + folder.file(note).nativePath() + "'\necho \"$#\" >> '"
                                                   + folder.file(note).nativePath() + "'\n");
    chmod(script.nativePath().constData(), 0755);
    return script;
}

QByteArray waitForNote(const FileUrl& note)
{
    QFile file(note.path());
    EXPECT_TRUE(QTest::qWaitFor([&] { return file.exists() && file.size() > 0; }, 10000));
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

TEST(Terminal, TheConfiguredProgramStartsInTheFolderWithoutArguments)
{
    TempFolder tools;
    TempFolder work;
    const FileUrl folder = work.makeFolder("Projekt mit Leerzeichen");
    const FileUrl terminal = recordingTerminal(tools, "mein-terminal", "notiz");

    Terminal::openFolder(folder, terminal.path(), {recordingTerminal(tools, "anderes", "falsch").nativePath()});

    EXPECT_EQ(waitForNote(tools.file("notiz")), folder.nativePath() + "\n0\n");
    EXPECT_FALSE(QFile::exists(tools.file("falsch").path()));
}

TEST(Terminal, AConfiguredPathThatCannotRunHereFallsBackToTheFirstInstalledEmulator)
{
    TempFolder tools;
    TempFolder work;
    const FileUrl notExecutable = tools.write("kein-programm", "#!/bin/sh\n");
    const QByteArrayList emulators = {"/nonexistent/x-terminal-emulator", tools.makeFolder("ordner").nativePath(),
                                      recordingTerminal(tools, "zweites", "notiz").nativePath(),
                                      recordingTerminal(tools, "drittes", "falsch").nativePath()};

    for (const QString& configured : {QStringLiteral("/System/Applications/Utilities/Terminal.app"), notExecutable.path(),
                                      QStringLiteral("relative/terminal")}) {
        QFile::remove(tools.file("notiz").path());
        Terminal::openFolder(work.url(), configured, emulators);
        EXPECT_EQ(waitForNote(tools.file("notiz")), work.url().nativePath() + "\n0\n") << configured.toStdString();
    }
    EXPECT_FALSE(QFile::exists(tools.file("falsch").path()));
}

TEST(Terminal, NoTerminalOrNoFolderIsAnErrorAndStartsNothing)
{
    TempFolder work;
    try {
        Terminal::openFolder(work.url(), QStringLiteral("/System/Applications/Utilities/Terminal.app"),
                             {"/nonexistent/xterm"});
        ADD_FAILURE() << "no error";
    } catch (const TerminalError& error) {
        EXPECT_EQ(error.description(), QStringLiteral("Es wurde kein Terminalprogramm gefunden."));
    }

    TempFolder tools;
    const FileUrl terminal = recordingTerminal(tools, "terminal", "notiz");
    try {
        Terminal::openFolder(work.file("weg"), terminal.path());
        ADD_FAILURE() << "no error";
    } catch (const SystemError& error) {
        EXPECT_EQ(error.code(), ENOENT);
    }
    // Names that are no text cannot be handed to a terminal as its folder.
    const FileUrl odd = work.makeFolder("caf\xe9");
    EXPECT_THROW(Terminal::openFolder(odd, terminal.path()), TerminalError);
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(tools.file("notiz").path()));
}

} // namespace
