#include "customer/CustomerLists.h"

#include "store/Database.h"

namespace horunea {

namespace {

ListRows loadRows(Database& db, const QString& sql, const QStringList& fields)
{
    ListRows rows;
    QList<int> columns;
    db.forEachRow(sql, {}, [&](const Row& row) {
        if (columns.isEmpty()) {
            for (const QString& f : fields)
                columns << row.columns().indexOf(f);
        }
        QStringList cells;
        cells.reserve(columns.size());
        for (int c : columns)
            cells << (c < 0 ? QString() : row.text(c));
        rows.push_back(std::move(cells));
    });
    return rows;
}

} // namespace

ListRows LoadUserRows(Database& db, const QString& sql)
{
    return loadRows(db, sql,
                    {u"ユーザーID"_qs, u"表示名"_qs, u"自宅ＴＥＬ"_qs, u"会社ＴＥＬ"_qs, u"E-MAIL"_qs});
}

ListRows LoadSubjectRows(Database& db, const QString& sql)
{
    return loadRows(db, sql,
                    {u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"表示名"_qs, u"件名"_qs,
                     u"備考"_qs, u"判定"_qs});
}

ListRows LoadLogRows(Database& db, const QString& sql)
{
    return loadRows(db, sql,
                    {u"ログID"_qs, u"件名ID"_qs, u"ユーザーID"_qs, u"登録日"_qs, u"記録者"_qs,
                     u"ログ"_qs});
}

QStringList userDetailFields()
{
    return {u"表示ふりがな"_qs, u"表示名"_qs,     u"ユーザー名ふりがな"_qs, u"ユーザー名"_qs,
            u"自宅ＴＥＬ"_qs,   u"自宅ＦＡＸ"_qs, u"自宅住所"_qs,           u"会社名ふりがな"_qs,
            u"会社名"_qs,       u"部署"_qs,       u"会社ＴＥＬ"_qs,         u"会社ＦＡＸ"_qs,
            u"会社住所"_qs,     u"E-MAIL"_qs,     u"URL"_qs,                u"備考"_qs,
            u"自由項目01"_qs,   u"自由項目02"_qs, u"自由項目03"_qs,         u"自由項目04"_qs,
            u"自由項目05"_qs};
}

QStringList ReadUserDetail(Database& db, const QString& userId)
{
    const ResultSet result = db.query(u"Select * From ユーザー Where ユーザーID = "_qs + userId);
    if (result.isEmpty())
        return {};
    QStringList values;
    for (const QString& field : userDetailFields())
        values << result.first().text(field);
    return values;
}

} // namespace horunea
