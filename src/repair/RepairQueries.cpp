#include "repair/RepairQueries.h"

namespace horunea {

QString RepairListQuery::initialRepairSelect()
{
    return u"SELECT 修理ID,判定,受付日,お客様名,会社名,会社TEL,自宅TEL,メーカー名,型番,シリアル,担当者 "
           u"FROM 修理"_qs;
}

QString RepairListQuery::initialUnpaidSelect()
{
    return u"SELECT 修理ID,判定,受付日,お客様名,会社名,会社TEL,自宅TEL,担当者 "_qs +
           u",有償無償,仕切,売値,入金 FROM 修理 WHERE 入金='未入'"_qs;
}

QString RepairListQuery::initialRepairLogSelect()
{
    return u"SELECT * FROM 修理ログ"_qs;
}

QString RepairListQuery::repairSql() const
{
    return RepairSelect + RepairSearchClause + RepairWhereWord + RepairFilterClause +
           RepairOrderBy + RepairOrderDesc;
}

QString RepairListQuery::unpaidSql() const
{
    return UnpaidSelect + UnpaidSearchClause + UnpaidOrderBy + UnpaidOrderDesc;
}

QString RepairListQuery::repairLogSql() const
{
    return RepairLogSelect + RepairLogWhere + RepairLogOrderBy + RepairLogOrderDesc;
}

void RepairListQuery::setSortClauses(const RepairSortClauses& sort)
{
    RepairOrderBy = sort.RepairOrderBy;
    RepairOrderDesc = sort.RepairOrderDesc;
    UnpaidOrderBy = sort.UnpaidOrderBy;
    UnpaidOrderDesc = sort.UnpaidOrderDesc;
    RepairLogOrderBy = sort.RepairLogOrderBy;
    RepairLogOrderDesc = sort.RepairLogOrderDesc;
}

QString RepairListQuery::ApplyRepairFilter()
{
    RepairSearchClause.clear();
    RepairWhereWord = u" WHERE"_qs;
    RepairFilterClause.clear();
    if (RepairFilter == u"完了") {
        RepairFilterClause = u" 判定 = '完了'"_qs;
        return u"終了した修理"_qs;
    }
    if (RepairFilter == u"全て") {
        RepairWhereWord.clear();
        return u"全ての修理"_qs;
    }
    RepairFilterClause = u" 判定 = '続行'"_qs;
    return u"終了していない修理"_qs;
}

void RepairListQuery::emptyRepairLogQuery()
{
    RepairLogSelect = initialRepairLogSelect();
    RepairLogWhere = u" WHERE 修理ID = 0"_qs;
}

QStringList repairListHeaders()
{
    return {u"修理ID"_qs,  u"判定"_qs,    u"受付日"_qs, u"お客様"_qs, u"会社"_qs,   u"会社TEL"_qs,
            u"自宅TEL"_qs, u"ﾒｰｶｰ"_qs, u"型番"_qs,   u"ｼﾘｱﾙNo"_qs, u"担当者"_qs};
}

QStringList unpaidListHeaders()
{
    return {u"修理ID"_qs,  u"判定"_qs,   u"受付日"_qs, u"お客様"_qs, u"会社"_qs, u"会社TEL"_qs,
            u"自宅TEL"_qs, u"担当者"_qs, u"有無償"_qs, u"仕切"_qs,   u"売値"_qs, u"集金"_qs};
}

QStringList repairLogListHeaders()
{
    return {u"修理ログID"_qs, u"修理ID"_qs, u"記録日"_qs, u"記録者"_qs, u"ログ"_qs};
}

} // namespace horunea
