#include "repair/RepairSettings.h"

#include "store/Database.h"
#include "store/SettingsRow.h"

namespace horunea {

namespace {

QStringList orderBy(std::initializer_list<const char16_t*> columns)
{
    QStringList clauses;
    for (const char16_t* c : columns)
        clauses << u" ORDER BY "_qs + QString::fromUtf16(c);
    return clauses;
}

} // namespace

QString repairOrderClause(const QString& stored)
{
    static const QStringList clauses =
        orderBy({u"受付日", u"お客様名", u"会社名", u"会社TEL", u"自宅TEL", u"ﾒｰｶｰ名", u"型番",
                 u"ｼﾘｱﾙ", u"担当者"});
    return sortChoice(stored, clauses);
}

QString unpaidOrderClause(const QString& stored)
{
    static const QStringList clauses =
        orderBy({u"受付日", u"お客様名", u"会社名", u"会社TEL", u"自宅TEL", u"担当者", u"有償無償",
                 u"仕切", u"売値", u"入金"});
    return sortChoice(stored, clauses);
}

QString repairLogOrderClause(const QString& stored)
{
    static const QStringList clauses = orderBy({u"記録日", u"記録者", u"ログ"});
    return sortChoice(stored, clauses);
}

RepairSortClauses BuildRepairSortClauses(Database& db)
{
    const auto p = sortPieces(db, {repairOrderClause, unpaidOrderClause, repairLogOrderClause});
    return {p[0], p[1], p[2], p[3], p[4], p[5]};
}

QStringList RepairFieldCaptions(Database& db)
{
    return fieldCaptions(db, 3);
}

} // namespace horunea
