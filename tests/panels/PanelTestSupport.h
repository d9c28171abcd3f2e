#pragma once

#include "panels/FilePanelController.h"
#include "panels/FilePanelDelegate.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"

#include <QList>
#include <QStringList>
#include <gtest/gtest.h>
#include <memory>

class PanelWorker;

// The owner's side as a test sees it: every request is recorded.
class RecordingDelegate : public FilePanelDelegate {
public:
    struct Activation {
        FilePanelController* panel;
        bool focusTable;
    };
    struct Drop {
        FilePanelController* panel;
        QList<FileUrl> sources;
        FileUrl destination;
        bool moving;
    };

    void setActive(FilePanelController& panel, bool focusTable) override;
    void runCommand(FilePanelController& panel, const QString& command) override;
    QList<PanelMenuItem> contextMenuItems() const override { return menuItems; }
    void dropFiles(FilePanelController& panel, const QList<FileUrl>& sources, const FileUrl& destination,
                   bool moving) override;
    FilePanelController* leftPanel() const override { return left; }
    FilePanelController* rightPanel() const override { return right; }
    FilePanelController* activePanel() const override { return active; }

    FilePanelController* left = nullptr;
    FilePanelController* right = nullptr;
    FilePanelController* active = nullptr;
    QList<Activation> activations;
    QList<PanelMenuItem> menuItems;
    QStringList commands;
    QList<Drop> drops;
    // "activate" and "command" in the order they came.
    QStringList calls;
};

// A fresh settings file and German texts for every panel test.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A panel on `folder` whose first listing is in place.
    std::unique_ptr<FilePanelController> makePanel(const FileUrl& folder, const QString& key = QStringLiteral("Left"));
    static PanelWorker& workerOf(FilePanelController& panel);
    // Waits for the next listing the panel puts in place.
    static void waitForListing(FilePanelController& panel);
    // Runs the panel's outstanding background work to its end and delivers the results.
    static void settle(FilePanelController& panel);
    static QStringList names(const FilePanelController& panel);
    static int rowOf(const FilePanelController& panel, const QString& name);
    static void selectRows(FilePanelController& panel, const QList<int>& rows);

    TempFolder temp;
    ScriptedInteraction interaction;
    RecordingDelegate delegate;
};

inline void PrintTo(const FileUrl& url, std::ostream* out)
{
    *out << '"' << url.nativePath().toStdString() << '"';
}
