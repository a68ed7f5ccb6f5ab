#pragma once

#include "store/SqlPiece.h"
#include "store/TextRow.h"

#include <QString>
#include <QStringList>

#include <vector>

namespace horunea {

class Database;

// The columns of the three customer lists, left to right.
enum class UserColumn { Id, Name, HomeTel, CompanyTel, Mail };
enum class SubjectColumn { Id, UserId, Date, UserName, Title, Remarks, State };
enum class LogColumn { Id, SubjectId, UserId, Date, Recorder, Text };

// The rows of the three customer lists, read from a query built of the list's
// pieces; each row holds the list's columns, left to right, Null as empty.
ListRows LoadUserRows(Database& db, const SqlStatement& statement);
// The fields each list's rows hold, in column order.
QStringList userRowFields();
QStringList subjectRowFields();
QStringList logRowFields();
ListRows LoadSubjectRows(Database& db, const SqlStatement& statement);
ListRows LoadLogRows(Database& db, const SqlStatement& statement);

// What the user list's name column sorts by: each row's reading in dictionary
// order (ｶﾄｳ and かとう alike), the name itself where the user has no reading.
QStringList UserNameSortKeys(Database& db, const ListRows& rows);

// The fields of a user as the detail panel shows them, in panel order.
QStringList userDetailFields();
enum class DetailField { Reading = 0, Name = 1, Mail = 13, Url = 14, Remarks = 15, FirstFree = 16 };

// One user's values for the detail panel (userDetailFields order); empty
// when no such user. The key is checked before it goes into SQL text.
QStringList ReadUserDetail(Database& db, const QString& userId);

} // namespace horunea
