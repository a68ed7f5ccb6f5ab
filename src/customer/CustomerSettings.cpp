#include "customer/CustomerSettings.h"

#include "store/Database.h"

namespace horunea {

QString userOrderClause(const QString& stored)
{
    return sortChoice(stored, {u" ORDER BY 表示ふりがな"_qs, u" ORDER BY 会社ＴＥＬ"_qs,
                               u" ORDER BY 自宅ＴＥＬ"_qs, u" ORDER BY [E-MAIL]"_qs});
}

QString subjectOrderClause(const QString& stored)
{
    return sortChoice(stored, {u" ORDER BY 件名.登録日"_qs, u" ORDER BY ユーザー.表示名"_qs,
                               u" ORDER BY 件名.件名"_qs, u" ORDER BY 件名.備考"_qs,
                               u" ORDER BY 件名.判定"_qs});
}

QString logOrderClause(const QString& stored)
{
    return sortChoice(stored,
                      {u" ORDER BY 登録日"_qs, u" ORDER BY 記録者"_qs, u" ORDER BY ログ"_qs});
}

CustomerSortClauses BuildCustomerSortClauses(Database& db)
{
    const auto p = sortPieces(db, {userOrderClause, subjectOrderClause, logOrderClause});
    return {p[0], p[1], p[2], p[3], p[4], p[5]};
}

QStringList CustomerFieldCaptions(Database& db)
{
    return fieldCaptions(db, 5);
}

} // namespace horunea
