#include "sync/SyncPlanModel.h"

SyncPlanModel::SyncPlanModel(QList<SyncPlanItem> items, QObject* parent)
    : QAbstractTableModel(parent), m_items(std::move(items))
{
}

int SyncPlanModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_items.size());
}

int SyncPlanModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : columnCount_;
}

QVariant SyncPlanModel::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !index.isValid() || index.row() >= m_items.size())
        return {};
    const SyncPlanItem& item = m_items.at(index.row());
    switch (index.column()) {
    case action: return rawValue(item.action);
    case path: return item.relativePath();
    case detail: return item.detail();
    default: return {};
    }
}

QVariant SyncPlanModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case action: return QStringLiteral("Aktion");
    case path: return QStringLiteral("Relativer Pfad");
    case detail: return QStringLiteral("Begründung");
    default: return {};
    }
}
