#include "core/SystemError.h"
#include "platform/LocalFileTestSupport.h"
#include "platform/Terminal.h"
#include "support/TestEnvironment.h"

#include <QFile>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// A stand-in terminal that notes the folder it was started in and its number of arguments.
FileUrl recordingTerminal(const TempFolder& folder, const QByteArray& name, const QByteArray& note)
{
    const QByteArray notePath = folder.file(note).nativePath();
    const FileUrl script = folder.write(name, "#!/bin/sh\n{ pwd; echo \"$#\"; } > '" + notePath + "'\n");
    chmod(script.nativePath().constData(), 0755);
    return script;
}

QByteArray waitForNote(const FileUrl& note)
{
    QFile file(note.path());
    EXPECT_TRUE(QTest::qWaitFor([&] { return file.exists() && file.size() > 0; }, 10000));
    file.open(QIODevice::ReadOnly);
    const QByteArray text = file.readAll();
    file.remove();
    return text;
}

// The configured program, else the first installed emulator that can run, in
// the folder and without arguments.
TEST(Terminal, StartsTheConfiguredProgramOrTheFirstEmulatorThatCanRun)
{
    TempFolder tools;
    TempFolder work;
    const FileUrl folder = work.makeFolder("Projekt mit Leerzeichen");
    const QByteArrayList emulators = {"/nonexistent/x-terminal-emulator", tools.makeFolder("ordner").nativePath(),
                                      recordingTerminal(tools, "zweites", "notiz").nativePath(),
                                      recordingTerminal(tools, "drittes", "falsch").nativePath()};
    Terminal::openFolder(folder, recordingTerminal(tools, "mein-terminal", "eigenes").path(), emulators);
    EXPECT_EQ(waitForNote(tools.file("eigenes")), folder.nativePath() + "\n0\n");
    for (const QString& configured : {QStringLiteral("/System/Applications/Utilities/Terminal.app"),
                                      tools.write("kein-programm", "#!/bin/sh\n").path(), QStringLiteral("relative/terminal")}) {
        Terminal::openFolder(work.url(), configured, emulators);
        EXPECT_EQ(waitForNote(tools.file("notiz")), work.url().nativePath() + "\n0\n") << configured.toStdString();
    }
    EXPECT_FALSE(QFile::exists(tools.file("falsch").path()));
}

TEST(Terminal, NoTerminalOrNoUsableFolderIsAnErrorAndStartsNothing)
{
    TempFolder work;
    EXPECT_THROW(Terminal::openFolder(work.url(), QStringLiteral("/System/Applications/Utilities/Terminal.app"),
                                      {"/nonexistent/xterm"}),
                 TerminalError);
    TempFolder tools;
    const FileUrl terminal = recordingTerminal(tools, "terminal", "notiz");
    const auto missing = LocalFileTest::thrown<SystemError>([&] { Terminal::openFolder(work.file("weg"), terminal.path()); });
    EXPECT_EQ(missing ? missing->code() : 0, ENOENT);
    // Names that are no text cannot be handed to a terminal as its folder.
    EXPECT_THROW(Terminal::openFolder(work.makeFolder("caf\xe9"), terminal.path()), TerminalError);
    QTest::qWait(200);
    EXPECT_FALSE(QFile::exists(tools.file("notiz").path()));
}

} // namespace
