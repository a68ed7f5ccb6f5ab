#pragma once

#include "store/RowChange.h"

#include "store/TextRow.h"

#include <QStringList>

#include <optional>

namespace horunea {

class Database;

// The fields of a maker (修理先) in window order: メーカー名 住所 TEL FAX E-MAIL
// 担当者 処理方法 決済方法 備考.
QStringList makerFields();

// "Select * From 修理先 ORDER BY メーカー名": 修理先ID and メーカー名.
ListRows LoadMakerList(Database& db);
std::optional<QStringList> ReadMaker(Database& db, const QString& makerId);
// Empty fields are left Null.
qint64 AddMaker(Database& db, const QStringList& values);
// Every field is written, an emptied one as empty text; false when the maker is gone.
bool UpdateMaker(Database& db, const QString& makerId, const QStringList& values);
// The fields that differ from `read` (as ReadMaker gave it), written only
// while the maker is still as read; else *stored gets it as it is now. An
// untouched Null field stays Null; one the user emptied becomes empty text.
ChangeOutcome ChangeMaker(Database& db, const QString& makerId, const QStringList& read,
                          const QStringList& values, QStringList* stored = nullptr);
bool DeleteMaker(Database& db, const QString& makerId);

// The own-company row (自社ID 1): 自社名 自社住所 自社TEL 自社FAX 自社MAIL 自社URL.
QStringList ownCompanyFields();
QStringList LoadOwnCompany(Database& db);
void SaveOwnCompany(Database& db, const QStringList& values);
// The same against the row as `read` (LoadOwnCompany's).
ChangeOutcome ChangeOwnCompany(Database& db, const QStringList& read, const QStringList& values,
                               QStringList* stored = nullptr);

} // namespace horunea
