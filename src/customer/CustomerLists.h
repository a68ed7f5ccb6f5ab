#pragma once

#include <QString>
#include <QStringList>

#include <vector>

namespace horunea {

class Database;
using ListRows = std::vector<QStringList>;

// The rows of the three customer lists, read from a query built of the list's
// pieces; each row holds the list's columns, left to right, Null as empty.

ListRows LoadUserRows(Database& db, const QString& sql);    // ユーザーID 表示名 自宅ＴＥＬ 会社ＴＥＬ E-MAIL
ListRows LoadSubjectRows(Database& db, const QString& sql); // 件名ID ユーザーID 登録日 表示名 件名 備考 判定
ListRows LoadLogRows(Database& db, const QString& sql);     // ログID 件名ID ユーザーID 登録日 記録者 ログ

// The fields of a user as the detail panel shows them, in panel order.
QStringList userDetailFields();

// One user's values for the detail panel (userDetailFields order); empty
// when no such user.
QStringList ReadUserDetail(Database& db, const QString& userId);

} // namespace horunea
