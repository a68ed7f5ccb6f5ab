#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

namespace horunea {

class Database;
class Statement;
class ServerBatch;

// Adds many rows of one table with the same fields through one prepared
// statement: the bulk path of transfers and conversions.
class BulkInsert
{
public:
    BulkInsert(Database& db, const QString& table, const QStringList& fields);
    ~BulkInsert();
    BulkInsert(const BulkInsert&) = delete;
    BulkInsert& operator=(const BulkInsert&) = delete;
    // Adds one row, its values in the order of the fields; returns its key.
    qint64 add(const QVariantList& values);
    // The same for values at hand: numbers, and text as UTF-8 that stays
    // valid until add returns.
    struct Value
    {
        Value() : isText(false) {}
        Value(qint64 n) : number(n), isText(false) {}
        Value(std::string_view utf8) : text(utf8), isText(true) {}
        qint64 number = 0;
        std::string_view text;
        bool isText;
    };
    qint64 add(std::span<const Value> values);
    qint64 add(std::initializer_list<Value> values)
    {
        return add(std::span<const Value>(values.begin(), values.size()));
    }
    // Writes what is waiting now (on the server rows go in batches; the
    // rest go when the BulkInsert closes). Throws Failure.
    void finish();

private:
    Database* m_db;
    QString m_sql;
    std::unique_ptr<Statement> m_stmt;
    // On the server: the rows waiting to be sent, sent when the batch is
    // full and when the BulkInsert closes.
    std::unique_ptr<ServerBatch> m_batch;
    int m_exceptionsAtStart = 0;
};

} // namespace horunea
