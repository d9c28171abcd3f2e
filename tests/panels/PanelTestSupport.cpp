#include "PanelTestSupport.h"

#include "panels/PanelWorker.h"
#include "preferences/SettingsFile.h"

#include <QCoreApplication>
#include <QItemSelectionModel>
#include <QSignalSpy>
#include <QTableView>

void RecordingDelegate::setActive(FilePanelController& panel, bool focusTable)
{
    activations.append({&panel, focusTable});
    calls.append(QStringLiteral("activate"));
    active = &panel;
    for (FilePanelController* each : {left, right})
        if (each)
            each->setActive(each == &panel);
}

void RecordingDelegate::runCommand(FilePanelController&, const QString& command)
{
    commands.append(command);
    calls.append(QStringLiteral("command"));
}

void RecordingDelegate::dropFiles(FilePanelController& panel, const QList<FileUrl>& sources,
                                  const FileUrl& destination, bool moving)
{
    drops.append({&panel, sources, destination, moving});
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
    // The tests start from an empty selection, as a mouse user can leave it.
    panel->table()->selectionModel()->clear();
    delegate.activations.clear();
    delegate.calls.clear();
    return panel;
}

PanelWorker& PanelTest::workerOf(FilePanelController& panel)
{
    auto* worker = panel.findChild<PanelWorker*>();
    if (!worker)
        throw std::logic_error("panel without worker");
    return *worker;
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
        selection->select(panel.table()->model()->index(row, 0),
                          QItemSelectionModel::Select | QItemSelectionModel::Rows);
    if (!rows.isEmpty())
        selection->setCurrentIndex(panel.table()->model()->index(rows.last(), 0), QItemSelectionModel::NoUpdate);
}
