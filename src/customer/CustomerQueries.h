#pragma once

#include "store/SearchConditions.h"
#include "store/SqlPiece.h"

#include <QString>
#include <QStringList>

namespace horunea {

// The kana rows of the user list, in toolbar order (buttons 20 to 31).
enum class KanaRow { A, Ka, Sa, Ta, Na, Ha, Ma, Ya, Ra, Wa, Abc, Other };
constexpr int KanaRowCount = 12;

// "あ", "か", … "ABC", "その他": the row's short name (command line, menus).
QString kanaRowName(KanaRow row);
// The user-list heading for a row ("あ行―ユーザー表示").
QString kanaRowHeading(KanaRow row);
// The user-list condition for a row (" WHERE 表示ふりがな Like …").
QString kanaRowCondition(KanaRow row);
// Parses a short name; false when it names no row.
bool kanaRowFromName(const QString& name, KanaRow* row);

// The sort pieces of the three customer lists, from the settings row.
struct CustomerSortClauses
{
    QString UserOrderBy, UserOrderDesc;
    QString SubjectOrderBy, SubjectOrderDesc;
    QString LogOrderBy, LogOrderDesc;
};

// The pieces that drive the customer window's three lists. Each list's query
// is its pieces concatenated with nothing between them; a piece may carry
// bound values for the placeholders in its text.
struct CustomerListQuery
{
    SqlPiece UserSelect = initialUserSelect();
    SqlPiece UserWhere = initialUserWhere();
    SqlPiece UserOrderBy, UserOrderDesc;

    SqlPiece SubjectSelect = initialSubjectSelect();
    SqlPiece SubjectUserClause;
    SqlPiece SubjectJoiner = u" WHERE";
    SqlPiece SubjectStateClause = u" 件名.判定 = '続行'"; // as ApplySubjectFilter leaves it
    QString SubjectFilter = u"続行"_qs;
    SqlPiece SubjectOrderBy, SubjectOrderDesc;

    SqlPiece LogSelect = initialLogSelect();
    SqlPiece LogWhere = initialLogWhere();
    SqlPiece LogOrderBy, LogOrderDesc;

    static QString initialUserSelect();
    static QString initialUserWhere();
    static QString initialSubjectSelect();
    static QString initialLogSelect();
    static QString initialLogWhere();

    SqlStatement userStatement() const;
    SqlStatement subjectStatement() const;
    SqlStatement logStatement() const;
    // The statements' text alone.
    QString userSql() const { return userStatement().sql; }
    QString subjectSql() const { return subjectStatement().sql; }
    QString logSql() const { return logStatement().sql; }

    void setSortClauses(const CustomerSortClauses& sort);
    // Rebuilds the subject condition from 個々で表示 and SubjectFilter;
    // returns the filter heading for Label26. The user key is checked.
    QString ApplySubjectFilter(bool individual, const QString& selectedUserId);
    // The log list shows nothing until a subject is chosen.
    void resetLogQuery();
    // The log list shows one subject's logs (the key is checked).
    void showLogsOf(const QString& subjectId);
};

// Puts the search into the pieces of the list it searches: a subject search
// drops the user and state conditions. A repair search refuses with a
// Failure.
void applySearch(CustomerListQuery& query, const SearchRequest& request);

} // namespace horunea
