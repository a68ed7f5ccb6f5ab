#pragma once

#include "store/Columns.h"

#include <QString>
#include <QVariant>

namespace horunea {

// One row of a result. Reading a field that is Null, or a name the result does
// not have, as text gives the empty string.
class Row
{
public:
    Row(const Columns* columns, const QVariantList* values) : m_columns(columns), m_values(values)
    {}
    QVariant value(const QString& name) const;
    QVariant value(int column) const { return m_values->value(column); }
    QString text(const QString& name) const;
    QString text(int column) const;
    bool has(const QString& name) const { return m_columns->indexOf(name) >= 0; }
    bool isNull(const QString& name) const { return value(name).isNull(); }
    qint64 integer(const QString& name) const;
    const QVariantList& values() const { return *m_values; }
    const Columns& columns() const { return *m_columns; }

private:
    const Columns* m_columns;
    const QVariantList* m_values;
};

} // namespace horunea
