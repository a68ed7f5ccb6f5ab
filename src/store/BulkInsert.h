#pragma once

#include "store/Engine.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <initializer_list>
#include <memory>
#include <span>
#include <string_view>

namespace horunea {

class Database;

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
    using Value = BulkValue;
    qint64 add(std::span<const Value> values);
    qint64 add(std::initializer_list<Value> values)
    {
        return add(std::span<const Value>(values.begin(), values.size()));
    }
    // Writes what is waiting now (on the server rows go in batches; the
    // rest go when the BulkInsert closes). Throws Failure.
    void finish();

private:
    // On the server rows go in batches: sent when a batch is full and when
    // the BulkInsert closes.
    std::unique_ptr<BulkWriter> m_writer;
    int m_exceptionsAtStart = 0;
};

} // namespace horunea
