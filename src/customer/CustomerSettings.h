#pragma once

#include "customer/CustomerQueries.h"

#include "store/SettingsRow.h"

#include <QStringList>

namespace horunea {

class Database;

// The clause each stored sort choice gives; a value that matches no entry
// (7, Null, text) gives entry 0.
QString userOrderClause(const QString& stored);
QString subjectOrderClause(const QString& stored);
QString logOrderClause(const QString& stored);

// Reads 並べ01 … 並べ06 of the settings row and builds the six sort pieces.
CustomerSortClauses BuildCustomerSortClauses(Database& db);

// The captions of 自由項目01 … 自由項目05 from 項目01 … 項目05 (Null as empty).
QStringList CustomerFieldCaptions(Database& db);

} // namespace horunea
