#include "app/RunMode.h"

RunMode RunMode::decide(const std::optional<QString>& askpassProfile, const QStringList& arguments)
{
    if (askpassProfile)
        return {Kind::askpass, *askpassProfile};
    if (arguments.contains(QStringLiteral("--self-test")))
        return {Kind::selfTest, {}};
    const qsizetype integration = arguments.indexOf(QStringLiteral("--sftp-integration-test"));
    if (integration >= 0 && integration + 1 < arguments.size())
        return {Kind::sftpIntegrationTest, arguments.at(integration + 1)};
    if (arguments.contains(QStringLiteral("--sftp-timeout-test")))
        return {Kind::sftpTimeoutTest, {}};
    if (arguments.contains(QStringLiteral("--performance-test")))
        return {Kind::performanceTest, {}};
    return {Kind::windowed, {}};
}
