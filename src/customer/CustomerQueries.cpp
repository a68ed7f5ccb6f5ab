#include "customer/CustomerQueries.h"

#include "store/Database.h"
#include "store/Failure.h"
#include "store/StateFilter.h"

#include <array>

namespace horunea {

namespace {

struct RowText
{
    const char16_t* name;
    const char16_t* heading;
    const char16_t* condition;
};

const std::array<RowText, KanaRowCount>& rowTexts()
{
    static const std::array<RowText, KanaRowCount> texts = {{
        {u"あ", u"あ行―ユーザー表示",
         u" WHERE 表示ふりがな Like '[あ-お]%' or 表示ふりがな Like '[ぁ-ぉ]%' or 表示ふりがな "
         u"Like '[ｱ-ｵ]%' or 表示ふりがな Like '[ｧ-ｫ]%'"},
        {u"か", u"か行―ユーザー表示", u" WHERE 表示ふりがな Like '[ｶ-ｺ]%'"},
        {u"さ", u"さ行―ユーザー表示", u" WHERE 表示ふりがな Like '[ｻ-ｿ]%'"},
        {u"た", u"た行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾀ-ﾄ]%'"},
        {u"な", u"な行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾅ-ﾉ]%'"},
        {u"は", u"は行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾊ-ﾎ]%'"},
        {u"ま", u"ま行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾏ-ﾓ]%'"},
        {u"や", u"や行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾔ-ﾖ]%'"},
        {u"ら", u"ら行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾗ-ﾛ]%'"},
        {u"わ", u"わ行―ユーザー表示", u" WHERE 表示ふりがな Like '[ﾜ-ﾝ]%'"},
        {u"ABC", u"ABC―ユーザー表示", u" WHERE 表示ふりがな Like '[A-Z]%'"},
        {u"その他", u"その他―ユーザー表示",
         u" WHERE 表示ふりがな Like '[!ｱ-ｵ]%' and 表示ふりがな Like '[!ｶ-ｺ]%' and 表示ふりがな "
         u"Like '[!ｻ-ｿ]%' and 表示ふりがな Like '[!ﾀ-ﾄ]%' and 表示ふりがな Like '[!ﾅ-ﾉ]%' and "
         u"表示ふりがな Like '[!ﾊ-ﾎ]%' and 表示ふりがな Like '[!ﾏ-ﾓ]%' and 表示ふりがな Like "
         u"'[!ﾔ-ﾖ]%' and 表示ふりがな Like '[!ﾗ-ﾛ]%' and 表示ふりがな Like '[!ﾜ-ﾝ]%' and "
         u"表示ふりがな Like '[!A-Z]%'"},
    }};
    return texts;
}

} // namespace

QString kanaRowName(KanaRow row)
{
    return QString::fromUtf16(rowTexts()[size_t(row)].name);
}
QString kanaRowHeading(KanaRow row)
{
    return QString::fromUtf16(rowTexts()[size_t(row)].heading);
}
QString kanaRowCondition(KanaRow row)
{
    return QString::fromUtf16(rowTexts()[size_t(row)].condition);
}

bool kanaRowFromName(const QString& name, KanaRow* row)
{
    for (int i = 0; i < KanaRowCount; ++i) {
        if (kanaRowName(KanaRow(i)) == name) {
            *row = KanaRow(i);
            return true;
        }
    }
    return false;
}

QString CustomerListQuery::initialUserSelect()
{
    return u"SELECT ユーザーID,表示名,会社ＴＥＬ,自宅ＴＥＬ,[E-MAIL] FROM ユーザー"_qs;
}

QString CustomerListQuery::initialUserWhere()
{
    return u" WHERE ユーザー.ユーザーID = 0"_qs;
}

QString CustomerListQuery::initialSubjectSelect()
{
    return u"SELECT 件名.*, ユーザー.表示名 FROM 件名 INNER JOIN ユーザー ON ユーザー.ユーザーID = "
           u"件名.ユーザーID"_qs;
}

QString CustomerListQuery::initialLogSelect()
{
    return u"SELECT * FROM ログ"_qs;
}

QString CustomerListQuery::initialLogWhere()
{
    return u" WHERE 件名ID = 0"_qs;
}

SqlStatement CustomerListQuery::userStatement() const
{
    return joinPieces({&UserSelect, &UserWhere, &UserOrderBy, &UserOrderDesc});
}

SqlStatement CustomerListQuery::subjectStatement() const
{
    return joinPieces({&SubjectSelect, &SubjectUserClause, &SubjectJoiner, &SubjectStateClause,
                       &SubjectOrderBy, &SubjectOrderDesc});
}

SqlStatement CustomerListQuery::logStatement() const
{
    return joinPieces({&LogSelect, &LogWhere, &LogOrderBy, &LogOrderDesc});
}

void CustomerListQuery::setSortClauses(const CustomerSortClauses& sort)
{
    UserOrderBy = sort.UserOrderBy;
    UserOrderDesc = sort.UserOrderDesc;
    SubjectOrderBy = sort.SubjectOrderBy;
    SubjectOrderDesc = sort.SubjectOrderDesc;
    LogOrderBy = sort.LogOrderBy;
    LogOrderDesc = sort.LogOrderDesc;
}

QString CustomerListQuery::ApplySubjectFilter(bool individual, const QString& selectedUserId)
{
    SubjectUserClause.clear();
    SubjectJoiner = u" WHERE";
    if (individual) {
        SubjectUserClause = u" WHERE ユーザー.ユーザーID = "_qs + checkedKey(selectedUserId);
        SubjectJoiner = u" AND";
    }
    bool all = false;
    SubjectStateClause = stateCondition(u"件名.判定"_qs, SubjectFilter, &all);
    if (all) {
        SubjectJoiner.clear();
        return u"全ての件名"_qs;
    }
    return SubjectFilter == u"完了" ? u"完了済の件名"_qs : u"続行中の件名"_qs;
}

void CustomerListQuery::resetLogQuery()
{
    LogSelect = initialLogSelect();
    LogWhere = initialLogWhere();
}

void CustomerListQuery::showLogsOf(const QString& subjectId)
{
    LogWhere = u" WHERE 件名ID ="_qs + checkedKey(subjectId);
}

void applySearch(CustomerListQuery& query, const SearchRequest& request)
{
    const SqlPiece clause = searchClause(request);
    switch (request.kind) {
    case SearchKind::Users:
        query.UserWhere = clause;
        return;
    case SearchKind::Subjects:
        query.SubjectUserClause = clause;
        query.SubjectJoiner.clear();
        query.SubjectStateClause.clear();
        return;
    case SearchKind::Logs:
        query.LogWhere = clause;
        return;
    default:
        throw Failure(u"顧客データでは修理を検索できません。"_qs);
    }
}

} // namespace horunea
