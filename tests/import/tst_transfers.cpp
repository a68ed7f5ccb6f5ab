#include "CliSupport.h"
#include "Fixtures.h"
#include "TestSupport.h"

#include "app/Cli.h"
#include "import/TransferLine.h"
#include "import/Transfers.h"
#include "store/Cp932.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <csignal>

using namespace horunea;
using namespace horunea::test;

class TstTransfers : public QObject
{
    Q_OBJECT
private slots:
    void transferLinesCarryEveryValue_data();
    void transferLinesCarryEveryValue();
    void newKeysFollowTheDestinationsCounter();
    void usersWithoutSubjectsAreCopiedAlone();
    void recordsWithoutTheirParentAreCountedAndTheRestCopied();
    void aFailureHalfWayAddsNothing();
    void sameAccountOrMissingFileIsRefused();
    void keptFilesHoldTheirPositions();
    void oneRepairAndOneRepairLogAreCopied();
    void companyIsReplacedAndMakersAdded();
    void cliTransfersAndRefuses();
    void killedMidTransferLeavesTheDestination();
};

void TstTransfers::transferLinesCarryEveryValue_data()
{
    QTest::addColumn<QString>("value");
    QTest::newRow("plain") << u"青木商店"_qs;
    QTest::newRow("empty") << QString();
    QTest::newRow("quote") << u"言う\"はい\""_qs;
    QTest::newRow("comma") << u"a,b,,c"_qs;
    QTest::newRow("CR LF") << u"一行目\r\n二行目"_qs;
    QTest::newRow("LF and CR alone") << u"a\nb\rc"_qs;
    QTest::newRow("tab") << u"a\tb"_qs;
    QTest::newRow("backslash") << u"C:\\data\\x"_qs;
    QTest::newRow("an escape's look") << u"\\u{41} \\n \\\""_qs;
    QTest::newRow("NEC and IBM") << u"①㈱～髙﨑∵"_qs;
    QTest::newRow("half-width kana") << u"ｱｲｳﾞｪ"_qs;
    QTest::newRow("emoji") << u"笑顔😀です"_qs;
    QTest::newRow("hangul") << u"한국"_qs;
    QTest::newRow("yen and so") << u"ソ表¥"_qs;
}

void TstTransfers::transferLinesCarryEveryValue()
{
    QFETCH(QString, value);
    const QByteArray line = transferLine({u"1"_qs, qint64(42), value, value});
    QVERIFY(line.endsWith("\r\n"));
    QByteArray body = line.chopped(2);
    QVERIFY(!body.contains('\n') && !body.contains('\r'));
    QVERIFY(!decodeCp932(body).contains(u'?') || value.contains(u'?'));
    QVERIFY(body.startsWith("\"1\",42,\""));
    QCOMPARE(parseTransferLine(body), (QStringList{u"1"_qs, u"42"_qs, value, value}));
}

void TstTransfers::newKeysFollowTheDestinationsCounter()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database dst = Database::open(customerFile(u"先"_qs));
        for (int i = 1; i <= 12; ++i)
            addUser(dst, u"ｱ"_qs, QStringLiteral("既存%1").arg(i));
        dst.exec(u"DELETE FROM ユーザー WHERE ユーザーID > 8"_qs);
        const qint64 s = addSubject(dst, 1, u"既存の件名"_qs);
        addLog(dst, s, 1, u"既存のログ"_qs);
        Database src = Database::open(customerFile(u"元"_qs));
        for (const QString& name : {u"甲"_qs, u"乙"_qs, u"丙"_qs}) {
            const qint64 u = addUser(src, u"ｶ"_qs, name);
            for (int k = 0; k < 2; ++k) {
                const qint64 subject = addSubject(src, u, name + u"の件名"_qs + QString::number(k));
                addLog(src, subject, u, name + u"のログ"_qs + QString::number(k));
            }
        }
    }
    const TransferResult r = TransferCustomerData(u"元"_qs, u"先"_qs);
    QCOMPARE(r.users, 3);
    QCOMPARE(r.subjects, 6);
    QCOMPARE(r.logs, 6);
    QCOMPARE(r.orphans, 0);
    Database dst = Database::open(customerFile(u"先"_qs));
    QCOMPARE(columnOf(dst, u"select ユーザーID from ユーザー where ユーザーID > 8 order by 1"_qs),
             (QStringList{u"13"_qs, u"14"_qs, u"15"_qs}));
    // Each subject and log refers to the new keys of its own parents.
    const ResultSet rows = dst.query(
        u"select ユーザー.表示名, 件名.件名, ログ.ログ from ログ, 件名, ユーザー where ログ.件名ID "
        u"= 件名.件名ID "
        u"and ログ.ユーザーID = ユーザー.ユーザーID and 件名.ユーザーID = ユーザー.ユーザーID order by ログ.ログID"_qs);
    QCOMPARE(rows.size(), 7);
    for (int i = 1; i < rows.size(); ++i) {
        const QString name = rows.row(i).text(0);
        QVERIFY(rows.row(i).text(1).startsWith(name + u"の件名"_qs));
        QCOMPARE(rows.row(i).text(2).right(1), rows.row(i).text(1).right(1));
    }
    QCOMPARE(rows.row(0).text(2), u"既存のログ"_qs);
}

void TstTransfers::usersWithoutSubjectsAreCopiedAlone()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database src = Database::open(customerFile(u"元"_qs));
        addUser(src, u"ｱｵｷ"_qs, u"青木"_qs, {{u"自由項目05"_qs, u"⑤"_qs}});
        addUser(src, u"ｶﾄｳ"_qs, u"加藤"_qs);
    }
    QStringList texts;
    ImportProgress progress;
    progress.progress = [&](const QString& t, qint64 d, qint64 n) {
        texts << importProgressText(t, d, n);
    };
    progress.status = [&](const QString& t) { texts << t; };
    const TransferResult r = TransferCustomerData(u"元"_qs, u"先"_qs, progress);
    QCOMPARE(r.users, 2);
    QCOMPARE(r.subjects + r.logs, 0);
    QVERIFY(texts.contains(u"ﾕｰｻﾞｰ情報を一時ファイルに取り込み中50%完了"_qs));
    QVERIFY(texts.contains(u"ﾕｰｻﾞｰ情報追加100%完了"_qs));
    QVERIFY(!texts.join(QString()).contains(u"件名情報"_qs));
    QCOMPARE(texts.last(), u"取り込み完了"_qs);
    Database dst = Database::open(customerFile(u"先"_qs));
    QCOMPARE(columnOf(dst, u"select 自由項目05 from ユーザー order by ユーザーID"_qs),
             (QStringList{u"⑤"_qs, QString()}));
}

void TstTransfers::recordsWithoutTheirParentAreCountedAndTheRestCopied()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database src = Database::open(customerFile(u"元"_qs));
        const qint64 a = addUser(src, u"ｱ"_qs, u"青木"_qs);
        const qint64 b = addUser(src, u"ｶ"_qs, u"加藤"_qs);
        const qint64 c = addUser(src, u"ｻ"_qs, u"佐藤"_qs);
        addSubject(src, a, u"青木の件名"_qs);
        const qint64 orphan = addSubject(src, 99, u"持ち主のいない件名"_qs);
        addLog(src, orphan, 99, u"持ち主のいないログ"_qs);
        const qint64 bs = addSubject(src, b, u"加藤の件名"_qs);
        addLog(src, 77, b, u"件名のないログ"_qs);
        addLog(src, bs, c, u"別のユーザーを指すログ"_qs);
        addLog(src, bs, b, u"加藤のログ"_qs);
        addSubject(src, c, u"佐藤の件名"_qs);
    }
    const TransferResult r = TransferCustomerData(u"元"_qs, u"先"_qs);
    QCOMPARE(r.users, 3);
    QCOMPARE(r.subjects, 3);
    QCOMPARE(r.logs, 1);
    QCOMPARE(r.orphans, 4);
    QVERIFY(r.summary().contains(u"4 件は取り込めませんでした"_qs));
    Database dst = Database::open(customerFile(u"先"_qs));
    QCOMPARE(columnOf(dst, u"select 件名 from 件名 order by 件名ID"_qs),
             (QStringList{u"青木の件名"_qs, u"加藤の件名"_qs, u"佐藤の件名"_qs}));
    QCOMPARE(columnOf(dst, u"select ログ from ログ"_qs), QStringList{u"加藤のログ"_qs});
}

void TstTransfers::aFailureHalfWayAddsNothing()
{
    TempDataFolder folder;
    QTemporaryDir tmp;
    const QByteArray oldTmp = qgetenv("TMPDIR");
    qputenv("TMPDIR", QFile::encodeName(tmp.path()));
    makeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database src = Database::open(customerFile(u"元"_qs));
        for (int i = 0; i < 10; ++i) {
            const qint64 u = addUser(src, u"ｱ"_qs, QStringLiteral("利用者%1").arg(i));
            addLog(src, addSubject(src, u, u"件名"_qs), u, u"ログ"_qs);
        }
        Database dst = Database::open(customerFile(u"先"_qs));
        addUser(dst, u"ｶ"_qs, u"既存"_qs);
        // The fifth log cannot be stored.
        dst.execRaw(
            u"CREATE TRIGGER stop BEFORE INSERT ON \"ログ\" WHEN "
            u"(SELECT count(*) FROM \"ログ\") >= 4 BEGIN SELECT RAISE(ABORT, '書けません'); END"_qs);
    }
    const QString before = databaseContents(customerFile(u"先"_qs));
    try {
        TransferCustomerData(u"元"_qs, u"先"_qs);
        QFAIL("the transfer reported success");
    } catch (const Failure& e) {
        QVERIFY2(e.message().startsWith(u"取り込みに失敗しました。"_qs), qPrintable(e.message()));
    }
    QCOMPARE(databaseContents(customerFile(u"先"_qs)), before);
    QVERIFY(QDir(tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());
    qputenv("TMPDIR", oldTmp);
}

void TstTransfers::sameAccountOrMissingFileIsRefused()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs);
    Database(Database::open(customerFile(u"元"_qs)));
    QVERIFY_THROWS_EXCEPTION(Failure, TransferCustomerData(u"元"_qs, u"元"_qs));
    QVERIFY_THROWS_EXCEPTION(Failure, TransferCustomerData(u"元"_qs, u"いない"_qs));
    QVERIFY_THROWS_EXCEPTION(Failure, TransferCustomerData(QString(), u"元"_qs));
    makeRepairAccount(u"修理"_qs);
    QVERIFY_THROWS_EXCEPTION(Failure,
                             TransferRepairData(u"修理"_qs, u"修理"_qs, {true, true, true}));
}

void TstTransfers::keptFilesHoldTheirPositions()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database src = Database::open(customerFile(u"元"_qs));
        addUser(src, u"ｱ"_qs, u"削除される"_qs);
        const qint64 u = addUser(src, u"ｱｵｷ"_qs, u"青木"_qs, {{u"自宅ＴＥＬ"_qs, u"03-1"_qs}});
        src.exec(u"DELETE FROM ユーザー WHERE ユーザーID = 1"_qs);
        const qint64 s = addSubject(src, u, u"見積"_qs, u"完了"_qs, u"2026/01/05(月)"_qs);
        addLog(src, s, u, u"電話"_qs, u"2026/01/06(火)"_qs);
    }
    const QString keep = folder.file(u"kept"_qs);
    TransferCustomerData(u"元"_qs, u"先"_qs, {}, keep);
    auto lines = [&](const QString& name) {
        QStringList all;
        TransferReader in(QDir(keep).filePath(name));
        QStringList v;
        while (in.next(&v))
            all << v.join(u'|');
        return all;
    };
    QCOMPARE(lines(u"ﾕｰｻﾞｰ.dat"_qs), QStringList{u"1|2|ｱｵｷ|青木|||03-1||||||||||||||||"_qs});
    QCOMPARE(lines(u"件名.dat"_qs), QStringList{u"1|1|1|2|2026/01/05(月)|見積||完了"_qs});
    QCOMPARE(lines(u"ログ.dat"_qs), QStringList{u"1|1|1|1|1|2|2026/01/06(火)|山田|電話"_qs});
    // A second kept run replaces the files.
    TransferCustomerData(u"元"_qs, u"先"_qs, {}, keep);
    QCOMPARE(lines(u"ログ.dat"_qs).size(), 1);
}

void TstTransfers::oneRepairAndOneRepairLogAreCopied()
{
    TempDataFolder folder;
    makeRepairAccount(u"元"_qs);
    makeRepairAccount(u"先"_qs);
    {
        Database src = Database::open(repairFile(u"元"_qs));
        const qint64 r = addRepair(src, u"伊藤"_qs, u"伊藤商会"_qs, u"続行"_qs,
                                   {{u"見積納期"_qs, u"05"_qs}, {u"自由項目03"_qs, u"箱"_qs}});
        addRepairLog(src, r, u"受付"_qs);
        addRepairLog(src, 55, u"修理のないログ"_qs);
        Database dst = Database::open(repairFile(u"先"_qs));
        addRepair(dst, u"既存"_qs, u"既存"_qs);
    }
    const TransferResult r = TransferRepairData(u"元"_qs, u"先"_qs, {false, false, true});
    QCOMPARE(r.repairs, 1);
    QCOMPARE(r.repairLogs, 1);
    QCOMPARE(r.orphans, 1);
    Database dst = Database::open(repairFile(u"先"_qs));
    QCOMPARE(
        columnOf(dst, u"select お客様名 || 見積納期 || 自由項目03 from 修理 where 修理ID = 2"_qs),
        QStringList{u"伊藤05箱"_qs});
    QCOMPARE(columnOf(dst, u"select 修理ID || ログ from 修理ログ"_qs), QStringList{u"2受付"_qs});
}

void TstTransfers::companyIsReplacedAndMakersAdded()
{
    TempDataFolder folder;
    makeRepairAccount(u"元"_qs);
    makeRepairAccount(u"先"_qs);
    {
        Database src = Database::open(repairFile(u"元"_qs));
        src.update(u"自社"_qs, {{u"自社名"_qs, u"新社名"_qs}, {u"自社TEL"_qs, QString()}},
                   u"自社ID =1"_qs);
        src.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"日立"_qs}, {u"備考"_qs, u"①"_qs}});
        addRepair(src, u"伊藤"_qs, u"伊藤商会"_qs);
        Database dst = Database::open(repairFile(u"先"_qs));
        dst.update(u"自社"_qs, {{u"自社名"_qs, u"旧社名"_qs}, {u"自社TEL"_qs, u"06-1"_qs}},
                   u"自社ID =1"_qs);
        dst.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"日立"_qs}});
    }
    const TransferResult r = TransferRepairData(u"元"_qs, u"先"_qs, {true, true, false});
    QCOMPARE(r.company, 1);
    QCOMPARE(r.makers, 1);
    QCOMPARE(r.repairs, 0);
    Database dst = Database::open(repairFile(u"先"_qs));
    const ResultSet company = dst.query(u"select * from 自社"_qs);
    QCOMPARE(company.size(), 1);
    QCOMPARE(company.first().text(u"自社名"_qs), u"新社名"_qs);
    QVERIFY(company.first().isNull(u"自社TEL"_qs));
    QCOMPARE(
        columnOf(dst, u"select メーカー名 || ifnull(備考, '') from 修理先 order by 修理先ID"_qs),
        (QStringList{u"日立"_qs, u"日立①"_qs}));
    QCOMPARE(dst.scalar(u"select count(*) from 修理"_qs), 0);
}

namespace {

CliRun cli(const QStringList& args)
{
    return runCliHere(args);
}

} // namespace

void TstTransfers::cliTransfersAndRefuses()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs, u"秘密"_qs);
    makeOperator(u"先"_qs);
    {
        Database src = Database::open(customerFile(u"元"_qs));
        const qint64 u = addUser(src, u"ｱ"_qs, u"青木"_qs);
        addLog(src, addSubject(src, u, u"件名"_qs), u, u"ログ"_qs);
    }
    const QString before = databaseContents(customerFile(u"先"_qs));
    CliRun r =
        cli({u"transfer"_qs, u"customer"_qs, u"元"_qs, u"先"_qs, u"--password"_qs, u"違う"_qs});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(u"パスワードが違います"_qs));
    QCOMPARE(databaseContents(customerFile(u"先"_qs)), before);
    r = cli({u"transfer"_qs, u"customer"_qs, u"元"_qs, u"元"_qs, u"--password"_qs, u"秘密"_qs});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(u"同じ"_qs));
    r = cli({u"transfer"_qs, u"customer"_qs, u"元"_qs, u"先"_qs, u"--password"_qs, u"秘密"_qs});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out, u"ユーザー 1 件、件名 1 件、ログ 1 件を追加しました。\n"_qs);
    QVERIFY(r.err.contains(u"ﾕｰｻﾞｰ情報追加100%完了"_qs));
    QVERIFY(r.err.endsWith(u"取り込み完了\n"_qs));
    r = cli({u"transfer"_qs, u"sideways"_qs, u"元"_qs, u"先"_qs});
    QCOMPARE(r.status, 2);
    makeRepairAccount(u"修理元"_qs);
    makeRepairAccount(u"修理先"_qs);
    r = cli({u"transfer"_qs, u"repair"_qs, u"修理元"_qs, u"修理先"_qs, u"--makers"_qs});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY(r.out.contains(u"メーカー 0 件"_qs));
}

void TstTransfers::killedMidTransferLeavesTheDestination()
{
    TempDataFolder folder;
    makeOperator(u"元"_qs);
    makeOperator(u"先"_qs);
    {
        Database src = Database::open(customerFile(u"元"_qs));
        Transaction t(src);
        for (int i = 0; i < 3000; ++i) {
            const qint64 u = addUser(src, u"ｱ"_qs, QStringLiteral("利用者%1").arg(i));
            addSubject(src, u, u"件名"_qs);
        }
        // Enough logs that adding them lasts far longer than a kill takes:
        // user k has subject k.
        src.execRaw(u"WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                    "WHERE i < 299999) INSERT INTO ログ (件名ID, ユーザーID, ログ) "
                    "SELECT 1 + i % 3000, 1 + i % 3000, 'ログ' || i FROM n"_qs);
        t.commit();
    }
    const QString before = databaseContents(customerFile(u"先"_qs));
    QProcess p;
    p.setProgram(QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs));
    p.setArguments(
        {u"--data-dir"_qs, folder.path(), u"transfer"_qs, u"customer"_qs, u"元"_qs, u"先"_qs});
    p.start();
    QVERIFY(p.waitForStarted());
    QByteArray err;
    // Kill it while it adds the logs to the destination.
    while (!err.contains(QStringLiteral("ログ情報追加").toUtf8()) &&
           p.state() == QProcess::Running) {
        p.waitForReadyRead(100);
        err += p.readAllStandardError();
    }
    QVERIFY2(p.state() == QProcess::Running, "the transfer ended before it could be killed");
    ::kill(pid_t(p.processId()), SIGKILL);
    QVERIFY(p.waitForFinished(10000));
    err += p.readAllStandardError();
    QVERIFY2(!err.contains(QStringLiteral("\n取り込み完了").toUtf8()),
             "the transfer committed before it could be killed");
    QCOMPARE(databaseContents(customerFile(u"先"_qs)), before);
}

QTEST_GUILESS_MAIN(TstTransfers)
#include "tst_transfers.moc"
