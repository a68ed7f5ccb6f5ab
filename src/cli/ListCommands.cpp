#include "cli/Commands.h"

#include "cli/CliSupport.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "repair/RepairQueries.h"
#include "repair/RepairSettings.h"
#include "repair/RepairStorage.h"
#include "store/Accounts.h"
#include "store/Database.h"
#include "store/SearchConditions.h"

namespace horunea::cli {

namespace {

CustomerListQuery customerQuery(Database& db)
{
    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    return query;
}

SearchKind searchKindOption(const QString& value)
{
    static const QHash<QString, SearchKind> kinds = {
        {u"users"_qs, SearchKind::Users},   {u"subjects"_qs, SearchKind::Subjects},
        {u"logs"_qs, SearchKind::Logs},     {u"repairs"_qs, SearchKind::Repairs},
        {u"unpaid"_qs, SearchKind::Unpaid}, {u"repair-logs"_qs, SearchKind::RepairLogs},
    };
    const auto it = kinds.constFind(value);
    if (it == kinds.cend())
        throw UsageError(u"--in には users subjects logs repairs unpaid repair-logs "
                         u"のどれかを指定してください。"_qs);
    return *it;
}

} // namespace

int commandRepairs(Invocation& call)
{
    QString name;
    QStringList args = call.args;
    const bool unpaid = args.removeAll(u"--unpaid"_qs) > 0;
    const auto options = parseOptions(args, {u"state"_qs, u"password"_qs, u"csv"_qs}, &name);
    if (unpaid && options.contains(u"state"_qs))
        throw UsageError(u"--state と --unpaid は一緒に使えません。"_qs);
    const QString state = options.value(u"state"_qs, u"続行"_qs);
    if (state != u"続行" && state != u"完了" && state != u"全て")
        throw UsageError(u"--state には 続行 完了 全て のどれかを指定してください。"_qs);
    Database db = openAccountData(AccountKind::Repair, name, passwordOption(options));
    RepairListQuery query;
    query.setSortClauses(BuildRepairSortClauses(db));
    if (unpaid) {
        showList(call, options, unpaidColumns(), db, query.unpaidSql());
    } else {
        query.RepairFilter = state;
        query.ApplyRepairFilter();
        showList(call, options, repairColumns(), db, query.repairSql());
    }
    return 0;
}

int commandRepairLogs(Invocation& call)
{
    QString name;
    const auto options = parseOptions(call.args, {u"repair"_qs, u"password"_qs, u"csv"_qs}, &name);
    if (!options.contains(u"repair"_qs))
        throw UsageError(u"--repair で修理IDを指定してください。"_qs);
    const QString repair = keyOption(options, u"repair"_qs);
    Database db = openAccountData(AccountKind::Repair, name, passwordOption(options));
    RepairListQuery query;
    query.setSortClauses(BuildRepairSortClauses(db));
    query.RepairLogWhere = u" WHERE 修理ID ="_qs + repair;
    showList(call, options, repairLogColumns(), db, query.repairLogSql());
    return 0;
}

int commandUsers(Invocation& call)
{
    QString name;
    const auto options = parseOptions(call.args, {u"row"_qs, u"password"_qs, u"csv"_qs}, &name);
    KanaRow row;
    if (!kanaRowFromName(options.value(u"row"_qs), &row))
        throw UsageError(
            u"--row には あ か さ た な は ま や ら わ ABC その他 のどれかを指定してください。"_qs);
    Database db = openAccountData(AccountKind::Operator, name, passwordOption(options));
    CustomerListQuery query = customerQuery(db);
    query.UserWhere = kanaRowCondition(row);
    showList(call, options, userColumns(), db, query.userSql());
    return 0;
}

int commandSubjects(Invocation& call)
{
    QString name;
    const auto options =
        parseOptions(call.args, {u"state"_qs, u"user"_qs, u"password"_qs, u"csv"_qs}, &name);
    const QString state = options.value(u"state"_qs, u"続行"_qs);
    if (state != u"続行" && state != u"完了" && state != u"全て")
        throw UsageError(u"--state には 続行 完了 全て のどれかを指定してください。"_qs);
    const bool individual = options.contains(u"user"_qs);
    const QString user = individual ? keyOption(options, u"user"_qs) : u"0"_qs;
    Database db = openAccountData(AccountKind::Operator, name, passwordOption(options));
    CustomerListQuery query = customerQuery(db);
    query.SubjectFilter = state;
    query.ApplySubjectFilter(individual, user);
    showList(call, options, subjectColumns(), db, query.subjectSql());
    return 0;
}

int commandLogs(Invocation& call)
{
    QString name;
    const auto options = parseOptions(call.args, {u"subject"_qs, u"password"_qs, u"csv"_qs}, &name);
    if (!options.contains(u"subject"_qs))
        throw UsageError(u"--subject で件名IDを指定してください。"_qs);
    const QString subject = keyOption(options, u"subject"_qs);
    Database db = openAccountData(AccountKind::Operator, name, passwordOption(options));
    CustomerListQuery query = customerQuery(db);
    query.LogWhere = u" WHERE 件名ID ="_qs + subject;
    showList(call, options, logColumns(), db, query.logSql());
    return 0;
}

int commandSearch(Invocation& call)
{
    QStringList args = call.args;
    SearchRequest request;
    request.folded = args.removeAll(u"--exact"_qs) == 0;
    QStringList words;
    const auto options =
        parseArguments(args, {u"in"_qs, u"or"_qs, u"and"_qs, u"password"_qs, u"csv"_qs}, &words, 2);
    if (!options.contains(u"in"_qs))
        throw UsageError(u"--in で検索する一覧を指定してください。"_qs);
    if (words.size() < 2)
        throw UsageError(u"検索する文字を指定してください。"_qs);
    if (options.contains(u"or"_qs) && options.contains(u"and"_qs))
        throw UsageError(u"--or と --and は一緒に使えません。"_qs);
    request.kind = searchKindOption(options.value(u"in"_qs));
    request.word1 = words[1];
    if (options.contains(u"or"_qs)) {
        request.join = SearchJoin::Or;
        request.word2 = options.value(u"or"_qs);
    } else if (options.contains(u"and"_qs)) {
        request.join = SearchJoin::And;
        request.word2 = options.value(u"and"_qs);
    }
    const bool customer = searchesCustomerData(request.kind);
    Database db = openAccountData(customer ? AccountKind::Operator : AccountKind::Repair, words[0],
                                  passwordOption(options));
    if (customer) {
        CustomerListQuery query = customerQuery(db);
        applySearch(query, request);
        if (request.kind == SearchKind::Users)
            showList(call, options, userColumns(), db, query.userStatement());
        else if (request.kind == SearchKind::Subjects)
            showList(call, options, subjectColumns(), db, query.subjectStatement());
        else
            showList(call, options, logColumns(), db, query.logStatement());
        return 0;
    }
    RepairListQuery query;
    query.setSortClauses(BuildRepairSortClauses(db));
    applySearch(query, request);
    if (request.kind == SearchKind::Repairs)
        showList(call, options, repairColumns(), db, query.repairStatement());
    else if (request.kind == SearchKind::Unpaid)
        showList(call, options, unpaidColumns(), db, query.unpaidStatement());
    else
        showList(call, options, repairLogColumns(), db, query.repairLogStatement());
    return 0;
}

} // namespace horunea::cli
