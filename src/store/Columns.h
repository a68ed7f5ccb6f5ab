#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

namespace horunea {

// The column names of one result, with lookup by name under the store's name
// folding (a row's E-mail reaches its E-MAIL column).
class Columns
{
public:
    explicit Columns(QStringList names);
    const QStringList& names() const { return m_names; }
    int indexOf(const QString& name) const;
    int count() const { return int(m_names.size()); }

private:
    QStringList m_names;
    QHash<QString, int> m_byFoldedName;
};

} // namespace horunea
