#pragma once

#include "sync/SyncPlanItem.h"

#include <QAbstractTableModel>
#include <QList>

// The plan as a read-only table: action, relative path, reason. Texts are made
// only for the rows on screen, so a plan of any length opens at once.
class SyncPlanModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { action, path, detail, columnCount_ };

    explicit SyncPlanModel(QList<SyncPlanItem> items, QObject* parent = nullptr);

    const QList<SyncPlanItem>& items() const { return m_items; }

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role = Qt::DisplayRole) const override;

private:
    QList<SyncPlanItem> m_items;
};
