#include "Fixtures.h"
#include "TestSupport.h"

#include "app/Cli.h"
#include "repair/MakerStorage.h"
#include "repair/RepairQueries.h"
#include "repair/RepairSettings.h"
#include "repair/RepairStorage.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

Database freshRepairDatabase()
{
    return Database::open(DataFolder::repairTemplatePath());
}

RepairRecord record(const QString& customer, const QString& company)
{
    RepairRecord r;
    r.accepted = QDate(2003, 8, 19);
    r.texts = QStringList(repairTextFields().size());
    r.texts[0] = customer;
    r.texts[1] = company;
    return r;
}

qint64 count(Database& db, const QString& table)
{
    return db.scalar(u"SELECT count(*) as ma1 FROM "_qs + table);
}

} // namespace

class TstRepairStorage : public QObject
{
    Q_OBJECT
private slots:
    void addedRepairLeavesEmptyBoxesNullChangedWritesEmpty();
    void flagsRoundTrip_data();
    void flagsRoundTrip();
    void stateFollowsTheFinishedMark();
    void deleteRepairRemovesItsLogsAllOrNothing();
    void repairLogOfNoRepairIsNotStored();
    void repairLogNullAndEmpty();
    void vanishedRecordsReportFalse();
    void filterConditions_data();
    void filterConditions();
    void unpaidListTakesOnlyExactlyUnpaid();
    void sortClausesResolveHalfWidthNames_data();
    void sortClausesResolveHalfWidthNames();
    void makersKeepEmptiedFieldsEmpty();
    void aMakerChangeWritesOnlyWhatWasChanged_data();
    void aMakerChangeWritesOnlyWhatWasChanged();
    void ownCompanyRow();
    void commandLineRepairLists();
};

void TstRepairStorage::addedRepairLeavesEmptyBoxesNullChangedWritesEmpty()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    RepairRecord r = record(u"山田"_qs, QString());
    r.texts[7] = QString(); // 型番 empty
    const qint64 id = AddRepair(db, r);
    ResultSet row = db.query(u"Select * From 修理 Where 修理ID ="_qs + QString::number(id));
    QVERIFY(row.first().isNull(u"型番"_qs));
    QVERIFY(row.first().isNull(u"会社名"_qs));
    QCOMPARE(row.first().text(u"受付日"_qs), u"2003/08/19(火)"_qs);
    QCOMPARE(row.first().text(u"判定"_qs), u"続行"_qs);
    QVERIFY(UpdateRepair(db, QString::number(id), r));
    row = db.query(u"Select * From 修理 Where 修理ID ="_qs + QString::number(id));
    QVERIFY(!row.first().isNull(u"型番"_qs));
    QCOMPARE(row.first().text(u"型番"_qs), QString());
}

void TstRepairStorage::flagsRoundTrip_data()
{
    QTest::addColumn<bool>("estimate");
    QTest::addColumn<bool>("delivery");
    QTest::addColumn<QString>("stored");
    QTest::newRow("estimate only") << true << false << u"10"_qs;
    QTest::newRow("delivery only") << false << true << u"01"_qs;
    QTest::newRow("both") << true << true << u"11"_qs;
    QTest::newRow("neither") << false << false << u"00"_qs;
}

void TstRepairStorage::flagsRoundTrip()
{
    QFETCH(bool, estimate);
    QFETCH(bool, delivery);
    QFETCH(QString, stored);
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    RepairRecord r = record(u"客"_qs, QString());
    r.estimate = estimate;
    r.delivery = delivery;
    const qint64 id = AddRepair(db, r);
    const auto read = ReadRepair(db, QString::number(id));
    QVERIFY(read);
    QCOMPARE(read->value(u"見積納期"_qs), stored);
    QCOMPARE(estimateFlag(stored), estimate);
    QCOMPARE(deliveryFlag(stored), delivery);
    // An empty or missing value ticks neither.
    QVERIFY(!estimateFlag(QString()) && !deliveryFlag(QString()));
}

void TstRepairStorage::stateFollowsTheFinishedMark()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    RepairRecord r = record(QString(), u"会社だけ"_qs);
    r.finished = true;
    AddRepair(db, r);
    RepairListQuery q;
    q.setSortClauses(BuildRepairSortClauses(db));
    QCOMPARE(LoadRepairRows(db, q.repairSql()).size(), size_t(0));
    q.RepairFilter = u"完了"_qs;
    q.ApplyRepairFilter();
    const ListRows rows = LoadRepairRows(db, q.repairSql());
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0][1], u"完了"_qs);
    QCOMPARE(rows[0][4], u"会社だけ"_qs);
}

void TstRepairStorage::deleteRepairRemovesItsLogsAllOrNothing()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    const qint64 kept = addRepair(db, u"残る"_qs, QString());
    addRepairLog(db, kept, u"残るログ"_qs);
    const qint64 gone = addRepair(db, u"消える"_qs, QString());
    for (int i = 0; i < 3; ++i)
        addRepairLog(db, gone, QStringLiteral("ログ%1").arg(i));
    db.execRaw(
        u"CREATE TRIGGER stop BEFORE DELETE ON \"修理\" BEGIN SELECT RAISE(ABORT, 'x'); END"_qs);
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteRepair(db, QString::number(gone)));
    QCOMPARE(count(db, u"修理ログ"_qs), 4);
    db.execRaw(u"DROP TRIGGER stop"_qs);
    QVERIFY(DeleteRepair(db, QString::number(gone)));
    QCOMPARE(count(db, u"修理ログ"_qs), 1);
    QCOMPARE(count(db, u"修理"_qs), 1);
}

void TstRepairStorage::repairLogOfNoRepairIsNotStored()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    addRepair(db, u"客"_qs, QString());
    const qint64 gone = addRepair(db, u"客2"_qs, QString());
    QVERIFY(DeleteRepair(db, QString::number(gone)));
    for (const QString& repair : {u"0"_qs, QString::number(gone), u"99"_qs})
        QCOMPARE(AddRepairLog(db, repair, {QDate(2003, 8, 19), u"山田"_qs, u"迷子"_qs}), 0);
    QCOMPARE(count(db, u"修理ログ"_qs), 0);
    QVERIFY(AddRepairLog(db, u"1"_qs, {QDate(2003, 8, 19), u"山田"_qs, u"ログ"_qs}) > 0);
    QCOMPARE(count(db, u"修理ログ"_qs), 1);
}

void TstRepairStorage::repairLogNullAndEmpty()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    addRepair(db, u"客"_qs, QString());
    const qint64 id = AddRepairLog(db, u"1"_qs, {QDate(2003, 8, 19), QString(), u"ログ"_qs});
    const QString where = u"Select * From 修理ログ Where 修理ログID ="_qs + QString::number(id);
    QVERIFY(db.query(where).first().isNull(u"記録者"_qs));
    QVERIFY(UpdateRepairLog(db, QString::number(id), {QDate(2003, 8, 20), QString(), u"ログ2"_qs}));
    QVERIFY(!db.query(where).first().isNull(u"記録者"_qs));
    QCOMPARE(db.query(where).first().text(u"記録日"_qs), u"2003/08/20(水)"_qs);
}

void TstRepairStorage::vanishedRecordsReportFalse()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    QVERIFY(!UpdateRepair(db, u"9"_qs, record(u"x"_qs, QString())));
    QVERIFY(!DeleteRepair(db, u"9"_qs));
    QVERIFY(!UpdateRepairLog(db, u"9"_qs, {QDate(2003, 8, 19), {}, u"x"_qs}));
    QVERIFY(!DeleteRepairLog(db, u"9"_qs));
    QVERIFY(!ReadRepair(db, u"9"_qs));
    QCOMPARE(count(db, u"修理"_qs), 0);
}

void TstRepairStorage::filterConditions_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("heading");
    QTest::newRow("続行") << u"続行"_qs << u" WHERE 判定 = '続行'"_qs << u"終了していない修理"_qs;
    QTest::newRow("完了") << u"完了"_qs << u" WHERE 判定 = '完了'"_qs << u"終了した修理"_qs;
    QTest::newRow("全て") << u"全て"_qs << QString() << u"全ての修理"_qs;
}

void TstRepairStorage::filterConditions()
{
    QFETCH(QString, filter);
    QFETCH(QString, condition);
    QFETCH(QString, heading);
    RepairListQuery q;
    q.RepairSearchClause = u" WHERE 会社名 Like '%x%'"_qs; // a filter drops a search
    q.RepairFilter = filter;
    q.RepairOrderBy = u" ORDER BY 受付日"_qs;
    QCOMPARE(q.ApplyRepairFilter(), heading);
    QCOMPARE(q.repairSql(),
             RepairListQuery::initialRepairSelect() + condition + u" ORDER BY 受付日"_qs);
    QCOMPARE(
        q.unpaidSql(),
        u"SELECT 修理ID,判定,受付日,お客様名,会社名,会社TEL,自宅TEL,担当者 ,有償無償,仕切,売値,入金 FROM 修理 WHERE 入金='未入'"_qs);
}

void TstRepairStorage::unpaidListTakesOnlyExactlyUnpaid()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    addRepair(db, u"未入の人"_qs, QString(), u"続行"_qs,
              {{u"入金"_qs, u"未入"_qs}, {u"売値"_qs, u"1,000"_qs}});
    addRepair(db, u"空の人"_qs, QString(), u"続行"_qs, {{u"入金"_qs, u""_qs}});
    addRepair(db, u"Nullの人"_qs, QString());
    addRepair(db, u"済みの人"_qs, QString(), u"完了"_qs, {{u"入金"_qs, u"済み"_qs}});
    RepairListQuery q;
    q.setSortClauses(BuildRepairSortClauses(db));
    const ListRows rows = LoadUnpaidRows(db, q.unpaidSql());
    QCOMPARE(rows.size(), size_t(1));
    QCOMPARE(rows[0][3], u"未入の人"_qs);
    QCOMPARE(rows[0][10], u"1,000"_qs);
    QCOMPARE(rows[0][11], u"未入"_qs);
}

void TstRepairStorage::sortClausesResolveHalfWidthNames_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<QString>("clause");
    QTest::addColumn<QStringList>("order");
    QTest::newRow("ﾒｰｶｰ名") << 5 << u" ORDER BY ﾒｰｶｰ名"_qs << QStringList{u"A社"_qs, u"B社"_qs};
    QTest::newRow("ｼﾘｱﾙ") << 7 << u" ORDER BY ｼﾘｱﾙ"_qs << QStringList{u"B社"_qs, u"A社"_qs};
    QTest::newRow("out of range") << 42 << u" ORDER BY 受付日"_qs
                                  << QStringList{u"A社"_qs, u"B社"_qs};
}

void TstRepairStorage::sortClausesResolveHalfWidthNames()
{
    QFETCH(int, key);
    QFETCH(QString, clause);
    QFETCH(QStringList, order);
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    addRepair(db, u"一"_qs, QString(), u"続行"_qs,
              {{u"メーカー名"_qs, u"A社"_qs}, {u"シリアル"_qs, u"2"_qs}});
    addRepair(db, u"二"_qs, QString(), u"続行"_qs,
              {{u"メーカー名"_qs, u"B社"_qs}, {u"シリアル"_qs, u"1"_qs}});
    db.update(u"設定"_qs, {{u"並べ01"_qs, key}}, u"設定ID = 1"_qs);
    RepairListQuery q;
    q.setSortClauses(BuildRepairSortClauses(db));
    QCOMPARE(q.RepairOrderBy, clause);
    QStringList makers;
    for (const QStringList& row : LoadRepairRows(db, q.repairSql()))
        makers << row[7];
    QCOMPARE(makers, order);
    QCOMPARE(repairLogOrderClause(u"0"_qs), u" ORDER BY 記録日"_qs);
    QCOMPARE(unpaidOrderClause(u"9"_qs), u" ORDER BY 入金"_qs);
}

void TstRepairStorage::makersKeepEmptiedFieldsEmpty()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    QStringList values(9);
    values[0] = u"B社"_qs;
    const qint64 b = AddMaker(db, values);
    values[0] = u"A社"_qs;
    values[2] = u"03-1111-2222"_qs;
    const qint64 a = AddMaker(db, values);
    const ResultSet row =
        db.query(u"Select * From 修理先 Where 修理先ID ="_qs + QString::number(b));
    QVERIFY(row.first().isNull(u"住所"_qs));
    const ListRows list = LoadMakerList(db);
    QCOMPARE(list.size(), size_t(2));
    QCOMPARE(list[0][1], u"A社"_qs);
    // Emptied on purpose: stored empty.
    values[2] = QString();
    QVERIFY(UpdateMaker(db, QString::number(a), values));
    QCOMPARE(ReadMaker(db, QString::number(a))->value(2), QString());
    QCOMPARE(LoadMakerNames(db), (QStringList{u"B社"_qs, u"A社"_qs}));
    QVERIFY(DeleteMaker(db, QString::number(a)));
    QVERIFY(!ReadMaker(db, QString::number(a)));
    QVERIFY(!UpdateMaker(db, QString::number(a), values));
}

void TstRepairStorage::aMakerChangeWritesOnlyWhatWasChanged_data()
{
    // What the user does in the window to a maker stored with メーカー名 and
    // TEL only, the rest Null; what each field is afterwards (null: Null).
    QTest::addColumn<QStringList>("typed");
    QTest::addColumn<QStringList>("stored");
    const QString null;
    QTest::newRow("nothing changed")
        << QStringList{u"A社"_qs, u""_qs, u"03"_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs}
        << QStringList{u"A社"_qs, null, u"03"_qs, null, null, null, null, null, null};
    QTest::newRow("an address typed")
        << QStringList{u"A社"_qs, u"大阪"_qs, u"03"_qs, u""_qs, u""_qs,
                       u""_qs,    u""_qs,     u""_qs,   u""_qs}
        << QStringList{u"A社"_qs, u"大阪"_qs, u"03"_qs, null, null, null, null, null, null};
    QTest::newRow("the telephone emptied")
        << QStringList{u"A社"_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs}
        << QStringList{u"A社"_qs, null, u""_qs, null, null, null, null, null, null};
}

// 変更 writes the fields the user changed: one left as read (Null shown
// empty) stays Null, one the user emptied becomes empty text.
void TstRepairStorage::aMakerChangeWritesOnlyWhatWasChanged()
{
    QFETCH(QStringList, typed);
    QFETCH(QStringList, stored);
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    const qint64 id =
        db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"A社"_qs}, {u"TEL"_qs, u"03"_qs}});
    const QString key = QString::number(id);
    const QStringList read = *ReadMaker(db, key);
    QCOMPARE(ChangeMaker(db, key, read, typed), ChangeOutcome::Changed);
    const ResultSet row = db.query(u"Select * From 修理先 Where 修理先ID ="_qs + key);
    const QStringList names = makerFields();
    for (int i = 0; i < names.size(); ++i) {
        QCOMPARE(row.first().isNull(names[i]), stored[i].isNull());
        QCOMPARE(row.first().text(names[i]), stored[i]);
    }
}

void TstRepairStorage::ownCompanyRow()
{
    TempDataFolder folder;
    Database db = freshRepairDatabase();
    QCOMPARE(LoadOwnCompany(db), QStringList(6));
    SaveOwnCompany(
        db, {u"ホルネア商会"_qs, u"東京都"_qs, u"03"_qs, QString(), u"a@b.jp"_qs, QString()});
    QCOMPARE(LoadOwnCompany(db).first(), u"ホルネア商会"_qs);
    SaveOwnCompany(db, QStringList(6));
    const ResultSet r = db.query(u"Select * From 自社 Where 自社ID =1"_qs);
    QVERIFY(!r.first().isNull(u"自社名"_qs));
    QCOMPARE(r.first().text(u"自社名"_qs), QString());
}

void TstRepairStorage::commandLineRepairLists()
{
    TempDataFolder folder;
    makeRepairAccount(u"修理係"_qs, u"pw"_qs);
    {
        Database db = Database::open(repairFile(u"修理係"_qs));
        const qint64 r =
            addRepair(db, u"佐藤"_qs, QString(), u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
        addRepair(db, u"鈴木"_qs, QString(), u"完了"_qs);
        addRepairLog(db, r, u"部品発注"_qs);
    }
    auto run = [&](const QStringList& args, int* status = nullptr) {
        QString out, err;
        QTextStream o(&out), e(&err);
        const int s = runCli(QStringList{u"--data-dir"_qs, folder.path()} + args, o, e);
        o.flush();
        if (status)
            *status = s;
        return out;
    };
    QString out = run({u"repairs"_qs, u"修理係"_qs, u"--password"_qs, u"pw"_qs});
    QVERIFY(out.startsWith(repairColumns().headings().join(u'\t') + u'\n'));
    QCOMPARE(out.count(u'\n'), 2);
    QVERIFY(out.contains(u"佐藤"_qs));
    out = run({u"repairs"_qs, u"修理係"_qs, u"--state"_qs, u"全て"_qs, u"--password"_qs, u"pw"_qs});
    QCOMPARE(out.count(u'\n'), 3);
    out = run({u"repairs"_qs, u"修理係"_qs, u"--unpaid"_qs, u"--password"_qs, u"pw"_qs});
    QVERIFY(out.startsWith(unpaidColumns().headings().join(u'\t')));
    QCOMPARE(out.count(u'\n'), 2);
    out =
        run({u"repair-logs"_qs, u"修理係"_qs, u"--repair"_qs, u"1"_qs, u"--password"_qs, u"pw"_qs});
    QVERIFY(out.contains(u"部品発注"_qs));
    int status = 0;
    run({u"repairs"_qs, u"修理係"_qs, u"--password"_qs, u"PW"_qs}, &status);
    QVERIFY(status != 0);
}

QTEST_GUILESS_MAIN(TstRepairStorage)
#include "tst_repairstorage.moc"
