// The settings row of both kinds of database: what the settings window
// shows, what each change button stores, the margin refusals, and the order
// of every list after the sort order is changed.
#include "CoreTestSupport.h"
#include "Fixtures.h"

#include "customer/CustomerView.h"
#include "repair/RepairView.h"
#include "settings/SettingsRecord.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

using Margins = std::array<QString, 4>;
using Positions = std::array<int, 6>;

namespace {

QStringList settingsRow(Database& db)
{
    const ListRows rows = db.textRows(u"Select * From 設定 Where 設定ID =1"_qs,
                                      {u"項目01"_qs, u"項目02"_qs, u"項目03"_qs, u"並べ01"_qs,
                                       u"並べ02"_qs, u"並べ03"_qs, u"並べ04"_qs, u"並べ05"_qs,
                                       u"並べ06"_qs, u"上"_qs, u"左"_qs, u"右"_qs, u"下"_qs});
    return rows.empty() ? QStringList() : rows.front().toList();
}

QStringList column(const ListRows& rows, int c)
{
    QStringList out;
    for (const QStringList& row : rows)
        out << row.value(c);
    return out;
}

} // namespace

class TstSettings : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void storedPositionsThatNameNoEntryShowEntryZero_data();
    void storedPositionsThatNameNoEntryShowEntryZero();
    void eachGroupIsStoredAlone_data();
    void eachGroupIsStoredAlone();
    void anEmptyBoxKeepsTheStoredValue();
    void marginBoxes_data();
    void marginBoxes();
    void aRefusedMarginStoresNothing();
    void aPositionOutsideItsListIsRefused();
    void customerListsFollowTheNewOrder_data();
    void customerListsFollowTheNewOrder();
    void repairListsFollowTheNewOrder_data();
    void repairListsFollowTheNewOrder();
    void captionsFollowAtOnce();

private:
    Database& db(bool customer) { return customer ? *m_customer : *m_repair; }

    TempDataFolder* m_folder = nullptr;
    std::unique_ptr<Database> m_customer, m_repair;
};

void TstSettings::initTestCase()
{
    m_folder = new TempDataFolder();
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    m_customer = std::make_unique<Database>(Database::open(customerFile(u"山田"_qs)));
    m_repair = std::make_unique<Database>(Database::open(repairFile(u"修理係"_qs)));
}

void TstSettings::cleanupTestCase()
{
    m_customer.reset();
    m_repair.reset();
    delete m_folder;
}

void TstSettings::init()
{
    for (Database* d : {m_customer.get(), m_repair.get()})
        d->exec(u"Update 設定 Set 項目01 ='一', 項目02 ='二', 項目03 ='三', 並べ01 =0, "
                u"並べ02 =0, 並べ03 =0, 並べ04 =0, 並べ05 =0, 並べ06 =0, 上 =720, 左 =360, "
                u"右 =360, 下 =720 Where 設定ID =1"_qs);
    for (const char* table : {"ユーザー", "件名", "ログ"})
        m_customer->exec(u"Delete From "_qs + QString::fromUtf8(table));
    for (const char* table : {"修理", "修理ログ"})
        m_repair->exec(u"Delete From "_qs + QString::fromUtf8(table));
}

void TstSettings::storedPositionsThatNameNoEntryShowEntryZero_data()
{
    QTest::addColumn<bool>("customer");
    QTest::addColumn<QString>("stored");
    QTest::addColumn<int>("shown");
    for (bool customer : {true, false}) {
        const char* kind = customer ? "customer" : "repair";
        QTest::addRow("%s valid", kind) << customer << u"3"_qs << 3;
        QTest::addRow("%s direction 1", kind) << customer << u"1"_qs << 1;
        QTest::addRow("%s past the list", kind) << customer << u"12"_qs << 0;
        QTest::addRow("%s negative", kind) << customer << u"-1"_qs << 0;
        QTest::addRow("%s null", kind) << customer << QString() << 0;
    }
    QTest::newRow("customer past four entries") << true << u"4"_qs << 0;
    QTest::newRow("repair has nine entries") << false << u"8"_qs << 8;
}

void TstSettings::storedPositionsThatNameNoEntryShowEntryZero()
{
    QFETCH(bool, customer);
    QFETCH(QString, stored);
    QFETCH(int, shown);
    db(customer).exec(u"Update 設定 Set 並べ01 =?, 並べ02 =? Where 設定ID =1"_qs,
                      {stored.isNull() ? QVariant() : QVariant(stored.toInt()),
                       stored.isNull() ? QVariant() : QVariant(stored.toInt())});
    const SettingsRecord record =
        customer ? LoadCustomerSettings(db(customer)) : LoadRepairSettings(db(customer));
    QCOMPARE(record.sortPositions[0], shown);
    // A direction is 0 or 1: anything else shows 昇順.
    QCOMPARE(record.sortPositions[1], stored == u"1" ? 1 : 0);
}

void TstSettings::eachGroupIsStoredAlone_data()
{
    QTest::addColumn<bool>("customer");
    QTest::addColumn<int>("group");
    QTest::addColumn<QStringList>("row");
    const QStringList before{u"一"_qs, u"二"_qs, u"三"_qs,  u"0"_qs,   u"0"_qs,   u"0"_qs,  u"0"_qs,
                             u"0"_qs,  u"0"_qs,  u"720"_qs, u"360"_qs, u"360"_qs, u"720"_qs};
    for (bool customer : {true, false}) {
        const char* kind = customer ? "customer" : "repair";
        QStringList captions = before;
        captions[0] = u"誕生日"_qs;
        captions[2] = u"趣味"_qs;
        QTest::addRow("%s captions", kind) << customer << 0 << captions;
        QStringList sort = before;
        sort[3] = u"2"_qs;
        sort[4] = u"1"_qs;
        sort[7] = u"1"_qs;
        QTest::addRow("%s sort order", kind) << customer << 1 << sort;
        QStringList margins = before;
        margins[9] = u"1440"_qs;
        margins[12] = u"0"_qs;
        QTest::addRow("%s margins", kind) << customer << 2 << margins;
    }
}

void TstSettings::eachGroupIsStoredAlone()
{
    QFETCH(bool, customer);
    QFETCH(int, group);
    QFETCH(QStringList, row);
    Database& d = db(customer);
    switch (group) {
    case 0: {
        const QStringList boxes =
            customer ? QStringList{u"誕生日"_qs, QString(), u"趣味"_qs, QString(), QString()}
                     : QStringList{u"誕生日"_qs, QString(), u"趣味"_qs};
        customer ? SaveCustomerFreeFields(d, boxes) : SaveRepairFreeFields(d, boxes);
        break;
    }
    case 1: {
        const Positions positions{2, 1, 0, 0, 1, 0};
        customer ? SaveCustomerSortOrder(d, positions) : SaveRepairSortOrder(d, positions);
        break;
    }
    case 2: {
        const Margins boxes{u"1440"_qs, QString(), QString(), u"0"_qs};
        customer ? SaveCustomerMargins(d, boxes) : SaveRepairMargins(d, boxes);
        break;
    }
    }
    QCOMPARE(settingsRow(d), row);
}

void TstSettings::anEmptyBoxKeepsTheStoredValue()
{
    SaveCustomerFreeFields(*m_customer, {u"甲"_qs, QString(), u"丙"_qs, QString(), u"戊"_qs});
    const SettingsRecord record = LoadCustomerSettings(*m_customer);
    QCOMPARE(record.captions,
             (QStringList{u"甲"_qs, u"二"_qs, u"丙"_qs, u"自由項目04"_qs, u"戊"_qs}));
    SaveCustomerMargins(*m_customer, {QString(), u"  "_qs, u"100"_qs, QString()});
    QCOMPARE(LoadCustomerSettings(*m_customer).margins,
             (Margins{u"720"_qs, u"360"_qs, u"100"_qs, u"720"_qs}));
}

void TstSettings::marginBoxes_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("value"); // -1: refused
    QTest::newRow("zero") << u"0"_qs << 0;
    QTest::newRow("largest") << u"9999"_qs << 9999;
    QTest::newRow("blanks around") << u" 720 "_qs << 720;
    QTest::newRow("full-width digits") << u"１４４０"_qs << 1440;
    QTest::newRow("leading zeros") << u"0072"_qs << 72;
    QTest::newRow("too large") << u"10000"_qs << -1;
    QTest::newRow("negative") << u"-1"_qs << -1;
    QTest::newRow("letters") << u"abc"_qs << -1;
    QTest::newRow("fraction") << u"1.5"_qs << -1;
    QTest::newRow("digits and letters") << u"72mm"_qs << -1;
    QTest::newRow("plus sign") << u"+72"_qs << -1;
    QTest::newRow("kanji numeral") << u"七二〇"_qs << -1;
}

void TstSettings::marginBoxes()
{
    QFETCH(QString, box);
    QFETCH(int, value);
    const auto parsed = marginValue(box);
    QCOMPARE(parsed.has_value(), value >= 0);
    if (parsed)
        QCOMPARE(*parsed, value);
    for (bool customer : {true, false}) {
        Database& d = db(customer);
        const Margins boxes{QString(), QString(), box, QString()};
        if (value < 0) {
            const QString problem = marginProblem(boxes);
            QVERIFY(problem.contains(u"余白「右」"_qs));
            QVERIFY(problem.contains(u"0 から 9999"_qs));
            QVERIFY_THROWS_EXCEPTION(Failure, customer ? SaveCustomerMargins(d, boxes)
                                                       : SaveRepairMargins(d, boxes));
            QCOMPARE(settingsRow(d).value(11), u"360"_qs);
        } else {
            customer ? SaveCustomerMargins(d, boxes) : SaveRepairMargins(d, boxes);
            QCOMPARE(settingsRow(d).value(11), QString::number(value));
        }
    }
}

void TstSettings::aRefusedMarginStoresNothing()
{
    const Margins boxes{u"100"_qs, u"200"_qs, u"300"_qs, u"四百"_qs};
    try {
        SaveRepairMargins(*m_repair, boxes);
        QFAIL("a margin of 四百 was stored");
    } catch (const Failure& e) {
        QVERIFY(e.message().contains(u"余白「下」"_qs));
    }
    QCOMPARE(LoadRepairSettings(*m_repair).margins,
             (Margins{u"720"_qs, u"360"_qs, u"360"_qs, u"720"_qs}));
}

void TstSettings::aPositionOutsideItsListIsRefused()
{
    QVERIFY_THROWS_EXCEPTION(Failure, SaveCustomerSortOrder(*m_customer, {4, 0, 0, 0, 0, 0}));
    QVERIFY_THROWS_EXCEPTION(Failure, SaveRepairSortOrder(*m_repair, {0, 2, 0, 0, 0, 0}));
    QCOMPARE(settingsRow(*m_customer).value(3), u"0"_qs);
    SaveRepairSortOrder(*m_repair, {8, 1, 9, 1, 2, 1});
    QCOMPARE(LoadRepairSettings(*m_repair).sortPositions, (Positions{8, 1, 9, 1, 2, 1}));
}

void TstSettings::customerListsFollowTheNewOrder_data()
{
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<QStringList>("users");
    QTest::addColumn<QStringList>("subjects");
    QTest::addColumn<QStringList>("logs");
    QTest::newRow("first entries ascending")
        << Positions{0, 0, 0, 0, 0, 0} << QStringList{u"青木"_qs, u"加藤"_qs, u"佐藤"_qs}
        << QStringList{u"見積"_qs, u"保守"_qs, u"複合機"_qs}
        << QStringList{u"訪問"_qs, u"電話"_qs, u"納品"_qs};
    QTest::newRow("company TEL descending, subject title, recorder")
        << Positions{1, 1, 2, 0, 1, 0} << QStringList{u"佐藤"_qs, u"青木"_qs, u"加藤"_qs}
        << QStringList{u"保守"_qs, u"複合機"_qs, u"見積"_qs}
        << QStringList{u"電話"_qs, u"訪問"_qs, u"納品"_qs};
    QTest::newRow("e-mail, subject title descending, log descending")
        << Positions{3, 0, 2, 1, 2, 1} << QStringList{u"加藤"_qs, u"佐藤"_qs, u"青木"_qs}
        << QStringList{u"見積"_qs, u"複合機"_qs, u"保守"_qs}
        << QStringList{u"電話"_qs, u"訪問"_qs, u"納品"_qs};
}

void TstSettings::customerListsFollowTheNewOrder()
{
    QFETCH(Positions, positions);
    QFETCH(QStringList, users);
    QFETCH(QStringList, subjects);
    QFETCH(QStringList, logs);
    Database& d = *m_customer;
    const qint64 aoki = addUser(d, u"ｱｵｷ"_qs, u"青木"_qs,
                                {{u"会社ＴＥＬ"_qs, u"03-2"_qs}, {u"E-MAIL"_qs, u"z@x"_qs}});
    const qint64 kato = addUser(d, u"ｱｶﾄｳ"_qs, u"加藤"_qs,
                                {{u"会社ＴＥＬ"_qs, u"03-1"_qs}, {u"E-MAIL"_qs, u"a@x"_qs}});
    addUser(d, u"ｱｻﾄｳ"_qs, u"佐藤"_qs, {{u"会社ＴＥＬ"_qs, u"06-1"_qs}, {u"E-MAIL"_qs, u"m@x"_qs}});
    const qint64 first = addSubject(d, aoki, u"見積"_qs, u"続行"_qs, u"2003/08/01(金)"_qs);
    addSubject(d, kato, u"保守"_qs, u"続行"_qs, u"2003/08/02(土)"_qs);
    addSubject(d, aoki, u"複合機"_qs, u"続行"_qs, u"2003/08/03(日)"_qs);
    auto log = [&](const QString& text, const QString& recorder, const QString& date) {
        d.insert(u"ログ"_qs, {{u"件名ID"_qs, first},
                              {u"ユーザーID"_qs, aoki},
                              {u"登録日"_qs, date},
                              {u"記録者"_qs, recorder},
                              {u"ログ"_qs, text}});
    };
    log(u"訪問"_qs, u"山田"_qs, u"2003/08/01(金)"_qs);
    log(u"電話"_qs, u"佐藤"_qs, u"2003/08/02(土)"_qs);
    log(u"納品"_qs, u"鈴木"_qs, u"2003/08/03(日)"_qs);

    CustomerView view(d);
    view.OpenCustomerWindow();
    view.selectKanaRow(KanaRow::A);
    view.selectUser(int(column(view.userRows(), 1).indexOf(u"青木"_qs)));
    view.selectSubject(int(column(view.subjectRows(), 4).indexOf(u"見積"_qs)));
    SaveCustomerSortOrder(d, positions);
    view.applySortOrder();
    QCOMPARE(column(view.userRows(), 1), users);
    QCOMPARE(column(view.subjectRows(), 4), subjects);
    QCOMPARE(column(view.logRows(), 5), logs);
}

void TstSettings::repairListsFollowTheNewOrder_data()
{
    QTest::addColumn<Positions>("positions");
    QTest::addColumn<QStringList>("repairs");
    QTest::addColumn<QStringList>("unpaid");
    QTest::addColumn<QStringList>("logs");
    QTest::newRow("first entries ascending")
        << Positions{0, 0, 0, 0, 0, 0} << QStringList{u"甲"_qs, u"乙"_qs, u"丙"_qs}
        << QStringList{u"甲"_qs, u"乙"_qs} << QStringList{u"受付"_qs, u"発送"_qs, u"完了"_qs};
    QTest::newRow("maker, selling price descending, log recorder")
        << Positions{5, 0, 8, 1, 1, 0} << QStringList{u"乙"_qs, u"丙"_qs, u"甲"_qs}
        << QStringList{u"甲"_qs, u"乙"_qs} << QStringList{u"発送"_qs, u"受付"_qs, u"完了"_qs};
    QTest::newRow("serial descending, selling price, log descending")
        << Positions{7, 1, 8, 0, 2, 1} << QStringList{u"甲"_qs, u"丙"_qs, u"乙"_qs}
        << QStringList{u"乙"_qs, u"甲"_qs} << QStringList{u"発送"_qs, u"完了"_qs, u"受付"_qs};
}

void TstSettings::repairListsFollowTheNewOrder()
{
    QFETCH(Positions, positions);
    QFETCH(QStringList, repairs);
    QFETCH(QStringList, unpaid);
    QFETCH(QStringList, logs);
    Database& d = *m_repair;
    const qint64 first = addRepair(d, u"甲"_qs, QString(), u"続行"_qs,
                                   {{u"受付日"_qs, u"2003/08/01(金)"_qs},
                                    {u"メーカー名"_qs, u"C"_qs},
                                    {u"シリアル"_qs, u"9"_qs},
                                    {u"売値"_qs, u"2"_qs},
                                    {u"入金"_qs, u"未入"_qs}});
    addRepair(d, u"乙"_qs, QString(), u"続行"_qs,
              {{u"受付日"_qs, u"2003/08/02(土)"_qs},
               {u"メーカー名"_qs, u"A"_qs},
               {u"シリアル"_qs, u"1"_qs},
               {u"売値"_qs, u"1"_qs},
               {u"入金"_qs, u"未入"_qs}});
    addRepair(d, u"丙"_qs, QString(), u"続行"_qs,
              {{u"受付日"_qs, u"2003/08/03(日)"_qs},
               {u"メーカー名"_qs, u"B"_qs},
               {u"シリアル"_qs, u"5"_qs},
               {u"入金"_qs, u"済"_qs}});
    auto log = [&](const QString& text, const QString& recorder, const QString& date) {
        d.insert(u"修理ログ"_qs, {{u"修理ID"_qs, first},
                                  {u"記録日"_qs, date},
                                  {u"記録者"_qs, recorder},
                                  {u"ログ"_qs, text}});
    };
    log(u"受付"_qs, u"山田"_qs, u"2003/08/01(金)"_qs);
    log(u"発送"_qs, u"佐藤"_qs, u"2003/08/02(土)"_qs);
    log(u"完了"_qs, u"鈴木"_qs, u"2003/08/03(日)"_qs);

    RepairView view(d);
    view.OpenRepairWindow();
    view.selectRepair(false, int(column(view.repairRows(), 3).indexOf(u"甲"_qs)));
    SaveRepairSortOrder(d, positions);
    view.applySortOrder();
    QCOMPARE(column(view.repairRows(), 3), repairs);
    QCOMPARE(column(view.unpaidRows(), 3), unpaid);
    QCOMPARE(column(view.repairLogRows(), 4), logs);
}

void TstSettings::captionsFollowAtOnce()
{
    CustomerView customer(*m_customer);
    customer.OpenCustomerWindow();
    QCOMPARE(customer.freeFieldCaptions().value(1), u"二"_qs);
    SaveCustomerFreeFields(*m_customer, {QString(), u"誕生日"_qs, QString(), QString(), QString()});
    customer.applyFieldCaptions();
    QCOMPARE(customer.freeFieldCaptions().mid(0, 3),
             (QStringList{u"一"_qs, u"誕生日"_qs, u"三"_qs}));

    RepairView repair(*m_repair);
    repair.OpenRepairWindow();
    SaveRepairFreeFields(*m_repair, {u"保証"_qs, QString(), QString()});
    repair.applyFieldCaptions();
    QCOMPARE(repair.freeFieldCaptions(), (QStringList{u"保証"_qs, u"二"_qs, u"三"_qs}));
}

QTEST_GUILESS_MAIN(TstSettings)
#include "tst_settings.moc"
