#include "store/SearchConditions.h"

#include "store/Database.h"
#include "store/JetDialect.h"

namespace horunea {

QStringList searchFields(SearchKind kind)
{
    switch (kind) {
    case SearchKind::Users:
        return {u"表示ふりがな"_qs, u"表示名"_qs,         u"ユーザー名ふりがな"_qs,
                u"ユーザー名"_qs,   u"自宅ＴＥＬ"_qs,     u"自宅ＦＡＸ"_qs,
                u"自宅住所"_qs,     u"会社名ふりがな"_qs, u"会社名"_qs,
                u"部署"_qs,         u"会社ＴＥＬ"_qs,     u"会社ＦＡＸ"_qs,
                u"会社住所"_qs,     u"[E-MAIL]"_qs,       u"[URL]"_qs,
                u"備考"_qs,         u"自由項目01"_qs,     u"自由項目02"_qs,
                u"自由項目03"_qs,   u"自由項目04"_qs,     u"自由項目05"_qs};
    case SearchKind::Subjects:
        return {u"件名.登録日"_qs, u"ユーザー.表示名"_qs, u"件名.件名"_qs, u"件名.備考"_qs,
                u"件名.判定"_qs};
    case SearchKind::Logs:
        return {u"登録日"_qs, u"記録者"_qs, u"ログ"_qs};
    case SearchKind::Repairs:
    case SearchKind::Unpaid:
        return {u"判定"_qs,         u"受付日"_qs,     u"お客様名"_qs,
                u"会社名"_qs,       u"会社TEL"_qs,    u"会社住所"_qs,
                u"自宅TEL"_qs,      u"自宅住所"_qs,   u"メーカー名"_qs,
                u"型番"_qs,         u"シリアル"_qs,   u"付属品"_qs,
                u"担当者"_qs,       u"故障内容"_qs,   u"メーカー受付番号"_qs,
                u"修理処置内容"_qs, u"交換部品"_qs,   u"有償無償"_qs,
                u"仕切"_qs,         u"売値"_qs,       u"入金"_qs,
                u"自由項目01"_qs,   u"自由項目02"_qs, u"自由項目03"_qs};
    case SearchKind::RepairLogs:
        return {u"記録日"_qs, u"記録者"_qs, u"ログ"_qs};
    }
    return {};
}

SqlPiece searchCondition(SearchKind kind, const QString& word, bool folded)
{
    const QString pattern = u'%' + likeLiteral(folded ? searchFolded(word) : word) + u'%';
    SqlPiece condition;
    const QStringList fields = searchFields(kind);
    condition.text = u"("_qs;
    for (int i = 0; i < fields.size(); ++i) {
        if (i > 0)
            condition.text += u" or "_qs;
        condition.text += folded ? QString(u"SearchFold("_qs + fields[i] + u")"_qs) : fields[i];
        condition.text += u" Like ?"_qs;
        condition.params << pattern;
    }
    condition.text += u')';
    return condition;
}

QString searchJoiner(SearchJoin join)
{
    switch (join) {
    case SearchJoin::None:
        return QString();
    case SearchJoin::Or:
        return u" OR"_qs;
    case SearchJoin::And:
        return u" AND"_qs;
    }
    return QString();
}

SqlPiece searchClause(const SearchRequest& request)
{
    const SqlPiece c1 = searchCondition(request.kind, request.word1, request.folded);
    SqlPiece pair = c1;
    if (request.join != SearchJoin::None) {
        const SqlPiece c2 = searchCondition(request.kind, request.word2, request.folded);
        pair.text += searchJoiner(request.join) + c2.text;
        pair.params += c2.params;
    }
    if (request.kind == SearchKind::Unpaid)
        return SqlPiece(u" AND ("_qs + pair.text + u')', pair.params);
    return SqlPiece(u" WHERE "_qs + pair.text, pair.params);
}

QString searchHeading(const SearchRequest& request)
{
    const bool second = request.join != SearchJoin::None;
    return u"'"_qs + request.word1 + u"'"_qs + searchJoiner(request.join) + u" '"_qs +
           (second ? request.word2 : QString()) + u"' の検索結果"_qs;
}

bool searchesCustomerData(SearchKind kind)
{
    return kind == SearchKind::Users || kind == SearchKind::Subjects || kind == SearchKind::Logs;
}

QStringList searchJoinChoices()
{
    return {u"なし"_qs, u"OR"_qs, u"AND"_qs};
}

SearchJoin searchJoinOf(const QString& choice)
{
    if (choice == u"OR")
        return SearchJoin::Or;
    if (choice == u"AND")
        return SearchJoin::And;
    return SearchJoin::None;
}

} // namespace horunea
