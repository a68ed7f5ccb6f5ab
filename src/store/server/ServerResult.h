#pragma once

#include <QStringList>

#include <vector>

namespace horunea {

class ServerConnection;

// A whole result of the server: column names and rows of text, Null kept
// apart from the empty text.
class ServerResult
{
public:
    int rowCount() const { return int(m_rows.size()); }
    int columnCount() const { return int(m_columns.size()); }
    const QStringList& columnNames() const { return m_columns; }
    bool isNull(int row, int column) const { return m_rows[size_t(row)][column].isNull(); }
    // Null as the empty text.
    QString text(int row, int column) const { return m_rows[size_t(row)][column]; }
    // The rows changed by a statement that returns none.
    int changed() const { return m_changed; }

private:
    friend class ServerConnection;
    QStringList m_columns;
    std::vector<QStringList> m_rows; // a null QString for Null
    int m_changed = 0;
};

} // namespace horunea
