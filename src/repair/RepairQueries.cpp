#include "repair/RepairQueries.h"

#include "store/Database.h"
#include "store/Failure.h"
#include "store/StateFilter.h"

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

namespace {

constexpr ColumnSpec<RepairColumn> RepairColumns[] = {
    {RepairColumn::Id, u"修理ID", u"修理ID", 800},
    {RepairColumn::State, u"判定", u"判定", 700},
    {RepairColumn::Accepted, u"受付日", u"受付日", 1600},
    {RepairColumn::Customer, u"お客様名", u"お客様", 1800},
    {RepairColumn::Company, u"会社名", u"会社", 2200},
    {RepairColumn::CompanyTel, u"会社TEL", u"会社TEL", 1500},
    {RepairColumn::HomeTel, u"自宅TEL", u"自宅TEL", 1500},
    {RepairColumn::Maker, u"メーカー名", u"ﾒｰｶｰ", 1500},
    {RepairColumn::Model, u"型番", u"型番", 1500},
    {RepairColumn::Serial, u"シリアル", u"ｼﾘｱﾙNo", 1500},
    {RepairColumn::Person, u"担当者", u"担当者", 1200},
};
static_assert(inColumnOrder(RepairColumns));

constexpr ColumnSpec<UnpaidColumn> UnpaidColumns[] = {
    {UnpaidColumn::Id, u"修理ID", u"修理ID", 800},
    {UnpaidColumn::State, u"判定", u"判定", 700},
    {UnpaidColumn::Accepted, u"受付日", u"受付日", 1600},
    {UnpaidColumn::Customer, u"お客様名", u"お客様", 1800},
    {UnpaidColumn::Company, u"会社名", u"会社", 2200},
    {UnpaidColumn::CompanyTel, u"会社TEL", u"会社TEL", 1500},
    {UnpaidColumn::HomeTel, u"自宅TEL", u"自宅TEL", 1500},
    {UnpaidColumn::Person, u"担当者", u"担当者", 1200},
    {UnpaidColumn::Paid, u"有償無償", u"有無償", 900},
    {UnpaidColumn::Cost, u"仕切", u"仕切", 1000},
    {UnpaidColumn::Price, u"売値", u"売値", 1000},
    {UnpaidColumn::Payment, u"入金", u"集金", 800},
};
static_assert(inColumnOrder(UnpaidColumns));

constexpr ColumnSpec<RepairLogColumn> RepairLogColumns[] = {
    {RepairLogColumn::Id, u"修理ログID", u"修理ログID", 1100},
    {RepairLogColumn::RepairId, u"修理ID", u"修理ID", 900},
    {RepairLogColumn::Date, u"記録日", u"記録日", 1600},
    {RepairLogColumn::Recorder, u"記録者", u"記録者", 1400},
    {RepairLogColumn::Text, u"ログ", u"ログ", 6000},
};
static_assert(inColumnOrder(RepairLogColumns));

} // namespace

const ListColumns& repairColumns()
{
    return listColumns<RepairColumns>();
}

const ListColumns& unpaidColumns()
{
    return listColumns<UnpaidColumns>();
}

const ListColumns& repairLogColumns()
{
    return listColumns<RepairLogColumns>();
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
        throw Failure(u"修理データではユーザー・件名・ログを検索できません。"_qs);
    }
}

} // namespace horunea
