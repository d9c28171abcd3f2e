#include "preferences/PreferencesWindowController.h"

#include "platform/PlatformTexts.h"
#include "platform/Terminal.h"
#include "preferences/DisplayColors.h"
#include "preferences/KeyEventShortcuts.h"
#include "preferences/PreferenceKeys.h"
#include "preferences/PreferencesStore.h"
#include "ui/ColorButton.h"
#include "ui/Interaction.h"

#include <QAbstractTableModel>
#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFormLayout>
#include <QFrame>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QVBoxLayout>

// The shortcut table: the preset's commands with their standard and additional chords.
class ShortcutTableModel : public QAbstractTableModel {
public:
    ShortcutTableModel(const QList<Shortcuts::ShortcutDefinition>& shortcuts, const QMap<QString, QString>& custom,
                       QObject* parent)
        : QAbstractTableModel(parent), m_shortcuts(shortcuts), m_custom(custom)
    {
    }

    void reload()
    {
        beginResetModel();
        endResetModel();
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(m_shortcuts.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 3; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || index.row() >= m_shortcuts.size())
            return {};
        const Shortcuts::ShortcutDefinition& shortcut = m_shortcuts[index.row()];
        switch (index.column()) {
        case 0: return shortcut.displayName;
        // Shown in the platform's words; what is stored keeps its symbols.
        case 1: return PlatformTexts::localized(shortcut.chord());
        default:
            return m_custom.contains(shortcut.command) ? PlatformTexts::localized(m_custom.value(shortcut.command))
                                                       : QStringLiteral("—");
        }
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        static const char* const titles[] = {"Befehl", "Voreinstellung", "Zusätzliches Kürzel"};
        return QString::fromUtf8(titles[section]);
    }

private:
    const QList<Shortcuts::ShortcutDefinition>& m_shortcuts;
    const QMap<QString, QString>& m_custom;
};

namespace {

// The modal question for one key press; the first press that decides ends it.
class KeyCaptureDialog : public QDialog {
public:
    KeyCaptureDialog(const QString& displayName, const QString& currentChord, QWidget* parent) : QDialog(parent)
    {
        setWindowTitle(QStringLiteral("Brenvik"));
        auto* layout = new QVBoxLayout(this);
        auto* message = new QLabel(QStringLiteral("Zusätzliches Kürzel für „%1“").arg(displayName));
        QFont bold = message->font();
        bold.setBold(true);
        message->setFont(bold);
        layout->addWidget(message);
        layout->addWidget(new QLabel(QStringLiteral("Kürzel drücken. Rückschritt entfernt die Belegung, Escape bricht ab.")));
        auto* capture = new QLabel(currentChord.isEmpty() ? QStringLiteral("Kürzel jetzt drücken …") : currentChord);
        capture->setAlignment(Qt::AlignCenter);
        capture->setFixedSize(380, 54);
        capture->setFrameShape(QFrame::Box);
        layout->addWidget(capture);
        setFocusPolicy(Qt::StrongFocus);
    }

    KeyChord::Capture result;

protected:
    void keyPressEvent(QKeyEvent* event) override
    {
        const KeyChord::Capture capture = KeyEventShortcuts::capture(*event);
        if (capture.outcome == KeyChord::Capture::Outcome::keepWaiting)
            return;
        result = capture;
        accept();
    }
};

QFrame* card(const QString& title, QLayout* content)
{
    auto* frame = new QFrame;
    frame->setObjectName(QStringLiteral("card"));
    frame->setStyleSheet(QStringLiteral("QFrame#card { border: 1px solid palette(mid); border-radius: 9px; }"));
    auto* stack = new QVBoxLayout(frame);
    stack->setContentsMargins(16, 14, 16, 14);
    stack->setSpacing(10);
    auto* heading = new QLabel(title);
    QFont font = heading->font();
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    heading->setFont(font);
    stack->addWidget(heading);
    stack->addLayout(content);
    return frame;
}

QLabel* note(const QString& text)
{
    auto* label = new QLabel(text);
    label->setWordWrap(true);
    label->setForegroundRole(QPalette::PlaceholderText);
    return label;
}

} // namespace

PreferencesWindowController::PreferencesWindowController(PreferencesStore& store, Interaction& interaction,
                                                         QWidget* parent)
    : QWidget(parent), m_store(store), m_interaction(interaction)
{
    setWindowTitle(QStringLiteral("Brenvik-Einstellungen"));
    setWindowFlag(Qt::Window);
    captureKey = [this](const QString& displayName, const QString& currentChord) {
        KeyCaptureDialog dialog(displayName, currentChord, this);
        dialog.exec();
        return dialog.result;
    };

    auto* page = new QVBoxLayout(this);
    page->setContentsMargins(28, 24, 28, 22);
    page->setSpacing(14);
    page->addWidget(buildDisplaySection());
    page->addWidget(buildProgramsSection());
    page->addWidget(buildKeyboardSection(), 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    auto* cancelButton = new QPushButton(QStringLiteral("Abbrechen"));
    auto* saveButton = new QPushButton(QStringLiteral("Sichern"));
    saveButton->setDefault(true);
    connect(cancelButton, &QPushButton::clicked, this, [this] { cancel(); });
    connect(saveButton, &QPushButton::clicked, this, [this] { save(); });
    buttons->addWidget(cancelButton);
    buttons->addWidget(saveButton);
    page->addLayout(buttons);
    load();
    // The layout sets the least size, so the sections can never be drawn over each other.
    resize(QSize(760, 680).expandedTo(sizeHint()));
}

PreferencesWindowController::~PreferencesWindowController() = default;

QWidget* PreferencesWindowController::buildDisplaySection()
{
    auto* content = new QVBoxLayout;
    m_showHidden = new QCheckBox(QStringLiteral("Versteckte Dateien und Ordner standardmäßig anzeigen"));
    m_showHidden->setToolTip(PlatformTexts::localized(QStringLiteral(
        "Gilt beim Start und nach dem Sichern für beide Dateipanels. Mit ⌘. lässt sich die Anzeige weiterhin pro "
        "Panel umschalten.")));
    content->addWidget(m_showHidden);
    content->addWidget(note(PlatformTexts::localized(QStringLiteral(
        "Die Einstellung gilt für beide Panels. Die Schaltfläche „⌘.“ im jeweiligen Panel bleibt als schnelle "
        "Umschaltung erhalten."))));
    auto* line = new QFrame;
    line->setFrameShape(QFrame::HLine);
    content->addWidget(line);

    auto* grid = new QFormLayout;
    grid->setLabelAlignment(Qt::AlignRight);
    grid->setVerticalSpacing(8);
    m_folderColor = new ColorButton;
    m_folderColor->setToolTip(QStringLiteral("Farbe für Ordnernamen und Ordnersymbole"));
    m_fileColor = new ColorButton;
    m_fileColor->setToolTip(QStringLiteral("Farbe für Dateinamen und Dateiinformationen"));
    grid->addRow(QStringLiteral("Ordner:"), m_folderColor);
    grid->addRow(QStringLiteral("Dateien:"), m_fileColor);
    content->addLayout(grid);
    auto* reset = new QPushButton(QStringLiteral("Standardfarben wiederherstellen"));
    connect(reset, &QPushButton::clicked, this, [this] { resetDisplayColors(); });
    content->addWidget(reset, 0, Qt::AlignLeft);
    content->addWidget(note(QStringLiteral("Die Farben gelten für Namen und Informationsspalten in beiden "
                                           "Dateipanels. Ordnersymbole übernehmen ebenfalls die Ordnerfarbe.")));
    return card(QStringLiteral("Darstellung"), content);
}

QWidget* PreferencesWindowController::buildProgramsSection()
{
    auto* content = new QVBoxLayout;
    auto* row = new QFormLayout;
    m_terminal = new QComboBox;
    for (const Terminal::Choice& choice : Terminal::choices())
        m_terminal->addItem(choice.title, choice.path);
    row->addRow(QStringLiteral("Terminalprogramm:"), m_terminal);
    content->addLayout(row);
    content->addWidget(note(QStringLiteral(
        "Dieses Programm wird über „Terminal hier öffnen“ im aktuellen lokalen Ordner gestartet.")));
    return card(QStringLiteral("Programme"), content);
}

QWidget* PreferencesWindowController::buildKeyboardSection()
{
    auto* content = new QVBoxLayout;
    auto* row = new QFormLayout;
    m_preset = new QComboBox;
    m_preset->addItems({QStringLiteral("Commander"), QStringLiteral("macOS")});
    connect(m_preset, &QComboBox::activated, this, [this] { presetChanged(); });
    row->addRow(QStringLiteral("Voreinstellung:"), m_preset);
    content->addLayout(row);

    m_model = new ShortcutTableModel(m_shortcuts, m_custom, this);
    m_table = new QTableView;
    m_table->setModel(m_model);
    m_table->setAlternatingRowColors(true);
    m_table->setSelectionBehavior(QAbstractItemView::SelectRows);
    m_table->setSelectionMode(QAbstractItemView::SingleSelection);
    m_table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_table->verticalHeader()->hide();
    m_table->setMinimumHeight(190);
    m_table->horizontalHeader()->setSectionResizeMode(0, QHeaderView::Stretch);
    m_table->horizontalHeader()->setSectionResizeMode(1, QHeaderView::ResizeToContents);
    m_table->horizontalHeader()->setSectionResizeMode(2, QHeaderView::ResizeToContents);
    connect(m_table, &QTableView::doubleClicked, this, [this](const QModelIndex& index) { editShortcut(index.row()); });
    content->addWidget(m_table, 1);
    m_warning = new QLabel;
    m_warning->setWordWrap(true);
    content->addWidget(m_warning);
    return card(QStringLiteral("Tastatur"), content);
}

void PreferencesWindowController::load()
{
    m_custom = m_store.customShortcuts();
    m_preset->setCurrentIndex(m_store.preset() == KeyboardPreset::macOS ? 1 : 0);
    m_terminal->setCurrentIndex(qMax(0, m_terminal->findData(m_store.terminalPath())));
    m_folderColor->setColor(DisplayColors::color(m_store, PreferencesStore::ColorKey::folder));
    m_fileColor->setColor(DisplayColors::color(m_store, PreferencesStore::ColorKey::file));
    m_showHidden->setChecked(m_store.showHiddenFiles());
    presetChanged();
}

void PreferencesWindowController::presetChanged()
{
    m_shortcuts = Shortcuts::standardList(Shortcuts::presetFromRawText(m_preset->currentText()));
    updateShortcuts();
}

void PreferencesWindowController::updateShortcuts()
{
    const Shortcuts::ConflictLine line = Shortcuts::conflictLine(m_shortcuts, m_custom);
    m_warning->setText(PlatformTexts::localized(line.text));
    m_warning->setStyleSheet(line.isConflict ? QStringLiteral("color: #d70015;") : QString());
    m_warning->setForegroundRole(line.isConflict ? QPalette::WindowText : QPalette::PlaceholderText);
    m_model->reload();
}

void PreferencesWindowController::resetDisplayColors()
{
    m_store.removeColors();
    m_folderColor->setColor(DisplayColors::defaultColor(PreferencesStore::ColorKey::folder));
    m_fileColor->setColor(DisplayColors::defaultColor(PreferencesStore::ColorKey::file));
}

void PreferencesWindowController::editShortcut(int row)
{
    if (row < 0 || row >= m_shortcuts.size())
        return;
    const Shortcuts::ShortcutDefinition& shortcut = m_shortcuts[row];
    const KeyChord::Capture capture = captureKey(shortcut.displayName, m_custom.value(shortcut.command));
    switch (capture.outcome) {
    case KeyChord::Capture::Outcome::clear:
    case KeyChord::Capture::Outcome::assign:
        if (m_custom.contains(shortcut.command) && m_custom.value(shortcut.command) == capture.chord)
            return;
        m_custom.insert(shortcut.command, capture.chord);
        updateShortcuts();
        break;
    case KeyChord::Capture::Outcome::cancel:
    case KeyChord::Capture::Outcome::keepWaiting:
        break;
    }
}

void PreferencesWindowController::save()
{
    if (!Shortcuts::customConflicts(m_custom).isEmpty()) {
        m_interaction.beep();
        return;
    }
    m_store.save(Shortcuts::presetFromRawText(m_preset->currentText()), m_terminal->currentData().toString());
    DisplayColors::save(m_store, PreferencesStore::ColorKey::folder, m_folderColor->color());
    DisplayColors::save(m_store, PreferencesStore::ColorKey::file, m_fileColor->color());
    m_store.saveShowHiddenFiles(m_showHidden->isChecked());
    m_store.saveCustomShortcuts(m_custom);
    if (onChange)
        onChange();
    close();
}

void PreferencesWindowController::cancel()
{
    close();
}

void PreferencesWindowController::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        return save();
    QWidget::keyPressEvent(event);
}
