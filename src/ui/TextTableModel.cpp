#include "ui/TextTableModel.h"

#include <QTextDocument>

#include <algorithm>
#include <numeric>
#include <vector>

namespace horunea {

TextTableModel::TextTableModel(QStringList headers, QObject* parent)
    : QAbstractTableModel(parent), m_headers(std::move(headers))
{}

int TextTableModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_rows.size());
}

int TextTableModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : int(m_headers.size());
}

namespace {

// Prices read by their last digit, as in a ledger.
bool isPriceColumn(const QString& header)
{
    return header == u"仕切" || header == u"売値";
}

} // namespace

QVariant TextTableModel::data(const QModelIndex& index, int role) const
{
    if (index.isValid() && role == Qt::TextAlignmentRole)
        return isPriceColumn(m_headers.value(index.column()))
                   ? QVariant(int(Qt::AlignRight | Qt::AlignVCenter))
                   : QVariant();
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return QVariant();
    QString value = text(index.row(), index.column());
    // A row stays one line high: its line breaks show as marks, and whole
    // when the cell is pointed at.
    if (role == Qt::DisplayRole && value.contains(u'\n'))
        value.replace(u'\n', u'⏎');
    // A tooltip would draw markup in a value as rich text: give it as text.
    if (role == Qt::ToolTipRole)
        return Qt::convertFromPlainText(value, Qt::WhiteSpacePre);
    return value;
}

QVariant TextTableModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation == Qt::Horizontal && role == Qt::DisplayRole)
        return m_headers.value(section);
    return QVariant();
}

void TextTableModel::sort(int column, Qt::SortOrder order)
{
    if (column < 0 || column >= columnCount())
        return;
    emit layoutAboutToBeChanged({}, QAbstractItemModel::VerticalSortHint);
    std::vector<int> order_(m_rows.size());
    std::iota(order_.begin(), order_.end(), 0);
    QStringList keys;
    if (auto found = m_sortKeys.find(column); found != m_sortKeys.end())
        keys = found->second(m_rows);
    const bool keyed = keys.size() == qsizetype(m_rows.size());
    auto less = [&](int a, int b) {
        if (keyed)
            return keys[a] < keys[b];
        const QString x = m_rows[size_t(a)].value(column);
        const QString y = m_rows[size_t(b)].value(column);
        bool xNumber = false, yNumber = false;
        const double xv = x.toDouble(&xNumber);
        const double yv = y.toDouble(&yNumber);
        if (xNumber && yNumber)
            return xv < yv;
        if (xNumber != yNumber)
            return xNumber; // numbers before text
        return x < y;
    };
    std::stable_sort(order_.begin(), order_.end(), [&](int a, int b) {
        return order == Qt::AscendingOrder ? less(a, b) : less(b, a);
    });
    ListRows sorted;
    sorted.reserve(m_rows.size());
    std::vector<int> newRowOf(m_rows.size());
    for (size_t i = 0; i < order_.size(); ++i) {
        newRowOf[size_t(order_[i])] = int(i);
        sorted.push_back(std::move(m_rows[size_t(order_[i])]));
    }
    m_rows = std::move(sorted);
    const QModelIndexList before = persistentIndexList();
    QModelIndexList after;
    after.reserve(before.size());
    for (const QModelIndex& index : before)
        after << this->index(newRowOf[size_t(index.row())], index.column());
    changePersistentIndexList(before, after);
    emit layoutChanged({}, QAbstractItemModel::VerticalSortHint);
}

void TextTableModel::setRows(ListRows rows)
{
    beginResetModel();
    m_rows = std::move(rows);
    endResetModel();
}

QString TextTableModel::text(int row, int column) const
{
    if (row < 0 || size_t(row) >= m_rows.size())
        return QString();
    return m_rows[size_t(row)].value(column);
}

} // namespace horunea
