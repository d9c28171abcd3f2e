#pragma once

#include <QSettings>
#include <QString>
#include <QStringList>

// The keys of one file panel ("Brenvik.<persistence key>.Tabs", ".SelectedTab",
// ".ShowHidden"), so that panel code never spells a key. Reads go to the
// settings every time.
class PanelPreferences {
public:
    PanelPreferences(QSettings& settings, QString persistenceKey);

    struct SavedTabs {
        QStringList paths; // absolute paths; entries that are not are left out
        int selectedIndex = 0; // clamped to 0 … paths.size() − 1; 0 without tabs
    };
    SavedTabs tabs() const;
    void saveTabs(const QStringList& paths, int selectedIndex);

    // Whether the panel starts with hidden files shown: "Brenvik.ShowHiddenFiles"
    // when it holds a boolean, otherwise the panel's own switch (absent: false).
    bool showHiddenAtStart() const;
    void saveShowHidden(bool show);

private:
    QSettings& m_settings;
    QString m_persistenceKey;
};
