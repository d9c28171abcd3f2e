#include "app/RunMode.h"

#include <gtest/gtest.h>

TEST(RunMode, DecidesByPrecedence)
{
    using Kind = RunMode::Kind;
    const QString uuid = QStringLiteral("00000000-0000-4000-8000-000000004122");
    const struct {
        std::optional<QString> askpass;
        QStringList arguments; // after the program path
        Kind expected;
        QString argument;
    } cases[] = {
        {std::nullopt, {}, Kind::windowed, {}},
        {uuid, {"--self-test", "--performance-test"}, Kind::askpass, uuid}, // wins over every switch
        {QString(), {}, Kind::askpass, QString()},                         // also with an empty value
        {std::nullopt, {"--performance-test", "--self-test"}, Kind::selfTest, {}},
        {std::nullopt, {"--sftp-integration-test", "A", "--sftp-integration-test", "B"}, Kind::sftpIntegrationTest, "A"},
        {std::nullopt, {"--sftp-timeout-test", "--sftp-integration-test"}, Kind::sftpTimeoutTest, {}}, // no fingerprint
        {std::nullopt, {"--performance-test", "--sftp-timeout-test"}, Kind::sftpTimeoutTest, {}},
        {std::nullopt, {"x", "--performance-test", "y"}, Kind::performanceTest, {}},
        {std::nullopt, {"--SELF-TEST", "--self-test=1", " --self-test"}, Kind::windowed, {}}, // whole and case-sensitive
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.arguments.join(u' ').toStdString());
        const RunMode mode = RunMode::decide(c.askpass, QStringList{QStringLiteral("/usr/bin/brenvik")} + c.arguments);
        EXPECT_EQ(int(mode.kind), int(c.expected));
        EXPECT_EQ(mode.argument, c.argument);
    }
}
