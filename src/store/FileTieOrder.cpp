#include "store/FileTieOrder.h"

#include "store/Schema.h"
#include "store/sqlcipher/Statement.h"

#include <QHash>
#include <QRegularExpression>

#include <memory>

namespace horunea {

namespace {

struct CloseDatabase
{
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};

// An empty database of the kind's tables and indexes, with the functions
// the files' statements call; one a thread and kind.
sqlite3* planner(DatabaseKind kind)
{
    thread_local QHash<int, std::shared_ptr<sqlite3>> made;
    if (const auto found = made.find(int(kind)); found != made.end())
        return found->get();
    sqlite3* raw = nullptr;
    if (sqlite3_open_v2(":memory:", &raw, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE, nullptr) !=
        SQLITE_OK) {
        sqlite3_close(raw);
        return nullptr;
    }
    std::shared_ptr<sqlite3> db(raw, CloseDatabase());
    registerJetFunctions(raw);
    QStringList tables;
    for (const TableDef& table : tablesOf(kind)) {
        sqlite3_exec(raw, table.createStatement().toUtf8().constData(), nullptr, nullptr, nullptr);
        tables << table.name;
    }
    for (const IndexDef& index : storeIndexes()) {
        if (!tables.contains(index.table))
            continue;
        const QString sql = QStringLiteral("CREATE INDEX \"%1\" ON \"%2\" (\"%3\")")
                                .arg(index.name, index.table, index.column);
        sqlite3_exec(raw, sql.toUtf8().constData(), nullptr, nullptr, nullptr);
    }
    made.insert(int(kind), db);
    return raw;
}

// The lines of the engine's plan, in order.
QStringList planOf(sqlite3* db, const QString& sql)
{
    sqlite3_stmt* statement = nullptr;
    const QByteArray text = (u"EXPLAIN QUERY PLAN "_qs + sql).toUtf8();
    if (sqlite3_prepare_v2(db, text.constData(), int(text.size()), &statement, nullptr) !=
        SQLITE_OK) {
        sqlite3_finalize(statement);
        return {};
    }
    QStringList lines;
    const int detail = sqlite3_column_count(statement) - 1;
    while (sqlite3_step(statement) == SQLITE_ROW)
        lines << QString::fromUtf8(
            reinterpret_cast<const char*>(sqlite3_column_text(statement, detail)));
    sqlite3_finalize(statement);
    return lines;
}

} // namespace

QList<TieTerm> fileTieOrder(DatabaseKind kind, const QString& sqliteSql, bool descendingFirst)
{
    sqlite3* db = planner(kind);
    if (!db)
        return {};
    const QStringList plan = planOf(db, sqliteSql);
    if (plan.isEmpty())
        return {};
    QHash<QString, QString> keys, indexColumns;
    for (const TableDef& table : tablesOf(kind))
        if (table.columns.first().type == ColumnType::Counter)
            keys.insert(table.name, table.keyName());
    for (const IndexDef& index : storeIndexes())
        indexColumns.insert(index.name, index.column);
    // "SCAN TABLE t [AS a] [USING [COVERING] INDEX i [(…)]]", "SEARCH …"; newer
    // engines leave out "TABLE".
    static const QRegularExpression loop(
        u"^(SCAN|SEARCH) (?:TABLE )?(\\S+)(?: AS (\\S+))?(?: USING (?:COVERING )?INDEX "
        u"(\\S+)(?: \\((.*)\\))?| USING INTEGER PRIMARY KEY.*)?"_qs);
    // The rows come in the loops' order unless the engine sorts them; when
    // it does not, the first loop reads its index backwards for a DESC.
    bool sorted = false;
    for (const QString& line : plan)
        sorted = sorted || line.contains(u"TEMP B-TREE FOR ORDER BY"_qs);
    QList<TieTerm> terms;
    bool first = true;
    for (const QString& line : plan) {
        const QRegularExpressionMatch m = loop.match(line);
        if (!m.hasMatch())
            continue;
        const QString table = m.captured(2);
        const QString named = m.captured(3).isEmpty() ? table : m.captured(3);
        const bool backwards = first && !sorted && descendingFirst;
        first = false;
        // One row a turn (by the key), or a table of one row: nothing to order.
        if (line.contains(u"INTEGER PRIMARY KEY"_qs) || !keys.contains(table))
            continue;
        const QString index = m.captured(4), constraint = m.captured(5);
        if (!index.isEmpty()) {
            const QString column = indexColumns.value(index);
            // An index searched for one value gives its rows in key order.
            const bool oneValue = constraint.contains(u"=?"_qs) && !constraint.contains(u'<') &&
                                  !constraint.contains(u'>');
            if (!column.isEmpty() && !oneValue)
                terms << TieTerm{named, column, backwards};
        }
        terms << TieTerm{named, keys.value(table), backwards};
    }
    return terms;
}

} // namespace horunea
