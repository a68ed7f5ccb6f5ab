#pragma once

#include "print/Report.h"
#include "store/SqlPiece.h"

#include <QString>
#include <QStringList>

#include <optional>

namespace horunea {

class Database;

// The seven reports: their data, order, titles and captions, built from an
// open account database.

enum class ReportKind {
    CustomerList, // DataReport1
    UserSheet,    // DataReport5
    SubjectList,  // DataReport7
    RepairList,   // DataReport2
    UnpaidList,   // DataReport3
    MakerList,    // DataReport6
    RepairSheet   // DataReport4
};

// "顧客一覧", "ﾕｰｻﾞｰ情報", …: the preview window's title.
QString reportName(ReportKind kind);

// A list to print: the report, its title and its query.
struct PrintRequest
{
    ReportKind kind = ReportKind::CustomerList;
    QString title;
    SqlStatement query;
};

// The customer window's print drop-down: a kana-row key ("agyou" … "sonota")
// with the user list's sort pieces; nullopt for another key.
std::optional<PrintRequest> customerListPrint(const QString& key, const QString& userOrderBy,
                                              const QString& userOrderDesc);
// The keys in drop-down order, and the key of a kana row's name ("あ" … "その他").
QStringList customerListKeys();
QString customerListKey(const QString& rowName);
// "zokkou" → 続行, "kanryou" → 完了; empty for another key. The title of a state.
QString subjectListState(const QString& key);
QString subjectListTitle(const QString& state);

// The repair window's print drop-down ("zokou", "kanryou", "subete",
// "minyu", "meka") with the repair and unpaid lists' sort pieces.
struct RepairListOrder
{
    QString RepairOrderBy, RepairOrderDesc, UnpaidOrderBy, UnpaidOrderDesc;
};
std::optional<PrintRequest> repairListPrint(const QString& key, const RepairListOrder& order);

// The margins of the settings row (上, 左, 右, 下). A value that is empty or
// not a whole number from 0 to 9999 prints with 1000 twips.
ReportMargins ApplyReportMargins(Database& db);

// Builds a list report from its request (customer, repair, unpaid, maker).
Report ListReport(Database& db, const PrintRequest& request);
// One user with his subjects, newest first, each with its logs, newest first.
Report UserSheetReport(Database& db, const QString& userId);
// Every subject of one state, newest first, each with its logs, newest first.
Report SubjectListReport(Database& db, const QString& state, const QString& title);
// The repair report of one repair, with the own company.
Report RepairSheetReport(Database& db, const QString& repairId);

} // namespace horunea
