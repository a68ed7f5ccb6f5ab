#include "store/Database.h"

namespace horunea {

Columns::Columns(QStringList names) : m_names(std::move(names))
{
    for (int i = 0; i < m_names.size(); ++i) {
        const QString key = foldName(m_names[i]);
        if (!m_byFoldedName.contains(key))
            m_byFoldedName.insert(key, i);
    }
}

int Columns::indexOf(const QString& name) const
{
    auto it = m_byFoldedName.constFind(foldName(name));
    return it == m_byFoldedName.constEnd() ? -1 : it.value();
}

QVariant Row::value(const QString& name) const
{
    const int column = m_columns->indexOf(name);
    return column < 0 ? QVariant() : m_values->value(column);
}

QString Row::text(const QString& name) const
{
    const QVariant v = value(name);
    return v.isNull() ? QString(u""_qs) : v.toString();
}

QString Row::text(int column) const
{
    const QVariant v = value(column);
    return v.isNull() ? QString(u""_qs) : v.toString();
}

qint64 Row::integer(const QString& name) const
{
    return value(name).toLongLong();
}

ResultSet::ResultSet(std::shared_ptr<const Columns> columns, std::vector<QVariantList> rows)
    : m_columns(std::move(columns)), m_rows(std::move(rows))
{}

} // namespace horunea
