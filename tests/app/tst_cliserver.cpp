// The command line's reading verbs on both stores: a shop's folder, then
// the same shop moved to a private server, give the same output, byte for
// byte, and the same refusals. The accounts are found, their passwords
// checked and their locks held on the server as with the files.
#include "CliSupport.h"
#include "CoreTestSupport.h"
#include "Fixtures.h"
#include "PgCluster.h"

#include "store/ServerConnection.h"
#include "store/ServerMove.h"
#include "store/Store.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

class TstCliServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanup();
    void verbsGiveTheSameOnBothStores_data();
    void verbsGiveTheSameOnBothStores();
    void anAccountInUseIsRefusedOnTheServerToo();
    void theServerIsWhatTheVerbsRead();

private:
    std::unique_ptr<PgCluster> m_cluster;
    std::unique_ptr<TempDataFolder> m_folder;
    std::optional<ServerAddress> m_server;
};

void TstCliServer::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_folder = std::make_unique<TempDataFolder>();
    makeOperator(u"営業一課"_qs, u"秘密"_qs);
    makeOperator(u"佐藤"_qs);
    makeRepairAccount(u"本店"_qs);
    {
        Database db = Database::open(customerFile(u"営業一課"_qs));
        addKanaRowSample(db);
        const qint64 kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"会社名"_qs, u"加藤工業"_qs}});
        const qint64 s = addSubject(db, kato, u"複合機"_qs);
        addSubject(db, kato, u"納品"_qs, u"完了"_qs);
        addLog(db, s, kato, u"訪問\tした\n二行目"_qs);
    }
    {
        Database db = Database::open(repairFile(u"本店"_qs));
        const qint64 r = addRepair(db, u"河合"_qs, u"北村商店"_qs, u"続行"_qs,
                                   {{u"入金"_qs, u"未入"_qs}, {u"売値"_qs, u"12000"_qs}});
        addRepair(db, u"青木"_qs, QString(), u"完了"_qs, {{u"入金"_qs, u"未入"_qs}});
        addRepairLog(db, r, u"部品発注"_qs);
    }
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString());
    QCOMPARE(ImportFolderToServer(address, m_folder->path()), 3);
    m_server = address;
}

void TstCliServer::cleanup()
{
    Store::setServer(std::nullopt);
}

void TstCliServer::verbsGiveTheSameOnBothStores_data()
{
    QTest::addColumn<QStringList>("args");
    const QStringList pw{u"--password"_qs, u"秘密"_qs};
    auto row = [](const char* name, const QStringList& args) { QTest::newRow(name) << args; };
    for (const char* kana : {"あ", "か", "さ", "ABC", "その他"})
        row(kana,
            QStringList{u"users"_qs, u"営業一課"_qs, u"--row"_qs, QString::fromUtf8(kana)} + pw);
    row("subjects", QStringList{u"subjects"_qs, u"営業一課"_qs, u"--state"_qs, u"全て"_qs} + pw);
    row("subjects of a user",
        QStringList{u"subjects"_qs, u"営業一課"_qs, u"--user"_qs, u"1"_qs} + pw);
    row("logs", QStringList{u"logs"_qs, u"営業一課"_qs, u"--subject"_qs, u"1"_qs} + pw);
    row("folded search",
        QStringList{u"search"_qs, u"営業一課"_qs, u"--in"_qs, u"users"_qs, u"かとう"_qs} + pw);
    row("exact search of logs", QStringList{u"search"_qs, u"営業一課"_qs, u"--in"_qs, u"logs"_qs,
                                            u"訪問"_qs, u"--exact"_qs} +
                                    pw);
    row("repairs", {u"repairs"_qs, u"本店"_qs, u"--state"_qs, u"全て"_qs});
    row("unpaid", {u"repairs"_qs, u"本店"_qs, u"--unpaid"_qs});
    row("repair logs", {u"repair-logs"_qs, u"本店"_qs, u"--repair"_qs, u"1"_qs});
    row("sql", QStringList{u"sql"_qs, u"customer:営業一課"_qs,
                           u"Select 表示名, ﾕｰｻﾞｰID From ﾕｰｻﾞｰ Where 表示ふりがな Like '[ｶ-ｺ]%' "
                           u"Order By 表示名 Desc"_qs} +
                   pw);
    row("wrong password",
        {u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"か"_qs, u"--password"_qs, u"違う"_qs});
    row("unknown account", {u"users"_qs, u"いない"_qs, u"--row"_qs, u"か"_qs});
    row("accounts", {u"account"_qs, u"list"_qs});
}

void TstCliServer::verbsGiveTheSameOnBothStores()
{
    QFETCH(QStringList, args);
    const CliRun files = runCliHere(args);
    Store::setServer(m_server);
    const CliRun server = runCliHere(args);
    QCOMPARE(server.out, files.out);
    QCOMPARE(server.err, files.err);
    QCOMPARE(server.status, files.status);
    QVERIFY(!files.out.isEmpty() || !files.err.isEmpty());
}

// An account the program holds exclusively (a transfer into it, say) is
// refused to a verb, and free again once let go.
void TstCliServer::anAccountInUseIsRefusedOnTheServerToo()
{
    Store::setServer(m_server);
    const QStringList args{u"users"_qs, u"佐藤"_qs, u"--row"_qs, u"か"_qs};
    {
        Database held =
            OpenAccountFile(AccountKind::Operator, u"佐藤"_qs, AccountLock::Mode::Exclusive);
        const CliRun refused = runCliHere(args);
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(u"「佐藤」は使用中です。"_qs), qPrintable(refused.err));
        // Nor does anyone else get it while it is held.
        QVERIFY_THROWS_EXCEPTION(Failure, OpenAccountFile(AccountKind::Operator, u"佐藤"_qs));
    }
    {
        // Two who only read share it.
        Database reading = OpenAccountFile(AccountKind::Operator, u"佐藤"_qs);
        QCOMPARE(runCliHere(args).status, 0);
    }
    QCOMPARE(runCliHere(args).status, 0);
}

// A user added on the server only is listed from the server only: the
// verbs read the store that is set, nothing else.
void TstCliServer::theServerIsWhatTheVerbsRead()
{
    Store::setServer(m_server);
    QVERIFY(OpenMaster().isServer());
    {
        Database sato = OpenAccountFile(AccountKind::Operator, u"佐藤"_qs);
        QVERIFY(sato.isServer());
        sato.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, u"ｻｰﾊﾞｰ"_qs}, {u"表示名"_qs, u"鯖"_qs}});
    }
    const QStringList args{u"users"_qs, u"佐藤"_qs, u"--row"_qs, u"さ"_qs};
    QVERIFY(runCliHere(args).out.contains(u"鯖"_qs));
    Store::setServer(std::nullopt);
    QVERIFY(!runCliHere(args).out.contains(u"鯖"_qs));
}

QTEST_GUILESS_MAIN(TstCliServer)
#include "tst_cliserver.moc"
