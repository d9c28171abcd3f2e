#include "ui/OperationProgressController.h"
#include "support/TestEnvironment.h"
#include "ui/ProgressFigures.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Byte figures move by whole entries, and a folder weighs nothing.
TEST(ProgressFigures, CountOnlyTheFinishedEntriesAndFoldersAsNothing)
{
    const QList<qint64> sizes = {100, 0, 300};
    EXPECT_EQ(ProgressFigures::metrics(sizes, 0, 1), QStringLiteral("0 Byte von 400 Byte · 0 Byte/s · Restzeit —"));
    EXPECT_EQ(ProgressFigures::metrics(sizes, 1, 1), QStringLiteral("100 Byte von 400 Byte · 100 Byte/s · Restzeit 0:03"));
    EXPECT_EQ(ProgressFigures::metrics(sizes, 2, 2), QStringLiteral("100 Byte von 400 Byte · 50 Byte/s · Restzeit 0:06"));
    EXPECT_EQ(ProgressFigures::metrics(sizes, 3, 2), QStringLiteral("400 Byte von 400 Byte · 200 Byte/s · Restzeit —"));
    // More finished entries than sources cannot count twice.
    EXPECT_EQ(ProgressFigures::metrics(sizes, 7, 4), QStringLiteral("400 Byte von 400 Byte · 100 Byte/s · Restzeit —"));
}

TEST(ProgressFigures, RateOfAnInstantIsTakenOverATenthOfASecond)
{
    // 2.5 MB in no time at all: 25 MB/s, the rest of 7.5 MB in 0.3 s.
    EXPECT_EQ(ProgressFigures::metrics({2'500'000, 7'500'000}, 1, 0),
              QStringLiteral("2,5 MB von 10,0 MB · 25,0 MB/s · Restzeit 0:00"));
    // The rate is truncated to whole bytes before it is shown: 1000/3 → 333.
    EXPECT_EQ(ProgressFigures::metrics({1000, 1000}, 1, 3), QStringLiteral("1,0 kB von 2,0 kB · 333 Byte/s · Restzeit 0:03"));
}

TEST(ProgressFigures, RemainingTimeInMinutesAndSeconds)
{
    EXPECT_EQ(ProgressFigures::remainingTime(0), QStringLiteral("—"));
    EXPECT_EQ(ProgressFigures::remainingTime(-3), QStringLiteral("—"));
    EXPECT_EQ(ProgressFigures::remainingTime(65), QStringLiteral("1:05"));
    EXPECT_EQ(ProgressFigures::remainingTime(4500), QStringLiteral("75:00"));
}

class ProgressWindow : public ::testing::Test {
protected:
    TempFolder folder;
    QList<FileUrl> sources = {folder.write("a.bin", QByteArray(100, 'a')), folder.makeFolder("Ordner"),
                              folder.write("c.bin", QByteArray(300, 'c'))};
};

TEST_F(ProgressWindow, ShowsEntriesAndTheBytesOfTheFinishedOnes)
{
    OperationProgressController window(QStringLiteral("Dateien kopieren"), 3, sources);
    window.update(1, 3, QStringLiteral("Ordner"));
    EXPECT_EQ(window.detailText(), QStringLiteral("1 von 3 · Ordner"));
    EXPECT_EQ(window.progressBar()->value(), 1);
    EXPECT_TRUE(window.metricsText().startsWith(QStringLiteral("100 Byte von 400 Byte · "))) << window.metricsText().toStdString();
    window.update(2, 3, QStringLiteral("c.bin"));
    EXPECT_TRUE(window.metricsText().startsWith(QStringLiteral("100 Byte von 400 Byte · ")));
    window.update(3, 3, QStringLiteral("Fertig"));
    EXPECT_TRUE(window.metricsText().startsWith(QStringLiteral("400 Byte von 400 Byte · ")));
    EXPECT_TRUE(window.metricsText().endsWith(QStringLiteral(" · Restzeit —")));

    // Without sources no bytes ever, and an empty total still has a bar.
    OperationProgressController counting(QStringLiteral("SHA-256 wird berechnet"), 0, {});
    EXPECT_EQ(counting.progressBar()->maximum(), 1);
    counting.update(0, 0, QStringLiteral("Fertig"));
    EXPECT_EQ(counting.detailText(), QStringLiteral("0 von 0 · Fertig"));
    EXPECT_EQ(counting.metricsText(), QString());
}

TEST_F(ProgressWindow, LongNamesAreShortenedInTheMiddle)
{
    OperationProgressController window(QStringLiteral("Dateien kopieren"), 1, {});
    window.show();
    const QString name = QString(200, QLatin1Char('x')) + QStringLiteral(".tar.gz");
    window.update(0, 1, name);
    const QString shown = window.findChildren<QLabel*>().constFirst()->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("0 von 1 · xxx")));
    EXPECT_TRUE(shown.endsWith(QStringLiteral(".tar.gz")));
    EXPECT_TRUE(shown.contains(QStringLiteral("…")));
}

TEST_F(ProgressWindow, CancelRunsTheOperationsCancellingAndWaitsForItsEnd)
{
    auto* window = new OperationProgressController(QStringLiteral("In den Papierkorb"), 3, sources);
    QPointer<OperationProgressController> alive(window);
    int cancelled = 0;
    window->onCancel = [&] { ++cancelled; };
    window->show();

    QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(window->detailText(), QStringLiteral("Wird abgebrochen …"));
    EXPECT_TRUE(window->isVisible());

    window->finish(QStringLiteral("Vorgang abgebrochen"));
    EXPECT_EQ(window->detailText(), QStringLiteral("Vorgang abgebrochen"));
    EXPECT_EQ(window->progressBar()->value(), 3);
    EXPECT_FALSE(window->cancelButton()->isEnabled());
    // It goes away by itself shortly after.
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 5000));
}

} // namespace
