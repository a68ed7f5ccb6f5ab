// The server store beside its floor, a bare libpq C program doing the same
// work on the same private server and data in the same run:
//
//   - server import of a shop folder (N users, 3N subjects, 10N logs) into
//     an empty database, beside COPY of the same rows from text made
//     beforehand (what pg_restore does with a dump);
//   - the lists the windows fill (kana rows か, あ, その他, ABC; the logs of
//     one subject): the store's query and the list model beside running the
//     same translated SQL and reading every cell;
//   - the searches of users, subjects and logs, folded (the window's
//     default) beside exact on the server, beside the same folded search on
//     the files, the exact one beside its translated SQL run bare;
//   - bulk inserts of users, subjects and logs through BulkInsert beside COPY
//     of the same rows, each in one transaction;
//   - a customer transfer of the whole data set between two accounts beside
//     reading the same rows and COPYing them into the destination.
//
//   bench_server [--users N] [--runs R]
//
// The cluster is the benchmark's own (initdb in a temporary folder, a Unix
// socket only), removed at the end; it and the program share one CPU.
#include "PgCluster.h"
#include "SampleShop.h"

#include "admin/AccountAdmin.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "import/Transfers.h"
#include "store/Accounts.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/SearchConditions.h"
#include "store/ServerMove.h"
#include "store/ShippedFiles.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"
#include "ui/TextTableModel.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QTextStream>

#include <libpq-fe.h>
#include <sched.h>

#include <algorithm>
#include <functional>
#include <vector>

using namespace horunea;
using namespace horunea::bench;

namespace {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

void say(const QString& text)
{
    QTextStream(stderr) << text << '\n';
}

double seconds(const std::function<void()>& work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e9;
}

double median(std::vector<double> times)
{
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void timeLine(const QString& what, double project, double floor, double goal)
{
    out() << QStringLiteral("  %1 %2 ms  floor %3 ms  %4×  (goal ≤ %5×)\n")
                 .arg(what, -34)
                 .arg(project, 9, 'f', 3)
                 .arg(floor, 9, 'f', 3)
                 .arg(project / floor, 0, 'f', 2)
                 .arg(goal, 0, 'f', 1);
    out().flush();
}

void rateLine(const QString& what, double rows, double project, double floor)
{
    out() << QStringLiteral("  %1 %2 rows/s  floor %3 rows/s  %4%  (goal ≥ 60%)\n")
                 .arg(what, -34)
                 .arg(rows / project, 9, 'f', 0)
                 .arg(rows / floor, 9, 'f', 0)
                 .arg(100.0 * floor / project, 0, 'f', 0);
    out().flush();
}

// ------------------------------------------------------------ the floor

// A bare libpq connection: statements as text, every cell read.
class BarePg
{
public:
    explicit BarePg(const QString& conninfo) : m_conn(PQconnectdb(conninfo.toUtf8().constData()))
    {
        if (PQstatus(m_conn) != CONNECTION_OK)
            qFatal("floor cannot connect: %s", PQerrorMessage(m_conn));
        exec("SET client_encoding TO 'UTF8'");
    }
    ~BarePg() { PQfinish(m_conn); }
    BarePg(const BarePg&) = delete;
    BarePg& operator=(const BarePg&) = delete;

    void exec(const QByteArray& sql)
    {
        PGresult* r = PQexec(m_conn, sql.constData());
        const ExecStatusType status = PQresultStatus(r);
        if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
            qFatal("floor: %s\n%s", PQresultErrorMessage(r), sql.constData());
        PQclear(r);
    }

    // Runs a query with its values bound as text and reads every cell.
    size_t rows(const QByteArray& sql, const QVariantList& params = {})
    {
        std::vector<QByteArray> texts;
        for (const QVariant& p : params)
            texts.push_back(p.toString().toUtf8());
        std::vector<const char*> values;
        for (size_t i = 0; i < texts.size(); ++i)
            values.push_back(params[qsizetype(i)].isNull() ? nullptr : texts[i].constData());
        PGresult* r = PQexecParams(m_conn, sql.constData(), int(values.size()), nullptr,
                                   values.data(), nullptr, nullptr, 0);
        if (PQresultStatus(r) != PGRES_TUPLES_OK)
            qFatal("floor: %s\n%s", PQresultErrorMessage(r), sql.constData());
        const int n = PQntuples(r), columns = PQnfields(r);
        for (int row = 0; row < n; ++row)
            for (int c = 0; c < columns; ++c)
                m_bytes += size_t(PQgetlength(r, row, c)) + (PQgetvalue(r, row, c)[0] != 0);
        PQclear(r);
        return size_t(n);
    }

    // COPY … FROM STDIN of rows in the text form.
    void copy(const QByteArray& copySql, const QByteArray& rows)
    {
        PGresult* r = PQexec(m_conn, copySql.constData());
        if (PQresultStatus(r) != PGRES_COPY_IN)
            qFatal("floor: %s\n%s", PQresultErrorMessage(r), copySql.constData());
        PQclear(r);
        for (qsizetype at = 0; at < rows.size(); at += 1 << 20)
            PQputCopyData(m_conn, rows.constData() + at,
                          int(std::min<qsizetype>(1 << 20, rows.size() - at)));
        PQputCopyEnd(m_conn, nullptr);
        r = PQgetResult(m_conn);
        if (PQresultStatus(r) != PGRES_COMMAND_OK)
            qFatal("floor: %s\n%s", PQresultErrorMessage(r), copySql.constData());
        PQclear(r);
        while (PGresult* more = PQgetResult(m_conn))
            PQclear(more);
    }

private:
    PGconn* m_conn;
    size_t m_bytes = 0;
};

// A value in COPY's text form (the sample rows hold no tab, line end or
// backslash).
void appendCopyValue(QByteArray& rows, const QVariant& v)
{
    if (v.isNull())
        rows += "\\N";
    else if (v.typeId() == QMetaType::LongLong)
        rows += QByteArray::number(v.toLongLong());
    else
        rows += v.toString().toUtf8();
}

QByteArray copyRows(int count, const std::function<QVariantList(int)>& values, bool withKeys)
{
    QByteArray rows;
    for (int i = 0; i < count; ++i) {
        if (withKeys)
            rows += QByteArray::number(i + 1) + '\t';
        const QVariantList v = values(i);
        for (qsizetype c = 0; c < v.size(); ++c) {
            if (c > 0)
                rows += '\t';
            appendCopyValue(rows, v[c]);
        }
        rows += '\n';
    }
    return rows;
}

QByteArray copySql(const QString& schema, const QString& table, QStringList columns)
{
    for (QString& c : columns)
        c = quotedServerName(c);
    return (u"COPY "_qs + quotedServerName(schema) + u'.' + quotedServerName(table) + u" ("_qs +
            columns.join(u',') + u") FROM STDIN"_qs)
        .toUtf8();
}

// ------------------------------------------------------------ the data set

struct Table
{
    QString name;
    QString key;
    QStringList columns;
    std::function<QVariantList(int)> values;
    int count;
};

std::vector<Table> customerTables(int users)
{
    const int subjects = 3 * users, logs = 10 * users;
    return {
        {u"ユーザー"_qs, u"ユーザーID"_qs, names(UserColumns), userValues, users},
        {u"件名"_qs, u"件名ID"_qs, names(SubjectColumns),
         [=](int j) { return subjectValues(j, users); }, subjects},
        {u"ログ"_qs, u"ログID"_qs, names(LogColumns),
         [=](int k) { return logValues(k, subjects, users); }, logs},
    };
}

// A shop folder of the files: the operators "bench元" (the data set) and
// "bench先" (empty).
void buildShop(const QString& folder, int users)
{
    say(u"building the shop folder …"_qs);
    DataFolder::set(folder);
    EnsureShippedFiles();
    {
        Database master = OpenMaster();
        CreateAccount(master, AccountKind::Operator, u"bench元"_qs, QString());
        CreateAccount(master, AccountKind::Operator, u"bench先"_qs, QString());
    }
    Database db = OpenAccountFile(AccountKind::Operator, u"bench元"_qs);
    Transaction adding(db);
    for (const Table& t : customerTables(users)) {
        BulkInsert insert(db, t.name, t.columns);
        for (int i = 0; i < t.count; ++i)
            insert.add(t.values(i));
    }
    adding.commit();
}

qint64 rowCount(int users)
{
    return 14LL * users;
}

// ------------------------------------------------------------ the comparisons

class ServerBench
{
public:
    ServerBench(test::PgCluster& cluster, QString folder, int users, int runs)
        : m_cluster(cluster), m_folder(std::move(folder)), m_users(users), m_runs(runs)
    {}

    void importShop();
    void lists();
    void searches(const QString& filesPath);
    void bulkInserts();
    void transfer();

private:
    QString conninfo(const QString& database) const { return m_cluster.connectionString(database); }
    void createDatabase(const QString& name)
    {
        BarePg admin(conninfo(u"postgres"_qs));
        admin.exec("CREATE DATABASE " + quotedServerName(name).toUtf8());
    }
    // The schema of an account of the server store, and a floor connection
    // that works in it as the store does.
    QString schemaOf(const QString& account) const
    {
        return OpenAccountFile(AccountKind::Operator, account).path().section(u'/', -1);
    }
    void emptyAccount(BarePg& bare, const QString& schema)
    {
        for (const Table& t : customerTables(m_users))
            bare.exec("TRUNCATE " +
                      (quotedServerName(schema) + u'.' + quotedServerName(t.name)).toUtf8() +
                      " RESTART IDENTITY");
    }

    test::PgCluster& m_cluster;
    QString m_folder;
    int m_users;
    int m_runs;
    QString m_database; // the server database the later comparisons use
};

void ServerBench::importShop()
{
    const std::vector<Table> tables = customerTables(m_users);
    std::vector<double> store, floor;
    for (int run = 0; run < m_runs; ++run) {
        say(QStringLiteral("import, run %1 …").arg(run + 1));
        const QString into = QStringLiteral("shop_%1").arg(run);
        createDatabase(into);
        const ServerAddress address = ServerAddress::parse(conninfo(into));
        store.push_back(seconds([&] { ImportFolderToServer(address, m_folder); }));
        m_database = into;

        // The floor: the same tables, then the same rows from COPY text made
        // beforehand, in one transaction.
        const QString bare = QStringLiteral("floor_%1").arg(run);
        createDatabase(bare);
        std::vector<QByteArray> texts;
        for (const Table& t : tables)
            texts.push_back(copyRows(t.count, t.values, true));
        BarePg pg(conninfo(bare));
        const QString schema = serverAccountSchema(DatabaseKind::Customer, 1);
        floor.push_back(seconds([&] {
            pg.exec("BEGIN");
            for (const QString& s : serverCreateStatements(DatabaseKind::Customer, schema))
                pg.exec(s.toUtf8());
            for (size_t i = 0; i < tables.size(); ++i)
                pg.copy(
                    copySql(schema, tables[i].name, QStringList{tables[i].key} + tables[i].columns),
                    texts[i]);
            pg.exec("COMMIT");
        }));
    }
    timeLine(QStringLiteral("server import of %1 rows").arg(rowCount(m_users)),
             median(store) * 1000, median(floor) * 1000, 2.0);
}

void ServerBench::lists()
{
    Store::setServer(ServerAddress::parse(conninfo(m_database)));
    Database db = OpenAccountFile(AccountKind::Operator, u"bench元"_qs);
    BarePg bare(conninfo(m_database));
    bare.exec("ANALYZE");
    const QString schema = schemaOf(u"bench元"_qs);
    bare.exec("SET search_path TO " + quotedServerName(schema).toUtf8() + ", " +
              quotedServerName(serverMasterSchema()).toUtf8());
    const ServerTables tables = serverTables(DatabaseKind::Customer);
    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    auto compare = [&](const QString& what, const SqlStatement& statement,
                       const QStringList& headings,
                       const std::function<ListRows(const SqlStatement&)>& load) {
        const ServerStatement translated =
            translateForServer(statement.sql, serverNames(DatabaseKind::Customer), &tables);
        const QVariantList params = serverParameterValues(translated, statement.params);
        const QByteArray sql = translated.sql.toUtf8();
        TextTableModel model(headings);
        // A short list is timed over enough fills to be measured.
        const double once = seconds([&] { bare.rows(sql, params); });
        const int fills = std::clamp(int(0.05 / std::max(once, 1e-6)), 1, 2000);
        model.setRows(load(statement));
        // In turns, so that both sides meet the machine as it is.
        std::vector<double> floor, project;
        for (int run = 0; run < m_runs; ++run) {
            floor.push_back(seconds([&] {
                for (int i = 0; i < fills; ++i)
                    bare.rows(sql, params);
            }));
            project.push_back(seconds([&] {
                for (int i = 0; i < fills; ++i)
                    model.setRows(load(statement));
            }));
        }
        timeLine(what, median(project) * 1000 / fills, median(floor) * 1000 / fills, 1.3);
    };
    for (KanaRow row : {KanaRow::Ka, KanaRow::A, KanaRow::Other, KanaRow::Abc}) {
        query.UserWhere = kanaRowCondition(row);
        compare(kanaRowName(row) + u"行 の一覧"_qs, query.userStatement(), userColumns().headings(),
                [&](const SqlStatement& s) { return LoadUserRows(db, s); });
    }
    query.showLogsOf(u"777"_qs);
    compare(u"logs of one subject"_qs, query.logStatement(), logColumns().headings(),
            [&](const SqlStatement& s) { return LoadLogRows(db, s); });
}

void ServerBench::searches(const QString& filesPath)
{
    Database server = OpenAccountFile(AccountKind::Operator, u"bench元"_qs);
    Database files = Database::open(filesPath);
    BarePg bare(conninfo(m_database));
    bare.exec("SET search_path TO " + quotedServerName(schemaOf(u"bench元"_qs)).toUtf8() + ", " +
              quotedServerName(serverMasterSchema()).toUtf8());
    const ServerTables tables = serverTables(DatabaseKind::Customer);
    struct Search
    {
        SearchKind kind;
        QString folded, exact; // the words, written as the shop types them
    };
    // A kana word the data holds in half width, digits typed full width.
    const Search searches[] = {{SearchKind::Users, u"やまだ"_qs, u"ﾔﾏﾀﾞ"_qs},
                               {SearchKind::Subjects, u"件名１２３"_qs, u"件名123"_qs},
                               {SearchKind::Logs, u"説明した。９９９"_qs, u"説明した。999"_qs}};
    for (const Search& search : searches) {
        auto statement = [&](bool folded) {
            CustomerListQuery query;
            query.setSortClauses(BuildCustomerSortClauses(files));
            SearchRequest request;
            request.kind = search.kind;
            request.word1 = folded ? search.folded : search.exact;
            request.folded = folded;
            applySearch(query, request);
            return search.kind == SearchKind::Users      ? query.userStatement()
                   : search.kind == SearchKind::Subjects ? query.subjectStatement()
                                                         : query.logStatement();
        };
        auto load = [&](Database& db, const SqlStatement& s) {
            return search.kind == SearchKind::Users      ? LoadUserRows(db, s)
                   : search.kind == SearchKind::Subjects ? LoadSubjectRows(db, s)
                                                         : LoadLogRows(db, s);
        };
        const SqlStatement folded = statement(true), exact = statement(false);
        const ServerStatement translated =
            translateForServer(exact.sql, serverNames(DatabaseKind::Customer), &tables);
        const QByteArray bareSql = translated.sql.toUtf8();
        const QVariantList bareParams = serverParameterValues(translated, exact.params);
        size_t onServer = 0, onFiles = 0, bareRows = 0;
        std::vector<double> foldedTimes, exactTimes, filesTimes, floorTimes;
        for (int run = 0; run < m_runs; ++run) {
            foldedTimes.push_back(seconds([&] { onServer = load(server, folded).size(); }));
            exactTimes.push_back(seconds([&] { load(server, exact); }));
            filesTimes.push_back(seconds([&] { onFiles = load(files, folded).size(); }));
            floorTimes.push_back(seconds([&] { bareRows = bare.rows(bareSql, bareParams); }));
        }
        const QString what = QStringLiteral("search of %1 「%2」")
                                 .arg(search.kind == SearchKind::Users      ? u"users"_qs
                                      : search.kind == SearchKind::Subjects ? u"subjects"_qs
                                                                            : u"logs"_qs,
                                      search.folded);
        out() << QStringLiteral("  %1 %2 rows folded, %3 exact, %4 on the files\n")
                     .arg(what, -34)
                     .arg(onServer)
                     .arg(bareRows)
                     .arg(onFiles);
        timeLine(u"    folded beside exact, server"_qs, median(foldedTimes) * 1000,
                 median(exactTimes) * 1000, 2.0);
        timeLine(u"    folded, server beside files"_qs, median(foldedTimes) * 1000,
                 median(filesTimes) * 1000, 1.0);
        timeLine(u"    exact beside bare libpq"_qs, median(exactTimes) * 1000,
                 median(floorTimes) * 1000, 1.3);
        if (onServer != onFiles)
            out() << "    the server found other rows than the files\n";
    }
}

void ServerBench::bulkInserts()
{
    const QString schema = schemaOf(u"bench先"_qs);
    BarePg bare(conninfo(m_database));
    for (const Table& t : customerTables(m_users)) {
        const int count = m_users;
        std::vector<double> store, floor;
        for (int run = 0; run < m_runs; ++run) {
            emptyAccount(bare, schema);
            floor.push_back(seconds([&] {
                bare.exec("BEGIN");
                bare.copy(copySql(schema, t.name, t.columns), copyRows(count, t.values, false));
                bare.exec("COMMIT");
            }));
            emptyAccount(bare, schema);
            Database db = OpenAccountFile(AccountKind::Operator, u"bench先"_qs);
            store.push_back(seconds([&] {
                Transaction adding(db);
                {
                    BulkInsert insert(db, t.name, t.columns);
                    for (int i = 0; i < count; ++i)
                        insert.add(t.values(i));
                }
                adding.commit();
            }));
        }
        rateLine(u"bulk insert "_qs + t.name, count, median(store), median(floor));
    }
    emptyAccount(bare, schema);
}

void ServerBench::transfer()
{
    const QString from = schemaOf(u"bench元"_qs), to = schemaOf(u"bench先"_qs);
    BarePg bare(conninfo(m_database));
    bare.exec("SET search_path TO " + quotedServerName(from).toUtf8());
    const std::vector<Table> tables = customerTables(m_users);
    const char* const reads[] = {
        "SELECT * FROM \"ユーザー\" ORDER BY \"ユーザーID\"",
        "SELECT * FROM \"件名\" ORDER BY \"ユーザーID\", \"件名ID\"",
        "SELECT * FROM \"ログ\" ORDER BY \"ユーザーID\", \"件名ID\", \"ログID\""};
    std::vector<double> store, floor;
    for (int run = 0; run < m_runs; ++run) {
        say(QStringLiteral("transfer, run %1 …").arg(run + 1));
        emptyAccount(bare, to);
        floor.push_back(seconds([&] {
            for (const char* sql : reads)
                bare.rows(sql);
            bare.exec("BEGIN");
            for (const Table& t : tables)
                bare.copy(copySql(to, t.name, t.columns), copyRows(t.count, t.values, false));
            bare.exec("COMMIT");
        }));
        emptyAccount(bare, to);
        store.push_back(seconds([&] { TransferCustomerData(u"bench元"_qs, u"bench先"_qs); }));
    }
    rateLine(QStringLiteral("customer transfer of %1 rows").arg(rowCount(m_users)),
             double(rowCount(m_users)), median(store), median(floor));
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int users = 100000, runs = 3;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--users")
            users = args[i + 1].toInt();
        else if (args[i] == u"--runs")
            runs = args[i + 1].toInt();
    }
    // The program and the server on one CPU: a short query's time is mostly
    // the wait for the server, which otherwise depends on which CPU each of
    // the server's processes happens to run on (a factor of three between
    // two connections to one server, on this machine), not on the program.
    cpu_set_t one;
    CPU_ZERO(&one);
    CPU_SET(0, &one);
    sched_setaffinity(0, sizeof one, &one);
    test::PgCluster cluster;
    if (!cluster.isRunning()) {
        QTextStream(stderr) << "no private cluster: " << cluster.error() << '\n';
        return 1;
    }
    QTemporaryDir folder;
    try {
        buildShop(folder.path(), users);
        const QString filesPath = OpenAccountFile(AccountKind::Operator, u"bench元"_qs).path();
        out() << "server store beside bare libpq (" << users << " users, " << 3 * users
              << " subjects, " << 10 * users << " logs; median of " << runs << ")\n";
        ServerBench bench(cluster, folder.path(), users, runs);
        bench.importShop();
        bench.lists();
        bench.searches(filesPath);
        bench.bulkInserts();
        bench.transfer();
    } catch (const Failure& e) {
        QTextStream(stderr) << e.message() << '\n' << e.detail() << '\n';
        return 1;
    }
    return 0;
}
