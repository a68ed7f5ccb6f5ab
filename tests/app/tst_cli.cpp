#include "CliSupport.h"
#include "Fixtures.h"
#include "TestSupport.h"

#include "app/Cli.h"
#include "cli/Commands.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <sqlcipher/sqlite3.h>

using namespace horunea;
using horunea::test::customerFile;
using horunea::test::repairFile;
using horunea::test::TempDataFolder;

namespace {

using CliResult = test::CliRun;

CliResult run(const QStringList& args)
{
    return test::runCliCaptured(args);
}

QByteArray readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TstCli : public QObject
{
    Q_OBJECT
private slots:
    void initCreatesMissingShippedFiles();
    void sqlPrintsTabSeparatedRowsWithHeader();
    void sqlReachesAccountDatabases();
    void sqlWithoutRowsPrintsNothing();
    void theProgramItselfSeparatesRowsAndErrors();
    void listsStreamEscapedCellsToStdout();
    void errorsGoToStderrWithNonZeroStatus_data();
    void errorsGoToStderrWithNonZeroStatus();
    void searchPrintsTheSearchedList_data();
    void searchPrintsTheSearchedList();
    void searchRefusesBadArguments_data();
    void searchRefusesBadArguments();
    void listVerbsApplyTheStoredSortOrder();
    void helpNamesEveryVerb();
    void accountNamesThatCannotBeFiles_data();
    void accountNamesThatCannotBeFiles();
    void namesDifferingOnlyInCaseAreRefused();
    void initRefusesAnUnusableShippedFile_data();
    void initRefusesAnUnusableShippedFile();
    void sqlRunsEveryStatementOrNone();
    void accountVerbs();
    void accountVerbsRefuse_data();
    void accountVerbsRefuse();
    void adminCompactAndBackup();
    void unknownAccountIsOneMessage_data();
    void everyVerbRefusesAnOptionItDoesNotKnow_data();
    void everyVerbRefusesAnOptionItDoesNotKnow();
    void everyVerbShowsItsOwnHelp_data() { everyVerbRefusesAnOptionItDoesNotKnow_data(); }
    void everyVerbShowsItsOwnHelp();
    void unknownAccountIsOneMessage();
};

namespace {

// 山田 (password "pw") with three users, subjects and logs; 修理係 with
// repairs, one of them paid.
void fillSearchSample()
{
    test::makeOperator(u"山田"_qs, u"pw"_qs);
    test::makeRepairAccount(u"修理係"_qs);
    Database c = Database::open(customerFile(u"山田"_qs));
    const qint64 kato =
        test::addUser(c, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"会社ＦＡＸ"_qs, u"03-5555"_qs}});
    const qint64 aoki = test::addUser(c, u"ｱｵｷ"_qs, u"青木"_qs, {{u"自宅住所"_qs, u"東京都"_qs}});
    test::addUser(c, u"ﾔﾏﾀﾞ"_qs, u"ヤマダ電気"_qs);
    const qint64 s1 = test::addSubject(c, kato, u"複合機"_qs);
    test::addSubject(c, aoki, u"複合機の保守"_qs, u"完了"_qs);
    test::addLog(c, s1, kato, u"100%の出来"_qs);
    test::addLog(c, s1, kato, u"1000円"_qs);
    Database r = Database::open(repairFile(u"修理係"_qs));
    test::addRepair(r, u"加藤"_qs, u"北村商店"_qs, u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    test::addRepair(r, u"青木"_qs, u"東京電機"_qs, u"完了"_qs, {{u"入金"_qs, u"済"_qs}});
    test::addRepair(r, u"佐藤"_qs, u"東京電機"_qs, u"完了"_qs, {{u"入金"_qs, u"未入"_qs}});
    test::addRepairLog(r, 1, u"部品を発注"_qs);
}

} // namespace

void TstCli::initCreatesMissingShippedFiles()
{
    TempDataFolder folder(false);
    const QString dir = folder.path() + u"/新しいフォルダー"_qs;
    CliResult r = run({u"--data-dir"_qs, dir, u"init"_qs});
    QCOMPARE(r.status, 0);
    for (const char* name : {"main.mdb", "kelvo.mdb", "care.mdb"})
        QVERIFY(QFile::exists(dir + u'/' + QString::fromLatin1(name)));
    QCOMPARE(r.err.count(u"作成しました"_qs), 3);
    r = run({u"--data-dir"_qs, dir, u"init"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.isEmpty());
}

void TstCli::sqlPrintsTabSeparatedRowsWithHeader()
{
    TempDataFolder folder;
    {
        Database master = Database::open(DataFolder::masterPath());
        master.insert(u"使用者"_qs,
                      {{u"使用者名"_qs, u"営業\t一課"_qs}, {u"パスワード"_qs, QVariant()}});
        master.insert(u"使用者"_qs, {{u"使用者名"_qs, u"二課"_qs}, {u"パスワード"_qs, u"Ab"_qs}});
    }
    const CliResult r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
                             u"select * from 使用者 order by 使用者No"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"使用者No\t使用者名\tパスワード\n1\t営業\\t一課\t\n2\t二課\tAb\n"_qs);
    const CliResult empty = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
                                 u"select ﾊﾟｽﾜｰﾄﾞ from 使用者 where 使用者No =0"_qs});
    QCOMPARE(empty.status, 0);
    QCOMPARE(empty.out, u"パスワード\n"_qs);
}

void TstCli::sqlReachesAccountDatabases()
{
    TempDataFolder folder;
    QDir(folder.path()).mkpath(u"kelvo"_qs);
    QVERIFY(QFile::copy(DataFolder::customerTemplatePath(), customerFile(u"山田"_qs)));
    Database::open(DataFolder::masterPath()).insert(u"使用者"_qs, {{u"使用者名"_qs, u"山田"_qs}});
    CliResult r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"customer:山田"_qs,
                       u"SELECT count(*) as ma1 FROM ユーザー"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"ma1\n0\n"_qs);
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, DataFolder::repairTemplatePath(),
             u"Select 自社ID From 自社 Where 自社ID =1"_qs});
    QCOMPARE(r.out, u"自社ID\n1\n"_qs);
}

void TstCli::sqlWithoutRowsPrintsNothing()
{
    TempDataFolder folder;
    CliResult r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
                       u"insert into 使用者 (使用者名) values ('a')"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.isEmpty());
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
             u"select 使用者名 from 使用者"_qs});
    QCOMPARE(r.out, u"使用者名\na\n"_qs);
}

void TstCli::theProgramItselfSeparatesRowsAndErrors()
{
    TempDataFolder folder(false);
    const QString program =
        QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs);
    QVERIFY(QFile::exists(program));
    QProcess cli;
    cli.start(program, {u"--data-dir"_qs, folder.path(), u"init"_qs});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    cli.start(program, {u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
                        u"Select 管理者名 From 管理者 Where 管理者ID =1"_qs});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 0);
    QCOMPARE(QString::fromUtf8(cli.readAllStandardOutput()), u"管理者名\nadmin\n"_qs);
    cli.start(program,
              {u"--data-dir"_qs, folder.path(), u"sql"_qs, u"customer:いない"_qs, u"select 1"_qs});
    QVERIFY(cli.waitForFinished(30000));
    QCOMPARE(cli.exitCode(), 1);
    QVERIFY(cli.readAllStandardOutput().isEmpty());
    QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains(u"「いない」はありません"_qs));
}

// A list verb writes its rows straight from the store to stdout: tabs, line
// ends and backslashes in a cell are escaped, an empty cell stays empty, and
// rows past the first output piece (64 KiB) come out whole and in order;
// the same as the verb writes into a string.
void TstCli::listsStreamEscapedCellsToStdout()
{
    TempDataFolder folder;
    test::makeOperator(u"山田"_qs);
    {
        Database db = Database::open(test::customerFile(u"山田"_qs));
        Transaction t(db);
        test::addUser(db, u"ｶﾄｳ"_qs, u"加藤\t商店\\本店\r\n二行目"_qs,
                      {{u"E-MAIL"_qs, u"kato@example.jp"_qs}});
        for (int i = 0; i < 3000; ++i)
            test::addUser(db, u"ｶﾜｲ"_qs, QStringLiteral("河合%1 𠮷田").arg(i, 4, 10, QChar(u'0')),
                          {{u"会社ＴＥＬ"_qs, u"03-1234-5678"_qs}});
        t.commit();
    }
    const QStringList args = {u"--data-dir"_qs, DataFolder::path(), u"users"_qs,
                              u"山田"_qs,       u"--row"_qs,        u"か"_qs};
    QProcess cli;
    cli.setStandardInputFile(QProcess::nullDevice());
    cli.start(QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs), args);
    QVERIFY(cli.waitForFinished(60000));
    QCOMPARE(cli.exitCode(), 0);
    const QString printed = QString::fromUtf8(cli.readAllStandardOutput());
    const QStringList lines = printed.split(u'\n');
    QCOMPARE(lines.size(), 1 + 3001 + 1); // heading, rows, the empty rest after the last
    QCOMPARE(lines[0], u"ユーザーＩＤ\t表示名\t自宅ＴＥＬ\t会社ＴＥＬ\te-mail"_qs);
    QCOMPARE(lines[1], u"1\t加藤\\t商店\\\\本店\\r\\n二行目\t\t\tkato@example.jp"_qs);
    QCOMPARE(lines[2], u"2\t河合0000 𠮷田\t\t03-1234-5678\t"_qs);
    QCOMPARE(lines[3001], u"3001\t河合2999 𠮷田\t\t03-1234-5678\t"_qs);
    QCOMPARE(test::runCliCaptured(args).out, printed);
}

void TstCli::errorsGoToStderrWithNonZeroStatus_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("no command") << QStringList{} << u"コマンドを指定してください"_qs;
    QTest::newRow("unknown command") << QStringList{u"frobnicate"_qs} << u"知らないコマンド"_qs;
    QTest::newRow("sql missing SQL") << QStringList{u"sql"_qs, u"master"_qs} << u"SQL"_qs;
    QTest::newRow("missing account")
        << QStringList{u"sql"_qs, u"customer:いない"_qs, u"select 1"_qs}
        << u"「いない」はありません"_qs;
    QTest::newRow("bad SQL") << QStringList{u"sql"_qs, u"master"_qs, u"selec * from 使用者"_qs}
                             << u"失敗しました"_qs;
}

void TstCli::errorsGoToStderrWithNonZeroStatus()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    TempDataFolder folder;
    const CliResult r = run(QStringList{u"--data-dir"_qs, folder.path()} + args);
    QVERIFY(r.status != 0);
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QVERIFY(!QFile::exists(customerFile(u"いない"_qs)));
}

void TstCli::searchPrintsTheSearchedList_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("header");
    QTest::addColumn<QStringList>("firstCells");
    const QString users = u"ユーザーＩＤ\t表示名\t自宅ＴＥＬ\t会社ＴＥＬ\te-mail"_qs;
    const QString repairs = u"修理ID"_qs;
    QTest::newRow("a company fax finds the user")
        << QStringList{u"山田"_qs, u"--in"_qs, u"users"_qs, u"03-5555"_qs} << users
        << QStringList{u"1"_qs};
    QTest::newRow("half-width kana finds katakana")
        << QStringList{u"山田"_qs, u"--in"_qs, u"users"_qs, u"ﾔﾏﾀﾞ"_qs} << users
        << QStringList{u"3"_qs};
    QTest::newRow("--exact keeps widths apart")
        << QStringList{u"山田"_qs, u"--in"_qs, u"users"_qs, u"ヤマダ"_qs, u"--exact"_qs} << users
        << QStringList{u"3"_qs};
    QTest::newRow("hiragana finds half-width kana")
        << QStringList{u"山田"_qs, u"--in"_qs, u"users"_qs, u"やまだ"_qs} << users
        << QStringList{u"3"_qs};
    QTest::newRow("--exact finds no other kana")
        << QStringList{u"山田"_qs, u"--exact"_qs, u"--in"_qs, u"users"_qs, u"やまだ"_qs} << users
        << QStringList{};
    QTest::newRow("or, in the settings order")
        << QStringList{u"山田"_qs, u"--in"_qs, u"users"_qs, u"加藤"_qs, u"--or"_qs, u"東京"_qs}
        << users << QStringList{u"2"_qs, u"1"_qs};
    QTest::newRow("and") << QStringList{u"山田"_qs, u"--in"_qs,  u"users"_qs,
                                        u"加藤"_qs, u"--and"_qs, u"東京"_qs}
                         << users << QStringList{};
    QTest::newRow("subjects of every user and state")
        << QStringList{u"山田"_qs, u"--in"_qs, u"subjects"_qs, u"複合機"_qs}
        << u"件名ID\tﾕｰｻﾞｰID\t登録日\t表示名\t件名\t備考\t判定"_qs << QStringList{u"1"_qs, u"2"_qs};
    QTest::newRow("a percent sign is found literally")
        << QStringList{u"山田"_qs, u"--in"_qs, u"logs"_qs, u"100%"_qs}
        << u"ﾛｸﾞID\t件名ID\tﾕｰｻﾞｰID\t登録日\t記録者\tログ"_qs << QStringList{u"1"_qs};
    QTest::newRow("repairs of both states")
        << QStringList{u"修理係"_qs, u"--in"_qs, u"repairs"_qs, u"東京"_qs} << repairs
        << QStringList{u"2"_qs, u"3"_qs};
    QTest::newRow("unpaid or lists unpaid repairs only")
        << QStringList{u"修理係"_qs, u"--in"_qs, u"unpaid"_qs, u"北村"_qs, u"--or"_qs, u"東京"_qs}
        << repairs << QStringList{u"1"_qs, u"3"_qs};
    QTest::newRow("repair logs") << QStringList{u"修理係"_qs, u"--in"_qs, u"repair-logs"_qs,
                                                u"発注"_qs}
                                 << u"修理ログID"_qs << QStringList{u"1"_qs};
}

void TstCli::searchPrintsTheSearchedList()
{
    QFETCH(QStringList, args);
    QFETCH(QString, header);
    QFETCH(QStringList, firstCells);
    TempDataFolder folder;
    fillSearchSample();
    QStringList call{u"--data-dir"_qs, folder.path(), u"search"_qs};
    call << args;
    if (args.first() == u"山田")
        call << u"--password"_qs << u"pw"_qs;
    const CliResult r = run(call);
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines.takeLast(), QString());
    QVERIFY2(lines.first().startsWith(header), qPrintable(lines.first()));
    QStringList cells;
    for (const QString& line : lines.mid(1))
        cells << line.section(u'\t', 0, 0);
    QCOMPARE(cells, firstCells);
}

void TstCli::searchRefusesBadArguments_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("error");
    QTest::newRow("no --in") << QStringList{u"修理係"_qs, u"a"_qs} << u"--in"_qs;
    QTest::newRow("unknown list") << QStringList{u"修理係"_qs, u"--in"_qs, u"makers"_qs, u"a"_qs}
                                  << u"--in"_qs;
    QTest::newRow("no word") << QStringList{u"修理係"_qs, u"--in"_qs, u"repairs"_qs}
                             << u"検索する文字"_qs;
    QTest::newRow("or and and") << QStringList{u"修理係"_qs, u"--in"_qs, u"repairs"_qs, u"a"_qs,
                                               u"--or"_qs,   u"b"_qs,    u"--and"_qs,   u"c"_qs}
                                << u"一緒に使えません"_qs;
    QTest::newRow("a repair list of an operator")
        << QStringList{u"山田"_qs, u"--in"_qs, u"repairs"_qs, u"a"_qs} << u"修理アカウント"_qs;
    QTest::newRow("wrong password")
        << QStringList{u"山田"_qs, u"--in"_qs, u"users"_qs, u"a"_qs, u"--password"_qs, u"x"_qs}
        << u"パスワードが違います"_qs;
    QTest::newRow("three words") << QStringList{u"修理係"_qs, u"--in"_qs, u"repairs"_qs, u"a"_qs,
                                                u"b"_qs}
                                 << u"余分な引数"_qs;
}

void TstCli::searchRefusesBadArguments()
{
    QFETCH(QStringList, args);
    QFETCH(QString, error);
    TempDataFolder folder;
    fillSearchSample();
    const CliResult r = run(QStringList{u"--data-dir"_qs, folder.path(), u"search"_qs} + args);
    QVERIFY(r.status != 0);
    QVERIFY2(r.err.contains(error), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
}

void TstCli::listVerbsApplyTheStoredSortOrder()
{
    TempDataFolder folder;
    fillSearchSample();
    {
        Database c = Database::open(customerFile(u"山田"_qs));
        test::addUser(c, u"ｶﾜｲ"_qs, u"河合"_qs);
        c.exec(u"Update 設定 Set 並べ01 =0, 並べ02 =1 Where 設定ID =1"_qs); // 降順
        Database r = Database::open(repairFile(u"修理係"_qs));
        r.exec(u"Update 設定 Set 並べ01 =1, 並べ02 =0 Where 設定ID =1"_qs); // お客様名
    }
    CliResult r = run({u"--data-dir"_qs, folder.path(), u"users"_qs, u"山田"_qs, u"--row"_qs,
                       u"か"_qs, u"--password"_qs, u"pw"_qs});
    QCOMPARE(r.status, 0);
    QStringList lines = r.out.split(u'\n');
    QCOMPARE(lines.value(1).section(u'\t', 1, 1), u"河合"_qs);
    QCOMPARE(lines.value(2).section(u'\t', 1, 1), u"加藤"_qs);
    r = run(
        {u"--data-dir"_qs, folder.path(), u"repairs"_qs, u"修理係"_qs, u"--state"_qs, u"全て"_qs});
    QCOMPARE(r.status, 0);
    lines = r.out.split(u'\n');
    QStringList customers;
    for (const QString& line : lines.mid(1, 3))
        customers << line.section(u'\t', 3, 3);
    QStringList sorted = customers;
    sorted.sort();
    QCOMPARE(customers, sorted);
}

void TstCli::helpNamesEveryVerb()
{
    const CliResult r = run({u"--help"_qs});
    QCOMPARE(r.status, 0);
    for (const char* verb : {"init",
                             "sql",
                             "users",
                             "subjects",
                             "logs",
                             "repairs",
                             "repair-logs",
                             "search",
                             "--in",
                             "--or",
                             "--and",
                             "--exact",
                             "account list",
                             "account add",
                             "account attach",
                             "init --templates",
                             "account rename",
                             "account passwd",
                             "account delete",
                             "--old-password",
                             "--new-password",
                             "--yes",
                             "admin login",
                             "admin set",
                             "compact",
                             "backup",
                             "report",
                             "customer-list",
                             "user-sheet",
                             "subject-list",
                             "repair-list",
                             "unpaid-list",
                             "maker-list",
                             "repair-report",
                             "--pdf",
                             "--csv",
                             "transfer customer",
                             "transfer repair",
                             "--keep-files",
                             "convert users",
                             "convert customer",
                             "convert repair"})
        QVERIFY2(r.out.contains(QString::fromUtf8(verb)), verb);
}

void TstCli::accountNamesThatCannotBeFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("allowed");
    QTest::newRow("kanji") << u"山田"_qs << true;
    QTest::newRow("blank inside") << u"営業 一課"_qs << true;
    QTest::newRow("dots inside") << u"a..b"_qs << true;
    QTest::newRow("apostrophe") << u"O'Neil"_qs << true;
    // Its lock, "kelvo-<name>.mdb.lock", is the longest name made from it.
    QTest::newRow("longest") << QString(80, u'山') << true; // 240 + 15 bytes
    QTest::newRow("too long") << QString(80, u'山') + u'a' << false;
    QTest::newRow("parent folder") << u".."_qs << false;
    QTest::newRow("parent path") << u"../main"_qs << false;
    QTest::newRow("backslash path") << u"..\\main"_qs << false;
    QTest::newRow("absolute") << u"/tmp/x"_qs << false;
    QTest::newRow("drive") << u"C:x"_qs << false;
    QTest::newRow("leading dot") << u".hidden"_qs << false;
    QTest::newRow("trailing dot") << u"name."_qs << false;
    QTest::newRow("trailing blank") << u"name "_qs << false;
    QTest::newRow("empty") << QString() << false;
    QTest::newRow("blanks") << u"  "_qs << false;
    QTest::newRow("tab") << u"a\tb"_qs << false;
    QTest::newRow("device") << u"con"_qs << false;
    QTest::newRow("device with extension") << u"LPT1.txt"_qs << false;
    QTest::newRow("not a device") << u"COM10"_qs << true;
    for (const QChar c : DataFolder::forbiddenNameCharacters())
        QTest::addRow("character %s", qPrintable(QString(c))) << (u"a"_qs + c + u"b"_qs) << false;
}

void TstCli::accountNamesThatCannotBeFiles()
{
    QFETCH(QString, name);
    QFETCH(bool, allowed);
    TempDataFolder folder;
    QCOMPARE(DataFolder::accountNameProblem(name).isEmpty(), allowed);
    const QStringList before =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    for (const char* kind : {"customer:", "repair:"}) {
        const CliResult r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs,
                                 QString::fromUtf8(kind) + name, u"select 1"_qs});
        QVERIFY(r.status != 0);
        if (!allowed)
            QVERIFY2(r.err.contains(u"ファイル名にできません"_qs), qPrintable(r.err));
        else
            QVERIFY2(r.err.contains(u"はありません"_qs), qPrintable(r.err));
    }
    if (!allowed)
        QVERIFY_THROWS_EXCEPTION(Failure, customerFile(name));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TstCli::namesDifferingOnlyInCaseAreRefused()
{
    TempDataFolder folder;
    test::makeOperator(u"Sato"_qs);
    QVERIFY(QFile::exists(customerFile(u"Sato"_qs)));
    QVERIFY_THROWS_EXCEPTION(Failure, customerFile(u"sato"_qs));
    QVERIFY_THROWS_EXCEPTION(Failure, customerFile(u"SATO"_qs));
    // The other kind of account has its own folder.
    QVERIFY(!repairFile(u"sato"_qs).isEmpty());
    const CliResult r =
        run({u"--data-dir"_qs, folder.path(), u"users"_qs, u"SATO"_qs, u"--row"_qs, u"か"_qs});
    QVERIFY(r.status != 0);
}

void TstCli::initRefusesAnUnusableShippedFile_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("kind");
    for (const char* file : {"main.mdb", "kelvo.mdb", "care.mdb"})
        for (const char* kind : {"folder", "empty", "garbage", "other key", "other kind"})
            QTest::addRow("%s %s", file, kind)
                << QString::fromUtf8(file) << QString::fromUtf8(kind);
}

void TstCli::initRefusesAnUnusableShippedFile()
{
    QFETCH(QString, file);
    QFETCH(QString, kind);
    TempDataFolder folder(false);
    const QString path = QDir(folder.path()).filePath(file);
    if (kind == u"folder") {
        QVERIFY(QDir().mkpath(path));
    } else if (kind == u"other kind") {
        // A shipped file of another kind: its tables are not these.
        QVERIFY(run({u"--data-dir"_qs, folder.path(), u"init"_qs}).status == 0);
        const QString other = file == u"main.mdb" ? u"care.mdb"_qs : u"main.mdb"_qs;
        QFile::remove(path);
        QVERIFY(QFile::copy(QDir(folder.path()).filePath(other), path));
        for (const QString& f : {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs})
            if (f != file && f != other)
                QFile::remove(QDir(folder.path()).filePath(f));
    } else {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        if (kind == u"garbage")
            f.write(QByteArray(4096, 'x'));
        f.close();
        if (kind == u"other key") {
            QFile::remove(path);
            sqlite3* db = nullptr;
            sqlite3_open(QFile::encodeName(path).constData(), &db);
            sqlite3_exec(db, "PRAGMA key = 'another'; CREATE TABLE t(a);", nullptr, nullptr,
                         nullptr);
            sqlite3_close(db);
        }
    }
    const QStringList before =
        QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
    const CliResult r = run({u"--data-dir"_qs, folder.path(), u"init"_qs});
    QVERIFY(r.status != 0);
    QVERIFY2(r.err.contains(file), qPrintable(r.err));
    QVERIFY(!r.err.contains(u"作成しました"_qs));
    QCOMPARE(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
}

void TstCli::sqlRunsEveryStatementOrNone()
{
    TempDataFolder folder;
    CliResult r =
        run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
             u"insert into 使用者 (使用者名) values ('a;1'); insert into 使用者 "
             u"(使用者名) values ('b'); select 使用者名 from 使用者 order by 使用者No"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"使用者名\na;1\nb\n"_qs);
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
             u"select count(*) as n from 使用者; insert into 使用者 (使用者名) values ('c'); "
             u"insert into ないテーブル values (1)"_qs});
    QVERIFY(r.status != 0);
    QVERIFY(r.out.isEmpty());
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
             u"select 使用者名 from 使用者 -- ; the end"_qs});
    QCOMPARE(r.out, u"使用者名\na;1\nb\n"_qs);
    // Jet's & joins texts; the files' SQL would take it for a bitwise And and
    // write a number: refused, nothing written.
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
             u"update 使用者 set 使用者名 = 使用者名 & 'x'"_qs});
    QVERIFY(r.status != 0);
    QVERIFY2(r.err.contains(u"& (文字列をつなぐ Jet の演算子) は使えません"_qs), qPrintable(r.err));
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs,
             u"select 使用者名 from 使用者 where 使用者名 <> '&' order by 使用者No"_qs});
    QCOMPARE(r.out, u"使用者名\na;1\nb\n"_qs);
    r = run({u"--data-dir"_qs, folder.path(), u"sql"_qs, u"master"_qs, u" ; -- nothing"_qs});
    QVERIFY(r.status != 0);
    QVERIFY(r.err.contains(u"SQL が空です"_qs));
}

void TstCli::accountVerbs()
{
    TempDataFolder folder;
    const QStringList dir{u"--data-dir"_qs, folder.path()};
    CliResult r = run(dir + QStringList{u"account"_qs, u"add"_qs, u"customer"_qs, u"営業一課"_qs,
                                        u"--password"_qs, u"秘密の言葉"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY(QFileInfo(folder.file(u"kelvo/営業一課.mdb"_qs)).isFile());
    run(dir + QStringList{u"account"_qs, u"add"_qs, u"repair"_qs, u"修理部"_qs});
    r = run(dir + QStringList{u"account"_qs, u"list"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(r.out, u"種類\t番号\t名前\ncustomer\t1\t営業一課\nrepair\t1\t修理部\n"_qs);
    QVERIFY(!r.out.contains(u"秘密"_qs));

    r = run(dir + QStringList{u"account"_qs, u"rename"_qs, u"customer"_qs, u"営業一課"_qs,
                              u"営業二課"_qs, u"--old-password"_qs, u"秘密の言葉"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY(QFileInfo(folder.file(u"kelvo/営業二課.mdb"_qs)).isFile());
    QVERIFY(!QFileInfo::exists(folder.file(u"kelvo/営業一課.mdb"_qs)));
    // Renamed without --new-password: no password any more.
    r = run(dir + QStringList{u"account"_qs, u"passwd"_qs, u"customer"_qs, u"営業二課"_qs,
                              u"--old-password"_qs, QString(), u"--new-password"_qs, u"x"_qs});
    QCOMPARE(r.status, 0);
    r = run(dir + QStringList{u"users"_qs, u"営業二課"_qs, u"--row"_qs, u"あ"_qs, u"--password"_qs,
                              u"x"_qs});
    QCOMPARE(r.status, 0);
    r = run(dir + QStringList{u"account"_qs, u"delete"_qs, u"customer"_qs, u"営業二課"_qs,
                              u"--old-password"_qs, u"x"_qs, u"--yes"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY(!QFileInfo::exists(folder.file(u"kelvo/営業二課.mdb"_qs)));
    r = run(dir + QStringList{u"account"_qs, u"list"_qs});
    QCOMPARE(r.out, u"種類\t番号\t名前\nrepair\t1\t修理部\n"_qs);
}

void TstCli::accountVerbsRefuse_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<int>("status");
    QTest::addColumn<QString>("message");
    const QString op = u"customer"_qs;
    QTest::newRow("duplicate") << QStringList{"add", op, "一課"} << 1
                               << u"同じ名前が存在します。登録できません。"_qs;
    QTest::newRow("slash") << QStringList{"add", op, "a/b"} << 1 << u"「/」は使えません"_qs;
    QTest::newRow("kind") << QStringList{"add", "other", "x"} << 2 << u"customer か repair"_qs;
    QTest::newRow("wrong old password")
        << QStringList{"rename", op, "一課", "二課", "--old-password", "bad"} << 1
        << u"旧パスワードが違います。"_qs;
    QTest::newRow("old password missing")
        << QStringList{"passwd", op, "一課"} << 2 << u"--old-password を指定してください。"_qs;
    QTest::newRow("rename to another")
        << QStringList{"rename", op, "一課", "三課", "--old-password", "pw"} << 1
        << u"同じ名前が存在します。"_qs;
    QTest::newRow("rename to empty")
        << QStringList{"rename", op, "一課", "", "--old-password", "pw"} << 1
        << u"空白はいけません。"_qs;
    QTest::newRow("no such account")
        << QStringList{"delete", op, "無い", "--old-password", "", "--yes"} << 1
        << u"使用者「無い」はありません。"_qs;
    QTest::newRow("delete without --yes")
        << QStringList{"delete", op, "一課", "--old-password", "pw"} << 2 << u"--yes"_qs;
}

void TstCli::accountVerbsRefuse()
{
    QFETCH(QStringList, args);
    QFETCH(int, status);
    QFETCH(QString, message);
    TempDataFolder folder;
    const QStringList dir{u"--data-dir"_qs, folder.path()};
    run(dir + QStringList{u"account"_qs, u"add"_qs, u"customer"_qs, u"一課"_qs, u"--password"_qs,
                          u"pw"_qs});
    run(dir + QStringList{u"account"_qs, u"add"_qs, u"customer"_qs, u"三課"_qs});
    const QString before = run(dir + QStringList{u"account"_qs, u"list"_qs}).out;
    const QStringList files = QDir(folder.file(u"kelvo"_qs)).entryList(QDir::Files);
    const CliResult r = run(dir + QStringList{u"account"_qs} + args);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(run(dir + QStringList{u"account"_qs, u"list"_qs}).out, before);
    QCOMPARE(QDir(folder.file(u"kelvo"_qs)).entryList(QDir::Files), files);
}

void TstCli::adminCompactAndBackup()
{
    TempDataFolder folder;
    const QStringList dir{u"--data-dir"_qs, folder.path()};
    const QString shipped = shippedAdministratorName();
    QCOMPARE(run(dir + QStringList{u"admin"_qs, u"login"_qs, shipped, QString()}).status, 0);
    CliResult r = run(dir + QStringList{u"admin"_qs, u"login"_qs, shipped, u"x"_qs});
    QCOMPARE(r.status, 1);
    QCOMPARE(r.err.trimmed(), u"管理者名 または パスワードが違います。"_qs);
    QCOMPARE(run(dir + QStringList{u"admin"_qs, u"set"_qs, u"店長"_qs, u"--password"_qs, u"pw"_qs})
                 .status,
             0);
    QCOMPARE(run(dir + QStringList{u"admin"_qs, u"login"_qs, u"店長"_qs, u"pw"_qs}).status, 0);
    r = run(dir + QStringList{u"admin"_qs, u"set"_qs, u"店:長"_qs});
    QCOMPARE(r.status, 1);
    QCOMPARE(run(dir + QStringList{u"admin"_qs, u"login"_qs, u"店長"_qs, u"pw"_qs}).status, 0);

    // The administrator has a password now: the administrator's verbs ask for it.
    const QStringList admin{u"--admin-password"_qs, u"pw"_qs};
    QCOMPARE(run(dir + QStringList{u"account"_qs, u"add"_qs, u"repair"_qs, u"修理部"_qs}).status,
             1);
    QCOMPARE(
        run(dir + QStringList{u"account"_qs, u"add"_qs, u"repair"_qs, u"修理部"_qs} + admin).status,
        0);
    r = run(dir + QStringList{u"compact"_qs, u"repair"_qs, u"修理部"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.out.startsWith(u"最適化が終了しました。"_qs), qPrintable(r.out));
    QVERIFY(r.out.contains(u"バイト → "_qs));
    r = run(dir + QStringList{u"compact"_qs, u"customer"_qs, u"無い"_qs});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(u"最適化できませんでした。"_qs));

    QTemporaryDir out;
    const QString target = out.filePath(u"控え"_qs);
    r = run(dir + QStringList{u"backup"_qs, target} + admin);
    QCOMPARE(r.status, 0);
    QVERIFY(r.err.contains(u"(4/4) care/修理部.mdb"_qs));
    QVERIFY(QFileInfo(QDir(target).filePath(u"care/修理部.mdb"_qs)).isFile());
    r = run(dir + QStringList{u"backup"_qs, target} + admin);
    QCOMPARE(r.status, 1);
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"

// Every verb of the program's table, given an option it does not know in
// place of its first argument, is a usage error (status 2, the usage text)
// and writes nothing: backup and restore took it for a folder.
void TstCli::everyVerbRefusesAnOptionItDoesNotKnow_data()
{
    QTest::addColumn<QString>("verb");
    for (const cli::Command& command : cli::commands())
        QTest::newRow(QString::fromUtf16(command.name).toUtf8())
            << QString::fromUtf16(command.name);
}

void TstCli::everyVerbRefusesAnOptionItDoesNotKnow()
{
    QFETCH(QString, verb);
    TempDataFolder folder;
    const QString before = QDir::currentPath();
    QTemporaryDir work;
    QDir::setCurrent(work.path());
    const CliResult r = run({u"--data-dir"_qs, folder.path(), verb, u"--no-such-option"_qs});
    QDir::setCurrent(before);
    QCOMPARE(r.status, 2);
    QVERIFY(r.out.isEmpty());
    QVERIFY2(r.err.contains(u"使い方: horunea-cli"_qs), qPrintable(r.err));
    QVERIFY(QDir(work.path()).isEmpty());
    // The usage text names the verb at the start of a line.
    QVERIFY(cli::usageText().contains(u"\n  "_qs + verb + u' '));
}

// `VERB --help` shows that verb's lines of the usage text and no other
// verb's, succeeds, and touches no data folder (it is not even made).
void TstCli::everyVerbShowsItsOwnHelp()
{
    QFETCH(QString, verb);
    QTemporaryDir work;
    const QString folder = QDir(work.path()).filePath(u"data"_qs);
    const CliResult r = run({u"--data-dir"_qs, folder, verb, u"--help"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY2(r.err.isEmpty(), qPrintable(r.err));
    QVERIFY(r.out.startsWith(u"使い方: horunea-cli"_qs));
    for (const cli::Command& command : cli::commands()) {
        const QString lines = QString::fromUtf8(command.usage);
        QCOMPARE(r.out.contains(lines), QStringView(command.name) == verb);
    }
    QVERIFY(!QFileInfo::exists(folder));
}

void TstCli::unknownAccountIsOneMessage_data()
{
    QTest::addColumn<QStringList>("args");
    QTest::addColumn<QString>("message");
    const QString op = u"使用者「いない」はありません。"_qs;
    const QString rp = u"修理アカウント「いない」はありません。"_qs;
    auto row = [](const char* name, const QStringList& args, const QString& message) {
        QTest::newRow(name) << args << message;
    };
    row("users", {u"users"_qs, u"いない"_qs, u"--row"_qs, u"あ"_qs}, op);
    row("subjects", {u"subjects"_qs, u"いない"_qs}, op);
    row("logs", {u"logs"_qs, u"いない"_qs, u"--subject"_qs, u"1"_qs}, op);
    row("search", {u"search"_qs, u"いない"_qs, u"--in"_qs, u"users"_qs, u"山"_qs}, op);
    row("sql", {u"sql"_qs, u"customer:いない"_qs, u"select 1"_qs}, op);
    row("passwd",
        {u"account"_qs, u"passwd"_qs, u"customer"_qs, u"いない"_qs, u"--old-password"_qs,
         QString()},
        op);
    row("rename",
        {u"account"_qs, u"rename"_qs, u"customer"_qs, u"いない"_qs, u"新"_qs, u"--old-password"_qs,
         QString()},
        op);
    row("delete",
        {u"account"_qs, u"delete"_qs, u"customer"_qs, u"いない"_qs, u"--old-password"_qs, QString(),
         u"--yes"_qs},
        op);
    row("compact", {u"compact"_qs, u"customer"_qs, u"いない"_qs}, op);
    row("transfer from", {u"transfer"_qs, u"customer"_qs, u"いない"_qs, u"一課"_qs}, op);
    row("transfer into", {u"transfer"_qs, u"customer"_qs, u"一課"_qs, u"いない"_qs}, op);
    row("repairs", {u"repairs"_qs, u"いない"_qs}, rp);
    row("repair-logs", {u"repair-logs"_qs, u"いない"_qs, u"--repair"_qs, u"1"_qs}, rp);
    row("repair sql", {u"sql"_qs, u"repair:いない"_qs, u"select 1"_qs}, rp);
    row("repair compact", {u"compact"_qs, u"repair"_qs, u"いない"_qs}, rp);
    row("repair transfer into",
        {u"transfer"_qs, u"repair"_qs, u"修理係"_qs, u"いない"_qs, u"--makers"_qs}, rp);
}

// Every verb says the same of an account main.mdb does not list, even when a
// file of that name lies in the account folder, and touches nothing.
void TstCli::unknownAccountIsOneMessage()
{
    QFETCH(QStringList, args);
    QFETCH(QString, message);
    TempDataFolder folder;
    const QStringList dir{u"--data-dir"_qs, folder.path()};
    test::makeOperator(u"一課"_qs);
    test::makeRepairAccount(u"修理係"_qs);
    // Files of nobody's: an unlisted file is no account.
    QVERIFY(QFile::copy(DataFolder::customerTemplatePath(), folder.file(u"kelvo/いない.mdb"_qs)));
    QVERIFY(QFile::copy(DataFolder::repairTemplatePath(), folder.file(u"care/いない.mdb"_qs)));
    const QByteArray master = readFile(DataFolder::masterPath());
    const QByteArray orphan = readFile(folder.file(u"kelvo/いない.mdb"_qs));
    const CliResult r = run(dir + args);
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(message), qPrintable(r.err));
    QVERIFY(r.out.isEmpty());
    QCOMPARE(readFile(DataFolder::masterPath()), master);
    QCOMPARE(readFile(folder.file(u"kelvo/いない.mdb"_qs)), orphan);
}
