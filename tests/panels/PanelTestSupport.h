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
    struct Drop {
        FilePanelController* panel;
        QList<FileUrl> sources;
        FileUrl destination;
        bool moving;
    };

    void setActive(FilePanelController& panel, bool focusTable) override;
    void runCommand(FilePanelController&, const QString& command) override { calls.append(command); }
    QList<PanelMenuItem> contextMenuItems() const override { return menuItems; }
    void dropFiles(FilePanelController& panel, const QList<FileUrl>& sources, const FileUrl& destination,
                   bool moving) override
    {
        drops.append({&panel, sources, destination, moving});
    }
    FilePanelController* leftPanel() const override { return left; }
    FilePanelController* rightPanel() const override { return right; }
    FilePanelController* activePanel() const override { return active; }

    FilePanelController* left = nullptr;
    FilePanelController* right = nullptr;
    FilePanelController* active = nullptr;
    QList<PanelMenuItem> menuItems;
    // "activate" (or "activate+focus" with the table focused) and command names, in order.
    QStringList calls;
    QList<Drop> drops;
};

// A fresh settings file and German texts for every panel test.
class PanelTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // A panel on `folder` whose first listing is in place, nothing selected.
    std::unique_ptr<FilePanelController> makePanel(const FileUrl& folder, const QString& key = QStringLiteral("Left"));
    static PanelWorker& workerOf(FilePanelController& panel);
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
