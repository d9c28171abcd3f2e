#include "support/TestEnvironment.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace {

struct ProcessResult {
    int exitCode;
    QString out;
    QString err;
};

ProcessResult runBrenvik(const QStringList& arguments, const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment())
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(BRENVIK_EXECUTABLE), arguments);
    EXPECT_TRUE(process.waitForFinished(300000));
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()), QString::fromUtf8(process.readAllStandardError())};
}

QProcessEnvironment withTemporaryDirectory(const TempFolder& folder)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
    environment.remove(QStringLiteral("DISPLAY"));
    environment.insert(QStringLiteral("TMPDIR"), folder.url().path());
    return environment;
}

TEST(Entry, SelfTestRunsWithoutADisplay)
{
    TempFolder temp;
    const ProcessResult run = runBrenvik({QStringLiteral("--performance-test"), QStringLiteral("--self-test")}, withTemporaryDirectory(temp));
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    EXPECT_TRUE(run.out.endsWith(QStringLiteral("\nSelf-Test: 11 bestanden, 0 fehlgeschlagen\n")));
}

} // namespace
