#include "repair/RepairQueries.h"

#include "store/Database.h"
#include "store/StateFilter.h"
#include "store/StoreError.h"

namespace horunea {

QString RepairListQuery::initialRepairSelect()
{
    return u"SELECT "
           u"修理ID,判定,受付日,お客様名,会社名,会社TEL,自宅TEL,メーカー名,型番,シリアル,担当者 "
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

SqlStatement RepairListQuery::repairStatement() const
{
    return joinPieces({&RepairSelect, &RepairSearchClause, &RepairWhereWord, &RepairFilterClause,
                       &RepairOrderBy, &RepairOrderDesc});
}

SqlStatement RepairListQuery::unpaidStatement() const
{
    return joinPieces({&UnpaidSelect, &UnpaidSearchClause, &UnpaidOrderBy, &UnpaidOrderDesc});
}

SqlStatement RepairListQuery::repairLogStatement() const
{
    return joinPieces({&RepairLogSelect, &RepairLogWhere, &RepairLogOrderBy, &RepairLogOrderDesc});
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
    RepairWhereWord = u" WHERE";
    bool all = false;
    RepairFilterClause = stateCondition(u"判定"_qs, RepairFilter, &all);
    if (all) {
        RepairWhereWord.clear();
        return u"全ての修理"_qs;
    }
    return RepairFilter == u"完了" ? u"終了した修理"_qs : u"終了していない修理"_qs;
}

void RepairListQuery::emptyRepairLogQuery()
{
    RepairLogSelect = initialRepairLogSelect();
    RepairLogWhere = u" WHERE 修理ID = 0";
}

void RepairListQuery::showLogsOf(const QString& repairId)
{
    RepairLogWhere = u" WHERE 修理ID ="_qs + checkedKey(repairId);
}

QStringList repairListHeaders()
{
    return {u"修理ID"_qs,  u"判定"_qs, u"受付日"_qs, u"お客様"_qs, u"会社"_qs,  u"会社TEL"_qs,
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

void applySearch(RepairListQuery& query, const SearchRequest& request)
{
    const SqlPiece clause = searchClause(request);
    switch (request.kind) {
    case SearchKind::Repairs:
        query.RepairSearchClause = clause;
        query.RepairWhereWord.clear();
        query.RepairFilterClause.clear();
        return;
    case SearchKind::Unpaid:
        query.UnpaidSearchClause = clause;
        return;
    case SearchKind::RepairLogs:
        query.RepairLogWhere = clause;
        return;
    default:
        throw StoreError(u"修理データではユーザー・件名・ログを検索できません。"_qs);
    }
}

} // namespace horunea
