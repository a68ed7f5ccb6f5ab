#pragma once

#include <QByteArray>
#include <QVariant>

#include <string_view>

namespace horunea {

// Rows in the text form of COPY: tab between values, a line per row, \N for
// Null, the backslash, tab and line ends escaped.
class ServerCopyRows
{
public:
    void addNull()
    {
        separate();
        m_rows += "\\N";
    }
    void add(std::string_view utf8);
    void add(qint64 number);
    // Null, a whole number, or text (anything else as its text).
    void add(const QVariant& value);
    void endRow();
    int rowCount() const { return m_count; }
    const QByteArray& rows() const { return m_rows; }
    void clear();

private:
    void separate();
    QByteArray m_rows;
    int m_count = 0;
    bool m_rowStarted = false;
};

} // namespace horunea
