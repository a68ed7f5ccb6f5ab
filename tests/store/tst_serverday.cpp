// A day of a shop's work, once on the files and once on the server: the
// customer and repair views (the windows without widgets), the storage, the
// settings and the searches, step by step. After every step each view's
// lists, details and headings must be the same on both stores.
#include "CoreTestSupport.h"
#include "PgCluster.h"

#include "customer/CustomerQueries.h"
#include "customer/CustomerStorage.h"
#include "customer/CustomerView.h"
#include "repair/MakerStorage.h"
#include "repair/RepairStorage.h"
#include "repair/RepairView.h"
#include "settings/SettingsRecord.h"
#include "store/Schema.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"
#include "store/sqlcipher/Statement.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

QString told(const ListRows& rows)
{
    QStringList lines;
    for (const TextRow& row : rows) {
        QStringList cells;
        for (qsizetype c = 0; c < row.size(); ++c)
            cells << row.value(c);
        lines << cells.join(u'|');
    }
    return lines.join(u'\n');
}

QStringList userValues(const QString& reading, const QString& name, const QString& company)
{
    QStringList values(UserFieldCount);
    values[int(UserField::Reading)] = reading;
    values[int(UserField::Name)] = name;
    values[int(UserField::Company)] = company;
    values[int(UserField::CompanyTel)] = u"03-1111-"_qs + QString::number(name.size());
    values[int(UserField::Mail)] = name.size() % 2 ? u"x@example.jp"_qs : QString();
    return values;
}

// The customer side of the day, told after each step.
QStringList customerDay(Database& db)
{
    QStringList out;
    CustomerView v(db);
    auto tell = [&](const QString& step) {
        out << u"== "_qs + step << v.userHeading() << told(v.userRows()) << v.subjectHeading()
            << v.subjectFilterHeading() << told(v.subjectRows()) << v.logHeading()
            << told(v.logRows()) << v.userDetail().join(u'|') << v.freeFieldCaptions().join(u'|');
    };
    const qint64 kato = AddUser(db, userValues(u"ｶﾄｳ"_qs, u"加藤"_qs, u"加藤工業"_qs));
    AddUser(db, userValues(u"ｶﾄｳ"_qs, u"加藤二"_qs, QString()));
    const qint64 aoki = AddUser(db, userValues(u"ｱｵｷ"_qs, u"青木"_qs, u"青木商店"_qs));
    AddUser(db, userValues(u"Abe"_qs, u"阿部"_qs, QString()));
    AddUser(db, userValues(u"ｶﾞｯｺｳ"_qs, u"学校"_qs, QString()));
    AddUser(db, userValues(u"漢字"_qs, u"漢字"_qs, QString()));
    const QDate day(2003, 8, 19);
    const qint64 copier =
        AddSubject(db, QString::number(kato), {day, u"複合機"_qs, u"三台"_qs, u"続行"_qs});
    AddSubject(db, QString::number(kato), {day.addDays(3), u"納品"_qs, QString(), u"完了"_qs});
    AddSubject(db, QString::number(aoki), {day.addDays(1), u"修理"_qs, QString(), u"続行"_qs});
    AddLog(db, QString::number(copier), QString::number(kato), {day, u"佐藤"_qs, u"訪問した"_qs});
    AddLog(db, QString::number(copier), QString::number(kato),
           {day.addDays(2), u"山田"_qs, u"見積を\n出した"_qs});

    v.OpenCustomerWindow();
    tell(u"open"_qs);
    for (int row = 0; row < KanaRowCount; ++row) {
        v.selectKanaRow(KanaRow(row));
        out << told(v.userRows());
    }
    v.selectKanaRow(KanaRow::Ka);
    v.selectUser(1);
    tell(u"a user of か"_qs);
    v.setSubjectFilter(u"全て"_qs);
    v.setIndividual(true);
    v.selectSubject(0);
    tell(u"the user's subjects, one chosen"_qs);
    v.selectLog(1);
    tell(u"a log chosen"_qs);

    SearchRequest folded;
    folded.kind = SearchKind::Users;
    folded.word1 = u"かとう"_qs;
    v.Search(folded);
    tell(u"folded search"_qs);
    SearchRequest logs;
    logs.kind = SearchKind::Logs;
    logs.word1 = u"見積"_qs;
    logs.join = SearchJoin::Or;
    logs.word2 = u"%"_qs;
    logs.folded = false;
    v.Search(logs);
    tell(u"exact search of logs"_qs);

    UpdateUser(db, QString::number(kato), userValues(u"ｶﾄｳ"_qs, u"加藤一"_qs, u"加藤工業"_qs));
    v.selectKanaRow(KanaRow::Ka);
    v.selectUser(0);
    tell(u"a user changed"_qs);
    SaveCustomerSortOrder(db, {1, 0, 2, 0, 1, 0});
    SaveCustomerFreeFields(db, {u"誕生日"_qs, u"趣味"_qs, QString(), QString(), QString()});
    v.applySortOrder();
    v.applyFieldCaptions();
    tell(u"settings changed"_qs);
    DeleteSubject(db, QString::number(copier));
    v.recordDeleted(RecordKind::Subject);
    tell(u"a subject deleted"_qs);
    DeleteUser(db, QString::number(kato));
    v.recordDeleted(RecordKind::User);
    tell(u"a user deleted"_qs);
    return out;
}

RepairRecord repair(const QString& customer, const QString& maker, bool finished,
                    const QString& paid)
{
    RepairRecord r;
    r.finished = finished;
    r.accepted = QDate(2003, 8, 18);
    r.estimate = true;
    r.texts = QStringList(repairTextFields().size());
    r.texts[repairTextFields().indexOf(u"お客様名"_qs)] = customer;
    r.texts[repairTextFields().indexOf(u"メーカー名"_qs)] = maker;
    r.texts[repairTextFields().indexOf(u"入金"_qs)] = paid;
    r.texts[repairTextFields().indexOf(u"売値"_qs)] = u"12000"_qs;
    return r;
}

// The repair side of the day, told after each step.
QStringList repairDay(Database& db)
{
    QStringList out;
    RepairView v(db);
    auto tell = [&](const QString& step) {
        QStringList detail;
        for (const QString& field : v.repairDetail().keys())
            detail << field + u'=' + v.repairDetail().value(field);
        detail.sort();
        out << u"== "_qs + step << told(v.repairRows()) << told(v.unpaidRows())
            << told(v.repairLogRows()) << detail.join(u'|') << v.MakerNames().join(u'|')
            << v.freeFieldCaptions().join(u'|');
    };
    AddMaker(db, {u"東芝"_qs, u"東京"_qs});
    AddMaker(db, {u"A社"_qs});
    SaveOwnCompany(db, {u"ホルネア商会"_qs, u"大阪"_qs});
    const qint64 first = AddRepair(db, repair(u"加藤"_qs, u"東芝"_qs, false, u"未入"_qs));
    AddRepair(db, repair(u"青木"_qs, u"A社"_qs, true, u"未入"_qs));
    AddRepair(db, repair(u"河合"_qs, QString(), false, u"済み"_qs));
    AddRepairLog(db, QString::number(first), {QDate(2003, 8, 20), u"佐藤"_qs, u"部品発注"_qs});

    v.OpenRepairWindow();
    tell(u"open"_qs);
    v.selectRepair(false, 0);
    tell(u"a repair chosen"_qs);
    v.SetRepairFilter(u"全て"_qs);
    tell(u"every repair"_qs);
    v.ToggleUnpaidList();
    tell(u"the unpaid list"_qs);
    SearchRequest search;
    search.kind = SearchKind::Repairs;
    search.word1 = u"ｶﾄｳ"_qs;
    v.Search(search);
    tell(u"search"_qs);
    DeleteRepair(db, QString::number(first));
    v.recordDeleted(RecordKind::Repair);
    tell(u"a repair deleted"_qs);
    out << LoadOwnCompany(db).join(u'|') << told(LoadMakerList(db));
    return out;
}

} // namespace

class TstServerDay : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void customerDayIsTheSame();
    void repairDayIsTheSame();

private:
    Database serverDatabase(DatabaseKind kind, qint64 number);

    std::unique_ptr<PgCluster> m_cluster;
    std::unique_ptr<TempDataFolder> m_folder;
};

void TstServerDay::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_folder = std::make_unique<TempDataFolder>();
    ServerConnection admin =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
    admin.exec(u"CREATE SCHEMA "_qs + serverMasterSchema());
    admin.exec(serverFoldFunction(serverMasterSchema()));
}

Database TstServerDay::serverDatabase(DatabaseKind kind, qint64 number)
{
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString());
    ServerConnection admin = ServerConnection::open(address);
    createServerSchema(admin, kind, serverAccountSchema(kind, number));
    return Database::openServer(address, serverAccountSchema(kind, number), kind);
}

void TstServerDay::customerDayIsTheSame()
{
    Database file = Database::createNew(m_folder->file(u"顧客.mdb"_qs));
    createSchema(file, DatabaseKind::Customer);
    Database server = serverDatabase(DatabaseKind::Customer, 1);
    const QStringList inFile = customerDay(file);
    QStringList onServer;
    try {
        onServer = customerDay(server);
    } catch (const Failure& e) {
        QFAIL(qPrintable(e.message() + u'\n' + e.detail()));
    }
    QCOMPARE(onServer, inFile);
    if (qEnvironmentVariableIsSet("HORUNEA_SHOW_WORK"))
        qInfo().noquote() << inFile.join(u'\n');
}

void TstServerDay::repairDayIsTheSame()
{
    Database file = Database::createNew(m_folder->file(u"修理.mdb"_qs));
    createSchema(file, DatabaseKind::Repair);
    Database server = serverDatabase(DatabaseKind::Repair, 1);
    const QStringList inFile = repairDay(file);
    QStringList onServer;
    try {
        onServer = repairDay(server);
    } catch (const Failure& e) {
        QFAIL(qPrintable(e.message() + u'\n' + e.detail()));
    }
    QCOMPARE(onServer, inFile);
    if (qEnvironmentVariableIsSet("HORUNEA_SHOW_WORK"))
        qInfo().noquote() << inFile.join(u'\n');
}

QTEST_GUILESS_MAIN(TstServerDay)
#include "tst_serverday.moc"
