#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstddef>

namespace horunea {

// One column of a list, declared once: its place (the list's column enum),
// the field its rows hold, the heading it shows and the width it starts at,
// in twips.
template <typename Column> struct ColumnSpec
{
    Column column;
    const char16_t* field;
    const char16_t* heading;
    int twips;
};

// True when every column of the table sits at its enum's place; each list's
// table is checked with it at compile time, so the enum and the table cannot
// drift apart.
template <typename Column, std::size_t N>
constexpr bool inColumnOrder(const ColumnSpec<Column> (&specs)[N])
{
    for (std::size_t i = 0; i < N; ++i) {
        if (std::size_t(specs[i].column) != i)
            return false;
    }
    return true;
}

// A list's columns, left to right, as the query reads them, the heading
// shows them and the view sizes them.
class ListColumns
{
public:
    template <typename Column, std::size_t N>
    explicit ListColumns(const ColumnSpec<Column> (&specs)[N])
    {
        for (const ColumnSpec<Column>& spec : specs) {
            m_fields << QString::fromUtf16(spec.field);
            m_headings << QString::fromUtf16(spec.heading);
            m_twips << spec.twips;
        }
    }

    int count() const { return int(m_fields.size()); }
    // The fields a row holds, in column order.
    const QStringList& fields() const { return m_fields; }
    const QStringList& headings() const { return m_headings; }
    const QList<int>& twips() const { return m_twips; }

private:
    QStringList m_fields;
    QStringList m_headings;
    QList<int> m_twips;
};

// The columns of a constant table of ColumnSpec rows, made once.
template <const auto& Specs> const ListColumns& listColumns()
{
    static const ListColumns columns(Specs);
    return columns;
}

} // namespace horunea
