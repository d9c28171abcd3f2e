#pragma once

#include "tools/BatchRenameEngine.h"

#include <QWidget>
#include <functional>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableView;
class TextTableModel;

// Edits search, replace, prefix and suffix for a set of entries, shows old and
// new names side by side, checks the whole plan after every change and runs it
// on its engine. Nothing on disk changes before "Umbenennen".
class MultiRenameWindowController : public QWidget {
    Q_OBJECT

public:
    // `sources` must not be empty; they are shown in a file browser's order.
    explicit MultiRenameWindowController(QList<FileUrl> sources, QWidget* parent = nullptr);
    ~MultiRenameWindowController() override;

    void refresh();
    void apply();

    // Called after a successful rename, before the window closes.
    std::function<void()> onComplete;

    QLineEdit* findField() const { return m_findField; }
    QLineEdit* replaceField() const { return m_replaceField; }
    QLineEdit* prefixField() const { return m_prefixField; }
    QLineEdit* suffixField() const { return m_suffixField; }
    QLabel* status() const { return m_status; }
    QPushButton* applyButton() const { return m_applyButton; }
    QTableView* table() const { return m_table; }
    const QList<RenamePlanItem>& plan() const { return m_plan; }

private:
    QList<FileUrl> m_sources;
    std::unique_ptr<BatchRenameEngine> m_engine;
    QLineEdit* m_findField;
    QLineEdit* m_replaceField;
    QLineEdit* m_prefixField;
    QLineEdit* m_suffixField;
    QLabel* m_status;
    QTableView* m_table;
    TextTableModel* m_model;
    QPushButton* m_applyButton;
    QList<RenamePlanItem> m_plan;
};
