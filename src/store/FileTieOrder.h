#pragma once

#include "store/DatabaseKind.h"

#include <QList>
#include <QString>

namespace horunea {

// One step of the order in which the files give a statement's rows.
struct TieTerm
{
    QString table; // as the statement names it (its alias, if it has one)
    QString column;
    bool descending = false;
};

// The order in which the files give the rows of a statement that read
// several tables, where its ORDER BY leaves them tied: the engine reads them
// loop within loop, each table's rows in the order its loop takes them (an
// index's order, then the key's), and keeps that order among rows that sort
// alike. Found from the engine's own plan of the statement over the kind's
// tables and indexes (an empty in-memory database: the files keep no
// statistics, so the plan depends on the schema alone). sqliteSql is the
// statement as the files run it; descendingFirst: its first ORDER BY term
// goes down. Empty when the plan cannot be had.
QList<TieTerm> fileTieOrder(DatabaseKind kind, const QString& sqliteSql, bool descendingFirst);

} // namespace horunea
