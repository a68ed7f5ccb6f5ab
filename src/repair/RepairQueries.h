#pragma once

#include "store/ListColumns.h"
#include "store/SearchConditions.h"
#include "store/SqlPiece.h"

#include <QString>
#include <QStringList>

namespace horunea {

// The sort pieces of the three repair lists, from the settings row.
struct RepairSortClauses
{
    QString RepairOrderBy, RepairOrderDesc;
    QString UnpaidOrderBy, UnpaidOrderDesc;
    QString RepairLogOrderBy, RepairLogOrderDesc;
};

// The pieces that drive the repair window's lists; each query is its pieces
// concatenated with nothing between them, a piece's bound values in order.
struct RepairListQuery
{
    SqlPiece RepairSelect = initialRepairSelect();
    SqlPiece RepairSearchClause;
    SqlPiece RepairWhereWord = u" WHERE";
    SqlPiece RepairFilterClause = u" 判定 = '続行'"; // as ApplyRepairFilter leaves it for 続行
    QString RepairFilter = u"続行"_qs;
    SqlPiece RepairOrderBy, RepairOrderDesc;

    SqlPiece UnpaidSelect = initialUnpaidSelect();
    SqlPiece UnpaidSearchClause;
    SqlPiece UnpaidOrderBy, UnpaidOrderDesc;

    SqlPiece RepairLogSelect = initialRepairLogSelect();
    SqlPiece RepairLogWhere = u" WHERE 修理ログID = 0";
    SqlPiece RepairLogOrderBy, RepairLogOrderDesc;

    static QString initialRepairSelect();
    static QString initialUnpaidSelect();
    static QString initialRepairLogSelect();

    SqlStatement repairStatement() const;
    SqlStatement unpaidStatement() const;
    SqlStatement repairLogStatement() const;
    QString repairSql() const { return repairStatement().sql; }
    QString unpaidSql() const { return unpaidStatement().sql; }
    QString repairLogSql() const { return repairLogStatement().sql; }

    void setSortClauses(const RepairSortClauses& sort);
    // Rebuilds the state condition from RepairFilter (dropping any search);
    // returns the repair-list heading.
    QString ApplyRepairFilter();
    // The log list of no repair: after a filter or a deleted repair.
    void emptyRepairLogQuery();
    // The log list of one repair (the key is checked).
    void showLogsOf(const QString& repairId);
};

// The columns of the repair window's lists, left to right.
enum class RepairColumn {
    Id,
    State,
    Accepted,
    Customer,
    Company,
    CompanyTel,
    HomeTel,
    Maker,
    Model,
    Serial,
    Person
};
enum class UnpaidColumn {
    Id,
    State,
    Accepted,
    Customer,
    Company,
    CompanyTel,
    HomeTel,
    Person,
    Paid,
    Cost,
    Price,
    Payment
};
enum class RepairLogColumn { Id, RepairId, Date, Recorder, Text };

// Each list's columns: fields, headings and widths.
const ListColumns& repairColumns();
const ListColumns& unpaidColumns();
const ListColumns& repairLogColumns();

// Puts the search into the pieces of the list it searches: a repair search
// drops the state filter. A customer search refuses with a Failure.
void applySearch(RepairListQuery& query, const SearchRequest& request);

} // namespace horunea
