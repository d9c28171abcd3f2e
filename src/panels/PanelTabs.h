#pragma once

#include "core/FileUrl.h"

#include <QList>
#include <optional>

// One tab of a panel: its folder and its own history (nearest entry last).
struct PanelTab {
    FileUrl url;
    QList<FileUrl> back;
    QList<FileUrl> forward;
};

// The folder a panel shows, its history and its tabs. The live history belongs
// to the selected tab; the tab's record is brought up to date whenever the
// panel leaves the tab or saves. Never without a tab.
class PanelTabs {
public:
    // `folders` must not be empty; the selection is clamped into range.
    PanelTabs(const QList<FileUrl>& folders, int selected);

    const FileUrl& currentURL() const { return m_current; }
    const QList<FileUrl>& backHistory() const { return m_back; }
    const QList<FileUrl>& forwardHistory() const { return m_forward; }
    const QList<PanelTab>& tabs() const { return m_tabs; }
    int selectedTab() const { return m_selected; }
    int count() const { return int(m_tabs.size()); }

    // Shows `target` (already standardised); false when it is the folder shown.
    bool navigate(const FileUrl& target, bool recordingHistory);
    // The folder now shown, or nothing when the history is empty.
    std::optional<FileUrl> goBack();
    std::optional<FileUrl> goForward();

    void addTab();
    // False, and nothing changes, when only one tab is left.
    bool closeTab();
    // False when `index` is the selected tab or out of range.
    bool selectTab(int index);
    // Wraps at both ends; false with fewer than two tabs.
    bool cycleTab(int delta);

    void saveCurrentTab();
    // The folders of all tabs, in tab order (the current tab up to date).
    QList<FileUrl> tabFolders() const;

private:
    void restore(int index);

    QList<PanelTab> m_tabs;
    int m_selected = 0;
    FileUrl m_current;
    QList<FileUrl> m_back;
    QList<FileUrl> m_forward;
};
