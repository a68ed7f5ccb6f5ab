#include "CoreTestSupport.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerStorage.h"
#include "repair/RepairQueries.h"

#include "store/Accounts.h"
#include "store/Connections.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/ShippedFiles.h"

#include <QFile>
#include <QTest>
#include <unistd.h>

#include <sqlcipher/sqlite3.h>

using namespace horunea;
using horunea::test::TempDataFolder;

namespace {

Database customerCopy(const TempDataFolder& folder)
{
    const QString path = folder.file(u"copy.mdb"_qs);
    QFile::copy(DataFolder::customerTemplatePath(), path);
    return Database::open(path);
}

QByteArray head(const QString& path, int n)
{
    QFile f(path);
    f.open(QIODevice::ReadOnly);
    return f.read(n);
}

} // namespace

class TstDatabase : public QObject
{
    Q_OBJECT
private slots:
    void filesAreEncrypted();
    void fileKeyedOtherwiseIsRefused();
    void foreignOrMissingFileIsRefusedUntouched_data();
    void foreignOrMissingFileIsRefusedUntouched();
    void everyWrittenFormReachesItsField_data();
    void everyWrittenFormReachesItsField();
    void keysRiseAndAreNeverReused();
    void countOnEmptyTableIsZero();
    void nullAndEmptyBothReadAsEmpty();
    void typedValuesAreBoundNotSpliced();
    void transactionRollsBackUnlessCommitted();
    void innerTransactionIsASavepoint();
    void keysInSqlTextAreChecked_data();
    void keysInSqlTextAreChecked();
    void updateAndRemoveReportRowsTouched();
    void readingKeyZeroReadsNoRow();
    void shippedFilesHoldEveryTable_data();
    void shippedFilesHoldEveryTable();
    void shippedOneRowTables();
    void ensureShippedFilesLeavesExistingFiles();
    void unwritableFolderCreatesNothing();
    void connectionsOpenAndClose();
    void orderByDateTextIsChronological();
    void aStatementRunAgainWhileInUseGetsItsOwn();
    void manyDistinctStatementsStayCorrect();
    void newTablesAreSeenByCachedWork();
    void insertsOfOtherFieldListsAreBuiltAnew();
    void indexesAreInNewFilesAndAddedToOldOnes_data();
    void indexesAreInNewFilesAndAddedToOldOnes();
    void aReadOnlyFileWithoutIndexesStillOpens();
    void listRowsKeepEveryCellAsStored_data();
    void listRowsKeepEveryCellAsStored();
    void likeInTheStoreFindsWhatTheMatcherFinds();
    void bulkRowsOfValuesAtHandAreAddedAsGiven();
};

void TstDatabase::filesAreEncrypted()
{
    TempDataFolder folder;
    for (const QString& path : {DataFolder::masterPath(), DataFolder::customerTemplatePath(),
                                DataFolder::repairTemplatePath()}) {
        QVERIFY(QFile::exists(path));
        QVERIFY2(!head(path, 16).startsWith("SQLite format 3"), qPrintable(path));
        // And the store reads it back with its key.
        Database db = Database::open(path);
        QVERIFY(db.tableNames().size() >= 3);
    }
}

void TstDatabase::fileKeyedOtherwiseIsRefused()
{
    TempDataFolder folder(false);
    const QString path = folder.file(u"other.mdb"_qs);
    sqlite3* raw = nullptr;
    QCOMPARE(sqlite3_open(QFile::encodeName(path).constData(), &raw), SQLITE_OK);
    QCOMPARE(sqlite3_exec(raw, "PRAGMA key = 'another key'; CREATE TABLE t(x);", nullptr, nullptr,
                          nullptr),
             SQLITE_OK);
    sqlite3_close(raw);
    const QByteArray before = head(path, 4096);

    QVERIFY_THROWS_EXCEPTION(Failure, Database::open(path));
    QCOMPARE(head(path, 4096), before);
}

void TstDatabase::foreignOrMissingFileIsRefusedUntouched_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<bool>("exists");
    QTest::newRow("missing") << QByteArray() << false;
    QTest::newRow("text file") << QByteArray("これはデータベースではありません\n") << true;
    QTest::newRow("empty file") << QByteArray() << true;
    QTest::newRow("truncated header") << QByteArray("SQLite format 3\0", 16) << true;
}

void TstDatabase::foreignOrMissingFileIsRefusedUntouched()
{
    QFETCH(QByteArray, content);
    QFETCH(bool, exists);
    TempDataFolder folder(false);
    const QString path = folder.file(u"x.mdb"_qs);
    if (exists) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    try {
        Database::open(path);
        QFAIL("opened a file that is not ours");
    } catch (const Failure& e) {
        QVERIFY(e.message().contains(path));
    }
    QCOMPARE(QFile::exists(path), exists);
    if (exists)
        QCOMPARE(head(path, 1 << 16), content);
}

void TstDatabase::everyWrittenFormReachesItsField_data()
{
    QTest::addColumn<QString>("field");
    QTest::addColumn<QString>("written");
    QTest::newRow("ﾕｰｻﾞｰ名") << u"ユーザー名"_qs << u"ﾕｰｻﾞｰ名"_qs;
    QTest::newRow("自宅TEL") << u"自宅ＴＥＬ"_qs << u"自宅TEL"_qs;
    QTest::newRow("自宅tel") << u"自宅ＴＥＬ"_qs << u"自宅tel"_qs;
    QTest::newRow("会社FAX") << u"会社ＦＡＸ"_qs << u"会社FAX"_qs;
    QTest::newRow("[E-mail]") << u"E-MAIL"_qs << u"[E-mail]"_qs;
    QTest::newRow("url") << u"URL"_qs << u"url"_qs;
    QTest::newRow("ﾕｰｻﾞｰ名ﾌﾘｶﾞﾅ") << u"ユーザー名ふりがな"_qs << u"ﾕｰｻﾞｰ名ふりがな"_qs;
}

void TstDatabase::everyWrittenFormReachesItsField()
{
    QFETCH(QString, field);
    QFETCH(QString, written);
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const qint64 id =
        db.insert(u"ﾕｰｻﾞｰ"_qs, {{u"表示ふりがな"_qs, u"ｱ"_qs},
                                {QString(written).remove(u'[').remove(u']'), u"値"_qs}});
    const ResultSet r =
        db.query(u"SELECT "_qs + written + u" FROM ﾕｰｻﾞｰ WHERE ﾕｰｻﾞｰID ="_qs + QString::number(id));
    QCOMPARE(r.size(), 1);
    QCOMPARE(r.first().text(0), u"値"_qs);
    // Field access by name folds the same way.
    const ResultSet all = db.query(u"Select * From ユーザー"_qs);
    QCOMPARE(all.first().text(QString(written).remove(u'[').remove(u']')), u"値"_qs);
    QCOMPARE(all.first().text(field), u"値"_qs);
}

void TstDatabase::keysRiseAndAreNeverReused()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    QList<qint64> keys;
    for (const QString& name : {u"一"_qs, u"二"_qs, u"三"_qs})
        keys << db.insert(u"ユーザー"_qs, {{u"表示名"_qs, name}});
    QCOMPARE(keys, (QList<qint64>{1, 2, 3}));
    QCOMPARE(db.remove(u"ユーザー"_qs, u"ユーザーID =2"_qs), 1);
    QCOMPARE(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"四"_qs}}), 4);
    // Even with the largest deleted, the next key goes on rising.
    db.remove(u"ユーザー"_qs, u"ユーザーID =4"_qs);
    QCOMPARE(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"五"_qs}}), 5);
    QCOMPARE(db.scalar(u"Select max(ユーザーID) as ma1 From ﾕｰｻﾞｰ"_qs), 5);
}

void TstDatabase::countOnEmptyTableIsZero()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const ResultSet r = db.query(u"SELECT count(*) as ma1 FROM ユーザー"_qs);
    QCOMPARE(r.size(), 1);
    QCOMPARE(r.first().value(u"ma1"_qs).toLongLong(), 0);
    QCOMPARE(r.first().text(u"MA1"_qs), u"0"_qs);
}

void TstDatabase::nullAndEmptyBothReadAsEmpty()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const qint64 id = db.insert(u"件名"_qs, {{u"件名"_qs, u"修理"_qs}, {u"備考"_qs, QVariant()}});
    ResultSet r = db.query(u"Select * From 件名 Where 件名ID ="_qs + QString::number(id));
    QVERIFY(r.first().isNull(u"備考"_qs));
    QCOMPARE(r.first().text(u"備考"_qs), QString());
    QVERIFY(!r.first().text(u"備考"_qs).isNull());
    db.update(u"件名"_qs, {{u"備考"_qs, u""_qs}}, u"件名ID ="_qs + QString::number(id));
    r = db.query(u"Select * From 件名 Where 件名ID ="_qs + QString::number(id));
    QVERIFY(!r.first().isNull(u"備考"_qs));
    QCOMPARE(r.first().text(u"備考"_qs), QString());
    // A name the result lacks reads as empty too.
    QCOMPARE(r.first().text(u"存在しない"_qs), QString());
}

void TstDatabase::typedValuesAreBoundNotSpliced()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const QString nasty = u"'); DROP TABLE ユーザー; --"_qs;
    const qint64 id = db.insert(u"ユーザー"_qs, {{u"表示名"_qs, nasty}});
    const ResultSet r = db.query(u"Select * From ユーザー Where 表示名 = ?"_qs, {nasty});
    QCOMPARE(r.size(), 1);
    QCOMPARE(r.first().integer(u"ユーザーID"_qs), id);
    QVERIFY(db.tableNames().contains(u"ユーザー"_qs));
}

void TstDatabase::transactionRollsBackUnlessCommitted()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"残る"_qs}});
    try {
        Transaction t(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"消える"_qs}});
        db.exec(u"SELECT * FROM 存在しない表"_qs);
        t.commit();
        QFAIL("the failing statement did not throw");
    } catch (const Failure&) {
    }
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ユーザー"_qs), 1);
    {
        Transaction t(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"入る"_qs}});
        t.commit();
    }
    QCOMPARE(db.scalar(u"SELECT count(*) as ma1 FROM ユーザー"_qs), 2);
}

void TstDatabase::innerTransactionIsASavepoint()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    auto users = [&db] { return db.scalar(u"SELECT count(*) FROM ユーザー"_qs); };
    {
        Transaction outer(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"外"_qs}});
        {
            Transaction inner(db); // rolled back alone
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"内の一"_qs}});
        }
        QCOMPARE(users(), 1);
        {
            Transaction inner(db);
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"内の二"_qs}});
            inner.commit(); // still not final
        }
        QVERIFY(db.inTransaction());
        // The outer one ends without commit: everything goes.
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(users(), 0);
    {
        Transaction outer(db);
        {
            Transaction inner(db);
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"残る"_qs}});
            inner.commit();
        }
        outer.commit();
    }
    QCOMPARE(users(), 1);
    // A storage operation inside an open transaction keeps its own all-or-nothing.
    Transaction outer(db);
    db.insert(u"件名"_qs, {{u"ユーザーID"_qs, 1}, {u"件名"_qs, u"件"_qs}});
    db.execRaw(
        u"CREATE TEMP TRIGGER stop BEFORE DELETE ON \"件名\" BEGIN SELECT RAISE(ABORT, 'stop'); END"_qs);
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteUser(db, u"1"_qs));
    QCOMPARE(users(), 1);
    db.execRaw(u"DROP TRIGGER stop"_qs);
    QVERIFY(DeleteUser(db, u"1"_qs));
    outer.commit();
    QCOMPARE(users(), 0);
}

void TstDatabase::keysInSqlTextAreChecked_data()
{
    QTest::addColumn<QString>("key");
    QTest::newRow("empty") << QString();
    QTest::newRow("injection") << u"1 OR 1=1"_qs;
    QTest::newRow("negative") << u"-1"_qs;
    QTest::newRow("full-width digits") << u"１"_qs;
    QTest::newRow("too long") << u"1234567890123456789"_qs;
}

void TstDatabase::keysInSqlTextAreChecked()
{
    QFETCH(QString, key);
    TempDataFolder folder;
    Database db = customerCopy(folder);
    QVERIFY_THROWS_EXCEPTION(Failure, ReadUserDetail(db, key));
    CustomerListQuery q;
    QVERIFY_THROWS_EXCEPTION(Failure, q.ApplySubjectFilter(true, key));
    QVERIFY_THROWS_EXCEPTION(Failure, q.showLogsOf(key));
    RepairListQuery r;
    QVERIFY_THROWS_EXCEPTION(Failure, r.showLogsOf(key));
    QCOMPARE(checkedKey(u"42"_qs), u"42"_qs);
}

void TstDatabase::updateAndRemoveReportRowsTouched()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    QCOMPARE(db.update(u"ユーザー"_qs, {{u"表示名"_qs, u"x"_qs}}, u"ユーザーID =9"_qs), 0);
    QCOMPARE(db.remove(u"ユーザー"_qs, u"ユーザーID =9"_qs), 0);
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"a"_qs}});
    QCOMPARE(db.update(u"ユーザー"_qs, {{u"表示名"_qs, u"b"_qs}}, u"ユーザーID =1"_qs), 1);
    QVERIFY_THROWS_EXCEPTION(
        Failure, db.update(u"ユーザー"_qs, {{u"ない列"_qs, u"b"_qs}}, u"ユーザーID =1"_qs));
}

void TstDatabase::readingKeyZeroReadsNoRow()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"a"_qs}});
    QVERIFY(db.query(u"Select * From ユーザー Where ユーザーID =0"_qs).isEmpty());
}

void TstDatabase::shippedFilesHoldEveryTable_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QStringList>("tables");
    QTest::newRow("main.mdb") << int(DatabaseKind::Master) << u"main.mdb"_qs
                              << QStringList{u"管理者"_qs, u"使用者"_qs, u"修理"_qs};
    QTest::newRow("kelvo.mdb") << int(DatabaseKind::Customer) << u"kelvo.mdb"_qs
                               << QStringList{u"ユーザー"_qs, u"件名"_qs, u"ログ"_qs, u"設定"_qs};
    QTest::newRow("care.mdb") << int(DatabaseKind::Repair) << u"care.mdb"_qs
                              << QStringList{u"修理"_qs, u"修理ログ"_qs, u"修理先"_qs, u"自社"_qs,
                                             u"設定"_qs};
}

void TstDatabase::shippedFilesHoldEveryTable()
{
    QFETCH(int, kind);
    QFETCH(QString, file);
    QFETCH(QStringList, tables);
    TempDataFolder folder;
    Database db = Database::open(folder.file(file));
    QStringList names = db.tableNames();
    names.removeAll(u"sqlite_sequence"_qs);
    QCOMPARE(names, tables);
    for (const TableDef& table : tablesOf(DatabaseKind(kind))) {
        const ResultSet r = db.query(u"SELECT * FROM "_qs + table.name);
        QStringList columns;
        for (const ColumnDef& c : table.columns)
            columns << c.name;
        QCOMPARE(r.columnNames(), columns);
    }
}

void TstDatabase::shippedOneRowTables()
{
    TempDataFolder folder;
    {
        Database master = Database::open(DataFolder::masterPath());
        const ResultSet r = master.query(u"Select * From 管理者 Where 管理者ID =1"_qs);
        QCOMPARE(r.size(), 1);
        QCOMPARE(r.first().text(u"管理者名"_qs), u"admin"_qs);
        QVERIFY(r.first().isNull(u"パスワード"_qs));
        QCOMPARE(master.scalar(u"SELECT count(*) as ma1 FROM 使用者"_qs), 0);
        QCOMPARE(master.scalar(u"SELECT count(*) as ma1 FROM 修理"_qs), 0);
    }
    for (const auto& [path, freeFields] : {std::pair{DataFolder::customerTemplatePath(), 5},
                                           {DataFolder::repairTemplatePath(), 3}}) {
        Database db = Database::open(path);
        const ResultSet r = db.query(u"SELECT * FROM 設定 WHERE 設定ID = 1"_qs);
        QCOMPARE(r.size(), 1);
        for (int i = 1; i <= freeFields; ++i)
            QCOMPARE(r.first().text(QStringLiteral("項目%1").arg(i, 2, 10, QLatin1Char('0'))),
                     QStringLiteral("自由項目%1").arg(i, 2, 10, QLatin1Char('0')));
        for (int i = 1; i <= 6; ++i)
            QCOMPARE(r.first().text(QStringLiteral("並べ0%1").arg(i)), u"0"_qs);
        for (const QString& side : {u"上"_qs, u"左"_qs, u"右"_qs, u"下"_qs})
            QVERIFY(r.first().integer(side) > 0 && r.first().integer(side) < 2000);
    }
    Database repair = Database::open(DataFolder::repairTemplatePath());
    QCOMPARE(repair.query(u"Select * From 自社 Where 自社ID =1"_qs).size(), 1);
}

void TstDatabase::ensureShippedFilesLeavesExistingFiles()
{
    TempDataFolder folder;
    {
        Database master = Database::open(DataFolder::masterPath());
        master.insert(u"使用者"_qs, {{u"使用者名"_qs, u"営業一課"_qs}});
    }
    QFile::remove(DataFolder::repairTemplatePath());
    const QStringList created = EnsureShippedFiles();
    QCOMPARE(created, QStringList{DataFolder::repairTemplatePath()});
    Database master = Database::open(DataFolder::masterPath());
    QCOMPARE(master.scalar(u"SELECT count(*) as ma1 FROM 使用者"_qs), 1);
    QVERIFY(!QFile::exists(DataFolder::repairTemplatePath() + u".part"_qs));
}

void TstDatabase::unwritableFolderCreatesNothing()
{
    if (geteuid() == 0)
        QSKIP("root writes into read-only folders");
    TempDataFolder folder(false);
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::ExeOwner);
    QVERIFY_THROWS_EXCEPTION(Failure, EnsureShippedFiles());
    QFile::setPermissions(folder.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QVERIFY(!QFile::exists(DataFolder::masterPath()));
}

void TstDatabase::connectionsOpenAndClose()
{
    TempDataFolder folder;
    Connections& c = Connections::instance();
    c.CloseCustomerDatabase(); // closing what is not open does nothing
    c.CloseRepairDatabase();
    c.CloseMasterDatabase();
    QVERIFY(!c.masterOpen());
    QVERIFY_THROWS_EXCEPTION(Failure, MasterConnection());

    c.OpenMasterDatabase();
    QVERIFY(c.masterOpen());
    QCOMPARE(MasterConnection().path(), DataFolder::masterPath());

    c.CustomerDatabasePath = DataFolder::customerTemplatePath();
    c.OpenCustomerDatabase();
    c.RepairDatabasePath = DataFolder::repairTemplatePath();
    c.OpenRepairDatabase();
    QVERIFY(c.customerOpen() && c.repairOpen());
    c.CloseCustomerDatabase();
    QVERIFY(!c.customerOpen());
    QVERIFY(c.repairOpen());

    // A missing account file: the open fails and nothing is created.
    c.CustomerDatabasePath = accountFilePath(AccountKind::Operator, u"いない人"_qs);
    QVERIFY_THROWS_EXCEPTION(Failure, c.OpenCustomerDatabase());
    QVERIFY(!c.customerOpen());
    QVERIFY(!QFile::exists(c.CustomerDatabasePath));
}

void TstDatabase::orderByDateTextIsChronological()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    for (const QString& d : {u"2004/01/01(木)"_qs, u"2003/12/31(水)"_qs, u"2003/08/19(火)"_qs})
        db.insert(u"件名"_qs, {{u"登録日"_qs, d}, {u"件名"_qs, d}});
    QStringList order;
    db.forEachRow(u"SELECT * FROM 件名 ORDER BY 登録日"_qs, {},
                  [&](const Row& r) { order << r.text(u"登録日"_qs); });
    QCOMPARE(order,
             (QStringList{u"2003/08/19(火)"_qs, u"2003/12/31(水)"_qs, u"2004/01/01(木)"_qs}));
}

void TstDatabase::aStatementRunAgainWhileInUseGetsItsOwn()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    for (int i = 0; i < 3; ++i)
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, QString::number(i)}});
    const QString sql = u"Select 表示名 From ユーザー Order By ユーザーID"_qs;
    QStringList pairs;
    db.forEachRow(sql, {}, [&](const Row& outer) {
        db.forEachRow(sql, {}, [&](const Row& inner) { pairs << outer.text(0) + inner.text(0); });
    });
    QCOMPARE(pairs, (QStringList{u"00"_qs, u"01"_qs, u"02"_qs, u"10"_qs, u"11"_qs, u"12"_qs,
                                 u"20"_qs, u"21"_qs, u"22"_qs}));
    // A statement left by an error is reset before its next use.
    QVERIFY_THROWS_EXCEPTION(Failure,
                             db.forEachRow(sql, {}, [](const Row&) { throw Failure(u"stop"_qs); }));
    QCOMPARE(db.textRows(sql, {u"表示名"_qs}).size(), size_t(3));
}

void TstDatabase::manyDistinctStatementsStayCorrect()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    for (int i = 0; i < 200; ++i)
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, QString::number(i)}});
    // More texts than the store keeps prepared, each asked twice.
    for (int round = 0; round < 2; ++round)
        for (int i = 1; i <= 200; ++i)
            QCOMPARE(db.textRows(u"Select 表示名 From ユーザー Where ユーザーID ="_qs +
                                     QString::number(i),
                                 {u"表示名"_qs})
                         .front()
                         .value(0),
                     QString::number(i - 1));
}

void TstDatabase::newTablesAreSeenByCachedWork()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const QString sql = u"Select count(*) From 追加"_qs;
    QVERIFY_THROWS_EXCEPTION(Failure, db.scalar(sql));
    db.execRaw(u"CREATE TABLE \"追加\" (\"番号\" INTEGER)"_qs);
    db.refreshNames();
    db.insert(u"追加"_qs, {{u"番号"_qs, 1}});
    QCOMPARE(db.scalar(sql), 1);
    db.execRaw(u"ALTER TABLE \"追加\" ADD COLUMN \"名前\" TEXT"_qs);
    db.refreshNames();
    db.insert(u"追加"_qs, {{u"番号"_qs, 2}, {u"名前"_qs, u"二"_qs}});
    QCOMPARE(db.scalar(u"Select 番号 From 追加 Where 名前 = '二'"_qs), 2);
}

void TstDatabase::insertsOfOtherFieldListsAreBuiltAnew()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"甲"_qs}});
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"乙"_qs}, {u"備考"_qs, u"乙の備考"_qs}});
    db.insert(u"ユーザー"_qs, {{u"備考"_qs, u"丙の備考"_qs}, {u"表示名"_qs, u"丙"_qs}});
    db.insert(u"ユーザー"_qs, {});
    const ListRows rows =
        db.textRows(u"Select * From ユーザー Order By ユーザーID"_qs, {u"表示名"_qs, u"備考"_qs});
    QCOMPARE(rows.size(), size_t(4));
    QCOMPARE(rows[0], (QStringList{u"甲"_qs, QString()}));
    QCOMPARE(rows[1], (QStringList{u"乙"_qs, u"乙の備考"_qs}));
    QCOMPARE(rows[2], (QStringList{u"丙"_qs, u"丙の備考"_qs}));
    QCOMPARE(rows[3], (QStringList{QString(), QString()}));
    QVERIFY_THROWS_EXCEPTION(
        Failure, db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"a"_qs}, {u"ﾋｮｳｼﾞﾒｲ"_qs, u"b"_qs}}));
}

void TstDatabase::indexesAreInNewFilesAndAddedToOldOnes_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<QStringList>("expected");
    QTest::newRow("master") << int(DatabaseKind::Master) << QStringList{};
    QTest::newRow("customer") << int(DatabaseKind::Customer)
                              << QStringList{u"索引_ユーザー_表示ふりがな"_qs,
                                             u"索引_ログ_ユーザーID"_qs, u"索引_ログ_件名ID"_qs,
                                             u"索引_件名_ユーザーID"_qs};
    QTest::newRow("repair") << int(DatabaseKind::Repair) << QStringList{u"索引_修理ログ_修理ID"_qs};
}

void TstDatabase::indexesAreInNewFilesAndAddedToOldOnes()
{
    QFETCH(int, kind);
    QFETCH(QStringList, expected);
    TempDataFolder folder;
    const QString path = folder.file(u"new.mdb"_qs);
    createDatabaseFile(path, DatabaseKind(kind));
    auto indexes = [&] {
        Database db = Database::open(path);
        QStringList names;
        db.forEachRow(u"SELECT name FROM sqlite_master WHERE type = 'index' AND name NOT LIKE "
                      u"'sqlite%' ORDER BY name"_qs,
                      {}, [&](const Row& row) { names << row.text(0); });
        return names;
    };
    QStringList sorted = expected;
    sorted.sort();
    QCOMPARE(indexes(), sorted);
    // A file from before the indexes: they are added when it is opened, and
    // the data stays.
    {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &raw);
        const QByteArray key = "PRAGMA key = '" + Database::password().toUtf8() + "';";
        sqlite3_exec(raw, key.constData(), nullptr, nullptr, nullptr);
        for (const QString& name : expected)
            sqlite3_exec(raw, QByteArray("DROP INDEX \"" + name.toUtf8() + "\"").constData(),
                         nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    }
    QCOMPARE(indexes(), sorted);
}

void TstDatabase::aReadOnlyFileWithoutIndexesStillOpens()
{
    TempDataFolder folder;
    const QString path = folder.file(u"old.mdb"_qs);
    createDatabaseFile(path, DatabaseKind::Customer);
    {
        sqlite3* raw = nullptr;
        sqlite3_open(QFile::encodeName(path).constData(), &raw);
        const QByteArray key = "PRAGMA key = '" + Database::password().toUtf8() + "';";
        sqlite3_exec(raw, key.constData(), nullptr, nullptr, nullptr);
        sqlite3_exec(raw, "DROP INDEX \"索引_ログ_件名ID\"", nullptr, nullptr, nullptr);
        sqlite3_close(raw);
    }
    QFile::setPermissions(path, QFile::ReadOwner);
    if (::geteuid() == 0)
        QSKIP("root writes to any file");
    Database db = Database::open(path);
    QCOMPARE(db.scalar(u"Select count(*) From ログ"_qs), 0);
}

void TstDatabase::listRowsKeepEveryCellAsStored_data()
{
    QTest::addColumn<QString>("text");
    QTest::newRow("kanji") << u"山田商店"_qs;
    QTest::newRow("empty") << u""_qs;
    QTest::newRow("byte order mark first") << u"\uFEFFa"_qs;
    QTest::newRow("supplementary") << u"𠮷野家"_qs;
    QTest::newRow("half-width kana") << u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs;
    QTest::newRow("long") << QString(5000, u'長');
    QTest::newRow("line breaks") << u"一行目\n二行目\r\n"_qs;
}

void TstDatabase::listRowsKeepEveryCellAsStored()
{
    QFETCH(QString, text);
    TempDataFolder folder;
    Database db = customerCopy(folder);
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, text}, {u"備考"_qs, u"後"_qs}});
    const ListRows rows = db.textRows(u"Select ユーザーID, 表示名, 備考 From ユーザー"_qs,
                                      {u"ユーザーID"_qs, u"表示名"_qs, u"ない項目"_qs, u"備考"_qs});
    QCOMPARE(rows.size(), size_t(1));
    const TextRow& row = rows.front();
    QCOMPARE(row.size(), 4);
    QCOMPARE(row.value(0), u"1"_qs);
    QCOMPARE(row.value(1), text);
    QCOMPARE(row.value(2), QString());
    QCOMPARE(row.value(3), u"後"_qs);
    QCOMPARE(row.value(4), QString());
    QCOMPARE(row.value(-1), QString());
}

void TstDatabase::likeInTheStoreFindsWhatTheMatcherFinds()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const QStringList texts{u"ABC"_qs,    u"abc"_qs,   u"ｶﾄｳ"_qs,
                            u"かとう"_qs, u"100%"_qs,  u"a"_qs + QChar(0xD800) + u"b"_qs,
                            u"[株]"_qs,   u"𠮷野家"_qs};
    for (const QString& t : texts)
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, t}});
    // A surrogate without its partner does not take the next character along.
    const QString odd =
        db.textRows(u"Select 表示名 From ユーザー Where ユーザーID =6"_qs, {u"表示名"_qs})
            .front()
            .value(0);
    QCOMPARE(odd.size(), 3);
    QVERIFY(odd.startsWith(u'a') && odd.endsWith(u'b'));
    const QStringList patterns{u"[A-C]%"_qs, u"[ -_]%"_qs, u"[ｶ-ｺ]%"_qs, u"%と%"_qs, u"%[%]"_qs,
                               u"a_b"_qs,    u"[[]%"_qs,   u"_野%"_qs,   u"%"_qs};
    for (const QString& p : patterns) {
        QStringList expected;
        for (int i = 0; i < texts.size(); ++i)
            if (jetLike(p, i == 5 ? odd : texts[i]))
                expected << QString::number(i + 1);
        QStringList found;
        for (const TextRow& row : db.textRows(
                 u"Select ユーザーID From ユーザー Where 表示名 Like ? Order By ユーザーID"_qs,
                 {u"ユーザーID"_qs}, {p}))
            found << row.value(0);
        QVERIFY2(found == expected, qPrintable(p + u": "_qs + found.join(u',')));
    }
}

void TstDatabase::bulkRowsOfValuesAtHandAreAddedAsGiven()
{
    TempDataFolder folder;
    Database db = customerCopy(folder);
    const qint64 user = db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"山田"_qs}});
    {
        Transaction adding(db);
        BulkInsert insert(db, u"件名"_qs, {u"ユーザーID"_qs, u"件名"_qs, u"備考"_qs});
        // One buffer for every row, changed after each: no row keeps a
        // pointer into it.
        std::string buffer = "見積①";
        const qint64 first = insert.add({user, std::string_view(buffer), std::string_view()});
        buffer = "納品😀\r\n";
        const qint64 second = insert.add({user, std::string_view(buffer), std::string_view("", 0)});
        buffer = "上書き";
        QCOMPARE(second, first + 1);
        QVERIFY_THROWS_EXCEPTION(Failure, insert.add({user, std::string_view(buffer)}));
        adding.commit();
    }
    QStringList seen;
    db.forEachTextRow(u"Select * From 件名 Order By 件名ID"_qs,
                      {u"件名ID"_qs, u"ユーザーID"_qs, u"件名"_qs, u"備考"_qs, u"ない項目"_qs},
                      [&](const Database::TextCells& row) {
                          QStringList cells;
                          for (std::string_view c : row)
                              cells << QString::fromUtf8(c.data(), qsizetype(c.size()));
                          seen << cells.join(u'|');
                      });
    QCOMPARE(seen, (QStringList{u"1|1|見積①||"_qs, u"2|1|納品😀\r\n||"_qs}));
    // Empty text is stored as text, not as Null.
    QCOMPARE(db.scalar(u"Select count(*) From 件名 Where 備考 Is Null"_qs), 0);
}

QTEST_GUILESS_MAIN(TstDatabase)
#include "tst_database.moc"
