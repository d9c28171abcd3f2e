#include "PanelTestSupport.h"

#include "panels/PanelWorker.h"
#include "preferences/SettingsFile.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTableView>

void RecordingDelegate::setActive(FilePanelController& panel, bool focusTable)
{
    calls.append(focusTable ? QStringLiteral("activate+focus") : QStringLiteral("activate"));
    active = &panel;
    for (FilePanelController* each : {left, right})
        if (each)
            each->setActive(each == &panel);
}

void PanelTest::SetUp()
{
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    brenvikSettings().clear();
}

void PanelTest::TearDown()
{
    brenvikSettings().clear();
    brenvikSettings().sync();
    QLocale::setDefault(QLocale::c());
}

std::unique_ptr<FilePanelController> PanelTest::makePanel(const FileUrl& folder, const QString& key)
{
    auto panel = std::make_unique<FilePanelController>(folder, key, interaction);
    panel->setDelegate(&delegate);
    waitForListing(*panel);
    panel->table()->selectionModel()->clear();
    delegate.calls.clear();
    return panel;
}

PanelWorker& PanelTest::workerOf(FilePanelController& panel)
{
    return *panel.findChild<PanelWorker*>();
}

void PanelTest::waitForListing(FilePanelController& panel)
{
    QSignalSpy spy(&panel, &FilePanelController::listingFinished);
    ASSERT_TRUE(spy.wait(10000)) << "no listing arrived";
}

void PanelTest::settle(FilePanelController& panel)
{
    workerOf(panel).waitForDone();
    QCoreApplication::processEvents();
    QCoreApplication::processEvents();
}

QStringList PanelTest::names(const FilePanelController& panel)
{
    QStringList result;
    for (const FileItem& item : panel.items())
        result.append(item.name());
    return result;
}

int PanelTest::rowOf(const FilePanelController& panel, const QString& name)
{
    return int(names(panel).indexOf(name));
}

void PanelTest::selectRows(FilePanelController& panel, const QList<int>& rows)
{
    QItemSelectionModel* selection = panel.table()->selectionModel();
    selection->clearSelection();
    for (int row : rows)
        selection->select(panel.table()->model()->index(row, 0), QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        selection->setCurrentIndex(panel.table()->model()->index(rows.last(), 0), QItemSelectionModel::NoUpdate);
}
