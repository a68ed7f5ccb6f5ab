#pragma once

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

// The text pieces that drive the repair window's lists; each query is its
// pieces concatenated with nothing between them.
struct RepairListQuery
{
    QString RepairSelect = initialRepairSelect();
    QString RepairSearchClause;
    QString RepairWhereWord = u" WHERE"_qs;
    QString RepairFilterClause = u" 判定 = '続行'"_qs; // as ApplyRepairFilter leaves it for 続行
    QString RepairFilter = u"続行"_qs;
    QString RepairOrderBy, RepairOrderDesc;

    QString UnpaidSelect = initialUnpaidSelect();
    QString UnpaidSearchClause;
    QString UnpaidOrderBy, UnpaidOrderDesc;

    QString RepairLogSelect = initialRepairLogSelect();
    QString RepairLogWhere = u" WHERE 修理ログID = 0"_qs;
    QString RepairLogOrderBy, RepairLogOrderDesc;

    static QString initialRepairSelect();
    static QString initialUnpaidSelect();
    static QString initialRepairLogSelect();

    QString repairSql() const;
    QString unpaidSql() const;
    QString repairLogSql() const;

    void setSortClauses(const RepairSortClauses& sort);
    // Rebuilds the state condition from RepairFilter (dropping any search);
    // returns the repair-list heading.
    QString ApplyRepairFilter();
    // The log list of no repair: after a filter or a deleted repair.
    void emptyRepairLogQuery();
};

QStringList repairListHeaders();
QStringList unpaidListHeaders();
QStringList repairLogListHeaders();

} // namespace horunea
