#include "store/SettingsRow.h"

#include "store/Database.h"

namespace horunea {

ResultSet ReadSettingsRow(Database& db)
{
    const ResultSet row = db.query(u"SELECT * FROM 設定 WHERE 設定ID = 1"_qs);
    if (row.isEmpty())
        throw Failure(u"設定の行がありません。"_qs);
    return row;
}

QString sortChoice(const QString& stored, const QStringList& clauses)
{
    for (int i = 1; i < clauses.size(); ++i)
        if (stored == QString::number(i))
            return clauses[i];
    return clauses.first();
}

QStringList fieldCaptions(Database& db, int count)
{
    const ResultSet result = ReadSettingsRow(db);
    QStringList captions;
    for (int i = 1; i <= count; ++i)
        captions << result.first().text(QStringLiteral("項目%1").arg(i, 2, 10, QLatin1Char('0')));
    return captions;
}

QString orderDirection(const QString& stored)
{
    return stored == u"1" ? u" DESC"_qs : QString();
}

std::array<QString, 6> sortPieces(Database& db, const std::array<OrderClause, 3>& lists)
{
    const ResultSet result = ReadSettingsRow(db);
    const Row row = result.first();
    std::array<QString, 6> pieces;
    for (int i = 0; i < 3; ++i) {
        const auto field = [&](int n) {
            return QStringLiteral("並べ%1").arg(n, 2, 10, QLatin1Char('0'));
        };
        pieces[size_t(2 * i)] = lists[size_t(i)](row.text(field(2 * i + 1)));
        pieces[size_t(2 * i + 1)] = orderDirection(row.text(field(2 * i + 2)));
    }
    return pieces;
}

} // namespace horunea
