#pragma once

class FileTableModel;
class FileTableView;
class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTabBar;
class QToolButton;
class QWidget;

// The widgets of one panel, top to bottom: the tab row, the header row, the
// file table and the status line. Built once; the panel wires them up.
struct PanelControls {
    QTabBar* tabBar = nullptr;
    QPushButton* addTab = nullptr;
    QPushButton* closeTab = nullptr;

    QToolButton* back = nullptr;
    QToolButton* forward = nullptr;
    QToolButton* up = nullptr;
    QComboBox* volumes = nullptr;
    QToolButton* disconnect = nullptr;
    QComboBox* favorites = nullptr;
    QToolButton* favorite = nullptr;
    QLineEdit* path = nullptr;
    QLineEdit* filter = nullptr;
    QCheckBox* hidden = nullptr;

    FileTableView* table = nullptr;
    QLabel* status = nullptr;

    // Lays the controls out inside `panel` (4-point margin all round).
    static PanelControls build(QWidget& panel, FileTableModel& model);

    // Object names ("tabBar", "path", "filter", …) for the owner and for tests.
    void nameWidgets() const;

    // The star of the favourite switch: filled and yellow for a favourite.
    void showFavoriteState(bool isFavorite) const;
};
