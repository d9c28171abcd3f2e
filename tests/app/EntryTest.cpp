#include "support/TestEnvironment.h"

#include <QProcess>
#include <QRegularExpression>
#include <gtest/gtest.h>

namespace {

// The real executable without a display: the self test wins over the performance test.
TEST(Entry, SelfTestRunsWithoutADisplay)
{
    TempFolder temp;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("TMPDIR"), temp.url().path());
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRENVIK_EXECUTABLE), {QStringLiteral("--performance-test"), QStringLiteral("--self-test")});
    ASSERT_TRUE(process.waitForFinished(300000));
    EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
    const QString out = QString::fromUtf8(process.readAllStandardOutput());
    EXPECT_TRUE(out.contains(QRegularExpression(QStringLiteral("\nSelf-Test: [1-9]\\d* bestanden, 0 fehlgeschlagen\n$"))))
        << out.toStdString();
}

} // namespace
