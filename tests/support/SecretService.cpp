#include "support/SecretService.h"

#include <QProcess>

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
