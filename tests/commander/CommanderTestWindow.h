#pragma once

#include "commander/CommanderWindowController.h"
#include "diagnostics/DiagnosticsStore.h"
#include "panels/FilePanelController.h"
#include "preferences/SettingsFile.h"
#include "support/ScriptedInteraction.h"
#include "support/TestEnvironment.h"
#include "ui/OperationProgressController.h"

#include <QDir>
#include <QFile>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>

// The real commander window, shown offscreen and active, with a scripted user:
// the left panel on a fresh folder, the right panel on another.
class CommanderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        brenvikSettings().clear();
        DiagnosticsStore::shared().clear();
        window = std::make_unique<CommanderWindowController>(interaction);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        show(left(), leftFolder.url());
        show(right(), rightFolder.url());
        window->setActive(left(), true);
    }

    void TearDown() override
    {
        window.reset();
        brenvikSettings().clear();
    }

    FilePanelController& left() const { return *window->leftPanel(); }
    FilePanelController& right() const { return *window->rightPanel(); }

    static void show(FilePanelController& panel, const FileUrl& folder)
    {
        QSignalSpy listed(&panel, &FilePanelController::listingFinished);
        panel.navigate(folder);
        ASSERT_TRUE(QTest::qWaitFor([&] { return listed.count() > 0 && panel.currentURL() == folder; }, 10000));
    }

    static void relist(FilePanelController& panel)
    {
        QSignalSpy listed(&panel, &FilePanelController::listingFinished);
        panel.reload();
        ASSERT_TRUE(listed.wait(10000));
    }

    static QStringList names(const FilePanelController& panel)
    {
        QStringList result;
        for (const FileItem& item : panel.items())
            result.append(item.name());
        return result;
    }

    static QStringList entriesOf(const FileUrl& folder)
    {
        return QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                             QDir::Name);
    }

    // By the exact path bytes: names need not be text.
    static QByteArray contentsOf(const FileUrl& file)
    {
        QFile reader;
        const int fd = ::open(file.nativePath().constData(), O_RDONLY | O_CLOEXEC);
        if (fd < 0 || !reader.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle))
            return QByteArray("<fehlt>");
        return reader.readAll();
    }

    // A key press as the user makes it: into the focused control of the window.
    void press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWidget* focus = QApplication::focusWidget();
        QTest::keyClick(focus ? focus : window.get(), key, modifiers);
    }

    // The progress window the last command opened.
    QPointer<OperationProgressController> progressWindow() const
    {
        const QList<OperationProgressController*> windows = window->findChildren<OperationProgressController*>();
        return windows.isEmpty() ? nullptr : windows.constLast();
    }

    // The message the last progress window ends with.
    QString finalMessage() const
    {
        const QPointer<OperationProgressController> progress = progressWindow();
        if (!progress)
            return QStringLiteral("<kein Fortschrittsfenster>");
        if (!QTest::qWaitFor([&] { return !progress || !progress->cancelButton()->isEnabled(); }, 20000))
            return QStringLiteral("<läuft noch>");
        return progress ? progress->detailText() : QStringLiteral("<geschlossen>");
    }

    // Once the progress window has gone, the user is back in the main window
    // (the offscreen platform activates every window it shows).
    void returnToWindow()
    {
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->findChild<OperationProgressController*>(); }, 10000));
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->activePanel()->focusTable();
    }

    static QStringList recorded(const QString& category)
    {
        QStringList messages;
        for (const DiagnosticEvent& event : DiagnosticsStore::shared().events())
            if (event.category == category)
                messages.append(event.message);
        return messages;
    }

    // Pictures for a person to look at, when BRENVIK_RENDER_DIR names a folder.
    static void render(QWidget& widget, const QString& name)
    {
        const QString folder = qEnvironmentVariable("BRENVIK_RENDER_DIR");
        if (!folder.isEmpty()) {
            EXPECT_TRUE(widget.grab().save(folder + QLatin1Char('/') + name));
        }
    }

    TempFolder leftFolder;
    TempFolder rightFolder;
    ScriptedInteraction interaction;
    std::unique_ptr<CommanderWindowController> window;
};
