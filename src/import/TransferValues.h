#pragma once

#include <QByteArrayView>
#include <QString>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

namespace horunea {

// The values of one line, as UTF-8 in one buffer: read millions of times
// without a string or a list made for each.
class TransferValues
{
public:
    // Reads a line (without its CR LF).
    void parse(QByteArrayView cp932);
    qsizetype size() const { return qsizetype(m_ends.size()); }
    // Value i; empty beyond the last.
    std::string_view operator[](qsizetype i) const;
    QString text(qsizetype i) const;
    QStringList texts() const;

private:
    std::string m_utf8;   // the line decoded
    std::string m_values; // the values one after the other
    std::vector<qsizetype> m_ends;
};

} // namespace horunea
