#include "TestSupport.h"

#include "app/Cli.h"
#include "store/Database.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

using namespace horunea;
using horunea::test::TempDataFolder;

namespace {

struct CliResult
{
    int status;
    QString out;
    QString err;
};

CliResult run(const QStringList& args)
{
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runCli(args, o, e);
    o.flush();
    e.flush();
    return {status, out, err};
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
    void errorsGoToStderrWithNonZeroStatus_data();
    void errorsGoToStderrWithNonZeroStatus();
};

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
    QVERIFY(QFile::copy(DataFolder::customerTemplatePath(), DataFolder::customerPath(u"山田"_qs)));
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
    QVERIFY(QString::fromUtf8(cli.readAllStandardError()).contains(u"ファイルがありません"_qs));
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
        << u"ファイルがありません"_qs;
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
    QVERIFY(!QFile::exists(DataFolder::customerPath(u"いない"_qs)));
}

QTEST_GUILESS_MAIN(TstCli)
#include "tst_cli.moc"
