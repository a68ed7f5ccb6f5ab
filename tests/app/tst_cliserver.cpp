// The command line's reading verbs on both stores: a shop's folder, then
// the same shop moved to a private server, give the same output, byte for
// byte, and the same refusals. The accounts are found, their passwords
// checked and their locks held on the server as with the files.
#include "CliSupport.h"
#include "CoreTestSupport.h"
#include "Fixtures.h"
#include "PgCluster.h"
#include "PreviousVersionFixture.h"

#include "store/ServerMove.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerSchema.h"
#include "store/server/ServerWatch.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

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
    // The stores hold the same until theServerIsWhatTheVerbsRead.
    void reportsAndCsvGiveTheSameOnBothStores_data();
    void reportsAndCsvGiveTheSameOnBothStores();
    void aConversionGivesTheSameOnBothStores();
    void anAccountInUseIsRefusedOnTheServerToo();
    void theServerIsWhatTheVerbsRead();
    void administrationGivesTheSameOnBothStores();
    void aTransferGivesTheSameOnBothStores();
    void whereAndInitNameTheServer();
    void aServerConfThatCannotBeUsedIsSaid();
    void backupAndRestoreOnTheServer();
    // These two make data folders of their own: the shop's is gone after them.
    void serverVerbsMoveTheShopThereAndBack();
    void aKilledImportLeavesNothingOnTheServer();
    void aKilledTransferLeavesTheDestinationOnTheServer();
    void oneNameAddedFromThreePcsAtOnceIsOneAccount();
    void anOpenAccountIsHeldWhileItsPcReconnects();
    void aClerksRoleWorksTheRowsAndIsToldWhatItMayNotDo();
    void aKilledExportLeavesNoFolderUnderItsName_data();
    void aKilledExportLeavesNoFolderUnderItsName();

private:
    // The shop's data folder names the server in its server.conf (or not):
    // the program and the verbs follow it.
    void useServer(bool on);

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

void TstCliServer::useServer(bool on)
{
    const QString conf = QDir(m_folder->path()).filePath(u"server.conf"_qs);
    if (on) {
        QFile file(conf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(m_server->connectionString().toUtf8() + "\n");
    } else {
        QFile::remove(conf);
    }
    Store::followDataFolder();
}

void TstCliServer::cleanup()
{
    QFile::remove(QDir(m_folder->path()).filePath(u"server.conf"_qs));
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
    useServer(true);
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
    useServer(true);
    const QStringList args{u"users"_qs, u"佐藤"_qs, u"--row"_qs, u"か"_qs};
    {
        Database held =
            OpenAccountFile(AccountKind::Operator, u"佐藤"_qs, AccountLock::Mode::Exclusive);
        const CliRun refused = runCliHere(args);
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(u"「佐藤」は他の端末で使用中です。"_qs),
                 qPrintable(refused.err));
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
    useServer(true);
    QVERIFY(OpenMaster().isServer());
    {
        Database shop = OpenAccountFile(AccountKind::Repair, u"本店"_qs);
        QVERIFY(shop.isServer());
        shop.insert(u"修理"_qs, {{u"お客様名"_qs, u"鯖"_qs}, {u"判定"_qs, u"続行"_qs}});
    }
    const QStringList args{u"repairs"_qs, u"本店"_qs};
    QVERIFY(runCliHere(args).out.contains(u"鯖"_qs));
    useServer(false);
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
        // What a new account was made as is the store's own: a file, or an
        // account of the server.
        QString err = r.err;
        err.replace(
            QRegularExpression(u"^作成しました: .*$"_qs, QRegularExpression::MultilineOption),
            u"作成しました"_qs);
        told << args.join(u' ') << QString::number(r.status) << r.out << err
             << runCliHere({u"account"_qs, u"list"_qs}).out;
    }
    return told;
}

} // namespace

// The administrator's verbs: a new account, a rename with a new password,
// refusals (a name listed already, an empty name, a wrong old password), a
// removal, each followed by the accounts listed; a new account on the server
// opens with its template's settings, as a file copied from kelvo.mdb does.
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
    useServer(true);
    const QStringList server = runAll(verbs);
    QCOMPARE(server, files);
    // The server keeps no schema of a removed account.
    ServerConnection check = ServerConnection::open(*m_server);
    QCOMPARE(check
                 .exec(u"SELECT count(*) FROM pg_namespace WHERE (nspname LIKE 'kelvo_%' "
                       u"OR nspname LIKE 'care_%') AND nspname NOT IN ('kelvo_0', 'care_0')"_qs)
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
    useServer(true);
    const QStringList server = runAll(verbs);
    QCOMPARE(server, files);
    QVERIFY(files.join(u'\n').contains(u"複合機"_qs));
    // Compaction says its sizes, which differ between the stores.
    const CliRun compacted = runCliHere({u"compact"_qs, u"customer"_qs, u"佐藤"_qs});
    QCOMPARE(compacted.status, 0);
    QVERIFY2(!compacted.out.isEmpty(), qPrintable(compacted.err));
}

namespace {

// What a verb wrote into its file: a CSV's bytes, a PDF's text as pdftotext
// reads it (the time of printing left out, which differs between runs).
QByteArray writtenFile(const QString& path)
{
    if (!path.endsWith(u".pdf"_qs)) {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    QProcess text;
    text.start(u"pdftotext"_qs, {u"-layout"_qs, path, u"-"_qs});
    if (!text.waitForFinished(60000))
        return {};
    static const QRegularExpression printed(u"\\d{4}/\\d{2}/\\d{2} / \\d{1,2}:\\d{2}"_qs);
    return QString::fromUtf8(text.readAllStandardOutput())
        .replace(printed, u"(印刷日時)"_qs)
        .toUtf8();
}

// Runs horunea-cli in a process of its own (the reports draw with fonts).
CliRun runCliProcess(const QStringList& args)
{
    QProcess cli;
    cli.start(QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs),
              QStringList{u"--data-dir"_qs, DataFolder::path()} + args);
    cli.waitForFinished(120000);
    return {cli.exitCode(), QString::fromUtf8(cli.readAllStandardOutput()),
            QString::fromUtf8(cli.readAllStandardError())};
}

} // namespace

// Each of the seven reports and the lists saved as CSV: the same pages and
// the same bytes from either store. OUT stands for the file written.
void TstCliServer::reportsAndCsvGiveTheSameOnBothStores_data()
{
    QTest::addColumn<QStringList>("args");
    const QStringList pw{u"--password"_qs, u"秘密"_qs};
    const QString pdf = u"--pdf"_qs, csv = u"--csv"_qs, out = u"OUT"_qs;
    auto row = [](const char* name, const QStringList& args) { QTest::newRow(name) << args; };
    row("customer list", QStringList{u"report"_qs, u"customer-list"_qs, u"営業一課"_qs, u"--row"_qs,
                                     u"か"_qs, pdf, out} +
                             pw);
    row("user sheet", QStringList{u"report"_qs, u"user-sheet"_qs, u"営業一課"_qs, u"--user"_qs,
                                  u"1"_qs, pdf, out} +
                          pw);
    row("subject list",
        QStringList{u"report"_qs, u"subject-list"_qs, u"営業一課"_qs, pdf, out} + pw);
    row("repair list",
        {u"report"_qs, u"repair-list"_qs, u"本店"_qs, u"--state"_qs, u"全て"_qs, pdf, out});
    row("unpaid list", {u"report"_qs, u"unpaid-list"_qs, u"本店"_qs, pdf, out});
    row("maker list", {u"report"_qs, u"maker-list"_qs, u"本店"_qs, pdf, out});
    row("repair report",
        {u"report"_qs, u"repair-report"_qs, u"本店"_qs, u"--repair"_qs, u"1"_qs, pdf, out});
    row("users as CSV",
        QStringList{u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"か"_qs, csv, out} + pw);
    row("subjects as CSV",
        QStringList{u"subjects"_qs, u"営業一課"_qs, u"--state"_qs, u"全て"_qs, csv, out} + pw);
    row("unpaid as CSV", {u"repairs"_qs, u"本店"_qs, u"--unpaid"_qs, csv, out});
}

void TstCliServer::reportsAndCsvGiveTheSameOnBothStores()
{
    QFETCH(QStringList, args);
    QTemporaryDir dir;
    const QString extension = args.contains(u"--pdf"_qs) ? u".pdf"_qs : u".csv"_qs;
    auto run = [&](const QString& name) {
        QStringList a = args;
        a[a.indexOf(u"OUT"_qs)] = QDir(dir.path()).filePath(name + extension);
        const CliRun r = runCliProcess(a);
        return std::pair{r, writtenFile(a[args.indexOf(u"OUT"_qs)])};
    };
    const auto [files, fileBytes] = run(u"files"_qs);
    QVERIFY2(files.status == 0, qPrintable(files.err));
    useServer(true);
    const auto [server, serverBytes] = run(u"server"_qs);
    QVERIFY2(server.status == 0, qPrintable(server.err));
    QVERIFY(!fileBytes.isEmpty());
    QCOMPARE(serverBytes, fileBytes);
}

// The previous version's customers and repairs converted into an account
// of each store: the same rows with the same keys.
void TstCliServer::aConversionGivesTheSameOnBothStores()
{
    QTemporaryDir oldDir;
    PreviousFolder old(oldDir.path());
    old.setUsers({{u"旧山田"_qs}});
    PreviousFolder::Customer person{1,
                                    u"あおき"_qs,
                                    u"青木"_qs,
                                    u"㈱青木"_qs,
                                    u"営業部"_qs,
                                    u"自由"_qs,
                                    u"03-1111-1111"_qs,
                                    u"03-2222-2222"_qs,
                                    u"aoki@example.jp"_qs,
                                    u"備考, \"引用\""_qs,
                                    {}};
    person.subjects.push_back({1,
                               u"2001/4/5"_qs,
                               u"三"_qs,
                               u"四"_qs,
                               u"件名"_qs,
                               u"続行"_qs,
                               {{u"2001/4/6"_qs, u"記録者"_qs, u"一行目\r\n二行目"_qs},
                                {u"H13.4.7"_qs, u"記録者"_qs, u"ログ二"_qs}}});
    old.addCustomer(1, u"あ行"_qs, person);
    PreviousFolder::Repair repair;
    repair.key = 1;
    repair.date = u"2001/4/5"_qs;
    repair.customer = u"河合"_qs;
    repair.maker = u"東芝"_qs;
    repair.state = u"続行"_qs;
    repair.logs = {{u"2001/4/6"_qs, u"佐藤"_qs, u"部品発注"_qs}};
    old.addRepair(false, repair);
    old.write();

    const QList<QStringList> verbs = {
        {u"convert"_qs, u"customer"_qs, old.path(), u"--user"_qs, u"1"_qs, u"佐藤"_qs},
        {u"convert"_qs, u"repair"_qs, old.file(u"修理関係"_qs), u"本店"_qs},
        {u"sql"_qs, u"customer:佐藤"_qs, u"Select * From ユーザー Order By ユーザーID"_qs},
        {u"sql"_qs, u"customer:佐藤"_qs, u"Select * From 件名 Order By 件名ID"_qs},
        {u"sql"_qs, u"customer:佐藤"_qs, u"Select * From ログ Order By ログID"_qs},
        {u"sql"_qs, u"repair:本店"_qs, u"Select * From 修理 Order By 修理ID"_qs},
        {u"sql"_qs, u"repair:本店"_qs, u"Select * From 修理ログ Order By 修理ログID"_qs},
    };
    const QStringList files = runAll(verbs);
    useServer(true);
    const QStringList server = runAll(verbs);
    QCOMPARE(server, files);
    QVERIFY2(files.join(u'\n').contains(u"ログ二"_qs), qPrintable(files.join(u'\n')));
    QVERIFY(files.join(u'\n').contains(u"部品発注"_qs));
}

void TstCliServer::whereAndInitNameTheServer()
{
    useServer(true);
    const CliRun where = runCliHere({u"where"_qs});
    QCOMPARE(where.out, QDir::toNativeSeparators(m_folder->path()) + u"\nサーバー: "_qs +
                            m_server->displayName() + u'\n');
    const CliRun init = runCliHere({u"init"_qs});
    QCOMPARE(init.status, 1);
    QCOMPARE(init.err, u"このデータフォルダーはサーバー「"_qs + m_server->displayName() +
                           u"」を使います。サーバーに作るには server init を使ってください。\n"_qs);
}

// A server.conf with a password, or naming a server that does not answer:
// said, and the files of the folder are not read instead.
void TstCliServer::aServerConfThatCannotBeUsedIsSaid()
{
    const QString conf = QDir(m_folder->path()).filePath(u"server.conf"_qs);
    const QStringList args{u"users"_qs, u"佐藤"_qs, u"--row"_qs, u"か"_qs};
    for (const auto& [line, said] :
         {std::pair{u"host=db password=x"_qs, u"server.conf にパスワードを書かないでください。"_qs},
          std::pair{u"host=/nowhere/at/all dbname=x"_qs,
                    u"サーバー「/nowhere/at/all:5432/x」に接続できません。"_qs}}) {
        QFile file(conf);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(line.toUtf8());
        file.close();
        const CliRun r = runCliHere(args);
        QVERIFY2(r.status == 1, qPrintable(args.join(u' ') + u": "_qs + r.err));
        QVERIFY2(r.err.startsWith(said), qPrintable(r.err));
        QVERIFY(r.out.isEmpty());
    }
}

// backup on the server writes the file folder that export writes; restore
// puts a backup in place of the server's data, whole, and is refused while
// an account is in use.
void TstCliServer::backupAndRestoreOnTheServer()
{
    useServer(true);
    QTemporaryDir out;
    const QString backup = QDir(out.path()).filePath(u"控え"_qs);
    QCOMPARE(runCliHere({u"backup"_qs, backup}).status, 0);
    QVERIFY(QFileInfo(QDir(backup).filePath(u"kelvo/佐藤.mdb"_qs)).isFile());
    const QStringList list{u"users"_qs, u"佐藤"_qs, u"--row"_qs, u"た"_qs};
    const QString before = runCliHere(list).out;
    {
        Database sato = OpenAccountFile(AccountKind::Operator, u"佐藤"_qs);
        sato.insert(u"ユーザー"_qs,
                    {{u"表示ふりがな"_qs, u"ﾀﾅｶ"_qs}, {u"表示名"_qs, u"後から"_qs}});
    }
    QVERIFY(runCliHere(list).out.contains(u"後から"_qs));
    {
        Database held = OpenAccountFile(AccountKind::Operator, u"佐藤"_qs);
        const CliRun refused = runCliHere({u"restore"_qs, backup});
        QCOMPARE(refused.status, 1);
        QVERIFY2(refused.err.contains(u"「佐藤」は他の端末で使用中です。"_qs),
                 qPrintable(refused.err));
        QVERIFY(runCliHere(list).out.contains(u"後から"_qs));
    }
    const CliRun restored = runCliHere({u"restore"_qs, backup});
    QCOMPARE(restored.status, 0);
    QCOMPARE(runCliHere(list).out, before);
}

namespace {

// A data folder of its own that names a new database of the cluster.
struct ServerFolder
{
    TempDataFolder folder;
    QString database;
};

void writeServerConf(const QString& line)
{
    QFile conf(DataFolder::serverConfPath());
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(line.toUtf8() + "\n");
}

void makeDatabase(PgCluster& cluster, const QString& name)
{
    ServerConnection admin =
        ServerConnection::open(ServerAddress::parse(cluster.connectionString()));
    admin.exec(u"CREATE DATABASE \""_qs + name + u"\""_qs);
}

} // namespace

// server init, import and export from the command line, on the server the
// data folder's server.conf names; the exported folder lists as the shop did.
void TstCliServer::serverVerbsMoveTheShopThereAndBack()
{
    const QString shop = m_folder->path();
    const CliRun before = runCliHere(
        {u"subjects"_qs, u"営業一課"_qs, u"--state"_qs, u"全て"_qs, u"--password"_qs, u"秘密"_qs});
    TempDataFolder here;
    QCOMPARE(runCliHere({u"server"_qs, u"init"_qs}).err,
             u"データフォルダーに server.conf がありません: "_qs +
                 QDir::toNativeSeparators(DataFolder::serverConfPath()) + u'\n');
    makeDatabase(*m_cluster, u"cli"_qs);
    writeServerConf(m_cluster->connectionString(u"cli"_qs));
    const QString server = ServerAddress::read(DataFolder::serverConfPath()).displayName();

    CliRun r = runCliHere({u"server"_qs, u"import"_qs, shop});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"サーバー「"_qs + server + u"」に写しました: main.mdb と 3 アカウント\n"_qs);
    QVERIFY(r.err.startsWith(u"main.mdb\nkelvo/"_qs));
    r = runCliHere({u"server"_qs, u"init"_qs});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err, u"サーバー「"_qs + server + u"」にはすでにホルネアのデータがあります。\n"_qs);

    QTemporaryDir out;
    const QString exported = QDir(out.path()).filePath(u"戻し"_qs);
    r = runCliHere({u"server"_qs, u"export"_qs, exported});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.startsWith(u"書き出しました: "_qs));
    const CliRun after = runCliCaptured({u"--data-dir"_qs, exported, u"subjects"_qs, u"営業一課"_qs,
                                         u"--state"_qs, u"全て"_qs, u"--password"_qs, u"秘密"_qs});
    QCOMPARE(after.out, before.out);
    QCOMPARE(runCliHere({u"server"_qs, u"export"_qs, exported}).status, 1);
    QCOMPARE(runCliHere({u"server"_qs, u"move"_qs}).status, 2);

    // A fresh database made by init holds the administrator and no account.
    makeDatabase(*m_cluster, u"fresh"_qs);
    writeServerConf(m_cluster->connectionString(u"fresh"_qs));
    QCOMPARE(runCliHere({u"server"_qs, u"init"_qs}).status, 0);
    Store::setServer(ServerAddress::read(DataFolder::serverConfPath()));
    QCOMPARE(runCliHere({u"account"_qs, u"list"_qs}).out, u"種類\t番号\t名前\n"_qs);
}

// horunea-cli killed in the middle of copying a shop of many rows: the
// server keeps nothing, and the same import then goes through whole.
namespace {

// An operator of many rows in the data folder in use: 3,000 users with a
// subject each, and logs enough that copying them lasts far longer than a
// kill takes.
void makeALargeOperator(const QString& name)
{
    makeOperator(name);
    Database db = Database::open(customerFile(name));
    Transaction adding(db);
    db.execRaw(u"WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 3000) "
               u"INSERT INTO ユーザー (表示ふりがな, 表示名) SELECT 'ｶ' || i, '客' || i FROM n"_qs);
    // User k has subject k.
    db.execRaw(u"INSERT INTO 件名 (ユーザーID, 件名) SELECT ユーザーID, '件名' FROM ユーザー "
               u"ORDER BY ユーザーID"_qs);
    db.execRaw(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n WHERE i < 299999) "
               u"INSERT INTO ログ (件名ID, ユーザーID, ログ) "
               u"SELECT 1 + i % 3000, 1 + i % 3000, 'ログ' || i FROM n"_qs);
    adding.commit();
}

// Runs horunea-cli on the data folder in use and kills it once its stderr
// has said `when`; false when it ended before.
bool killCliWhenItSays(const QStringList& args, const QString& when)
{
    QProcess cli;
    cli.start(QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs),
              QStringList{u"--data-dir"_qs, DataFolder::path()} + args);
    if (!cli.waitForStarted())
        return false;
    QByteArray said;
    while (!said.contains(when.toUtf8()) && cli.state() == QProcess::Running) {
        cli.waitForReadyRead(100);
        said += cli.readAllStandardError();
    }
    const bool running = cli.state() == QProcess::Running;
    ::kill(pid_t(cli.processId()), SIGKILL);
    cli.waitForFinished();
    return running && !cli.readAllStandardOutput().contains("写しました");
}

} // namespace

void TstCliServer::aKilledImportLeavesNothingOnTheServer()
{
    TempDataFolder shop;
    makeALargeOperator(u"大口"_qs);
    TempDataFolder here;
    makeDatabase(*m_cluster, u"killed"_qs);
    writeServerConf(m_cluster->connectionString(u"killed"_qs));
    // Killed once it is copying the account's rows.
    QVERIFY2(killCliWhenItSays({u"server"_qs, u"import"_qs, shop.path()}, u"kelvo/"_qs),
             "the import ended before it could be killed");
    ServerConnection check =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString(u"killed"_qs)));
    QTRY_COMPARE(check
                     .exec(u"SELECT count(*) FROM pg_namespace WHERE nspname IN "
                           u"('horunea', 'kelvo_1')"_qs)
                     .text(0, 0),
                 u"0"_qs);
    const CliRun again = runCliHere({u"server"_qs, u"import"_qs, shop.path()});
    QCOMPARE(again.status, 0);
    Store::setServer(ServerAddress::read(DataFolder::serverConfPath()));
    QCOMPARE(
        OpenAccountFile(AccountKind::Operator, u"大口"_qs).scalar(u"SELECT count(*) FROM ログ"_qs),
        300000);
}

// A transfer on the server killed while it adds the logs (the users and
// subjects already sent in its transaction; the test holds the logs' table
// so that the transfer waits there): the destination keeps what it had, and
// the transfer then goes through whole.
void TstCliServer::aKilledTransferLeavesTheDestinationOnTheServer()
{
    TempDataFolder shop;
    makeALargeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database db = Database::open(customerFile(u"先"_qs));
        addUser(db, u"ｱ"_qs, u"前からいる"_qs);
    }
    makeDatabase(*m_cluster, u"transfer"_qs);
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString(u"transfer"_qs));
    QCOMPARE(ImportFolderToServer(address, shop.path()), 2);
    writeServerConf(address.connectionString());
    Store::setServer(address);
    const QString schema =
        OpenAccountFile(AccountKind::Operator, u"先"_qs).path().section(u'/', -1);
    const QStringList count{u"sql"_qs, u"customer:先"_qs,
                            u"Select Count(*), Max(ﾕｰｻﾞｰID) From ﾕｰｻﾞｰ"_qs};
    const CliRun first = runCliHere(count);
    QVERIFY2(first.out.endsWith(u"\n1\t1\n"_qs), qPrintable(first.out + first.err));

    ServerConnection holder = ServerConnection::open(address);
    holder.exec(u"BEGIN"_qs);
    holder.exec(u"LOCK TABLE "_qs + schema + u".\"ログ\" IN ACCESS EXCLUSIVE MODE"_qs);
    QProcess cli;
    cli.start(
        QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs),
        {u"--data-dir"_qs, DataFolder::path(), u"transfer"_qs, u"customer"_qs, u"元"_qs, u"先"_qs});
    QVERIFY(cli.waitForStarted());
    ServerConnection watcher = ServerConnection::open(address);
    const QString waiting = u"SELECT query FROM pg_stat_activity WHERE application_name = "
                            u"'horunea' AND wait_event_type = 'Lock'"_qs;
    QTRY_VERIFY_WITH_TIMEOUT(watcher.exec(waiting).rowCount() == 1, 60000);
    const QString statement = watcher.exec(waiting).text(0, 0);
    QVERIFY2(statement.startsWith(u"COPY "_qs) && statement.contains(u"ログ"_qs),
             qPrintable(statement));
    ::kill(pid_t(cli.processId()), SIGKILL);
    QVERIFY(cli.waitForFinished());
    holder.exec(u"ROLLBACK"_qs);

    // The server notices the lost connection and rolls its transaction back.
    QTRY_COMPARE(runCliHere(count).out, first.out);
    const QStringList logs{u"sql"_qs, u"customer:先"_qs, u"Select Count(*) From ログ"_qs};
    QVERIFY(runCliHere(logs).out.endsWith(u"\n0\n"_qs));
    const CliRun again = runCliHere({u"transfer"_qs, u"customer"_qs, u"元"_qs, u"先"_qs});
    QVERIFY2(again.status == 0, qPrintable(again.err));
    const CliRun added = runCliHere(logs);
    QVERIFY2(added.out.endsWith(u"\n300000\n"_qs), qPrintable(added.out + added.err));
}

namespace {

// A data folder of its own on a new database of the cluster, holding the
// shop of the folder `shop` (or none).
ServerAddress serverShop(PgCluster& cluster, const QString& database, const QString& shop)
{
    makeDatabase(cluster, database);
    const ServerAddress address = ServerAddress::parse(cluster.connectionString(database));
    if (shop.isEmpty())
        InitServer(address);
    else
        ImportFolderToServer(address, shop);
    writeServerConf(address.connectionString());
    Store::setServer(address);
    return address;
}

QString cliPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs);
}

} // namespace

// Three PCs add one name at the same moment: one account is made, the
// others are told the name is taken, and the shop backs up as before.
void TstCliServer::oneNameAddedFromThreePcsAtOnceIsOneAccount()
{
    TempDataFolder here;
    serverShop(*m_cluster, u"names"_qs, QString());
    for (int race = 0; race < 5; ++race) {
        const QString name = QStringLiteral("同名%1").arg(race);
        std::vector<std::unique_ptr<QProcess>> pcs;
        for (int pc = 0; pc < 3; ++pc) {
            pcs.push_back(std::make_unique<QProcess>());
            pcs.back()->start(cliPath(), {u"--data-dir"_qs, DataFolder::path(), u"account"_qs,
                                          u"add"_qs, u"customer"_qs, name});
        }
        int made = 0;
        for (const auto& pc : pcs) {
            QVERIFY(pc->waitForFinished(60000));
            const QString err = QString::fromUtf8(pc->readAllStandardError());
            if (pc->exitCode() == 0)
                ++made;
            else
                QVERIFY2(err.contains(u"同じ名前が存在します。"_qs), qPrintable(err));
        }
        QCOMPARE(made, 1);
        QCOMPARE(runCliHere({u"account"_qs, u"list"_qs}).out.count(u'\t' + name + u'\n'), 1);
    }
    // Renaming onto a name that is there is refused as well.
    const CliRun renamed = runCliHere({u"account"_qs, u"rename"_qs, u"customer"_qs, u"同名0"_qs,
                                       u"同名1"_qs, u"--old-password"_qs, QString()});
    QCOMPARE(renamed.status, 1);
    QVERIFY2(renamed.err.contains(u"同じ名前が存在します。"_qs), qPrintable(renamed.err));
    // The words name the account and its server, never a file or a count
    // that is not there.
    const CliRun added = runCliHere({u"account"_qs, u"add"_qs, u"repair"_qs, u"新店"_qs});
    QCOMPARE(added.status, 0);
    QCOMPARE(added.err,
             u"作成しました: 「新店」(サーバー「"_qs + Store::server().displayName() + u"」)\n"_qs);
    QTemporaryDir out;
    const CliRun backup = runCliHere({u"backup"_qs, QDir(out.path()).filePath(u"控え"_qs)});
    QVERIFY2(backup.status == 0, qPrintable(backup.err));
    QVERIFY2(backup.err.contains(u"\ncare/新店.mdb\n"_qs) && !backup.err.contains(u"(0/0)"_qs),
             qPrintable(backup.err));
}

// A window has the account open when its PC's connection drops (its
// backends end, and with them its lock): another PC may not rename, delete
// or compact the account before the window is back, nor before the window's
// last sign of life has grown old.
void TstCliServer::anOpenAccountIsHeldWhileItsPcReconnects()
{
    TempDataFolder shop;
    makeOperator(u"本店"_qs);
    {
        Database db = Database::open(customerFile(u"本店"_qs));
        addUser(db, u"ﾎﾝ"_qs, u"大事な客"_qs);
    }
    TempDataFolder here;
    const ServerAddress address = serverShop(*m_cluster, u"presence"_qs, shop.path());
    Database window = OpenAccountFile(AccountKind::Operator, u"本店"_qs);
    auto watch = std::make_unique<ServerWatch>(window);
    const QList<QStringList> destructive{{u"account"_qs, u"delete"_qs, u"customer"_qs, u"本店"_qs,
                                          u"--old-password"_qs, QString(), u"--yes"_qs},
                                         {u"account"_qs, u"rename"_qs, u"customer"_qs, u"本店"_qs,
                                          u"支店"_qs, u"--old-password"_qs, QString()},
                                         {u"compact"_qs, u"customer"_qs, u"本店"_qs}};
    auto allRefused = [&](const char* when) {
        for (const QStringList& verb : destructive) {
            const CliRun r = runCliHere(verb);
            QVERIFY2(r.status == 1 && r.err.contains(u"「本店」は他の端末で使用中です。"_qs),
                     qPrintable(QString::fromUtf8(when) + u": "_qs + r.err));
        }
    };
    allRefused("open");
    // The PC's link drops: the server ends both its connections.
    ServerConnection admin = ServerConnection::open(address);
    auto dropThePc = [&] {
        const QString others = u"FROM pg_stat_activity WHERE application_name = 'horunea' "
                               u"AND pid <> pg_backend_pid()"_qs;
        admin.exec(u"SELECT pg_terminate_backend(pid) "_qs + others);
        QTRY_COMPARE(admin.exec(u"SELECT count(*) "_qs + others).text(0, 0), u"0"_qs);
    };
    dropThePc();
    allRefused("while the connection is lost");
    // It comes back, lock and all, and its window watches again.
    QTRY_VERIFY(
        failureMessage([&] { window.scalar(u"SELECT count(*) FROM ユーザー"_qs); }).isEmpty());
    watch = std::make_unique<ServerWatch>(window);
    allRefused("after the reconnection");
    // The link drops again, and the PC never comes back: the account is held
    // until the window's last sign of life is older than the grace.
    dropThePc();
    allRefused("just after the PC is gone");
    admin.exec(u"UPDATE "_qs + serverPresenceTable() +
                   u" SET seen = now() - make_interval(secs => $1)"_qs,
               {PresenceGraceSeconds + 1});
    const CliRun deleted = runCliHere(destructive[0]);
    QVERIFY2(deleted.status == 0, qPrintable(deleted.err));
    watch.reset();
}

// A PC whose login role is in the clerks' role works the accounts' rows
// through the verbs; what only the administrator's role may do is refused
// in words that say so, and leaves nothing; no password is read, the
// server checks them and answers yes or no.
void TstCliServer::aClerksRoleWorksTheRowsAndIsToldWhatItMayNotDo()
{
    // A shop of its own, made by server init as the administrator's role.
    {
        ServerConnection postgres = ServerConnection::open(*m_server);
        postgres.exec(u"CREATE DATABASE clerks_shop"_qs);
    }
    const QString adminInfo = m_cluster->connectionString(u"clerks_shop"_qs);
    const QString clerks = InitServer(ServerAddress::parse(adminInfo));
    QCOMPARE(clerks, u"clerks_shop_clerks"_qs);
    ServerConnection admin = ServerConnection::open(ServerAddress::parse(adminInfo));
    admin.exec(u"DROP ROLE IF EXISTS clerk1"_qs);
    admin.exec(u"CREATE ROLE clerk1 LOGIN IN ROLE "_qs + quotedServerName(clerks));
    const ServerResult administrator =
        admin.exec(u"SELECT \"管理者名\", coalesce(\"パスワード\", '') FROM horunea.\"管理者\""_qs);
    const QStringList asAdministrator{u"--admin-password"_qs, administrator.text(0, 1)};
    TempDataFolder here;
    auto useConf = [&](const QString& conninfo) {
        QFile file(QDir(here.path()).filePath(u"server.conf"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(conninfo.toUtf8() + "\n");
        file.close();
        Store::followDataFolder();
    };
    useConf(adminInfo);
    const CliRun added = runCliHere(QStringList{u"account"_qs, u"add"_qs, u"customer"_qs,
                                                u"店員の店"_qs, u"--password"_qs, u"秘密"_qs} +
                                    asAdministrator);
    QVERIFY2(added.status == 0, qPrintable(added.err));
    const QString schema =
        u"kelvo_"_qs + admin
                           .exec(u"SELECT \"使用者No\" FROM horunea.\"使用者\" WHERE "
                                 u"\"使用者名\" = '店員の店'"_qs)
                           .text(0, 0);
    admin.exec(u"INSERT INTO "_qs + schema +
               u".\"ユーザー\" (\"表示ふりがな\", \"表示名\") VALUES ('ｶﾄｳ', '加藤')"_qs);
    QString conninfo = adminInfo;
    QVERIFY(conninfo.contains(u"user=horunea"_qs));
    conninfo.replace(u"user=horunea"_qs, u"user=clerk1"_qs);
    useConf(conninfo);

    // The rows: read and written, with the account's password checked.
    const CliRun list = runCliHere({u"account"_qs, u"list"_qs});
    QCOMPARE(list.status, 0);
    QVERIFY2(list.out.contains(u"店員の店"_qs), qPrintable(list.err));
    const QStringList users{u"users"_qs, u"店員の店"_qs, u"--row"_qs, u"か"_qs, u"--password"_qs};
    const CliRun read = runCliHere(users + QStringList{u"秘密"_qs});
    QCOMPARE(read.status, 0);
    QVERIFY2(read.out.contains(u"加藤"_qs), qPrintable(read.err));
    const CliRun wrong = runCliHere(users + QStringList{u"違う"_qs});
    QCOMPARE(wrong.status, 1);
    QVERIFY2(wrong.err.contains(u"パスワードが違います。"_qs), qPrintable(wrong.err));
    QCOMPARE(runCliHere(users + QStringList{QString()}).status, 1);
    const CliRun write = runCliHere({u"sql"_qs, u"customer:店員の店"_qs,
                                     u"INSERT INTO ユーザー (表示名) VALUES ('店員が足した')"_qs,
                                     u"--password"_qs, u"秘密"_qs});
    QVERIFY2(write.status == 0, qPrintable(write.err));
    QCOMPARE(
        runCliHere({u"admin"_qs, u"login"_qs, administrator.text(0, 0), administrator.text(0, 1)})
            .status,
        0);
    QCOMPARE(runCliHere({u"admin"_qs, u"login"_qs, administrator.text(0, 0),
                         administrator.text(0, 1) + u"x"_qs})
                 .status,
             1);

    // The administrator's work and the passwords: refused, in words.
    const QString needsAdministrator = u"この操作にはサーバーの管理者のロールが要ります。"_qs;
    const QList<QStringList> refused = {
        {u"sql"_qs, u"master"_qs, u"SELECT パスワード FROM 使用者"_qs, u"--password"_qs,
         administrator.text(0, 1)},
        {u"sql"_qs, u"master"_qs, u"UPDATE 使用者 SET 使用者名 = '乗っ取り'"_qs, u"--password"_qs,
         administrator.text(0, 1)},
        QStringList{u"account"_qs, u"add"_qs, u"customer"_qs, u"新店"_qs} + asAdministrator,
        QStringList{u"account"_qs, u"delete"_qs, u"customer"_qs, u"店員の店"_qs,
                    u"--old-password"_qs, u"秘密"_qs, u"--yes"_qs} +
            asAdministrator,
    };
    for (const QStringList& args : refused) {
        const CliRun r = runCliHere(args);
        QVERIFY2(r.status == 1, qPrintable(args.join(u' ') + u": "_qs + r.err));
        QVERIFY2(r.err.contains(needsAdministrator),
                 qPrintable(args.join(u' ') + u": "_qs + r.err));
    }
    ServerConnection clerk = ServerConnection::open(ServerAddress::parse(conninfo));
    for (const QString& sql :
         {QString(u"DROP SCHEMA "_qs + schema + u" CASCADE"_qs), u"CREATE SCHEMA kelvo_99"_qs,
          u"SELECT * FROM horunea.\"使用者\""_qs, u"SELECT * FROM kelvo_0.\"設定\""_qs})
        QVERIFY2(failureMessage([&] { clerk.exec(sql); }).startsWith(needsAdministrator),
                 qPrintable(sql));

    // Nothing of it landed; the clerk's row did.
    QCOMPARE(admin
                 .exec(u"SELECT count(*) FROM horunea.\"使用者\" WHERE \"使用者名\" IN "
                       u"('新店', '乗っ取り')"_qs)
                 .text(0, 0),
             u"0"_qs);
    QCOMPARE(
        admin.exec(u"SELECT count(*) FROM pg_namespace WHERE nspname = 'kelvo_99'"_qs).text(0, 0),
        u"0"_qs);
    QCOMPARE(admin
                 .exec(u"SELECT 1 FROM "_qs + schema +
                       u".\"ユーザー\" WHERE \"表示名\" = '店員が足した'"_qs)
                 .rowCount(),
             1);
    useConf(adminInfo);
    const CliRun deleted =
        runCliHere(QStringList{u"account"_qs, u"delete"_qs, u"customer"_qs, u"店員の店"_qs,
                               u"--old-password"_qs, u"秘密"_qs, u"--yes"_qs} +
                   asAdministrator);
    QVERIFY2(deleted.status == 0, qPrintable(deleted.err));
}

void TstCliServer::aKilledExportLeavesNoFolderUnderItsName_data()
{
    QTest::addColumn<QStringList>("verb");
    QTest::newRow("server export") << QStringList{u"server"_qs, u"export"_qs};
    QTest::newRow("backup on the server") << QStringList{u"backup"_qs};
}

// Killed while it writes the account's file, a backup or export on the
// server leaves no folder under its name; the next one to that place is
// whole, and nothing of the killed one stays.
void TstCliServer::aKilledExportLeavesNoFolderUnderItsName()
{
    QFETCH(QStringList, verb);
    static int shops = 0;
    TempDataFolder shop;
    makeALargeOperator(u"大口"_qs);
    TempDataFolder here;
    serverShop(*m_cluster, QStringLiteral("export%1").arg(++shops), shop.path());
    QTemporaryDir out;
    const QString folder = QDir(out.path()).filePath(u"控え"_qs);
    QVERIFY2(killCliWhenItSays(verb + QStringList{folder}, u"kelvo/"_qs),
             "the export ended before it could be killed");
    QVERIFY(!QFileInfo::exists(folder));
    const CliRun again = runCliHere(verb + QStringList{folder});
    QVERIFY2(again.status == 0, qPrintable(again.err));
    QVERIFY(QFileInfo(QDir(folder).filePath(u"kelvo/大口.mdb"_qs)).isFile());
    QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"控え"_qs});
}

QTEST_GUILESS_MAIN(TstCliServer)
#include "tst_cliserver.moc"
