#include "settings/RepairSettings.h"

#include "settings/CustomerSettings.h"
#include "store/Database.h"

namespace horunea {

namespace {

QString choose(const QString& stored, const QStringList& clauses)
{
    for (int i = 1; i < clauses.size(); ++i)
        if (stored == QString::number(i))
            return clauses[i];
    return clauses.first();
}

QStringList orderBy(std::initializer_list<const char16_t*> columns)
{
    QStringList clauses;
    for (const char16_t* c : columns)
        clauses << u" ORDER BY "_qs + QString::fromUtf16(c);
    return clauses;
}

ResultSet settingsRow(Database& db)
{
    const ResultSet row = db.query(u"SELECT * FROM 設定 WHERE 設定ID = 1"_qs);
    if (row.isEmpty())
        throw StoreError(u"設定の行がありません。"_qs);
    return row;
}

} // namespace

QString repairOrderClause(const QString& stored)
{
    static const QStringList clauses = orderBy({u"受付日", u"お客様名", u"会社名", u"会社TEL",
                                                u"自宅TEL", u"ﾒｰｶｰ名", u"型番", u"ｼﾘｱﾙ",
                                                u"担当者"});
    return choose(stored, clauses);
}

QString unpaidOrderClause(const QString& stored)
{
    static const QStringList clauses =
        orderBy({u"受付日", u"お客様名", u"会社名", u"会社TEL", u"自宅TEL", u"担当者",
                 u"有償無償", u"仕切", u"売値", u"入金"});
    return choose(stored, clauses);
}

QString repairLogOrderClause(const QString& stored)
{
    static const QStringList clauses = orderBy({u"記録日", u"記録者", u"ログ"});
    return choose(stored, clauses);
}

RepairSortClauses BuildRepairSortClauses(Database& db)
{
    const ResultSet result = settingsRow(db);
    const Row row = result.first();
    RepairSortClauses sort;
    sort.RepairOrderBy = repairOrderClause(row.text(u"並べ01"_qs));
    sort.RepairOrderDesc = orderDirection(row.text(u"並べ02"_qs));
    sort.UnpaidOrderBy = unpaidOrderClause(row.text(u"並べ03"_qs));
    sort.UnpaidOrderDesc = orderDirection(row.text(u"並べ04"_qs));
    sort.RepairLogOrderBy = repairLogOrderClause(row.text(u"並べ05"_qs));
    sort.RepairLogOrderDesc = orderDirection(row.text(u"並べ06"_qs));
    return sort;
}

QStringList RepairFieldCaptions(Database& db)
{
    const ResultSet result = settingsRow(db);
    QStringList captions;
    for (int i = 1; i <= 3; ++i)
        captions << result.first().text(QStringLiteral("項目%1").arg(i, 2, 10, QLatin1Char('0')));
    return captions;
}

} // namespace horunea
