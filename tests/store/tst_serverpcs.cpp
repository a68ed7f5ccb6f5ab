// Two PCs on one account of the server, each on a connection of its own:
// a change made against a user the other changed since is refused and
// loses nothing; both delete one subject; one adds a log under a subject
// the other deletes, one after the other and at the same moment. Against a
// private cluster.
#include "CoreTestSupport.h"
#include "PgCluster.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerStorage.h"
#include "customer/CustomerView.h"
#include "repair/MakerStorage.h"
#include "repair/RepairStorage.h"
#include "repair/RepairView.h"
#include "store/Database.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"
#include "store/server/ServerWatch.h"

#include <QTest>

#include <future>

using namespace horunea;
using namespace horunea::test;

namespace {

QStringList userValues(const QString& name, const QString& company)
{
    QStringList values(UserFieldCount);
    values[int(UserField::Reading)] = u"ｶﾄｳ"_qs;
    values[int(UserField::Name)] = name;
    values[int(UserField::Company)] = company;
    return values;
}

// The user 青木 with the subject 複合機: their keys as the holders hold them.
std::pair<QString, QString> addUserWithSubject(Database& db)
{
    const QString user = QString::number(AddUser(db, userValues(u"青木"_qs, QString())));
    const QString subject = QString::number(
        AddSubject(db, user, {QDate(2026, 12, 9), u"複合機"_qs, QString(), u"続行"_qs}));
    return {user, subject};
}

// The view as the window opens it, on the か row's first user and that
// user's first subject, with its logs.
void showFirstSubject(CustomerView& view)
{
    view.OpenCustomerWindow();
    view.selectKanaRow(KanaRow::Ka);
    view.selectUser(0);
    view.setSubjectFilter(u"全て"_qs);
    view.setIndividual(true);
    view.selectSubject(0);
}

RepairRecord repairOf(const QString& customer)
{
    RepairRecord repair;
    repair.accepted = QDate(2026, 12, 9);
    repair.texts = QStringList(repairTextFields().size());
    repair.texts[0] = customer;
    return repair;
}

} // namespace

class TstServerPcs : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void init();
    void aChangeAgainstAnOlderReadIsRefused();
    void aSubjectOrLogChangedElsewhereIsNotOverwritten();
    void aRepairOrRepairLogChangedElsewhereIsNotOverwritten();
    void bothDeleteOneSubject();
    void aLogUnderADeletedSubjectIsRefused();
    void aLogAddedAsItsSubjectIsDeletedLeavesNoOrphan();
    void anotherPcsChangesReachTheViewWithItsChoiceKept();
    void theRepairViewFollowsAnotherPcToo();
    void aChangeReadsOnlyTheListsThatShowIt_data();
    void aChangeReadsOnlyTheListsThatShowIt();

private:
    Database open() const;
    // The test's repair account, made now, on two connections.
    std::pair<Database, Database> twoRepairPcs() const;

    std::unique_ptr<PgCluster> m_cluster;
    std::optional<ServerAddress> m_address;
    int m_account = 0;
};

void TstServerPcs::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_address = ServerAddress::parse(m_cluster->connectionString());
    ServerConnection admin = ServerConnection::open(*m_address);
    admin.exec(u"CREATE SCHEMA "_qs + serverMasterSchema());
    admin.exec(serverFoldFunction(serverMasterSchema()));
}

// Each test on an account of its own.
void TstServerPcs::init()
{
    ServerConnection admin = ServerConnection::open(*m_address);
    createServerSchema(admin, DatabaseKind::Customer,
                       serverAccountSchema(DatabaseKind::Customer, ++m_account));
}

Database TstServerPcs::open() const
{
    return Database::openServer(*m_address, serverAccountSchema(DatabaseKind::Customer, m_account),
                                DatabaseKind::Customer);
}

std::pair<Database, Database> TstServerPcs::twoRepairPcs() const
{
    const QString schema = serverAccountSchema(DatabaseKind::Repair, m_account);
    {
        ServerConnection admin = ServerConnection::open(*m_address);
        createServerSchema(admin, DatabaseKind::Repair, schema);
    }
    return {Database::openServer(*m_address, schema, DatabaseKind::Repair),
            Database::openServer(*m_address, schema, DatabaseKind::Repair)};
}

void TstServerPcs::aChangeAgainstAnOlderReadIsRefused()
{
    Database counter = open(), office = open();
    const QString kato = QString::number(AddUser(counter, userValues(u"加藤"_qs, u"加藤工業"_qs)));
    // Both read the user; the office changes its company first.
    const QStringList read = ReadUserDetail(counter, kato);
    QCOMPARE(ChangeUser(office, kato, ReadUserDetail(office, kato),
                        userValues(u"加藤"_qs, u"加藤商事"_qs)),
             ChangeOutcome::Changed);
    QStringList stored;
    QCOMPARE(ChangeUser(counter, kato, read, userValues(u"加藤一郎"_qs, u"加藤工業"_qs), &stored),
             ChangeOutcome::ChangedElsewhere);
    QCOMPARE(stored, ReadUserDetail(office, kato));
    QCOMPARE(ReadUserDetail(counter, kato).at(int(UserField::Name)), u"加藤"_qs);
    QCOMPARE(ReadUserDetail(counter, kato).at(int(UserField::Company)), u"加藤商事"_qs);
    // Against what is stored now, the change goes through.
    QCOMPARE(ChangeUser(counter, kato, stored, userValues(u"加藤一郎"_qs, u"加藤商事"_qs)),
             ChangeOutcome::Changed);
    QCOMPARE(ReadUserDetail(office, kato).at(int(UserField::Name)), u"加藤一郎"_qs);
    // A user another PC deleted is gone, and nothing comes back.
    QVERIFY(DeleteUser(office, kato));
    QCOMPARE(ChangeUser(counter, kato, stored, userValues(u"加藤"_qs, u"x"_qs)),
             ChangeOutcome::Gone);
    QCOMPARE(counter.scalar(u"SELECT COUNT(*) FROM ユーザー"_qs), 0);
}

// Subjects and logs are compared as their lists show them.
void TstServerPcs::aSubjectOrLogChangedElsewhereIsNotOverwritten()
{
    Database counter = open(), office = open();
    const auto [user, subject] = addUserWithSubject(counter);
    const QString log = QString::number(
        AddLog(counter, subject, user, {QDate(2026, 12, 9), u"山田"_qs, u"訪問"_qs}));
    const QStringList subjectRead{u"2026/12/09(水)"_qs, u"複合機"_qs, QString(), u"続行"_qs};
    const QStringList logRead{u"2026/12/09(水)"_qs, u"山田"_qs, u"訪問"_qs};

    QCOMPARE(ChangeSubject(office, subject, subjectRead,
                           {QDate(2026, 12, 9), u"複合機"_qs, u"三台"_qs, u"続行"_qs}),
             ChangeOutcome::Changed);
    QStringList stored;
    QCOMPARE(ChangeSubject(counter, subject, subjectRead,
                           {QDate(2026, 12, 10), u"複合機二"_qs, QString(), u"完了"_qs}, &stored),
             ChangeOutcome::ChangedElsewhere);
    QCOMPARE(stored, (QStringList{u"2026/12/09(水)"_qs, u"複合機"_qs, u"三台"_qs, u"続行"_qs}));
    QCOMPARE(ChangeSubject(counter, subject, stored,
                           {QDate(2026, 12, 10), u"複合機二"_qs, u"三台"_qs, u"完了"_qs}),
             ChangeOutcome::Changed);

    QCOMPARE(ChangeLog(office, log, logRead, {QDate(2026, 12, 9), u"佐藤"_qs, u"訪問"_qs}),
             ChangeOutcome::Changed);
    QCOMPARE(
        ChangeLog(counter, log, logRead, {QDate(2026, 12, 9), u"山田"_qs, u"訪問した"_qs}, &stored),
        ChangeOutcome::ChangedElsewhere);
    QCOMPARE(stored, (QStringList{u"2026/12/09(水)"_qs, u"佐藤"_qs, u"訪問"_qs}));
    QCOMPARE(counter.query(u"SELECT 記録者, ログ FROM ログ"_qs).first().text(1), u"訪問"_qs);
    QVERIFY(DeleteLog(office, log));
    QCOMPARE(ChangeLog(counter, log, stored, {QDate(2026, 12, 9), u"佐藤"_qs, u"x"_qs}),
             ChangeOutcome::Gone);
}

// Repairs are compared by the fields their editor shows (ReadRepair, as the
// detail reads them), repair logs as their list shows them.
void TstServerPcs::aRepairOrRepairLogChangedElsewhereIsNotOverwritten()
{
    auto [counter, office] = twoRepairPcs();
    RepairRecord repair = repairOf(u"河合"_qs);
    const QString key = QString::number(AddRepair(counter, repair));
    auto readOf = [&](Database& db) {
        const auto detail = ReadRepair(db, key);
        QStringList read;
        for (const QString& field : repairCheckedFields())
            read << detail->value(field);
        return read;
    };
    const QStringList read = readOf(counter);
    RepairRecord finished = repair;
    finished.finished = true;
    QCOMPARE(ChangeRepair(office, key, readOf(office), finished), ChangeOutcome::Changed);
    RepairRecord renamed = repair;
    renamed.texts[0] = u"河合商店"_qs;
    QStringList stored;
    QCOMPARE(ChangeRepair(counter, key, read, renamed, &stored), ChangeOutcome::ChangedElsewhere);
    QCOMPARE(stored, readOf(office));
    QCOMPARE(stored.first(), u"完了"_qs);
    renamed.finished = true;
    QCOMPARE(ChangeRepair(counter, key, stored, renamed), ChangeOutcome::Changed);
    QCOMPARE(ReadRepair(office, key)->value(u"お客様名"_qs), u"河合商店"_qs);
    QCOMPARE(ReadRepair(office, key)->value(u"判定"_qs), u"完了"_qs);

    const QString log =
        QString::number(AddRepairLog(counter, key, {QDate(2026, 12, 9), u"山田"_qs, u"受付"_qs}));
    const QStringList logRead{u"2026/12/09(水)"_qs, u"山田"_qs, u"受付"_qs};
    QCOMPARE(ChangeRepairLog(office, log, logRead, {QDate(2026, 12, 9), u"佐藤"_qs, u"受付"_qs}),
             ChangeOutcome::Changed);
    QCOMPARE(ChangeRepairLog(counter, log, logRead, {QDate(2026, 12, 9), u"山田"_qs, u"部品"_qs}),
             ChangeOutcome::ChangedElsewhere);
    QVERIFY(DeleteRepair(office, key));
    QCOMPARE(ChangeRepairLog(counter, log, logRead, {QDate(2026, 12, 9), u"山田"_qs, u"x"_qs}),
             ChangeOutcome::Gone);
    QCOMPARE(AddRepairLog(counter, key, {QDate(2026, 12, 9), u"山田"_qs, u"遅れて"_qs}), 0);

    // Makers and the own company the same way.
    const QString maker = QString::number(AddMaker(counter, {u"東芝"_qs, u"東京"_qs}));
    const QStringList makerRead = *ReadMaker(counter, maker);
    QStringList moved = makerRead;
    moved[1] = u"大阪"_qs;
    QCOMPARE(ChangeMaker(office, maker, makerRead, moved), ChangeOutcome::Changed);
    QStringList renamed2 = makerRead;
    renamed2[0] = u"東芝テック"_qs;
    QStringList stored2;
    QCOMPARE(ChangeMaker(counter, maker, makerRead, renamed2, &stored2),
             ChangeOutcome::ChangedElsewhere);
    QCOMPARE(stored2, moved);
    const QStringList ownRead = LoadOwnCompany(counter);
    QStringList own = ownRead;
    own[0] = u"ホルネア商会"_qs;
    QCOMPARE(ChangeOwnCompany(office, ownRead, own), ChangeOutcome::Changed);
    QCOMPARE(ChangeOwnCompany(counter, ownRead, ownRead, &stored2),
             ChangeOutcome::ChangedElsewhere);
    QCOMPARE(stored2, own);
    QCOMPARE(LoadOwnCompany(counter), own);
}

void TstServerPcs::bothDeleteOneSubject()
{
    Database counter = open(), office = open();
    const auto [user, subject] = addUserWithSubject(counter);
    AddLog(counter, subject, user, {QDate(2026, 12, 9), u"山田"_qs, u"訪問"_qs});
    QVERIFY(DeleteSubject(office, subject));
    QVERIFY(!DeleteSubject(counter, subject));
    QCOMPARE(counter.scalar(u"SELECT COUNT(*) FROM 件名"_qs), 0);
    QCOMPARE(counter.scalar(u"SELECT COUNT(*) FROM ログ"_qs), 0);
}

void TstServerPcs::aLogUnderADeletedSubjectIsRefused()
{
    Database counter = open(), office = open();
    const auto [user, subject] = addUserWithSubject(counter);
    QVERIFY(DeleteSubject(office, subject));
    QCOMPARE(AddLog(counter, subject, user, {QDate(2026, 12, 9), u"山田"_qs, u"遅れて"_qs}), 0);
    QVERIFY(DeleteUser(office, user));
    QCOMPARE(AddSubject(counter, user, {QDate(2026, 12, 9), u"遅れて"_qs, QString(), u"続行"_qs}),
             0);
    QCOMPARE(counter.scalar(u"SELECT COUNT(*) FROM ログ"_qs), 0);
    QCOMPARE(counter.scalar(u"SELECT COUNT(*) FROM 件名"_qs), 0);
}

// The office has begun deleting the subject (its row held, as DeleteSubject
// holds it) when the counter adds a log under it: the counter waits, and
// once the delete is committed finds the subject gone. And the other way
// round: a log being added holds its subject, and the delete that comes
// after takes the log with it. Either way no log is left without its subject.
void TstServerPcs::aLogAddedAsItsSubjectIsDeletedLeavesNoOrphan()
{
    Database counter = open(), office = open();
    const auto [user, subject] = addUserWithSubject(counter);
    const LogRecord log{QDate(2026, 12, 9), u"山田"_qs, u"同時"_qs};
    {
        Transaction deleting(office);
        QCOMPARE(office.holdRows(u"件名"_qs, keyCondition(u"件名ID"_qs, subject)), 1);
        auto adding =
            std::async(std::launch::async, [&] { return AddLog(counter, subject, user, log); });
        QCOMPARE(adding.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        office.remove(u"ログ"_qs, keyCondition(u"件名ID"_qs, subject));
        office.remove(u"件名"_qs, keyCondition(u"件名ID"_qs, subject));
        deleting.commit();
        QCOMPARE(adding.get(), 0);
    }
    QCOMPARE(office.scalar(u"SELECT COUNT(*) FROM ログ"_qs), 0);

    const QString second = QString::number(
        AddSubject(counter, user, {QDate(2026, 12, 9), u"二つ目"_qs, QString(), u"続行"_qs}));
    {
        Transaction adding(counter);
        QCOMPARE(
            counter.holdRows(u"件名"_qs, keyCondition(u"件名ID"_qs, second), Database::Hold::Share),
            1);
        auto deleting =
            std::async(std::launch::async, [&] { return DeleteSubject(office, second); });
        QCOMPARE(deleting.wait_for(std::chrono::milliseconds(300)), std::future_status::timeout);
        counter.insert(u"ログ"_qs, {{u"件名ID"_qs, second.toLongLong()},
                                    {u"ユーザーID"_qs, user.toLongLong()},
                                    {u"ログ"_qs, u"先に"_qs}});
        adding.commit();
        QVERIFY(deleting.get());
    }
    QCOMPARE(office.scalar(u"SELECT COUNT(*) FROM ログ"_qs), 0);
    QCOMPARE(office.scalar(u"SELECT COUNT(*) FROM 件名"_qs), 0);
}

// The office's view watches the account: the counter's commits reach it
// within a second, its lists read again with its user and subject still
// chosen where they now are; what it did itself does not come back to it;
// a subject the counter deletes leaves the office as a delete there would.
void TstServerPcs::anotherPcsChangesReachTheViewWithItsChoiceKept()
{
    Store::setServer(*m_address);
    Database counter = open(), office = open();
    const QString kato = QString::number(AddUser(counter, userValues(u"加藤"_qs, QString())));
    const QString copier = QString::number(
        AddSubject(counter, kato, {QDate(2026, 12, 9), u"複合機"_qs, QString(), u"続行"_qs}));
    AddLog(counter, copier, kato, {QDate(2026, 12, 9), u"山田"_qs, u"訪問"_qs});

    CustomerView view(office);
    showFirstSubject(view);
    QCOMPARE(view.SelectedSubjectId, copier);
    ServerWatch watch(office);
    int reloads = 0;
    QObject::connect(&watch, &ServerWatch::changed, &view, [&] {
        view.reloadKeepingCurrent();
        ++reloads;
    });

    // A user sorted before 加藤 and a second subject of 加藤's.
    QStringList kaga = userValues(u"加賀"_qs, QString());
    kaga[int(UserField::Reading)] = u"ｶｶﾞ"_qs;
    AddUser(counter, kaga);
    const QString delivery = QString::number(
        AddSubject(counter, kato, {QDate(2026, 12, 1), u"納品"_qs, QString(), u"続行"_qs}));
    QTRY_VERIFY_WITH_TIMEOUT(view.userRows().size() == 2 && view.subjectRows().size() == 2, 1000);
    QCOMPARE(view.SelectedUserId, kato);
    QCOMPARE(view.selectedUserRow(), 1); // 加賀 is before 加藤 now
    QCOMPARE(view.userRows().at(size_t(view.selectedUserRow())).value(0), kato);
    QCOMPARE(view.SelectedSubjectId, copier);
    QCOMPARE(view.subjectRows().at(size_t(view.selectedSubjectRow())).value(0), copier);
    QCOMPARE(view.logRows().size(), size_t(1));

    // The office's own change is its own business.
    // The counter's two commits may come as one notice or two: once no more
    // come, the office's own change must bring none.
    QTRY_VERIFY(reloads > 0);
    int before = -1;
    while (before != reloads) {
        before = reloads;
        QTest::qWait(300);
    }
    UpdateSubject(office, delivery, {QDate(2026, 12, 2), u"納品済み"_qs, QString(), u"完了"_qs});
    QTest::qWait(300);
    QCOMPARE(reloads, before);

    QVERIFY(DeleteSubject(counter, copier));
    QTRY_VERIFY_WITH_TIMEOUT(view.subjectRows().size() == 1, 1000);
    QCOMPARE(view.SelectedSubjectId, u"0"_qs);
    QCOMPARE(view.SelectedUserId, kato);
    QVERIFY(view.logRows().empty());
    Store::setServer(std::nullopt);
}

// The repair view likewise: a repair another PC adds shows, the chosen one
// stays chosen; when another PC deletes it, it is forgotten.
void TstServerPcs::theRepairViewFollowsAnotherPcToo()
{
    Store::setServer(*m_address);
    auto [counter, office] = twoRepairPcs();
    RepairRecord repair = repairOf(u"河合"_qs);
    const QString kawai = QString::number(AddRepair(counter, repair));

    RepairView view(office);
    view.OpenRepairWindow();
    view.selectRepair(false, 0);
    QCOMPARE(view.SelectedRepairId, kawai);
    ServerWatch watch(office);
    QObject::connect(&watch, &ServerWatch::changed, &view, [&] { view.reloadKeepingCurrent(); });

    repair.texts[0] = u"青木"_qs;
    AddRepair(counter, repair);
    QTRY_VERIFY_WITH_TIMEOUT(view.repairRows().size() == 2, 1000);
    QCOMPARE(view.SelectedRepairId, kawai);
    QCOMPARE(view.repairRows().at(size_t(view.selectedRepairRow())).value(0), kawai);
    QVERIFY(DeleteRepair(counter, kawai));
    QTRY_VERIFY_WITH_TIMEOUT(view.repairRows().size() == 1, 1000);
    QCOMPARE(view.SelectedRepairId, u"0"_qs);
    QCOMPARE(view.selectedRepairRow(), -1);
    Store::setServer(std::nullopt);
}

void TstServerPcs::aChangeReadsOnlyTheListsThatShowIt_data()
{
    QTest::addColumn<QStringList>("tables");
    QTest::addColumn<bool>("users");    // the user list and the panel read again
    QTest::addColumn<bool>("subjects"); // the subject list (it shows the user's name)
    QTest::addColumn<bool>("logs");
    QTest::newRow("a log") << QStringList{u"ログ"_qs} << false << false << true;
    QTest::newRow("a subject") << QStringList{u"件名"_qs} << false << true << false;
    QTest::newRow("a user") << QStringList{u"ユーザー"_qs} << true << true << false;
    QTest::newRow("a subject and its logs")
        << QStringList{u"件名"_qs, u"ログ"_qs} << false << true << true;
    QTest::newRow("the settings") << QStringList{u"設定"_qs} << true << true << true;
    QTest::newRow("not said") << QStringList{} << true << true << true;
}

// Another PC renamed the user, added a subject and a log; the view is told
// which tables changed and reads again only the lists that show them.
void TstServerPcs::aChangeReadsOnlyTheListsThatShowIt()
{
    QFETCH(QStringList, tables);
    QFETCH(bool, users);
    QFETCH(bool, subjects);
    QFETCH(bool, logs);
    Store::setServer(*m_address);
    Database counter = open(), office = open();
    const auto [kato, copier] = addUserWithSubject(counter);
    AddLog(counter, copier, kato, {QDate(2026, 12, 9), u"山田"_qs, u"訪問"_qs});
    CustomerView view(office);
    showFirstSubject(view);
    QCOMPARE(view.logRows().size(), size_t(1));

    counter.update(u"ユーザー"_qs, {{u"表示名"_qs, u"青木改"_qs}},
                   keyCondition(u"ユーザーID"_qs, kato));
    AddSubject(counter, kato, {QDate(2026, 12, 10), u"納品"_qs, QString(), u"続行"_qs});
    AddLog(counter, copier, kato, {QDate(2026, 12, 10), u"山田"_qs, u"電話"_qs});
    auto shows = [](const ListRows& rows, const QString& text) {
        for (const TextRow& row : rows)
            for (qsizetype i = 0; i < row.size(); ++i)
                if (row.value(i) == text)
                    return true;
        return false;
    };
    view.reloadKeepingCurrent(tables);
    QCOMPARE(shows(view.userRows(), u"青木改"_qs), users);
    QCOMPARE(view.subjectRows().size(), size_t(subjects ? 2 : 1));
    QCOMPARE(view.logRows().size(), size_t(logs ? 2 : 1));
    // The choice stays whatever was read.
    QCOMPARE(view.SelectedUserId, kato);
    QCOMPARE(view.SelectedSubjectId, copier);
    Store::setServer(std::nullopt);
}

QTEST_GUILESS_MAIN(TstServerPcs)
#include "tst_serverpcs.moc"
