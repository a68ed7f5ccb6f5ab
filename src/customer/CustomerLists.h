#pragma once

#include "store/InputModeKind.h"
#include "store/ListColumns.h"
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

// Each list's columns: fields, headings and widths.
const ListColumns& userColumns();
const ListColumns& subjectColumns();
const ListColumns& logColumns();

// The rows of the three customer lists, read from a query built of the list's
// pieces; each row holds the list's columns, left to right, Null as empty.
ListRows LoadUserRows(Database& db, const SqlStatement& statement);
ListRows LoadSubjectRows(Database& db, const SqlStatement& statement);
ListRows LoadLogRows(Database& db, const SqlStatement& statement);

// What the user list's name column sorts by: each row's reading in dictionary
// order (ｶﾄｳ and かとう alike), the name itself where the user has no reading.
QStringList UserNameSortKeys(Database& db, const ListRows& rows);

// The 21 fields of a user, in the one order the detail panel, the editor,
// the storage, the transfer files and the previous version's files all hold
// them.
enum class UserField {
    Reading,
    Name,
    NameReading,
    UserName,
    HomeTel,
    HomeFax,
    HomeAddress,
    CompanyReading,
    Company,
    Department,
    CompanyTel,
    CompanyFax,
    CompanyAddress,
    Mail,
    Url,
    Remarks,
    Free1,
    Free2,
    Free3,
    Free4,
    Free5
};
constexpr int UserFieldCount = int(UserField::Free5) + 1;
constexpr int UserFreeFieldCount = int(UserField::Free5) - int(UserField::Free1) + 1;

// The user fields' names in the ユーザー table, in UserField order.
const QStringList& userDetailFields();
// How each user field is typed.
InputMode userFieldInput(UserField field);

// One user's values for the detail panel (userDetailFields order); empty
// when no such user. The key is checked before it goes into SQL text.
QStringList ReadUserDetail(Database& db, const QString& userId);

} // namespace horunea
