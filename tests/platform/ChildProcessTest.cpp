#include "platform/ChildProcess.h"
#include "platform/InteractiveProcess.h"
#include "platform/LocalFileTestSupport.h"

#include "support/TestEnvironment.h"

#include <csignal>
#include <future>
#include <gtest/gtest.h>
#include <thread>

using namespace std::chrono_literals;

namespace {

const QByteArray shell = QByteArrayLiteral("/bin/sh");
const QByteArray python = QByteArrayLiteral("/usr/bin/python3");

ChildProcessResult runShell(const QByteArray& script, const QByteArray& input = {},
                            std::optional<std::chrono::milliseconds> timeout = std::nullopt)
{
    ChildProcess process(shell, {QByteArrayLiteral("-c"), script});
    return process.runToCompletion(input, timeout);
}

TEST(ChildProcess, PassesEveryArgumentVerbatimWithoutAShell)
{
    const QList<QByteArray> arguments{"a b", "", "\"q\" 'x'", "$HOME", "*", "\xff\xfe not UTF-8", "-n", "; rm -rf /"};
    ChildProcess process("/usr/bin/printf", QList<QByteArray>{"%s\\0"} + arguments);
    const ChildProcessResult result = process.runToCompletion();
    EXPECT_TRUE(result.exitStatus == 0 && result.terminationSignal == 0 && !result.timedOut);
    EXPECT_EQ(result.standardOutput, arguments.join('\0') + '\0');
    const ChildProcessResult failed = runShell("echo oops >&2; exit 7");
    EXPECT_EQ(failed.exitStatus, 7);
    EXPECT_EQ(failed.standardError, "oops\n");
}

TEST(ChildProcess, FullPipesInBothDirectionsNeverStallNorDoesAClosedInput)
{
    // The tool fills both output pipes far past their capacity before it reads a
    // byte of its input: only a runner that serves all three pipes at once gets through.
    const QByteArray script = "import sys\n"
                              "sys.stderr.write('e' * 1500000); sys.stderr.flush()\n"
                              "sys.stdout.write('o' * 1500000); sys.stdout.flush()\n"
                              "data = sys.stdin.buffer.read()\n"
                              "sys.stdout.write('|%d' % len(data))\n";
    ChildProcess process(python, {"-c", script});
    const ChildProcessResult result = process.runToCompletion(QByteArray(3'000'000, 'i'));
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.standardError, QByteArray(1'500'000, 'e'));
    EXPECT_EQ(result.standardOutput, QByteArray(1'500'000, 'o') + "|3000000");
    // A tool that closes its input early: writing on raises SIGPIPE, which would end this program.
    const ChildProcessResult ignoring = runShell("exec 0<&-; echo bye; exit 3", QByteArray(8 << 20, 'x'));
    EXPECT_EQ(ignoring.exitStatus, 3);
    EXPECT_EQ(ignoring.standardOutput, "bye\n");
}

TEST(ChildProcess, EnvironmentIsInheritedWithAdditionsWinning)
{
    qputenv("BRVK_CHILD_INHERITED", "von oben");
    qputenv("BRVK_CHILD_REPLACED", "alt");
    ChildProcess process("/usr/bin/env", {}, {{"BRVK_CHILD_REPLACED", "neu"}, {"BRVK_CHILD_ADDED", "a=b c"}});
    const QList<QByteArray> lines = process.runToCompletion().standardOutput.split('\n');
    for (const char* line : {"BRVK_CHILD_INHERITED=von oben", "BRVK_CHILD_REPLACED=neu", "BRVK_CHILD_ADDED=a=b c"})
        EXPECT_TRUE(lines.contains(line)) << line;
    EXPECT_FALSE(lines.contains("BRVK_CHILD_REPLACED=alt"));
}

TEST(ChildProcess, ToolSeesOnlyItsThreePipes)
{
    // A descriptor opened without close-on-exec (as some libraries do) must not leak.
    const int leaky = open("/dev/null", O_RDONLY);
    ASSERT_GE(leaky, 0);
    ASSERT_EQ(dup2(leaky, 201), 201);
    const QByteArray script = "import os\n"
                              "fds = sorted(int(f) for f in os.listdir('/proc/self/fd'))\n"
                              "print(fds[:3], [os.readlink('/proc/self/fd/%d' % f)[:5] for f in fds[:3]], 201 in fds)\n";
    ChildProcess process(python, {"-c", script});
    const ChildProcessResult result = process.runToCompletion();
    close(201);
    close(leaky);
    EXPECT_EQ(result.standardOutput, "[0, 1, 2] ['pipe:', 'pipe:', 'pipe:'] False\n");
}

TEST(ChildProcess, StartFailuresAreClearErrors)
{
    TempFolder folder;
    const QByteArray notExecutable = folder.write("tool", "#!/bin/sh\n").nativePath();
    for (const auto& [program, argument, code] : {std::tuple{QByteArray("/nonexistent/curl"), QByteArray(), ENOENT},
                                                  {notExecutable, QByteArray(), EACCES},
                                                  {"sh", "-c", ENOENT}, // never looked up in PATH
                                                  {"/bin/echo", QByteArray("a\0b", 3), EINVAL}}) {
        const auto error = LocalFileTest::thrown<ProcessStartError>([&] { ChildProcess(program, {argument}).runToCompletion(); });
        ASSERT_TRUE(error) << "started: " << program.constData();
        EXPECT_EQ(error->code(), code) << program.constData();
        EXPECT_TRUE(error->description().contains(QString::fromUtf8(program))) << error->what();
    }
}

TEST(ChildProcess, TimeOutTerminatesFirstAndKillsWhatIgnoresIt)
{
    const ChildProcessResult polite = runShell("echo vorher; exec sleep 60", {}, 200ms);
    EXPECT_TRUE(polite.timedOut && polite.exitStatus == -1);
    EXPECT_EQ(polite.terminationSignal, SIGTERM);
    EXPECT_EQ(polite.standardOutput, "vorher\n");
    // A tool that ignores the request is killed; its leftover child keeps the output
    // pipe open and writes only after seconds: the runner does not wait for it.
    // Output closed early, the tool runs on: the time-out still holds.
    for (const auto& [script, signal] : {std::pair{"trap '' TERM; (sleep 4; echo spaet) & exec sleep 60", SIGKILL},
                                         {"exec >/dev/null 2>&1; exec sleep 60", SIGTERM}}) {
        const ChildProcessResult ended = runShell(script, {}, 200ms);
        EXPECT_TRUE(ended.timedOut && ended.standardOutput.isEmpty()) << script;
        EXPECT_EQ(ended.terminationSignal, signal) << script;
    }
    const ChildProcessResult quick = runShell("echo fertig", {}, 60s);
    EXPECT_FALSE(quick.timedOut || quick.exitStatus != 0);
}

TEST(ChildProcess, ProcessStillRunningIsKilledAndReapedWithItsOwner)
{
    pid_t pid = -1;
    {
        ChildProcess process("/bin/sleep", {"60"});
        process.start();
        pid = process.processId();
        ASSERT_GT(pid, 0);
        EXPECT_EQ(kill(pid, 0), 0);
    }
    // Reaped, not a zombie: the id is gone.
    EXPECT_EQ(kill(pid, 0), -1);
    EXPECT_EQ(errno, ESRCH);
}

TEST(ChildProcess, StopRequestAndOutputLimitEndTheToolEarly)
{
    ChildProcessLimits limits;
    limits.outputLimit = 1 << 20;
    ChildProcess endless("/usr/bin/yes", {});
    const ChildProcessResult flood = endless.runToCompletion({}, std::nullopt, limits);
    EXPECT_TRUE(flood.outputLimitReached && !flood.timedOut);
    EXPECT_LT(flood.standardOutput.size(), 2 << 20);

    // Asked from the start, the stop request holds once it is given.
    const auto started = std::chrono::steady_clock::now();
    limits.stopRequested = [&] { return std::chrono::steady_clock::now() - started > 200ms; };
    ChildProcess sleeper("/bin/sleep", {"30"});
    const ChildProcessResult stopped = sleeper.runToCompletion({}, std::nullopt, limits);
    EXPECT_TRUE(stopped.stopped);
    EXPECT_EQ(stopped.terminationSignal, SIGTERM);
    EXPECT_LT(std::chrono::steady_clock::now() - started, 5s);
}

TEST(InteractiveProcess, ToolThatEndedRefusesInputWithoutEndingTheProgram)
{
    QByteArray output, errors;
    std::promise<void> closed;
    InteractiveProcess tool("/bin/sh", {"-c", "printf out; printf err >&2"}, {},
                            {[&](QByteArrayView data) { output += data; }, [&](QByteArrayView data) { errors += data; },
                             [&] { closed.set_value(); }});
    tool.start();
    ASSERT_EQ(closed.get_future().wait_for(30s), std::future_status::ready);
    EXPECT_EQ(output, "out");
    EXPECT_EQ(errors, "err");
    while (tool.isRunning())
        std::this_thread::sleep_for(10ms);
    EXPECT_FALSE(tool.write(QByteArray(200000, 'x'), 5s));
    EXPECT_EQ(tool.exit()->exitStatus, 0);
}

TEST(InteractiveProcess, StopEndsAToolThatIgnoresItsInputAndTerminate)
{
    InteractiveProcess stubborn("/bin/sh", {"-c", "trap '' TERM; while :; do sleep 1; done"}, {}, {});
    stubborn.start();
    ASSERT_TRUE(stubborn.write("hallo\n", 5s));
    const ChildExit end = stubborn.stop(100ms);
    EXPECT_EQ(end.terminationSignal, SIGKILL);
    EXPECT_FALSE(stubborn.isRunning());
}

} // namespace
