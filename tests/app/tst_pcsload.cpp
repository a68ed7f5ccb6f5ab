// Many PCs on one account of the server for a minute: eight horunea-cli
// writers adding and changing users, one process after the other each, and
// two views watching the account. Afterwards every user a writer was told
// it added is there exactly once, every change a writer was told it made
// holds, and each view's lists equal a fresh read. Against a private
// cluster.
#include "CoreTestSupport.h"
#include "Fixtures.h"
#include "PgCluster.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerView.h"
#include "store/Accounts.h"
#include "store/ServerMove.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerWatch.h"

#include <QElapsedTimer>
#include <QProcess>
#include <QTest>

#include <set>

using namespace horunea;
using namespace horunea::test;

namespace {

// How long the writers write; HORUNEA_LOAD_SECONDS shortens it by hand.
int loadSeconds()
{
    const int asked = qEnvironmentVariableIntValue("HORUNEA_LOAD_SECONDS");
    return asked > 0 ? asked : 60;
}

} // namespace

class TstPcsLoad : public QObject
{
    Q_OBJECT
private slots:
    void eightWritersAndTwoViewsLoseNothing();
};

void TstPcsLoad::eightWritersAndTwoViewsLoseNothing()
{
    PgCluster cluster;
    QVERIFY2(cluster.isRunning(), qPrintable(cluster.error()));
    TempDataFolder folder;
    makeOperator(u"本店"_qs);
    const ServerAddress address = ServerAddress::parse(cluster.connectionString());
    QCOMPARE(ImportFolderToServer(address, folder.path()), 1);
    {
        QFile conf(folder.file(u"server.conf"_qs));
        QVERIFY(conf.open(QIODevice::WriteOnly));
        conf.write(address.connectionString().toUtf8());
    }
    Store::setServer(address);

    // Two PCs' views, each on its connection, watching the account.
    Database first = OpenAccountFile(AccountKind::Operator, u"本店"_qs);
    Database second = OpenAccountFile(AccountKind::Operator, u"本店"_qs);
    std::vector<std::unique_ptr<CustomerView>> views;
    std::vector<std::unique_ptr<ServerWatch>> watches;
    for (Database* db : {&first, &second}) {
        views.push_back(std::make_unique<CustomerView>(*db));
        CustomerView* v = views.back().get();
        v->OpenCustomerWindow();
        v->selectKanaRow(KanaRow::Ka);
        watches.push_back(std::make_unique<ServerWatch>(*db));
        QObject::connect(watches.back().get(), &ServerWatch::changed, v,
                         [v] { v->reloadKeepingCurrent(); });
    }

    // Writer w adds user ｶw-n, and every third time changes the company of
    // the user it added last; what each process said it did is kept.
    const QString cli = QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs);
    std::set<QString> added;
    std::map<QString, QString> companies;
    int failed = 0;
    std::vector<std::unique_ptr<QProcess>> writers;
    QElapsedTimer clock;
    clock.start();
    const qint64 until = qint64(loadSeconds()) * 1000;
    std::function<void(int, int)> next = [&](int w, int n) {
        if (clock.elapsed() >= until)
            return;
        const QString name = QStringLiteral("ｶ%1-%2").arg(w).arg(n);
        const QString last = QStringLiteral("ｶ%1-%2").arg(w).arg(n - 1);
        const bool change = n % 3 == 2;
        const QString company = QStringLiteral("会社%1").arg(n);
        const QString sql =
            change
                ? QStringLiteral("UPDATE ユーザー SET 会社名 = '%1' WHERE 表示名 = '%2'")
                      .arg(company, last)
                : QStringLiteral("INSERT INTO ユーザー (表示ふりがな, 表示名) VALUES ('%1', '%1')")
                      .arg(name);
        QProcess* p = writers[size_t(w)].get();
        QObject::disconnect(p, nullptr, nullptr, nullptr);
        QObject::connect(p, &QProcess::finished, p, [&, w, n, change, name, last, company, p] {
            if (p->exitCode() != 0) {
                ++failed;
                qWarning().noquote() << p->readAllStandardError();
            } else if (change) {
                companies[last] = company;
            } else {
                added.insert(name);
            }
            next(w, n + 1);
        });
        p->start(cli, {u"--data-dir"_qs, folder.path(), u"sql"_qs, u"customer:本店"_qs, sql});
    };
    for (int w = 0; w < 8; ++w) {
        writers.push_back(std::make_unique<QProcess>());
        next(w, 0);
    }
    QTRY_VERIFY_WITH_TIMEOUT(
        std::all_of(writers.begin(), writers.end(),
                    [](const auto& p) { return p->state() == QProcess::NotRunning; }) &&
            clock.elapsed() >= until,
        int(until) + 60000);
    QCOMPARE(failed, 0);
    qInfo("the writers added %zu users and made %zu changes", added.size(), companies.size());
    QVERIFY2(added.size() > 40, qPrintable(QString::number(added.size())));

    // Every user added once, every change there.
    Database check = OpenAccountFile(AccountKind::Operator, u"本店"_qs);
    const ListRows all =
        check.textRows(u"SELECT 表示名, 会社名 FROM ユーザー ORDER BY ユーザーID"_qs,
                       {u"表示名"_qs, u"会社名"_qs});
    std::map<QString, int> seen;
    for (const TextRow& row : all) {
        ++seen[row.value(0)];
        if (const auto c = companies.find(row.value(0)); c != companies.end())
            QCOMPARE(row.value(1), c->second);
    }
    QCOMPARE(seen.size(), added.size());
    for (const QString& name : added)
        QCOMPARE(seen[name], 1);

    // Each view, once the last notices are in, shows what a fresh read shows.
    for (const auto& v : views) {
        QTRY_VERIFY_WITH_TIMEOUT(v->userRows() == LoadUserRows(check, v->query().userStatement()),
                                 5000);
    }
    watches.clear();
    views.clear();
    Store::setServer(std::nullopt);
}

QTEST_GUILESS_MAIN(TstPcsLoad)
#include "tst_pcsload.moc"
