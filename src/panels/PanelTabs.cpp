#include "panels/PanelTabs.h"

#include <algorithm>

PanelTabs::PanelTabs(const QList<FileUrl>& folders, int selected)
{
    Q_ASSERT(!folders.isEmpty());
    for (const FileUrl& folder : folders)
        m_tabs.append(PanelTab{folder, {}, {}});
    restore(std::clamp(selected, 0, count() - 1));
}

bool PanelTabs::navigate(const FileUrl& target, bool recordingHistory)
{
    if (target == m_current)
        return false;
    if (recordingHistory) {
        m_back.append(m_current);
        m_forward.clear();
    }
    m_current = target;
    m_tabs[m_selected].url = target;
    return true;
}

std::optional<FileUrl> PanelTabs::goBack()
{
    if (m_back.isEmpty())
        return std::nullopt;
    const FileUrl target = m_back.takeLast();
    m_forward.append(m_current);
    navigate(target, false);
    return target;
}

std::optional<FileUrl> PanelTabs::goForward()
{
    if (m_forward.isEmpty())
        return std::nullopt;
    const FileUrl target = m_forward.takeLast();
    m_back.append(m_current);
    navigate(target, false);
    return target;
}

void PanelTabs::addTab()
{
    saveCurrentTab();
    m_tabs.append(PanelTab{m_current, {}, {}});
    m_selected = count() - 1;
    m_back.clear();
    m_forward.clear();
}

bool PanelTabs::closeTab()
{
    if (count() < 2)
        return false;
    m_tabs.removeAt(m_selected);
    restore(std::min(m_selected, count() - 1));
    return true;
}

bool PanelTabs::selectTab(int index)
{
    if (index == m_selected || index < 0 || index >= count())
        return false;
    saveCurrentTab();
    restore(index);
    return true;
}

bool PanelTabs::cycleTab(int delta)
{
    if (count() < 2)
        return false;
    saveCurrentTab();
    restore(((m_selected + delta) % count() + count()) % count());
    return true;
}

void PanelTabs::saveCurrentTab()
{
    m_tabs[m_selected] = PanelTab{m_current, m_back, m_forward};
}

QList<FileUrl> PanelTabs::tabFolders() const
{
    QList<FileUrl> folders;
    for (const PanelTab& tab : m_tabs)
        folders.append(tab.url);
    folders[m_selected] = m_current;
    return folders;
}

void PanelTabs::restore(int index)
{
    m_selected = index;
    m_current = m_tabs[index].url;
    m_back = m_tabs[index].back;
    m_forward = m_tabs[index].forward;
}
