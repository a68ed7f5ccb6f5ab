#pragma once

#include <QAbstractTableModel>
#include <QStringList>

#include "store/TextRow.h"

#include <functional>
#include <map>
#include <vector>

namespace horunea {

// A list of text rows under fixed headers, filled whole from a query result.
class TextTableModel : public QAbstractTableModel
{
    Q_OBJECT
public:
    explicit TextTableModel(QStringList headers, QObject* parent = nullptr);

    int rowCount(const QModelIndex& parent = QModelIndex()) const override;
    int columnCount(const QModelIndex& parent = QModelIndex()) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

    // Orders the rows by one column until the next setRows: by the column's
    // sort keys where it has them, otherwise numbers by value and other text by
    // character code; rows that compare equal keep their order, and the
    // selection stays on its row.
    void sort(int column, Qt::SortOrder order = Qt::AscendingOrder) override;

    // What a column sorts by instead of its text (a name by its reading):
    // one key a row, asked for when the column is sorted.
    using SortKeys = std::function<QStringList(const ListRows& rows)>;
    void setSortKeys(int column, SortKeys keys) { m_sortKeys[column] = std::move(keys); }

    void setRows(ListRows rows);
    void clear() { setRows({}); }
    const TextRow& row(int i) const { return m_rows[size_t(i)]; }
    QString text(int row, int column) const;
    const QStringList& headers() const { return m_headers; }

private:
    QStringList m_headers;
    ListRows m_rows;
    std::map<int, SortKeys> m_sortKeys;
};

} // namespace horunea
