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
    void administrationGivesTheSameOnBothStores();
    void aTransferGivesTheSameOnBothStores();

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

// A repair added on the server only is listed from the server only: the
// verbs read the store that is set, nothing else.
void TstCliServer::theServerIsWhatTheVerbsRead()
{
    Store::setServer(m_server);
    QVERIFY(OpenMaster().isServer());
    {
        Database shop = OpenAccountFile(AccountKind::Repair, u"本店"_qs);
        QVERIFY(shop.isServer());
        shop.insert(u"修理"_qs, {{u"お客様名"_qs, u"鯖"_qs}, {u"判定"_qs, u"続行"_qs}});
    }
    const QStringList args{u"repairs"_qs, u"本店"_qs};
    QVERIFY(runCliHere(args).out.contains(u"鯖"_qs));
    Store::setServer(std::nullopt);
    QVERIFY(!runCliHere(args).out.contains(u"鯖"_qs));
}

namespace {

// Runs the verbs one after another on the store that is set, telling what
// each said and the accounts listed after it.
QStringList runAll(const QList<QStringList>& verbs)
{
    QStringList told;
    for (const QStringList& args : verbs) {
        const CliRun r = runCliHere(args);
        told << args.join(u' ') << QString::number(r.status) << r.out << r.err
             << runCliHere({u"account"_qs, u"list"_qs}).out;
    }
    return told;
}

} // namespace

// The administrator's verbs: a new account, a rename with a new password,
// refusals (a name listed already, an empty name, a wrong old password), a
// removal, each followed by the accounts listed; a new account on the server
// opens with its shipped settings.
void TstCliServer::administrationGivesTheSameOnBothStores()
{
    const QList<QStringList> verbs = {
        {u"account"_qs, u"add"_qs, u"customer"_qs, u"新人"_qs, u"--password"_qs, u"一"_qs},
        {u"account"_qs, u"add"_qs, u"customer"_qs, u"新人"_qs},
        {u"account"_qs, u"add"_qs, u"repair"_qs, u"支店"_qs},
        {u"account"_qs, u"rename"_qs, u"customer"_qs, u"新人"_qs, u"二人目"_qs,
         u"--old-password"_qs, u"一"_qs, u"--new-password"_qs, u"二"_qs},
        {u"account"_qs, u"passwd"_qs, u"customer"_qs, u"二人目"_qs, u"--old-password"_qs,
         u"違う"_qs},
        {u"users"_qs, u"二人目"_qs, u"--row"_qs, u"あ"_qs, u"--password"_qs, u"二"_qs},
        {u"account"_qs, u"delete"_qs, u"repair"_qs, u"支店"_qs, u"--old-password"_qs, u""_qs,
         u"--yes"_qs},
        {u"account"_qs, u"delete"_qs, u"customer"_qs, u"二人目"_qs, u"--old-password"_qs, u"二"_qs,
         u"--yes"_qs},
    };
    const QStringList files = runAll(verbs);
    Store::setServer(m_server);
    const QStringList server = runAll(verbs);
    QCOMPARE(server, files);
    // The server keeps no schema of a removed account.
    ServerConnection check = ServerConnection::open(*m_server);
    QCOMPARE(check
                 .exec(u"SELECT count(*) FROM pg_namespace WHERE nspname LIKE 'kelvo_%' "
                       u"OR nspname LIKE 'care_%'"_qs)
                 .text(0, 0),
             u"3"_qs);
}

// A transfer of one customer account's users, subjects and logs into
// another, then both listed: the same on both stores.
void TstCliServer::aTransferGivesTheSameOnBothStores()
{
    const QList<QStringList> verbs = {
        {u"transfer"_qs, u"customer"_qs, u"営業一課"_qs, u"佐藤"_qs, u"--password"_qs, u"秘密"_qs},
        {u"transfer"_qs, u"customer"_qs, u"佐藤"_qs, u"佐藤"_qs},
        {u"subjects"_qs, u"佐藤"_qs, u"--state"_qs, u"全て"_qs},
        {u"logs"_qs, u"佐藤"_qs, u"--subject"_qs, u"3"_qs},
        {u"compact"_qs, u"customer"_qs, u"いない"_qs},
    };
    const QStringList files = runAll(verbs);
    Store::setServer(m_server);
    const QStringList server = runAll(verbs);
    QCOMPARE(server, files);
    QVERIFY(files.join(u'\n').contains(u"複合機"_qs));
    // Compaction says its sizes, which differ between the stores.
    const CliRun compacted = runCliHere({u"compact"_qs, u"customer"_qs, u"佐藤"_qs});
    QCOMPARE(compacted.status, 0);
    QVERIFY2(!compacted.out.isEmpty(), qPrintable(compacted.err));
}

QTEST_GUILESS_MAIN(TstCliServer)
#include "tst_cliserver.moc"
