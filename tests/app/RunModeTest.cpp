#include "app/RunMode.h"

#include <gtest/gtest.h>

namespace {

using Kind = RunMode::Kind;

struct Case {
    const char* title;
    std::optional<QString> askpass;
    QStringList arguments; // after the program path
    Kind expected;
    QString argument;
};

class RunModeTable : public ::testing::TestWithParam<Case> {};

TEST_P(RunModeTable, DecidesByPrecedence)
{
    const Case& c = GetParam();
    const RunMode mode = RunMode::decide(c.askpass, QStringList{QStringLiteral("/usr/bin/brenvik")} + c.arguments);
    EXPECT_EQ(int(mode.kind), int(c.expected)) << c.title;
    EXPECT_EQ(mode.argument, c.argument) << c.title;
}

const QString uuid = QStringLiteral("00000000-0000-4000-8000-000000004122");

INSTANTIATE_TEST_SUITE_P(
    Table, RunModeTable,
    ::testing::Values(
        Case{"nothing", std::nullopt, {}, Kind::windowed, {}},
        Case{"askpass wins over every switch", uuid, {"--self-test", "--performance-test"}, Kind::askpass, uuid},
        Case{"askpass with an empty value is still askpass", QString(), {}, Kind::askpass, QString()},
        Case{"self test before performance", std::nullopt, {"--performance-test", "--self-test"}, Kind::selfTest, {}},
        Case{"integration with fingerprint", std::nullopt, {"--sftp-integration-test", "SHA256:abc"},
             Kind::sftpIntegrationTest, "SHA256:abc"},
        Case{"integration switch last is ignored", std::nullopt, {"--sftp-integration-test"}, Kind::windowed, {}},
        Case{"integration followed by self test runs the self test", std::nullopt,
             {"--sftp-integration-test", "--self-test"}, Kind::selfTest, {}},
        Case{"integration takes the argument after the first switch", std::nullopt,
             {"--sftp-integration-test", "A", "--sftp-integration-test", "B"}, Kind::sftpIntegrationTest, "A"},
        Case{"integration last falls through to timeout", std::nullopt,
             {"--sftp-timeout-test", "--sftp-integration-test"}, Kind::sftpTimeoutTest, {}},
        Case{"timeout before performance", std::nullopt, {"--performance-test", "--sftp-timeout-test"},
             Kind::sftpTimeoutTest, {}},
        Case{"performance", std::nullopt, {"x", "--performance-test", "y"}, Kind::performanceTest, {}},
        Case{"switches are case-sensitive", std::nullopt, {"--SELF-TEST", "--Performance-Test"}, Kind::windowed, {}},
        Case{"switches are whole arguments", std::nullopt, {"--self-test=1", " --self-test"}, Kind::windowed, {}}));

} // namespace
