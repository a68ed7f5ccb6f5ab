#pragma once

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

// The text pieces that drive the customer window's three lists. Each list's
// query is its pieces concatenated with nothing between them.
struct CustomerListQuery
{
    QString UserSelect = initialUserSelect();
    QString UserWhere = initialUserWhere();
    QString UserOrderBy, UserOrderDesc;

    QString SubjectSelect = initialSubjectSelect();
    QString SubjectUserClause;
    QString SubjectJoiner = u" WHERE"_qs;
    QString SubjectStateClause = u" 件名.判定 = '続行'"_qs; // as ApplySubjectFilter leaves it for 続行
    QString SubjectFilter = u"続行"_qs;
    QString SubjectOrderBy, SubjectOrderDesc;

    QString LogSelect = initialLogSelect();
    QString LogWhere = initialLogWhere();
    QString LogOrderBy, LogOrderDesc;

    static QString initialUserSelect();
    static QString initialUserWhere();
    static QString initialSubjectSelect();
    static QString initialLogSelect();
    static QString initialLogWhere();

    QString userSql() const;
    QString subjectSql() const;
    QString logSql() const;

    void setSortClauses(const CustomerSortClauses& sort);
    // Rebuilds the subject condition from 個々で表示 and SubjectFilter;
    // returns the filter heading for Label26.
    QString ApplySubjectFilter(bool individual, const QString& selectedUserId);
    // The log list shows nothing until a subject is chosen.
    void resetLogQuery();
};

// Column headers of the three lists, as the window and the command line show them.
QStringList userListHeaders();
QStringList subjectListHeaders();
QStringList logListHeaders();

} // namespace horunea
