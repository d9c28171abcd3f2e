#include "app/Entry.h"

#include "app/RunMode.h"
#include "app/WindowedMode.h"
#include "platform/FileWriting.h"
#include "remote/CredentialStore.h"
#include "remote/RemoteProfile.h"
#include "selftest/SelfTestRunner.h"
#include "selftest/SftpIntegration.h"

#include <QCoreApplication>
#include <QStringList>
#include <cstdlib>
#include <unistd.h>

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

// sftp starts us as its askpass program: print the stored password of one
// profile and nothing else. Every failure is silent, so sftp gets no password.
int runAskpass(int argc, char** argv, const QString& profileText)
{
    const std::optional<QUuid> profileID = parseCanonicalUuid(profileText);
    if (!profileID)
        return 1;
    // Never a QApplication: the askpass mode must not touch any display.
    QCoreApplication application(argc, argv);
    const std::optional<QString> password = CredentialStore::forApplication().read(*profileID);
    if (!password)
        return 1;
    return writeAll(STDOUT_FILENO, password->toUtf8() + '\n') ? 0 : 1;
}

} // namespace

int runEntry(int argc, char** argv)
{
    const RunMode mode = RunMode::decide(askpassProfile(), argumentList(argc, argv));
    switch (mode.kind) {
    case RunMode::Kind::askpass:
        return runAskpass(argc, argv, mode.argument);
    case RunMode::Kind::selfTest: {
        QCoreApplication application(argc, argv);
        return SelfTestRunner::run();
    }
    case RunMode::Kind::sftpIntegrationTest: {
        QCoreApplication application(argc, argv);
        return SelfTestRunner::runSFTPIntegration(mode.argument);
    }
    case RunMode::Kind::sftpTimeoutTest: {
        QCoreApplication application(argc, argv);
        return SftpIntegration::runTimeoutCheck(QStringLiteral("192.0.2.1"), 22);
    }
    case RunMode::Kind::performanceTest: {
        QCoreApplication application(argc, argv);
        return SelfTestRunner::runPerformance(100000);
    }
    case RunMode::Kind::windowed:
        return runWindowed(argc, argv);
    }
    return 1;
}
