#pragma once

#include "customer/CustomerQueries.h"

#include "store/Database.h"

#include <QStringList>

#include <array>

namespace horunea {

class Database;

// The settings row ("SELECT * FROM 設定 WHERE 設定ID = 1") of an account
// database; StoreError when it is missing.
ResultSet ReadSettingsRow(Database& db);
// The entry a stored sort choice selects: compared as text with 1, 2, 3 …;
// a value that matches no entry selects entry 0.
QString sortChoice(const QString& stored, const QStringList& clauses);
// The captions of the free fields 項目01 … from the settings row.
QStringList fieldCaptions(Database& db, int count);

// The clause each stored sort choice gives; a value that matches no entry
// (7, Null, text) gives entry 0.
QString userOrderClause(const QString& stored);
QString subjectOrderClause(const QString& stored);
QString logOrderClause(const QString& stored);
QString orderDirection(const QString& stored); // " DESC" for 1, else empty

// The six sort pieces of an account database's three lists, from 並べ01 …
// 並べ06 of its settings row: each list's clause by its choice table, then
// its direction.
using OrderClause = QString (*)(const QString& stored);
std::array<QString, 6> sortPieces(Database& db, const std::array<OrderClause, 3>& lists);

// Reads 並べ01 … 並べ06 of the settings row and builds the six sort pieces.
CustomerSortClauses BuildCustomerSortClauses(Database& db);

// The captions of 自由項目01 … 自由項目05 from 項目01 … 項目05 (Null as empty).
QStringList CustomerFieldCaptions(Database& db);

} // namespace horunea
