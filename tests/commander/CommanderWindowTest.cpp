#include "CommanderTestWindow.h"

#include "ui/OperationAlerts.h"
#include "ui/QtInteraction.h"

#include <QCheckBox>
#include <QComboBox>
#include <QMessageBox>
#include <QSplitter>
#include <QTimer>

namespace {

using Layout = CommanderTest;

// Pictures for a person to look at, when asked for: BRENVIK_RENDER_DIR names the folder.
void render(QWidget& widget, const QString& name)
{
    const QByteArray folder = qgetenv("BRENVIK_RENDER_DIR");
    if (!folder.isEmpty()) {
        EXPECT_TRUE(widget.grab().save(QString::fromLocal8Bit(folder) + QLatin1Char('/') + name));
    }
}

TEST_F(Layout, NeitherPaneGetsNarrowerThanItsMinimum)
{
    auto* split = window->findChild<QSplitter*>();
    ASSERT_NE(split, nullptr);
    split->setSizes({50, 1230});
    QCoreApplication::processEvents();
    EXPECT_EQ(left().width(), 220);
    window->resize(window->minimumSize());
    QCoreApplication::processEvents();
    EXPECT_GE(left().width(), 220);
    EXPECT_GE(right().width(), 220);

    leftFolder.write("Bericht.pdf", QByteArray(120000, 'x'));
    leftFolder.makeFolder("Projekte");
    leftFolder.write("notizen.txt", "Einkauf");
    relist(left());
    render(*window, QStringLiteral("commander-minimum.png"));
    window->resize(1280, 800);
    split->setSizes({640, 640});
    QCoreApplication::processEvents();
    render(*window, QStringLiteral("commander.png"));
}

TEST_F(Layout, TheConflictQuestionShowsItsChoicesInTheRealDialog)
{
    const FileUrl source = leftFolder.write("Bericht.pdf", QByteArray(120000, 'x'));
    const FileUrl target = rightFolder.write("Bericht.pdf", QByteArray(98000, 'y'));
    QtInteraction real;
    QStringList choices;
    QString checkBox;
    QTimer::singleShot(300, [&] {
        QWidget* dialog = QApplication::activeModalWidget();
        if (!dialog)
            return;
        if (auto* popUp = dialog->findChild<QComboBox*>()) {
            for (int i = 0; i < popUp->count(); ++i)
                choices.append(popUp->itemText(i));
        }
        if (auto* box = dialog->findChild<QCheckBox*>())
            checkBox = box->text();
        render(*dialog, QStringLiteral("conflict.png"));
        static_cast<QDialog*>(dialog)->reject();
    });
    const FileOperationQueue::ConflictDecision decision =
        OperationAlerts::conflictDecision(real.runAlert(OperationAlerts::conflict(source, target)));

    EXPECT_EQ(decision, (FileOperationQueue::ConflictDecision{FileOperationQueue::ConflictAction::cancel, false}));
    EXPECT_EQ(choices.size(), 5);
    EXPECT_EQ(checkBox, QStringLiteral("Für alle weiteren Konflikte anwenden"));
}

} // namespace
