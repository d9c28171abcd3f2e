#include "app/MainMenu.h"

#include "app/BrenvikApp.h"
#include "commander/CommanderWindowController.h"

#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QTextEdit>

namespace {

using Command = void (CommanderWindowController::*)();

class MenuBuilder {
public:
    explicit MenuBuilder(BrenvikApp& app) : m_app(app), m_bar(new QMenuBar) {}

    QMenuBar* bar() const { return m_bar; }

    void menu(const QString& title) { m_menu = m_bar->addMenu(title); }
    void separator() { m_menu->addSeparator(); }

    template <typename Action>
    void item(const QString& title, const QKeySequence& key, Action action)
    {
        QAction* entry = m_menu->addAction(title);
        entry->setShortcut(key);
        QObject::connect(entry, &QAction::triggered, m_bar, action);
    }

    // A file-manager command goes to the commander window.
    void item(const QString& title, const QKeySequence& key, Command command)
    {
        item(title, key, [app = &m_app, command] {
            if (CommanderWindowController* controller = app->controller())
                (controller->*command)();
        });
    }

    // An editing command goes to the focused control, where it has a slot of that name.
    void editItem(const QString& title, const QKeySequence& key, const char* slot)
    {
        item(title, key, [slot] { invokeOnFocus(slot); });
    }

    static bool invokeOnFocus(const char* slot)
    {
        QWidget* focus = QApplication::focusWidget();
        if (!focus || focus->metaObject()->indexOfMethod((QByteArray(slot) + "()").constData()) < 0)
            return false;
        return QMetaObject::invokeMethod(focus, slot);
    }

private:
    BrenvikApp& m_app;
    QMenuBar* m_bar;
    QMenu* m_menu = nullptr;
};

// Pasting as plain text matters where a control keeps styles; a line edit has none.
void pasteAsPlainText()
{
    QWidget* focus = QApplication::focusWidget();
    if (auto* rich = qobject_cast<QTextEdit*>(focus))
        rich->insertPlainText(QGuiApplication::clipboard()->text());
    else
        MenuBuilder::invokeOnFocus("paste");
}

} // namespace

QMenuBar* buildMainMenu(BrenvikApp& app)
{
    using C = CommanderWindowController;
    const auto ctrl = Qt::CTRL;  // ⌘
    const auto alt = Qt::ALT;    // ⌥
    const auto meta = Qt::META;  // ⌃
    const auto shift = Qt::SHIFT; // ⇧
    MenuBuilder m(app);

    m.menu(QStringLiteral("Brenvik"));
    m.item(QStringLiteral("Über Brenvik"), {}, [&app] { app.showAbout(); });
    m.item(QStringLiteral("Einstellungen …"), ctrl | Qt::Key_Comma, [&app] { app.showPreferences(); });
    m.separator();
    // Closing the windows first lets the commander window save its frame and end its connections.
    m.item(QStringLiteral("Brenvik beenden"), ctrl | Qt::Key_Q, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });

    m.menu(QStringLiteral("Datei"));
    m.item(QStringLiteral("Kopieren"), {}, &C::copySelection);
    m.item(QStringLiteral("Verschieben"), {}, &C::moveSelection);
    m.item(QStringLiteral("Duplizieren"), ctrl | Qt::Key_D, &C::duplicateSelection);
    m.item(QStringLiteral("Umbenennen"), {}, &C::renameSelection);
    m.item(QStringLiteral("Informationen"), ctrl | Qt::Key_I, &C::showFileInfo);
    m.item(QStringLiteral("Neuer Ordner"), {}, &C::newFolder);
    m.item(QStringLiteral("Neue leere Datei …"), {}, &C::newEmptyFile);
    m.item(QStringLiteral("Symbolische Links ins andere Panel"), {}, &C::createSymbolicLinks);
    m.item(QStringLiteral("In den Papierkorb"), {}, &C::trashSelection);
    m.item(QStringLiteral("Letzten Papierkorb-Vorgang rückgängig"), ctrl | alt | Qt::Key_Z, &C::undoTrash);
    m.separator();
    m.item(QStringLiteral("Terminal hier öffnen"), {}, &C::openTerminal);
    m.item(QStringLiteral("Dateien suchen …"), ctrl | Qt::Key_F, &C::searchFiles);

    m.menu(QStringLiteral("Bearbeiten"));
    m.editItem(QStringLiteral("Rückgängig"), ctrl | Qt::Key_Z, "undo");
    m.editItem(QStringLiteral("Wiederholen"), ctrl | shift | Qt::Key_Z, "redo");
    m.separator();
    m.editItem(QStringLiteral("Ausschneiden"), ctrl | Qt::Key_X, "cut");
    m.editItem(QStringLiteral("Kopieren"), ctrl | Qt::Key_C, "copy");
    m.editItem(QStringLiteral("Einfügen"), ctrl | Qt::Key_V, "paste");
    m.item(QStringLiteral("Einsetzen und Stil anpassen"), ctrl | alt | shift | Qt::Key_V, &pasteAsPlainText);
    m.separator();
    m.editItem(QStringLiteral("Alles auswählen"), ctrl | Qt::Key_A, "selectAll");

    m.menu(QStringLiteral("Auswahl"));
    m.item(QStringLiteral("Nach Maske markieren …"), ctrl | Qt::Key_Plus, &C::selectByMask);
    m.item(QStringLiteral("Nach Maske abwählen …"), ctrl | Qt::Key_Minus, &C::deselectByMask);
    m.separator();
    m.item(QStringLiteral("Alle Dateien markieren"), ctrl | shift | Qt::Key_A, &C::selectAllFiles);
    m.item(QStringLiteral("Auswahl umkehren"), ctrl | shift | Qt::Key_I, &C::invertSelection);

    m.menu(QStringLiteral("Archive"));
    m.item(QStringLiteral("Hier packen/komprimieren …"), {}, &C::createZIPHere);
    m.item(QStringLiteral("Auswahl als ZIP packen …"), {}, &C::createZIP);
    m.item(QStringLiteral("Hier als TAR.GZ packen …"), {}, &C::createTarGZHere);
    m.separator();
    m.item(QStringLiteral("ZIP hier entpacken …"), {}, &C::extractZIPHere);
    m.item(QStringLiteral("ZIP ins andere Panel entpacken …"), {}, &C::extractZIP);
    m.item(QStringLiteral("TAR-Archiv hier entpacken …"), {}, &C::extractTarHere);
    m.item(QStringLiteral("TAR-Archiv ins andere Panel entpacken …"), {}, &C::extractTar);

    m.menu(QStringLiteral("Werkzeuge"));
    m.item(QStringLiteral("SHA-256-Prüfsummen …"), {}, &C::calculateChecksums);
    m.item(QStringLiteral("Mehrfachumbenennung …"), meta | Qt::Key_M, &C::multiRename);
    m.separator();
    m.item(QStringLiteral("Beide Verzeichnisse vergleichen"), {}, &C::comparePanels);
    m.item(QStringLiteral("Ausgewählte Dateien vergleichen"), {}, &C::compareSelectedFiles);
    m.item(QStringLiteral("Synchronisierungsvorschau …"), {}, &C::previewSynchronization);
    m.separator();
    m.item(QStringLiteral("Remote-Verbindungen (FTP/FTPS/SFTP) …"), {}, &C::showRemoteConnections);
    m.item(QStringLiteral("Diagnose …"), {}, &C::showDiagnostics);
    m.item(QStringLiteral("Zugriff auf aktiven Ordner prüfen …"), {}, &C::checkActiveFolderAccess);
    return m.bar();
}
