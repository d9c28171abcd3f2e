#include "ui/OperationProgressController.h"
#include "support/TestEnvironment.h"
#include "ui/ProgressFigures.h"

#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

namespace {

// Byte figures move by whole entries, a folder weighs nothing, and the rate of
// an instant is taken over a tenth of a second.
TEST(ProgressFigures, MetricsAndRemainingTime)
{
    const QList<qint64> sizes = {100, 0, 300};
    const struct {
        QList<qint64> sizes;
        qsizetype finished;
        qint64 seconds;
        const char* expected;
    } cases[] = {
        {sizes, 0, 1, "0 Byte von 400 Byte · 0 Byte/s · Restzeit —"},
        {sizes, 2, 2, "100 Byte von 400 Byte · 50 Byte/s · Restzeit 0:06"},
        {sizes, 7, 4, "400 Byte von 400 Byte · 100 Byte/s · Restzeit —"}, // more finished than sources
        {{2'500'000, 7'500'000}, 1, 0, "2,5 MB von 10,0 MB · 25,0 MB/s · Restzeit 0:00"},
        {{1000, 1000}, 1, 3, "1,0 kB von 2,0 kB · 333 Byte/s · Restzeit 0:03"}, // whole bytes per second
    };
    for (const auto& c : cases)
        EXPECT_EQ(ProgressFigures::metrics(c.sizes, c.finished, c.seconds), QString::fromUtf8(c.expected));
    EXPECT_EQ(ProgressFigures::remainingTime(-3), QStringLiteral("—"));
    EXPECT_EQ(ProgressFigures::remainingTime(4500), QStringLiteral("75:00"));
}

TEST(ProgressWindow, ShowsEntriesShortensLongNamesAndCancelsThroughItsButton)
{
    TempFolder folder;
    auto* window = new OperationProgressController(
        QStringLiteral("Dateien kopieren"), 2,
        {folder.write("a.bin", QByteArray(100, 'a')), folder.write("c.bin", QByteArray(300, 'c'))});
    QPointer<OperationProgressController> alive(window);
    int cancelled = 0;
    window->onCancel = [&] { ++cancelled; };
    window->show();
    window->update(1, 2, QString(200, QLatin1Char('x')) + QStringLiteral(".tar.gz"));
    EXPECT_EQ(window->progressBar()->value(), 1);
    EXPECT_TRUE(window->metricsText().startsWith(QStringLiteral("100 Byte von 400 Byte · ")));
    const QString shown = window->findChildren<QLabel*>().constFirst()->text();
    EXPECT_TRUE(shown.startsWith(QStringLiteral("1 von 2 · xxx")) && shown.contains(QStringLiteral("…"))
                && shown.endsWith(QStringLiteral(".tar.gz")))
        << shown.toStdString();

    QTest::mouseClick(window->cancelButton(), Qt::LeftButton);
    EXPECT_EQ(cancelled, 1);
    EXPECT_EQ(window->detailText(), QStringLiteral("Wird abgebrochen …"));
    window->finish(QStringLiteral("Vorgang abgebrochen"));
    EXPECT_FALSE(window->cancelButton()->isEnabled());
    EXPECT_TRUE(QTest::qWaitFor([&] { return alive.isNull(); }, 5000)) << "it goes away by itself";

    // Without sources no bytes ever, and an empty total still has a bar.
    OperationProgressController counting(QStringLiteral("SHA-256 wird berechnet"), 0, {});
    counting.update(0, 0, QStringLiteral("Fertig"));
    EXPECT_EQ(counting.progressBar()->maximum(), 1);
    EXPECT_EQ(counting.metricsText(), QString());
}

} // namespace
