#include "customer/CustomerLists.h"

#include "store/Database.h"
#include "store/TextForms.h"

#include <QHash>

namespace horunea {

QStringList userRowFields()
{
    return {u"ユーザーID"_qs, u"表示名"_qs, u"自宅ＴＥＬ"_qs, u"会社ＴＥＬ"_qs, u"E-MAIL"_qs};
}

QStringList subjectRowFields()
{
    return {u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"表示名"_qs,
            u"件名"_qs,   u"備考"_qs,       u"判定"_qs};
}

QStringList logRowFields()
{
    return {u"ログID"_qs, u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"記録者"_qs, u"ログ"_qs};
}

ListRows LoadUserRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, userRowFields(), statement.params);
}

ListRows LoadSubjectRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, subjectRowFields(), statement.params);
}

ListRows LoadLogRows(Database& db, const SqlStatement& statement)
{
    return db.textRows(statement.sql, logRowFields(), statement.params);
}

QStringList UserNameSortKeys(Database& db, const ListRows& rows)
{
    QHash<QString, QString> readings;
    const ListRows all = db.textRows(u"Select ユーザーID, 表示ふりがな From ユーザー"_qs,
                                     {u"ユーザーID"_qs, u"表示ふりがな"_qs});
    readings.reserve(qsizetype(all.size()));
    for (const TextRow& row : all)
        readings.insert(row.value(0), readingSortKey(row.value(1)));
    QStringList keys;
    keys.reserve(qsizetype(rows.size()));
    for (const TextRow& row : rows) {
        const QString reading = readings.value(row.value(int(UserColumn::Id)));
        keys << (reading.isEmpty() ? readingSortKey(row.value(int(UserColumn::Name))) : reading);
    }
    return keys;
}

QStringList userDetailFields()
{
    return {u"表示ふりがな"_qs, u"表示名"_qs,         u"ユーザー名ふりがな"_qs,
            u"ユーザー名"_qs,   u"自宅ＴＥＬ"_qs,     u"自宅ＦＡＸ"_qs,
            u"自宅住所"_qs,     u"会社名ふりがな"_qs, u"会社名"_qs,
            u"部署"_qs,         u"会社ＴＥＬ"_qs,     u"会社ＦＡＸ"_qs,
            u"会社住所"_qs,     u"E-MAIL"_qs,         u"URL"_qs,
            u"備考"_qs,         u"自由項目01"_qs,     u"自由項目02"_qs,
            u"自由項目03"_qs,   u"自由項目04"_qs,     u"自由項目05"_qs};
}

QStringList ReadUserDetail(Database& db, const QString& userId)
{
    const ResultSet result =
        db.query(u"Select * From ユーザー Where ユーザーID = "_qs + checkedKey(userId));
    if (result.isEmpty())
        return {};
    QStringList values;
    for (const QString& field : userDetailFields())
        values << result.first().text(field);
    return values;
}

} // namespace horunea
