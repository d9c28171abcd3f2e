#pragma once

#include "core/FileUrl.h"
#include "tools/SearchEngine.h"

#include <QFuture>
#include <QWidget>
#include <functional>
#include <memory>

class Interaction;
class QCheckBox;
class QDateTimeEdit;
class QLabel;
class QLineEdit;
class QProgressBar;
class QPushButton;
class QTableView;
class TextTableModel;

// Collects the criteria of a search below one folder, shows the hits as they
// are found and hands a chosen hit back. Owns its engine: closing the window
// stops a running walk, and a new search cancels the one still running, whose
// late end then changes nothing here.
class SearchWindowController : public QWidget {
    Q_OBJECT

public:
    static constexpr qsizetype hitLimit = 10000;

    SearchWindowController(FileUrl root, Interaction& interaction, QWidget* parent = nullptr);
    ~SearchWindowController() override;

    void startSearch();
    void stopSearch();
    void openResult(int row);

    // Receives the hit the user opened; the window closes afterwards.
    std::function<void(const FileUrl&)> onOpenResult;

    QLineEdit* field() const { return m_field; }
    QLineEdit* contentField() const { return m_contentField; }
    QLineEdit* minimumSizeField() const { return m_minimumSizeField; }
    QLineEdit* maximumSizeField() const { return m_maximumSizeField; }
    QCheckBox* recursive() const { return m_recursive; }
    QCheckBox* useDate() const { return m_useDate; }
    QDateTimeEdit* modifiedAfter() const { return m_modifiedAfter; }
    QPushButton* searchButton() const { return m_searchButton; }
    QLabel* status() const { return m_status; }
    QTableView* table() const { return m_table; }
    const QList<FileUrl>& results() const { return m_results; }
    bool isSearching() const { return m_searchTask.has_value(); }

    // A size field's bound in bytes: the number in the user's locale times 1 MiB.
    static std::optional<qint64> sizeBound(const QString& text);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void finishSearch(quint64 generation, const QFuture<QList<FileUrl>>& task);
    void showResults();

    FileUrl m_root;
    Interaction& m_interaction;
    std::unique_ptr<SearchEngine> m_engine;
    QLineEdit* m_field;
    QLineEdit* m_contentField;
    QLineEdit* m_minimumSizeField;
    QLineEdit* m_maximumSizeField;
    QCheckBox* m_recursive;
    QCheckBox* m_useDate;
    QDateTimeEdit* m_modifiedAfter;
    QPushButton* m_searchButton;
    QPushButton* m_stopButton;
    QProgressBar* m_spinner;
    QLabel* m_status;
    QTableView* m_table;
    TextTableModel* m_model;
    QList<FileUrl> m_results;
    std::optional<QFuture<QList<FileUrl>>> m_searchTask;
    quint64 m_generation = 0;
};
