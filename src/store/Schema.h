#pragma once

#include "store/Database.h"
#include "store/DatabaseKind.h"

#include <QList>
#include <QString>

#include <utility>

namespace horunea {

class Database;

enum class ColumnType {
    Counter,   // key assigned by the store, rising, never reused
    OneRowKey, // key of a one-row table; its row holds 1
    Integer,
    // A whole number as the user typed it (a margin, a sort choice): the
    // files keep what is not one ("２００") as the text it is, and so does the
    // server, whose column is text.
    TypedNumber,
    Text,
};

struct ColumnDef
{
    QString name;
    ColumnType type;
};

struct TableDef
{
    QString name;
    QList<ColumnDef> columns;

    QString keyName() const { return columns.first().name; }
    QString createStatement() const;
};

// Every table of a kind of file, in the order the files declare them.
const QList<TableDef>& tablesOf(DatabaseKind kind);

// The rows a new database of a kind starts with, table by table: the
// administrator, the settings row, the own company's row.
QList<std::pair<QString, Fields>> shippedRows(DatabaseKind kind);

// Creates the tables of a kind in an empty database and fills the one-row
// tables with their shipped content, in one transaction.
void createSchema(Database& db, DatabaseKind kind);

// The indexes the lists are read by: made in new files, and added to older
// files when they are opened (a file with them still opens in a build that
// does not know them).
struct IndexDef
{
    QString name, table, column;
};
const QList<IndexDef>& storeIndexes();
// Makes the indexes whose table the file holds and that it lacks.
void createIndexes(Database& db);

// The shipped administrator name.
QString shippedAdministratorName();

} // namespace horunea
