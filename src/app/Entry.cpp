#include "app/Entry.h"

#include "app/RunMode.h"
#include "selftest/SelfTestRunner.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdio>
#include <cstdlib>

namespace {

QStringList argumentList(int argc, char** argv)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return arguments;
}

std::optional<QString> askpassProfile()
{
    const char* value = std::getenv(RunMode::askpassVariable);
    if (!value)
        return std::nullopt;
    return QString::fromLocal8Bit(value);
}

// Modes whose work has not been built yet say so instead of pretending to run.
int notAvailable(const char* what)
{
    std::fprintf(stderr, "Brenvik: %s ist in dieser Version noch nicht verfügbar.\n", what);
    return 1;
}

} // namespace

int runEntry(int argc, char** argv)
{
    const RunMode mode = RunMode::decide(askpassProfile(), argumentList(argc, argv));
    switch (mode.kind) {
    case RunMode::Kind::askpass:
        return notAvailable("Der Askpass-Modus");
    case RunMode::Kind::selfTest: {
        QCoreApplication application(argc, argv);
        return SelfTestRunner::run();
    }
    case RunMode::Kind::sftpIntegrationTest:
        return notAvailable("Der SFTP-Integrationstest");
    case RunMode::Kind::sftpTimeoutTest:
        return notAvailable("Die Zeitprüfung des Host-Key-Scans");
    case RunMode::Kind::performanceTest: {
        QCoreApplication application(argc, argv);
        return SelfTestRunner::runPerformance(100000);
    }
    case RunMode::Kind::windowed:
        return notAvailable("Das Programmfenster");
    }
    return 1;
}
