#include "CoreTestSupport.h"
#include "Fixtures.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerStorage.h"
#include "store/DateText.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

Database freshCustomerDatabase()
{
    return Database::open(DataFolder::customerTemplatePath());
}

qint64 count(Database& db, const QString& table, const QString& where = QString())
{
    return db.scalar(u"SELECT count(*) as ma1 FROM "_qs + table +
                     (where.isEmpty() ? QString() : u" WHERE "_qs + where));
}

QStringList userValues(const QString& reading, const QString& name)
{
    QStringList values(21);
    values[0] = reading;
    values[1] = name;
    return values;
}

} // namespace

class TstCustomerStorage : public QObject
{
    Q_OBJECT
private slots:
    void addUserWritesEmptyTextForEmptyBoxes();
    void updateUserRewritesEveryField();
    void addSubjectLeavesEmptyBoxesNull_data();
    void addSubjectLeavesEmptyBoxesNull();
    void changedSubjectWritesEmptyText();
    void addLogTakesOwnersFromHolders();
    void changedLogWritesEmptyText();
    void nothingIsAddedUnderARecordThatIsNotThere_data();
    void nothingIsAddedUnderARecordThatIsNotThere();
    void changeCanKeepTheStoredDate();
    void deleteUserCascadesTwelveLogs();
    void deleteSubjectWithoutLogsRemovesOnlyIt();
    void deleteIsAllOrNothing();
    void vanishedRecordsReportFalse_data();
    void vanishedRecordsReportFalse();
    void keysThatAreNotNumbersAreRefused();
};

void TstCustomerStorage::addUserWritesEmptyTextForEmptyBoxes()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    const qint64 id = AddUser(db, userValues(u"ｱｵｷ"_qs, u"青木"_qs));
    QCOMPARE(id, 1);
    const ResultSet r = db.query(u"Select * From ユーザー Where ユーザーID =1"_qs);
    for (const QString& field : userDetailFields()) {
        QVERIFY2(!r.first().isNull(field), qPrintable(field));
    }
    QCOMPARE(r.first().text(u"表示名"_qs), u"青木"_qs);
    QCOMPARE(r.first().text(u"会社名"_qs), QString());
    QCOMPARE(AddUser(db, userValues(u"ｲ"_qs, u"二"_qs)), 2);
}

void TstCustomerStorage::updateUserRewritesEveryField()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    QStringList values;
    for (int i = 0; i < 21; ++i)
        values << QStringLiteral("値%1").arg(i);
    AddUser(db, values);
    QStringList changed = values;
    changed[4] = QString(); // 自宅ＴＥＬ emptied
    changed[20] = u"新しい"_qs;
    QVERIFY(UpdateUser(db, u"1"_qs, changed));
    QCOMPARE(ReadUserDetail(db, u"1"_qs), changed);
    const ResultSet r = db.query(u"Select * From ユーザー Where ユーザーID =1"_qs);
    QVERIFY(!r.first().isNull(u"自宅TEL"_qs));
}

void TstCustomerStorage::addSubjectLeavesEmptyBoxesNull_data()
{
    QTest::addColumn<QString>("remarks");
    QTest::addColumn<bool>("isNull");
    QTest::newRow("empty remarks") << QString() << true;
    QTest::newRow("a blank is not empty") << u" "_qs << false;
    QTest::newRow("text") << u"急ぎ"_qs << false;
}

void TstCustomerStorage::addSubjectLeavesEmptyBoxesNull()
{
    QFETCH(QString, remarks);
    QFETCH(bool, isNull);
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    const qint64 user = AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    const qint64 id = AddSubject(db, QString::number(user),
                                 {QDate(2003, 8, 19), u"複合機"_qs, remarks, u"続行"_qs});
    const ResultSet r = db.query(u"Select * From 件名 Where 件名ID ="_qs + QString::number(id));
    QCOMPARE(r.first().isNull(u"備考"_qs), isNull);
    QCOMPARE(r.first().text(u"備考"_qs), remarks);
    QCOMPARE(r.first().text(u"登録日"_qs), u"2003/08/19(火)"_qs);
    QCOMPARE(r.first().integer(u"ユーザーID"_qs), user);
    QCOMPARE(r.first().text(u"判定"_qs), u"続行"_qs);
}

void TstCustomerStorage::changedSubjectWritesEmptyText()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    QCOMPARE(AddSubject(db, u"1"_qs, {QDate(2003, 8, 19), u"件"_qs, QString(), u"続行"_qs}), 1);
    QVERIFY(UpdateSubject(db, u"1"_qs, {QDate(2004, 1, 1), u"件"_qs, QString(), u"完了"_qs}));
    const ResultSet r = db.query(u"Select * From 件名 Where 件名ID =1"_qs);
    QVERIFY(!r.first().isNull(u"備考"_qs));
    QCOMPARE(r.first().text(u"備考"_qs), QString());
    QCOMPARE(r.first().text(u"登録日"_qs), u"2004/01/01(木)"_qs);
    QCOMPARE(r.first().text(u"判定"_qs), u"完了"_qs);
    QCOMPARE(r.first().integer(u"ユーザーID"_qs), 1); // the owner is kept
}

void TstCustomerStorage::addLogTakesOwnersFromHolders()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    for (int i = 0; i < 3; ++i)
        AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    for (int i = 0; i < 5; ++i)
        AddSubject(db, u"3"_qs, {QDate(2003, 8, 19), u"件"_qs, QString(), u"続行"_qs});
    const qint64 id = AddLog(db, u"5"_qs, u"3"_qs, {QDate(2003, 8, 19), QString(), u"電話"_qs});
    const ResultSet r = db.query(u"Select * From ログ Where ログID ="_qs + QString::number(id));
    QCOMPARE(r.first().integer(u"件名ID"_qs), 5);
    QCOMPARE(r.first().integer(u"ユーザーID"_qs), 3);
    QVERIFY(r.first().isNull(u"記録者"_qs));
    QCOMPARE(r.first().text(u"ログ"_qs), u"電話"_qs);
}

void TstCustomerStorage::nothingIsAddedUnderARecordThatIsNotThere_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QString>("subject");
    QTest::addColumn<QString>("user");
    QTest::newRow("subject of no user") << u"subject"_qs << QString() << u"0"_qs;
    QTest::newRow("subject of a deleted user") << u"subject"_qs << QString() << u"2"_qs;
    QTest::newRow("log of subject 0") << u"log"_qs << u"0"_qs << u"1"_qs;
    QTest::newRow("log of a deleted subject") << u"log"_qs << u"2"_qs << u"1"_qs;
    QTest::newRow("log under another user") << u"log"_qs << u"1"_qs << u"3"_qs;
}

void TstCustomerStorage::nothingIsAddedUnderARecordThatIsNotThere()
{
    QFETCH(QString, kind);
    QFETCH(QString, subject);
    QFETCH(QString, user);
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    for (int i = 0; i < 3; ++i)
        AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    AddSubject(db, u"1"_qs, {QDate(2003, 8, 19), u"一"_qs, QString(), u"続行"_qs});
    AddSubject(db, u"1"_qs, {QDate(2003, 8, 19), u"二"_qs, QString(), u"続行"_qs});
    QVERIFY(DeleteUser(db, u"2"_qs));
    QVERIFY(DeleteSubject(db, u"2"_qs));
    if (kind == u"subject")
        QCOMPARE(AddSubject(db, user, {QDate(2003, 8, 19), u"件"_qs, QString(), u"続行"_qs}), 0);
    else
        QCOMPARE(AddLog(db, subject, user, {QDate(2003, 8, 19), u"山田"_qs, u"電話"_qs}), 0);
    QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM 件名"_qs), 1);
    QCOMPARE(db.scalar(u"SELECT COUNT(*) FROM ログ"_qs), 0);
}

void TstCustomerStorage::changeCanKeepTheStoredDate()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    db.insert(u"件名"_qs, {{u"ユーザーID"_qs, 1}, {u"件名"_qs, u"件"_qs}}); // 登録日 Null
    db.insert(u"ログ"_qs, {{u"件名ID"_qs, 1}, {u"ユーザーID"_qs, 1}, {u"登録日"_qs, u"不明"_qs}});
    SubjectRecord subject{QDate(2004, 1, 1), u"件2"_qs, QString(), u"続行"_qs};
    subject.keepDate = true;
    LogRecord log{QDate(2004, 1, 1), u"山田"_qs, u"電話"_qs};
    log.keepDate = true;
    QVERIFY(UpdateSubject(db, u"1"_qs, subject));
    QVERIFY(UpdateLog(db, u"1"_qs, log));
    const ResultSet s = db.query(u"Select * From 件名"_qs);
    QVERIFY(s.first().isNull(u"登録日"_qs));
    QCOMPARE(s.first().text(u"件名"_qs), u"件2"_qs);
    const ResultSet l = db.query(u"Select * From ログ"_qs);
    QCOMPARE(l.first().text(u"登録日"_qs), u"不明"_qs);
    QCOMPARE(l.first().text(u"ログ"_qs), u"電話"_qs);
}

void TstCustomerStorage::changedLogWritesEmptyText()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    AddSubject(db, u"1"_qs, {QDate(2003, 8, 19), u"件"_qs, QString(), u"続行"_qs});
    QCOMPARE(AddLog(db, u"1"_qs, u"1"_qs, {QDate(2003, 8, 19), u"山田"_qs, u"電話"_qs}), 1);
    QVERIFY(UpdateLog(db, u"1"_qs, {QDate(2003, 8, 20), QString(), u"訪問"_qs}));
    const ResultSet r = db.query(u"Select * From ログ Where ログID =1"_qs);
    QVERIFY(!r.first().isNull(u"記録者"_qs));
    QCOMPARE(r.first().text(u"登録日"_qs), u"2003/08/20(水)"_qs);
    QCOMPARE(r.first().text(u"ログ"_qs), u"訪問"_qs);
}

void TstCustomerStorage::deleteUserCascadesTwelveLogs()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    const qint64 keep = AddUser(db, userValues(u"ｱ"_qs, u"残る人"_qs));
    const qint64 keptSubject = addSubject(db, keep, u"残る件名"_qs);
    addLog(db, keptSubject, keep, u"残るログ"_qs);
    const qint64 gone = AddUser(db, userValues(u"ｲ"_qs, u"消える人"_qs));
    for (int s = 0; s < 3; ++s) {
        const qint64 subject = addSubject(db, gone, QStringLiteral("件名%1").arg(s));
        for (int l = 0; l < 4; ++l)
            addLog(db, subject, gone, QStringLiteral("ログ%1-%2").arg(s).arg(l));
    }
    QCOMPARE(count(db, u"ログ"_qs), 13);
    QVERIFY(DeleteUser(db, QString::number(gone)));
    QCOMPARE(count(db, u"ログ"_qs), 1);
    QCOMPARE(count(db, u"件名"_qs), 1);
    QCOMPARE(count(db, u"ユーザー"_qs), 1);
    QCOMPARE(count(db, u"ユーザー"_qs, u"ユーザーID ="_qs + QString::number(keep)), 1);
}

void TstCustomerStorage::deleteSubjectWithoutLogsRemovesOnlyIt()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    const qint64 user = AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    const qint64 withLogs = addSubject(db, user, u"ログあり"_qs);
    addLog(db, withLogs, user, u"a"_qs);
    const qint64 bare = addSubject(db, user, u"ログなし"_qs);
    QVERIFY(DeleteSubject(db, QString::number(bare)));
    QCOMPARE(count(db, u"件名"_qs), 1);
    QCOMPARE(count(db, u"ログ"_qs), 1);
    QCOMPARE(count(db, u"ユーザー"_qs), 1);
    QVERIFY(DeleteSubject(db, QString::number(withLogs)));
    QCOMPARE(count(db, u"ログ"_qs), 0);
}

void TstCustomerStorage::deleteIsAllOrNothing()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    const qint64 user = AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    const qint64 subject = addSubject(db, user, u"件名"_qs);
    addLog(db, subject, user, u"ログ"_qs);
    // Deleting subjects fails once the logs are already gone.
    db.execRaw(
        u"CREATE TRIGGER stop BEFORE DELETE ON \"件名\" BEGIN SELECT RAISE(ABORT, 'stopped'); END"_qs);
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteUser(db, QString::number(user)));
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteSubject(db, QString::number(subject)));
    QCOMPARE(count(db, u"ログ"_qs), 1);
    QCOMPARE(count(db, u"件名"_qs), 1);
    QCOMPARE(count(db, u"ユーザー"_qs), 1);
}

void TstCustomerStorage::vanishedRecordsReportFalse_data()
{
    QTest::addColumn<int>("operation");
    for (int i = 0; i < 6; ++i)
        QTest::newRow(qPrintable(QStringLiteral("operation %1").arg(i))) << i;
}

void TstCustomerStorage::vanishedRecordsReportFalse()
{
    QFETCH(int, operation);
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    const qint64 user = AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    addSubject(db, user, u"件名"_qs);
    const QString missing = u"99"_qs;
    bool result = true;
    switch (operation) {
    case 0:
        result = UpdateUser(db, missing, userValues(u"ｲ"_qs, u"x"_qs));
        break;
    case 1:
        result = DeleteUser(db, missing);
        break;
    case 2:
        result = UpdateSubject(db, missing, {QDate(2003, 8, 19), u"x"_qs, {}, u"続行"_qs});
        break;
    case 3:
        result = DeleteSubject(db, missing);
        break;
    case 4:
        result = UpdateLog(db, missing, {QDate(2003, 8, 19), {}, u"x"_qs});
        break;
    case 5:
        result = DeleteLog(db, missing);
        break;
    }
    QVERIFY(!result);
    QCOMPARE(count(db, u"ユーザー"_qs), 1);
    QCOMPARE(count(db, u"件名"_qs), 1);
    QCOMPARE(ReadUserDetail(db, QString::number(user)).at(1), u"青木"_qs);
}

void TstCustomerStorage::keysThatAreNotNumbersAreRefused()
{
    TempDataFolder folder;
    Database db = freshCustomerDatabase();
    AddUser(db, userValues(u"ｱ"_qs, u"青木"_qs));
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteUser(db, u"1 OR 1=1"_qs));
    QVERIFY_THROWS_EXCEPTION(Failure, DeleteLog(db, QString()));
    QVERIFY_THROWS_EXCEPTION(Failure, AddSubject(db, u"x"_qs, {}));
    QCOMPARE(count(db, u"ユーザー"_qs), 1);
}

QTEST_GUILESS_MAIN(TstCustomerStorage)
#include "tst_customerstorage.moc"
