#include "store/RowChange.h"

#include "store/Database.h"

namespace horunea {

ChangeOutcome changeIfAsRead(Database& db, const QString& table, const QString& condition,
                             const QStringList& fields, const QStringList& read,
                             QStringList* stored, const std::function<void()>& write)
{
    Transaction transaction(db);
    if (db.holdRows(table, condition) == 0)
        return ChangeOutcome::Gone;
    const ListRows rows =
        db.textRows(u"SELECT * FROM ["_qs + table + u"] WHERE "_qs + condition, fields);
    if (rows.empty())
        return ChangeOutcome::Gone;
    QStringList now;
    for (qsizetype c = 0; c < fields.size(); ++c)
        now << rows.front().value(c);
    if (now != read) {
        if (stored)
            *stored = now;
        return ChangeOutcome::ChangedElsewhere;
    }
    write();
    transaction.commit();
    return ChangeOutcome::Changed;
}

} // namespace horunea
