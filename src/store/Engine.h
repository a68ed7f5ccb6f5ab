#pragma once

// What an engine does for the store's face (Database, Transaction,
// ReadTransaction, BulkInsert): the face speaks Jet SQL and keeps the
// transactions' nesting; an engine runs the statements on its own kind of
// store. Two engines: a keyed SQLCipher file (store/sqlcipher) and a schema
// of the shop's PostgreSQL server (store/server); neither knows the other.
#include "store/Failure.h"
#include "store/JetDialect.h"
#include "store/Row.h"

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVarLengthArray>
#include <QVariant>

#include <functional>
#include <memory>
#include <span>
#include <string_view>

namespace horunea {

class ServerConnection;

// Field name -> value, in the order the fields are written. A null QVariant
// writes Null; a QString writes text (the empty string included).
using Fields = QList<QPair<QString, QVariant>>;

// Each row's named fields as the store holds them, UTF-8, valid during the
// visit only.
using TextCells = QVarLengthArray<std::string_view, 32>;

// A value of a row added in bulk: a number, or text as UTF-8 that stays
// valid until the row is added.
struct BulkValue
{
    BulkValue() : isText(false) {}
    BulkValue(qint64 n) : number(n), isText(false) {}
    BulkValue(std::string_view utf8) : text(utf8), isText(true) {}
    qint64 number = 0;
    std::string_view text;
    bool isText;
};

// Rows of one table and field list added one after another.
class BulkWriter
{
public:
    virtual ~BulkWriter() = default;
    virtual qint64 add(const QVariantList& values) = 0;
    virtual qint64 add(std::span<const BulkValue> values) = 0;
    // Writes what is waiting. Throws Failure.
    virtual void finish() = 0;
    // The writer closes: what is waiting is written, or, where nobody can be
    // told, a failure is kept for the transaction's commit to say.
    virtual void close() {}
};

class Engine
{
public:
    virtual ~Engine() = default;

    // Where the tables are: the file, or the server and schema.
    const QString& location() const { return m_location; }

    // The tables, and the names of tables and fields as the store spells
    // them, read again (after tables were made).
    virtual void refreshNames() = 0;
    const QStringList& tables() const { return m_tables; }
    const NameMap& names() const { return m_names; }
    // A table or field name as the store spells it; Failure for none.
    QString resolvedName(const QString& name) const;
    // A Jet statement as this engine runs it.
    virtual QString translate(const QString& jetSql) const = 0;

    virtual void forEachRow(const QString& sql, const QVariantList& params,
                            const std::function<void(const Row&)>& visit,
                            QStringList* columnNames) = 0;
    virtual void forEachTextRow(const QString& sql, const QStringList& fields,
                                const std::function<void(const TextCells&)>& visit,
                                const QVariantList& params) = 0;
    virtual int exec(const QString& sql, const QVariantList& params) = 0;
    virtual void execRaw(const QString& sql) = 0;
    virtual qint64 insert(const QString& table, const Fields& fields) = 0;
    virtual std::unique_ptr<BulkWriter> bulkWriter(const QString& table,
                                                   const QStringList& fields) = 0;

    // Holds the rows meeting a Jet condition until the transaction ends;
    // how many there are.
    enum class Hold { Update, Share };
    virtual int holdRows(const QString& table, const QString& condition, Hold hold) = 0;

    virtual bool inTransaction() const = 0;
    // A writer's transaction, and one view of the store for a reader.
    virtual void begin() = 0;
    virtual void beginRead() = 0;
    virtual void endRead() = 0;
    // Ends the transaction (an empty savepoint) or the savepoint; Failure
    // when it cannot, and then nothing of it was written.
    virtual void commit(const QString& savepoint) = 0;
    virtual void rollback(const QString& savepoint) = 0;
    virtual void savepoint(const QString& name);

    // The connection to the shop's server, where the engine has one. Null
    // for an engine that has none.
    virtual ServerConnection* serverConnection() const { return nullptr; }
    // Whether the engine tells of the changes other PCs make (ServerWatch).
    virtual bool tellsOfOtherPcs() const { return false; }

    [[noreturn]] static void fail(const QString& what, const QString& sql = QString());
    // Says that the values do not match the statement's places.
    [[noreturn]] static void failParameterCount(const QString& sql);

protected:
    QString m_location;
    NameMap m_names;
    QStringList m_tables;
};

} // namespace horunea
