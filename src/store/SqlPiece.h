#pragma once

#include <QString>
#include <QStringBuilder>
#include <QVariant>
#include <QVariantList>

#include <initializer_list>

namespace horunea {

// One piece of a list query: Jet SQL text and the values bound to the "?"
// placeholders it holds, left to right. Keys and fixed words go into the
// text; anything a user typed travels as a value.
struct SqlPiece
{
    QString text;
    QVariantList params;

    SqlPiece() = default;
    SqlPiece(QString sqlText, QVariantList values = {})
        : text(std::move(sqlText)), params(std::move(values))
    {}
    SqlPiece(const char16_t* sqlText) : text(QString::fromUtf16(sqlText)) {}
    template <typename A, typename B> SqlPiece(const QStringBuilder<A, B>& sqlText) : text(sqlText)
    {}

    bool isEmpty() const { return text.isEmpty(); }
    void clear()
    {
        text.clear();
        params.clear();
    }
    bool operator==(const SqlPiece& other) const = default;
};

// A whole statement: the pieces concatenated with nothing between them, and
// their values in the same order.
struct SqlStatement
{
    QString sql;
    QVariantList params;

    SqlStatement() = default;
    // A statement of fixed text alone.
    SqlStatement(QString text, QVariantList values = {})
        : sql(std::move(text)), params(std::move(values))
    {}
};

inline SqlStatement joinPieces(std::initializer_list<const SqlPiece*> pieces)
{
    SqlStatement statement;
    for (const SqlPiece* piece : pieces) {
        statement.sql += piece->text;
        statement.params += piece->params;
    }
    return statement;
}

} // namespace horunea
