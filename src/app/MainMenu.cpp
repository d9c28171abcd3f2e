#include "app/MainMenu.h"

#include "app/BrenvikApp.h"
#include "commander/CommandTable.h"
#include "commander/CommanderWindowController.h"
#include "platform/PlatformTexts.h"

#include <QApplication>
#include <QClipboard>
#include <QMenuBar>
#include <QTextEdit>

namespace {

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

    // The commands of the commander window's table, in their menu order. The
    // key is only shown: the window's keyboard filter handles it, before any
    // focused control, and never twice.
    void commandItems(CommandTable::Menu menu)
    {
        int group = -1;
        for (const CommandTable::Row* row : CommandTable::menuRows(menu)) {
            if (group >= 0 && row->menuOrder / 10 != group)
                separator();
            group = row->menuOrder / 10;
            QString title = PlatformTexts::localized(QString::fromUtf8(row->title));
            if (const QString hint = CommandTable::keyHint(row->key); !hint.isEmpty())
                title += QLatin1Char('\t') + hint;
            item(title, {}, [app = &m_app, row] {
                if (CommanderWindowController* controller = app->controller())
                    controller->run(*row);
            });
        }
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
    using Menu = CommandTable::Menu;
    const auto ctrl = Qt::CTRL;  // ⌘
    const auto alt = Qt::ALT;    // ⌥
    const auto shift = Qt::SHIFT; // ⇧
    MenuBuilder m(app);

    m.menu(QStringLiteral("Brenvik"));
    m.item(QStringLiteral("Über Brenvik"), {}, [&app] { app.showAbout(); });
    m.commandItems(Menu::application);
    m.separator();
    // Closing the windows first lets the commander window save its frame and end its connections.
    m.item(QStringLiteral("Brenvik beenden"), ctrl | Qt::Key_Q, [] {
        QApplication::closeAllWindows();
        QCoreApplication::quit();
    });

    m.menu(QStringLiteral("Datei"));
    m.commandItems(Menu::file);

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
    m.commandItems(Menu::selection);
    m.menu(QStringLiteral("Archive"));
    m.commandItems(Menu::archives);
    m.menu(QStringLiteral("Werkzeuge"));
    m.commandItems(Menu::tools);
    return m.bar();
}
