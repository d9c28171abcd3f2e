#include "support/SecretService.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

bool askBusForSecretService()
{
    const QByteArray address = qgetenv("DBUS_SESSION_BUS_ADDRESS");
    if (address.isEmpty() || address != qgetenv("BRENVIK_TEST_SECRET_SERVICE_BUS"))
        return false;
    QProcess probe;
    probe.start(QStringLiteral("/usr/bin/dbus-send"),
                {QStringLiteral("--session"), QStringLiteral("--print-reply"),
                 QStringLiteral("--dest=org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"),
                 QStringLiteral("org.freedesktop.DBus.NameHasOwner"),
                 QStringLiteral("string:org.freedesktop.secrets")});
    if (!probe.waitForFinished(10000)) {
        probe.kill();
        probe.waitForFinished();
        return false;
    }
    return probe.exitStatus() == QProcess::NormalExit && probe.exitCode() == 0
           && probe.readAllStandardOutput().contains("boolean true");
}

} // namespace

bool privateSecretServiceReachable()
{
    static const bool reachable = askBusForSecretService();
    return reachable;
}

QProcessEnvironment environmentWithoutSecretService()
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"),
                       QStringLiteral("unix:path=/nonexistent/brenvik-no-session-bus"));
    environment.remove(QStringLiteral("DISPLAY"));
    return environment;
}

bool insideRunWithoutSecretService()
{
    return qEnvironmentVariableIsSet("BRENVIK_TEST_WITHOUT_SECRET_SERVICE");
}

void runTestWithoutSecretService(const QString& gtestFilter)
{
    QProcessEnvironment environment = environmentWithoutSecretService();
    environment.insert(QStringLiteral("BRENVIK_TEST_WITHOUT_SECRET_SERVICE"), QStringLiteral("1"));
    QProcess child;
    child.setProcessEnvironment(environment);
    child.setProcessChannelMode(QProcess::MergedChannels);
    child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("--gtest_filter=") + gtestFilter});
    ASSERT_TRUE(child.waitForFinished(120000));
    const QByteArray output = child.readAll();
    EXPECT_EQ(child.exitCode(), 0) << output.toStdString();
    EXPECT_TRUE(output.contains("[  PASSED  ] 1 test.")) << output.toStdString();
}
