#pragma once

#include <QString>
#include <QStringList>

#include <array>

namespace horunea {

class Database;
class ResultSet;

// The settings row ("SELECT * FROM 設定 WHERE 設定ID = 1") of an account
// database; Failure when it is missing.
ResultSet ReadSettingsRow(Database& db);
// The entry a stored sort choice selects: compared as text with 1, 2, 3 …;
// a value that matches no entry selects entry 0.
QString sortChoice(const QString& stored, const QStringList& clauses);
// The captions of the free fields 項目01 … from the settings row.
QStringList fieldCaptions(Database& db, int count);

QString orderDirection(const QString& stored); // " DESC" for 1, else empty

// The six sort pieces of an account database's three lists, from 並べ01 …
// 並べ06 of its settings row: each list's clause by its choice table, then
// its direction.
using OrderClause = QString (*)(const QString& stored);
std::array<QString, 6> sortPieces(Database& db, const std::array<OrderClause, 3>& lists);

} // namespace horunea
