// Several PCs on one account of the server, on a private cluster:
//
//   - the time from a commit on one connection to the other view's lists
//     read again (its ServerWatch told, reloadKeepingCurrent done), over
//     200 changes: median and 95th percentile, beside the floor, a bare
//     libpq LISTEN told of the same commits;
//   - the kana-row list fill and a 変更 of a user (ChangeUser) with 8
//     writers adding and changing users on other connections at once,
//     beside the same with none;
//   - what a change that touches no list shown (a log another PC adds under
//     a subject the view does not show) costs each of ten watching views:
//     the view's own time reading again what the changed table can touch,
//     beside reading every list again as it did before, and beside the
//     floor, a bare libpq LISTEN told.
//
// The account holds N users, 3 subjects a user and 3 logs a subject
// (--users 100000: about the shop's 100,000, 300,000 and 1,000,000).
//
//   bench_pcs [--users N]
#include "PgCluster.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "customer/CustomerStorage.h"
#include "customer/CustomerView.h"
#include "store/Database.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"
#include "store/server/ServerWatch.h"

#include <QCoreApplication>
#include <QDate>
#include <QElapsedTimer>
#include <QTextStream>

#include <libpq-fe.h>
#include <sys/select.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <memory>
#include <thread>
#include <vector>

using namespace horunea;

namespace {

QTextStream& out()
{
    static QTextStream s(stdout);
    return s;
}

double percentile(std::vector<double> v, double p)
{
    std::sort(v.begin(), v.end());
    return v[std::min(v.size() - 1, size_t(p * double(v.size())))];
}

QStringList userValues(int i)
{
    QStringList values(UserFieldCount);
    values[int(UserField::Reading)] = (i % 2 ? u"ｶ"_qs : u"ｱ"_qs) + QString::number(i);
    values[int(UserField::Name)] = u"利用者"_qs + QString::number(i);
    values[int(UserField::Company)] = u"会社"_qs + QString::number(i % 97);
    return values;
}

class PcsBench
{
public:
    PcsBench(const ServerAddress& address, QString schema)
        : m_address(address), m_schema(std::move(schema))
    {}

    Database open() const
    {
        return Database::openServer(m_address, m_schema, DatabaseKind::Customer);
    }
    void notifyLatency();
    void underWriters();
    void unrelatedChange();

private:
    double fillMs(Database& db, int runs);
    double changeMs(Database& db, int runs);

    ServerAddress m_address;
    QString m_schema;
};

void PcsBench::notifyLatency()
{
    Database writer = open(), office = open();
    CustomerView view(office);
    view.OpenCustomerWindow();
    view.selectKanaRow(KanaRow::Ka);
    view.selectUser(0);
    ServerWatch watch(office);
    int reloads = 0;
    QObject::connect(&watch, &ServerWatch::changed, &view, [&] {
        view.reloadKeepingCurrent();
        ++reloads;
    });
    // The floor: a bare connection listening on the same channel.
    PGconn* bare = PQconnectdb(m_address.connectionString().toUtf8().constData());
    const QByteArray listen = "LISTEN " + quotedServerName(serverChangeChannel(m_schema)).toUtf8();
    PQclear(PQexec(bare, listen.constData()));
    const int socket = PQsocket(bare);
    const QString user = view.SelectedUserId;
    std::vector<double> store, floor;
    for (int i = 0; i < 200; ++i) {
        QElapsedTimer timer;
        timer.start();
        const int before = reloads;
        UpdateUser(writer, user, userValues(i));
        // The floor first: the bare connection told.
        bool told = false;
        while (!told) {
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket, &readable);
            timeval wait{1, 0};
            select(socket + 1, &readable, nullptr, nullptr, &wait);
            PQconsumeInput(bare);
            while (PGnotify* n = PQnotifies(bare)) {
                told = true;
                PQfreemem(n);
            }
        }
        floor.push_back(double(timer.nsecsElapsed()) / 1e6);
        while (reloads == before && timer.elapsed() < 5000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
        store.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    PQfinish(bare);
    out() << QStringLiteral("  commit to the other view's reload   median %1 ms  95% %2 ms  "
                            "(goal < 200 ms)\n")
                 .arg(percentile(store, 0.5), 0, 'f', 2)
                 .arg(percentile(store, 0.95), 0, 'f', 2);
    out() << QStringLiteral("  … a bare LISTEN told (floor)        median %1 ms  95% %2 ms  "
                            "ratio of medians %3×\n")
                 .arg(percentile(floor, 0.5), 0, 'f', 2)
                 .arg(percentile(floor, 0.95), 0, 'f', 2)
                 .arg(percentile(store, 0.5) / percentile(floor, 0.5), 0, 'f', 1);
    out().flush();
}

double PcsBench::fillMs(Database& db, int runs)
{
    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    query.UserWhere = kanaRowCondition(KanaRow::Ka);
    const SqlStatement statement = query.userStatement();
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer timer;
        timer.start();
        LoadUserRows(db, statement);
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return percentile(times, 0.5);
}

double PcsBench::changeMs(Database& db, int runs)
{
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const QString key = QString::number(1 + i % 1000);
        QElapsedTimer timer;
        timer.start();
        ChangeUser(db, key, ReadUserDetail(db, key), userValues(i + 7));
        times.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    return percentile(times, 0.5);
}

void PcsBench::underWriters()
{
    Database db = open();
    const double quietFill = fillMs(db, 21), quietChange = changeMs(db, 101);
    std::atomic<bool> stop = false;
    std::atomic<long> writes = 0;
    std::vector<std::thread> writers;
    for (int w = 0; w < 8; ++w) {
        writers.emplace_back([&, w] {
            Database mine = open();
            for (int i = 0; !stop; ++i) {
                if (i % 2)
                    AddUser(mine, userValues(100000 + w * 100000 + i));
                else
                    UpdateUser(mine, QString::number(1001 + (w * 37 + i) % 1000), userValues(i));
                ++writes;
            }
        });
    }
    QElapsedTimer timer;
    timer.start();
    const double busyFill = fillMs(db, 21), busyChange = changeMs(db, 101);
    const double seconds = double(timer.nsecsElapsed()) / 1e9;
    stop = true;
    for (std::thread& t : writers)
        t.join();
    out() << QStringLiteral("  か行 list fill, 8 writers          %1 ms  none %2 ms  %3×\n")
                 .arg(busyFill, 0, 'f', 2)
                 .arg(quietFill, 0, 'f', 2)
                 .arg(busyFill / quietFill, 0, 'f', 2);
    out() << QStringLiteral("  変更 of a user, 8 writers          %1 ms  none %2 ms  %3×  "
                            "(the writers: %4 writes/s)\n")
                 .arg(busyChange, 0, 'f', 2)
                 .arg(quietChange, 0, 'f', 2)
                 .arg(busyChange / quietChange, 0, 'f', 2)
                 .arg(double(writes) / seconds, 0, 'f', 0);
    out().flush();
}

void PcsBench::unrelatedChange()
{
    constexpr int Watchers = 10, Changes = 30;
    Database writer = open();
    std::vector<std::unique_ptr<Database>> connections;
    std::vector<std::unique_ptr<CustomerView>> views;
    std::vector<std::unique_ptr<ServerWatch>> watches;
    std::vector<double> own, all;
    int told = 0;
    for (int w = 0; w < Watchers; ++w) {
        connections.push_back(std::make_unique<Database>(open()));
        auto view = std::make_unique<CustomerView>(*connections.back());
        view->OpenCustomerWindow();
        view->selectKanaRow(KanaRow::Ka);
        view->selectUser(0);
        view->setSubjectFilter(u"全て"_qs);
        view->setIndividual(true);
        view->selectSubject(0);
        auto watch = std::make_unique<ServerWatch>(*connections.back());
        CustomerView* v = view.get();
        QObject::connect(watch.get(), &ServerWatch::changed, v, [&, v](const QStringList& tables) {
            QElapsedTimer timer;
            timer.start();
            v->reloadKeepingCurrent(tables);
            own.push_back(double(timer.nsecsElapsed()) / 1e6);
            ++told;
        });
        views.push_back(std::move(view));
        watches.push_back(std::move(watch));
    }
    // A subject of the last user: no view has it chosen.
    const QString subject =
        writer.query(u"SELECT max(件名ID) FROM 件名"_qs).first().value(0).toString();
    const QString user = writer.query(u"SELECT ユーザーID FROM 件名 WHERE 件名ID = ?"_qs, {subject})
                             .first()
                             .value(0)
                             .toString();
    for (int i = 0; i < Changes; ++i) {
        const int before = told;
        AddLog(writer, subject, user,
               {QDate(2026, 12, 10), u"山田"_qs, QStringLiteral("追記%1").arg(i)});
        QElapsedTimer timer;
        timer.start();
        while (told < before + Watchers && timer.elapsed() < 10000)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    }
    for (int i = 0; i < 5; ++i) {
        QElapsedTimer timer;
        timer.start();
        views.front()->reloadKeepingCurrent();
        all.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    out() << QStringLiteral("  a log under a subject no view shows  %1 ms of each view's time "
                            "(median of %2, %3 views; goal < 50 ms)\n")
                 .arg(percentile(own, 0.5), 0, 'f', 2)
                 .arg(own.size())
                 .arg(Watchers);
    out() << QStringLiteral(
                 "  … reading every list again (before) %1 ms  %2× the view's time now\n")
                 .arg(percentile(all, 0.5), 0, 'f', 2)
                 .arg(percentile(all, 0.5) / percentile(own, 0.5), 0, 'f', 1);
    out().flush();
}

} // namespace

int main(int argc, char* argv[])
{
    QCoreApplication app(argc, argv);
    int users = 10000;
    const QStringList args = app.arguments();
    for (int i = 1; i + 1 < args.size(); i += 2) {
        if (args[i] == u"--users")
            users = args[i + 1].toInt();
    }
    test::PgCluster cluster;
    if (!cluster.isRunning()) {
        QTextStream(stderr) << "no private cluster: " << cluster.error() << '\n';
        return 1;
    }
    try {
        const ServerAddress address = ServerAddress::parse(cluster.connectionString());
        const QString schema = serverAccountSchema(DatabaseKind::Customer, 1);
        {
            ServerConnection admin = ServerConnection::open(address);
            admin.exec(u"CREATE SCHEMA "_qs + serverMasterSchema());
            admin.exec(serverFoldFunction(serverMasterSchema()));
            createServerSchema(admin, DatabaseKind::Customer, schema);
        }
        Store::setServer(address);
        PcsBench bench(address, schema);
        {
            Database db = bench.open();
            Transaction adding(db);
            BulkInsert insert(db, u"ユーザー"_qs, userDetailFields());
            for (int i = 0; i < users; ++i) {
                QVariantList values;
                for (const QString& v : userValues(i))
                    values << v;
                insert.add(values);
            }
            insert.finish();
            // Three subjects a user, three logs a subject.
            db.execRaw(u"INSERT INTO \"件名\" (\"ユーザーID\", \"登録日\", \"件名\", \"判定\") "
                       u"SELECT \"ユーザーID\", '2026/12/09(水)', '件名' || g, '続行' "
                       u"FROM \"ユーザー\", generate_series(1, 3) g"_qs);
            db.execRaw(u"INSERT INTO \"ログ\" (\"件名ID\", \"ユーザーID\", \"登録日\", "
                       u"\"記録者\", \"ログ\") SELECT \"件名ID\", \"ユーザーID\", "
                       u"'2026/12/09(水)', '山田', 'ログ' || g FROM \"件名\", "
                       u"generate_series(1, 3) g"_qs);
            adding.commit();
        }
        out() << "several PCs on one account of the server (" << users << " users)\n";
        bench.notifyLatency();
        bench.underWriters();
        bench.unrelatedChange();
    } catch (const Failure& e) {
        QTextStream(stderr) << e.message() << '\n' << e.detail() << '\n';
        return 1;
    }
    return 0;
}
