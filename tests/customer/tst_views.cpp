// The customer and repair views without any widget: what a window would
// show after each step.
#include "CoreTestSupport.h"
#include "Fixtures.h"

#include "customer/CustomerView.h"
#include "repair/RepairView.h"

#include <QSignalSpy>
#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

QStringList columnOf(const ListRows& rows, int c)
{
    QStringList out;
    for (const QStringList& row : rows)
        out << row.value(c);
    return out;
}

int rowWith(const ListRows& rows, int c, const QString& text)
{
    return int(columnOf(rows, c).indexOf(text));
}

// The window as a user leaves it after choosing 加藤, his 複合機 and its log.
void chooseALog(CustomerView& v)
{
    v.OpenCustomerWindow();
    v.selectKanaRow(KanaRow::Ka);
    v.selectUser(0);
    v.selectSubject(rowWith(v.subjectRows(), 4, u"複合機"_qs));
    v.selectLog(0);
}

} // namespace

class TstViews : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void customerViewOpensAsAFirstOpening();
    void clickingUserAndSubjectFollowsTheHolders();
    void individualLimitsSubjectsAndNamesTheUser();
    void everyStepThatEmptiesTheLogListForgetsTheSubject_data();
    void everyStepThatEmptiesTheLogListForgetsTheSubject();
    void forgettingTheUserClearsPanelAndButtons();
    void piecesCarryBoundValues();
    void aNewViewKnowsNothingOfTheOldOne();
    void repairViewOpensAsAFirstOpening();
    void repairLogButtonFollowsTheShownRepair();
    void forgettingTheRepairEmptiesPanelAndLogs();
    void aVanishedRecordIsForgottenWithWhatHungOnIt_data();
    void aVanishedRecordIsForgottenWithWhatHungOnIt();
    void aDeletedRecordIsForgottenAndItsListsRead();
    void aVanishedRepairIsForgottenWithWhatHungOnIt_data();
    void aVanishedRepairIsForgottenWithWhatHungOnIt();

private:
    TempDataFolder* m_folder = nullptr;
    std::unique_ptr<Database> m_customer, m_repair;
    qint64 m_kato = 0, m_aoki = 0, m_katoOpen = 0, m_katoDone = 0;
};

void TstViews::init()
{
    m_folder = new TempDataFolder();
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    m_customer = std::make_unique<Database>(Database::open(customerFile(u"山田"_qs)));
    Database& db = *m_customer;
    m_kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"E-MAIL"_qs, u"k@example.jp"_qs}});
    m_aoki = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs);
    m_katoOpen = addSubject(db, m_kato, u"複合機"_qs);
    m_katoDone = addSubject(db, m_kato, u"保守"_qs, u"完了"_qs);
    addSubject(db, m_aoki, u"見積"_qs);
    addLog(db, m_katoOpen, m_kato, u"訪問した"_qs);
    m_repair = std::make_unique<Database>(Database::open(repairFile(u"修理係"_qs)));
    addRepair(*m_repair, u"加藤"_qs, QString(), u"続行"_qs, {{u"入金"_qs, u"未入"_qs}});
    addRepair(*m_repair, QString(), u"北村商店"_qs);
    addRepairLog(*m_repair, 1, u"受付"_qs);
}

void TstViews::cleanup()
{
    m_customer.reset();
    m_repair.reset();
    delete m_folder;
}

void TstViews::customerViewOpensAsAFirstOpening()
{
    CustomerView v(*m_customer);
    QSignalSpy users(&v, &CustomerView::userListChanged);
    v.OpenCustomerWindow();
    QCOMPARE(users.count(), 1);
    QCOMPARE(v.query().UserWhere.text, u" WHERE ユーザー.ユーザーID = 0"_qs);
    QCOMPARE(v.query().LogWhere.text, u" WHERE 件名ID = 0"_qs);
    QVERIFY(v.userRows().empty());
    QCOMPARE(columnOf(v.subjectRows(), 4), (QStringList{u"複合機"_qs, u"見積"_qs}));
    QVERIFY(v.logRows().empty());
    QCOMPARE(v.SelectedUserId, u"0"_qs);
    QCOMPARE(v.userHeading(), u"ユーザー表示"_qs);
    QCOMPARE(v.subjectHeading(), u" 件名表示　"_qs);
    QCOMPARE(v.logHeading(), u"　ログ（メモ）表示"_qs);
    QCOMPARE(v.subjectFilterHeading(), u"続行中の件名"_qs);
    QVERIFY(!v.individual() && !v.individualEnabled());
    QVERIFY(!v.canAddSubject() && !v.canAddLog());
    QCOMPARE(v.freeFieldCaptions().size(), 5);
    QCOMPARE(v.userDetail().size(), userDetailFields().size());
}

void TstViews::clickingUserAndSubjectFollowsTheHolders()
{
    CustomerView v(*m_customer);
    v.OpenCustomerWindow();
    v.selectKanaRow(KanaRow::Ka);
    QCOMPARE(v.userHeading(), u"か行―ユーザー表示"_qs);
    v.selectUser(0);
    QCOMPARE(v.SelectedUserId, QString::number(m_kato));
    QCOMPARE(v.detail(UserField::Mail), u"k@example.jp"_qs);
    QVERIFY(v.canAddSubject() && !v.canAddLog() && v.individualEnabled());
    QCOMPARE(v.subjectRows().size(), size_t(2)); // not limited while 個々で表示 is off
    QCOMPARE(v.subjectHeading(), u" 件名表示　"_qs);

    const int aoki = rowWith(v.subjectRows(), 4, u"見積"_qs);
    v.selectSubject(aoki);
    QCOMPARE(v.SelectedUserId, QString::number(m_aoki)); // the subject's user
    QCOMPARE(v.detail(UserField::Name), u"青木"_qs);
    QCOMPARE(v.subjectHeading(), u"　青木 の件名表示"_qs);
    QCOMPARE(v.logHeading(), u"　見積 のログ(メモ)表示"_qs);
    QVERIFY(v.canAddLog());
    QCOMPARE(v.selectedSubject().value(int(SubjectColumn::Title)), u"見積"_qs);
    v.LoadSubjectList();
    QCOMPARE(v.selectedSubjectRow(), -1); // a refill forgets the item, not the holders
    QCOMPARE(v.SelectedSubjectId, QString::number(3));
}

void TstViews::individualLimitsSubjectsAndNamesTheUser()
{
    CustomerView v(*m_customer);
    v.OpenCustomerWindow();
    v.selectKanaRow(KanaRow::Ka);
    v.selectUser(0);
    v.setSubjectFilter(u"全て"_qs);
    v.setIndividual(true);
    QCOMPARE(v.query().subjectSql(), CustomerListQuery::initialSubjectSelect() +
                                         u" WHERE ユーザー.ユーザーID = "_qs +
                                         QString::number(m_kato) + v.query().SubjectOrderBy.text +
                                         v.query().SubjectOrderDesc.text);
    QCOMPARE(columnOf(v.subjectRows(), 4), (QStringList{u"複合機"_qs, u"保守"_qs}));
    QCOMPARE(v.subjectHeading(), u"　加藤 の件名表示"_qs);
    v.selectKanaRow(KanaRow::A);
    v.selectUser(0);
    QCOMPARE(columnOf(v.subjectRows(), 4), QStringList{u"見積"_qs});
}

void TstViews::everyStepThatEmptiesTheLogListForgetsTheSubject_data()
{
    QTest::addColumn<QString>("step");
    for (const char* step : {"filter", "individual", "user click", "forget subject"})
        QTest::newRow(step) << QString::fromLatin1(step);
}

void TstViews::everyStepThatEmptiesTheLogListForgetsTheSubject()
{
    QFETCH(QString, step);
    CustomerView v(*m_customer);
    v.OpenCustomerWindow();
    v.selectKanaRow(KanaRow::Ka);
    v.selectSubject(rowWith(v.subjectRows(), 4, u"複合機"_qs));
    QCOMPARE(v.logRows().size(), size_t(1));
    if (step == u"filter")
        v.setSubjectFilter(u"完了"_qs);
    else if (step == u"individual")
        v.setIndividual(true);
    else if (step == u"user click")
        v.selectUser(0);
    else
        v.forgetSubject();
    QVERIFY(v.logRows().empty());
    QCOMPARE(v.SelectedSubjectId, u"0"_qs);
    QCOMPARE(v.SelectedLogId, u"0"_qs);
    QVERIFY(!v.canAddLog());
    QCOMPARE(v.logHeading(), u"　ログ（メモ）表示"_qs);
    QCOMPARE(v.query().LogWhere.text, u" WHERE 件名ID = 0"_qs);
}

void TstViews::forgettingTheUserClearsPanelAndButtons()
{
    CustomerView v(*m_customer);
    v.OpenCustomerWindow();
    v.selectSubject(0);
    v.setIndividual(true);
    v.forgetUser();
    QCOMPARE(v.SelectedUserId, u"0"_qs);
    QVERIFY(v.SelectedUserName.isEmpty());
    for (const QString& value : v.userDetail())
        QVERIFY(value.isEmpty());
    QVERIFY(!v.canAddSubject() && !v.canAddLog());
    QCOMPARE(v.subjectHeading(), u" 件名表示　"_qs);
    QCOMPARE(v.query().SubjectUserClause.text, u" WHERE ユーザー.ユーザーID = 0"_qs);
}

void TstViews::piecesCarryBoundValues()
{
    CustomerView v(*m_customer);
    v.OpenCustomerWindow();
    const QString word = u"'; DROP TABLE ユーザー; --"_qs;
    addUser(*m_customer, u"ｻ"_qs, word);
    v.query().UserWhere = SqlPiece(u" WHERE 表示名 = ? OR 表示名 = ?"_qs, {word, u"青木"_qs});
    v.LoadUserList();
    QCOMPARE(columnOf(v.userRows(), 1), (QStringList{u"青木"_qs, word}));
    QCOMPARE(v.query().userStatement().params.size(), 2);
}

void TstViews::aNewViewKnowsNothingOfTheOldOne()
{
    makeOperator(u"佐藤"_qs);
    CustomerView first(*m_customer);
    first.OpenCustomerWindow();
    first.selectSubject(0);
    Database other = Database::open(customerFile(u"佐藤"_qs));
    CustomerView second(other);
    second.OpenCustomerWindow();
    QCOMPARE(second.SelectedUserId, u"0"_qs);
    QCOMPARE(second.SelectedSubjectId, u"0"_qs);
    QVERIFY(second.subjectRows().empty());
    // Reopening the same view starts it over as well.
    first.OpenCustomerWindow();
    QCOMPARE(first.SelectedSubjectId, u"0"_qs);
    QCOMPARE(first.subjectHeading(), u" 件名表示　"_qs);
}

void TstViews::repairViewOpensAsAFirstOpening()
{
    RepairView v(*m_repair);
    v.OpenRepairWindow();
    QCOMPARE(columnOf(v.repairRows(), int(RepairColumn::Customer)),
             (QStringList{u"加藤"_qs, QString()}));
    QVERIFY(v.repairLogRows().empty());
    QVERIFY(v.unpaidRows().empty()); // filled by the toggle
    QCOMPARE(v.SelectedRepairId, u"0"_qs);
    QCOMPARE(v.repairHeading(), u"終了していない修理"_qs);
    QCOMPARE(v.repairLogHeading(), u"ログを表示します"_qs);
    QVERIFY(!v.canAddRepairLog() && !v.unpaidShown());
    QCOMPARE(v.freeFieldCaptions().size(), 3);
}

void TstViews::repairLogButtonFollowsTheShownRepair()
{
    RepairView v(*m_repair);
    v.OpenRepairWindow();
    v.selectRepair(false, 1);
    QCOMPARE(v.SelectedRepairName, u"北村商店"_qs);
    QCOMPARE(v.repairLogHeading(), u"北村商店　の　修理ログ"_qs);
    QVERIFY(v.canAddRepairLog());
    v.ToggleUnpaidList();
    QVERIFY(v.unpaidShown() && !v.canAddRepairLog());
    QCOMPARE(v.unpaidRows().size(), size_t(1));
    v.ToggleUnpaidList();
    QVERIFY(v.canAddRepairLog()); // its logs are still shown
    v.SetRepairFilter(u"全て"_qs);
    QCOMPARE(v.SelectedRepairId, u"2"_qs); // stays current
    QVERIFY(!v.canAddRepairLog());
    QCOMPARE(v.repairLogHeading(), u"ログを表示します"_qs);
    QCOMPARE(v.query().repairSql(), RepairListQuery::initialRepairSelect() +
                                        v.query().RepairOrderBy.text +
                                        v.query().RepairOrderDesc.text);
    v.ToggleUnpaidList();
    v.selectRepair(true, 0);
    QCOMPARE(v.SelectedRepairId, u"1"_qs);
    QVERIFY(v.canAddRepairLog());
    QCOMPARE(columnOf(v.repairLogRows(), int(RepairLogColumn::Text)), QStringList{u"受付"_qs});
    v.selectRepairLog(0);
    QCOMPARE(v.SelectedRepairLogId, u"1"_qs);
    QCOMPARE(v.selectedRepairLog().value(int(RepairLogColumn::Text)), u"受付"_qs);
}

void TstViews::forgettingTheRepairEmptiesPanelAndLogs()
{
    RepairView v(*m_repair);
    v.OpenRepairWindow();
    v.selectRepair(false, 0);
    QCOMPARE(v.repairDetail().value(u"お客様名"_qs), u"加藤"_qs);
    v.forgetRepair();
    QVERIFY(v.repairDetail().isEmpty());
    QCOMPARE(v.SelectedRepairId, u"0"_qs);
    QVERIFY(v.repairLogRows().empty());
    QVERIFY(!v.canAddRepairLog());
    QCOMPARE(v.query().repairLogSql(), u"select * from 修理ログ WHERE 修理ID =0"_qs +
                                           v.query().RepairLogOrderBy.text +
                                           v.query().RepairLogOrderDesc.text);
}

// The editor found its record gone: the record, and a new record's parent,
// stop being current; what it hung on stays; every list is read again.
void TstViews::aVanishedRecordIsForgottenWithWhatHungOnIt_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<bool>("keepsUser");
    QTest::addColumn<bool>("keepsSubject");
    QTest::addColumn<bool>("keepsLog");
    QTest::newRow("changed user") << int(RecordKind::User) << false << false << false << false;
    QTest::newRow("new subject: its user")
        << int(RecordKind::Subject) << true << false << false << false;
    QTest::newRow("changed subject") << int(RecordKind::Subject) << false << true << false << false;
    QTest::newRow("new log: its subject") << int(RecordKind::Log) << true << true << false << false;
    QTest::newRow("changed log") << int(RecordKind::Log) << false << true << true << false;
}

void TstViews::aVanishedRecordIsForgottenWithWhatHungOnIt()
{
    QFETCH(int, kind);
    QFETCH(bool, isNew);
    QFETCH(bool, keepsUser);
    QFETCH(bool, keepsSubject);
    QFETCH(bool, keepsLog);
    CustomerView v(*m_customer);
    chooseALog(v);
    const QString user = v.SelectedUserId, subject = v.SelectedSubjectId, log = v.SelectedLogId;
    QVERIFY(user != u"0" && subject != u"0" && log != u"0");
    QSignalSpy users(&v, &CustomerView::userListChanged);
    QSignalSpy subjects(&v, &CustomerView::subjectListChanged);
    QSignalSpy logs(&v, &CustomerView::logListChanged);
    v.recordVanished(EditMode{RecordKind(kind), isNew});
    QCOMPARE(v.SelectedUserId, keepsUser ? user : u"0"_qs);
    QCOMPARE(v.SelectedSubjectId, keepsSubject ? subject : u"0"_qs);
    QCOMPARE(v.SelectedLogId, keepsLog ? log : u"0"_qs);
    QVERIFY(users.count() >= 1 && subjects.count() >= 1 && logs.count() >= 1);
    QCOMPARE(v.canAddLog(), keepsSubject);
}

// A deleted record is forgotten with what hung on it; its list (and the
// lists under it) are read again, the others left as they are.
void TstViews::aDeletedRecordIsForgottenAndItsListsRead()
{
    CustomerView v(*m_customer);
    chooseALog(v);
    QSignalSpy users(&v, &CustomerView::userListChanged);
    QSignalSpy subjects(&v, &CustomerView::subjectListChanged);
    v.recordDeleted(RecordKind::Log);
    QCOMPARE(v.SelectedLogId, u"0"_qs);
    QVERIFY(v.SelectedSubjectId != u"0");
    QCOMPARE(users.count() + subjects.count(), 0);
    v.recordDeleted(RecordKind::Subject);
    QCOMPARE(v.SelectedSubjectId, u"0"_qs);
    QVERIFY(v.SelectedUserId != u"0");
    QCOMPARE(users.count(), 0);
    QCOMPARE(subjects.count(), 1);
    v.recordDeleted(RecordKind::User);
    QCOMPARE(v.SelectedUserId, u"0"_qs);
    QCOMPARE(users.count(), 1);
    QVERIFY(v.userDetail().join(QString()).isEmpty());
}

void TstViews::aVanishedRepairIsForgottenWithWhatHungOnIt_data()
{
    QTest::addColumn<int>("kind");
    QTest::addColumn<bool>("isNew");
    QTest::addColumn<bool>("keepsRepair");
    QTest::addColumn<bool>("keepsLog");
    QTest::newRow("changed repair") << int(RecordKind::Repair) << false << false << false;
    QTest::newRow("new log: its repair") << int(RecordKind::RepairLog) << true << false << false;
    QTest::newRow("changed log") << int(RecordKind::RepairLog) << false << true << false;
}

void TstViews::aVanishedRepairIsForgottenWithWhatHungOnIt()
{
    QFETCH(int, kind);
    QFETCH(bool, isNew);
    QFETCH(bool, keepsRepair);
    QFETCH(bool, keepsLog);
    RepairView v(*m_repair);
    v.OpenRepairWindow();
    v.selectRepair(false, rowWith(v.repairRows(), 3, u"加藤"_qs));
    v.selectRepairLog(0);
    const QString repair = v.SelectedRepairId, log = v.SelectedRepairLogId;
    QVERIFY(repair != u"0" && log != u"0");
    QSignalSpy repairs(&v, &RepairView::repairListChanged);
    QSignalSpy logs(&v, &RepairView::repairLogListChanged);
    v.recordVanished(EditMode{RecordKind(kind), isNew});
    QCOMPARE(v.SelectedRepairId, keepsRepair ? repair : u"0"_qs);
    QCOMPARE(v.SelectedRepairLogId, keepsLog ? log : u"0"_qs);
    QVERIFY(repairs.count() >= 1 && logs.count() >= 1);
    QCOMPARE(v.canAddRepairLog(), keepsRepair);
}

QTEST_GUILESS_MAIN(TstViews)
#include "tst_views.moc"
