#pragma once

#include "repair/RepairQueries.h"
#include "store/SettingsRow.h"

#include <QStringList>

namespace horunea {

class Database;

QString repairOrderClause(const QString& stored);
QString unpaidOrderClause(const QString& stored);
QString repairLogOrderClause(const QString& stored);

// Reads 並べ01 … 並べ06 of the settings row and builds the six sort pieces.
RepairSortClauses BuildRepairSortClauses(Database& db);

// The captions of 自由項目01 … 自由項目03 from 項目01 … 項目03 (Null as empty).
QStringList RepairFieldCaptions(Database& db);

} // namespace horunea
