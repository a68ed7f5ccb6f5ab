#pragma once

#include "store/Columns.h"
#include "store/Row.h"

#include <QStringList>
#include <QVariant>

#include <memory>
#include <vector>

namespace horunea {

// A whole result read into memory, rows in the order the statement gave them.
class ResultSet
{
public:
    ResultSet() = default;
    ResultSet(std::shared_ptr<const Columns> columns, std::vector<QVariantList> rows);
    int size() const { return int(m_rows.size()); }
    bool isEmpty() const { return m_rows.empty(); }
    QStringList columnNames() const { return m_columns ? m_columns->names() : QStringList(); }
    Row row(int i) const { return Row(m_columns.get(), &m_rows[size_t(i)]); }
    Row first() const { return row(0); }

private:
    std::shared_ptr<const Columns> m_columns;
    std::vector<QVariantList> m_rows;
};

} // namespace horunea
