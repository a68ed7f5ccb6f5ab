#include "cli/Commands.h"

#include "cli/CliSupport.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "print/ReportRenderer.h"
#include "print/Reports.h"
#include "repair/RepairSettings.h"
#include "store/Accounts.h"
#include "store/Database.h"
#include "store/PrintKeys.h"

#include <QGuiApplication>

#include <optional>

namespace horunea::cli {

namespace {

// The report of that kind from the account's data, as the window's print
// command makes it.
Report makeReport(const QString& kind, const QHash<QString, QString>& options, Database& db)
{
    if (kind == u"customer-list") {
        KanaRow row;
        if (!kanaRowFromName(options.value(u"row"_qs), &row))
            throw UsageError(u"--row には あ か さ た な は ま や ら わ ABC その他 のどれかを"_qs
                             u"指定してください。");
        const CustomerSortClauses sort = BuildCustomerSortClauses(db);
        return ListReport(db, *customerListPrint(customerListKey(kanaRowName(row)),
                                                 sort.UserOrderBy, sort.UserOrderDesc));
    } else if (kind == u"user-sheet") {
        if (!options.contains(u"user"_qs))
            throw UsageError(u"--user でユーザーIDを指定してください。"_qs);
        return UserSheetReport(db, keyOption(options, u"user"_qs));
    } else if (kind == u"subject-list") {
        const QString state = options.value(u"state"_qs, u"続行"_qs);
        if (state != u"続行" && state != u"完了")
            throw UsageError(u"--state には 続行 完了 のどちらかを指定してください。"_qs);
        return SubjectListReport(db, state, subjectListTitle(state));
    } else if (kind == u"repair-report") {
        if (!options.contains(u"repair"_qs))
            throw UsageError(u"--repair で修理IDを指定してください。"_qs);
        return RepairSheetReport(db, keyOption(options, u"repair"_qs));
    } else {
        PrintKey key = PrintKey::Makers;
        if (kind == u"unpaid-list") {
            key = PrintKey::UnpaidRepairs;
        } else if (kind == u"repair-list") {
            const QString state = options.value(u"state"_qs, u"続行"_qs);
            static const QHash<QString, PrintKey> keys = {{u"続行"_qs, PrintKey::ContinuingRepairs},
                                                          {u"完了"_qs, PrintKey::DoneRepairs},
                                                          {u"全て"_qs, PrintKey::AllRepairs}};
            if (!keys.contains(state))
                throw UsageError(u"--state には 続行 完了 全て のどれかを指定してください。"_qs);
            key = keys.value(state);
        }
        const RepairSortClauses sort = BuildRepairSortClauses(db);
        return ListReport(
            db, *repairListPrint(printKeyText(key), {sort.RepairOrderBy, sort.RepairOrderDesc,
                                                     sort.UnpaidOrderBy, sort.UnpaidOrderDesc}));
    }
}

} // namespace

// report KIND NAME [--row|--user|--state|--repair] --pdf FILE [--password PW]
int commandReport(Invocation& call)
{
    if (call.args.isEmpty())
        throw UsageError(u"帳票の種類を指定してください。"_qs);
    const QString kind = call.args.first();
    static const QHash<QString, QStringList> kindOptions = {
        {u"customer-list"_qs, {u"row"_qs}},
        {u"user-sheet"_qs, {u"user"_qs}},
        {u"subject-list"_qs, {u"state"_qs}},
        {u"repair-list"_qs, {u"state"_qs}},
        {u"unpaid-list"_qs, {}},
        {u"maker-list"_qs, {}},
        {u"repair-report"_qs, {u"repair"_qs}},
    };
    if (!kindOptions.contains(kind))
        throw UsageError(u"帳票の種類は customer-list user-sheet subject-list repair-list "
                         u"unpaid-list maker-list repair-report のどれかです: "_qs +
                         kind);
    QString name;
    const auto options = parseOptions(
        call.args.mid(1), kindOptions.value(kind) + QStringList{u"pdf"_qs, u"password"_qs}, &name);
    if (!options.contains(u"pdf"_qs))
        throw UsageError(u"--pdf で書き出す PDF ファイルを指定してください。"_qs);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw RefusedError(
            u"PDF を書くには画面描画の準備が要ります (horunea-cli から実行してください)。"_qs);

    const bool customer =
        kind == u"customer-list" || kind == u"user-sheet" || kind == u"subject-list";
    Database db = openAccountData(customer ? AccountKind::Operator : AccountKind::Repair, name,
                                  passwordOption(options));
    const Report report = makeReport(kind, options, db);
    db.close();
    const QString path = options.value(u"pdf"_qs);
    const ReportRenderer renderer(report);
    writeReportPdf(renderer, path, [&call](int page, int pages) {
        if (page % 200 == 0 || (page == pages && pages >= 200))
            call.err << QStringLiteral("%1 / %2 ページ").arg(page).arg(pages) << '\n' << Qt::flush;
        return true;
    });
    call.out << QStringLiteral("%1\t%2 ページ").arg(path).arg(renderer.pageCount()) << '\n';
    return 0;
}

} // namespace horunea::cli
