#include "CliSupport.h"
#include "Fixtures.h"
#include "TestSupport.h"

#include "app/Cli.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"

#include <QTest>

#include <numeric>

using namespace horunea;
using namespace horunea::test;

class TstCustomerQueries : public QObject
{
    Q_OBJECT
private slots:
    void initialPiecesAreExact();
    void subjectFilterConditions_data();
    void subjectFilterConditions();
    void sortClausesFromStoredValues_data();
    void sortClausesFromStoredValues();
    void sortPiecesEndTheQueries();
    void kanaRowsOnARealDatabase_data();
    void kanaRowsOnARealDatabase();
    void listsReadNullAsEmptyAndJoinTheUserName();
    void userNamesSortByReading();
    void fieldCaptionsFromSettingsRow();
    void commandLineListsFollowTheWindow();
    void commandLineRefusesWrongPassword_data();
    void commandLineRefusesWrongPassword();
};

void TstCustomerQueries::initialPiecesAreExact()
{
    const CustomerListQuery q;
    QCOMPARE(
        q.userSql(),
        u"SELECT ユーザーID,表示名,会社ＴＥＬ,自宅ＴＥＬ,[E-MAIL] FROM ユーザー WHERE ユーザー.ユーザーID = 0"_qs);
    QCOMPARE(q.logSql(), u"SELECT * FROM ログ WHERE 件名ID = 0"_qs);
    QCOMPARE(kanaRowCondition(KanaRow::Ka), u" WHERE 表示ふりがな Like '[ｶ-ｺ]%'"_qs);
    QCOMPARE(
        kanaRowCondition(KanaRow::A),
        u" WHERE 表示ふりがな Like '[あ-お]%' or 表示ふりがな Like '[ぁ-ぉ]%' or 表示ふりがな Like '[ｱ-ｵ]%' or 表示ふりがな Like '[ｧ-ｫ]%'"_qs);
    QVERIFY(kanaRowCondition(KanaRow::Other).endsWith(u"and 表示ふりがな Like '[!A-Z]%'"_qs));
    QCOMPARE(kanaRowCondition(KanaRow::Other).count(u"Like"_qs), 11);
    QCOMPARE(kanaRowHeading(KanaRow::Abc), u"ABC―ユーザー表示"_qs);
    QCOMPARE(kanaRowHeading(KanaRow::Other), u"その他―ユーザー表示"_qs);
}

void TstCustomerQueries::subjectFilterConditions_data()
{
    QTest::addColumn<QString>("filter");
    QTest::addColumn<bool>("individual");
    QTest::addColumn<QString>("condition");
    QTest::addColumn<QString>("heading");
    QTest::newRow("全て, all users") << u"全て"_qs << false << QString() << u"全ての件名"_qs;
    QTest::newRow("続行, all users")
        << u"続行"_qs << false << u" WHERE 件名.判定 = '続行'"_qs << u"続行中の件名"_qs;
    QTest::newRow("完了, all users")
        << u"完了"_qs << false << u" WHERE 件名.判定 = '完了'"_qs << u"完了済の件名"_qs;
    QTest::newRow("全て, user 7") << u"全て"_qs << true << u" WHERE ユーザー.ユーザーID = 7"_qs
                                  << u"全ての件名"_qs;
    QTest::newRow("完了, user 7") << u"完了"_qs << true
                                  << u" WHERE ユーザー.ユーザーID = 7 AND 件名.判定 = '完了'"_qs
                                  << u"完了済の件名"_qs;
    QTest::newRow("続行, user 7") << u"続行"_qs << true
                                  << u" WHERE ユーザー.ユーザーID = 7 AND 件名.判定 = '続行'"_qs
                                  << u"続行中の件名"_qs;
}

void TstCustomerQueries::subjectFilterConditions()
{
    QFETCH(QString, filter);
    QFETCH(bool, individual);
    QFETCH(QString, condition);
    QFETCH(QString, heading);
    CustomerListQuery q;
    q.SubjectFilter = filter;
    QCOMPARE(q.ApplySubjectFilter(individual, u"7"_qs), heading);
    QCOMPARE(q.subjectSql(), CustomerListQuery::initialSubjectSelect() + condition);
}

void TstCustomerQueries::sortClausesFromStoredValues_data()
{
    QTest::addColumn<QVariant>("userKey");
    QTest::addColumn<QString>("userClause");
    QTest::addColumn<QVariant>("direction");
    QTest::addColumn<QString>("suffix");
    QTest::newRow("0 ascending") << QVariant(0) << u" ORDER BY 表示ふりがな"_qs << QVariant(0)
                                 << QString();
    QTest::newRow("1") << QVariant(1) << u" ORDER BY 会社ＴＥＬ"_qs << QVariant(1) << u" DESC"_qs;
    QTest::newRow("2") << QVariant(2) << u" ORDER BY 自宅ＴＥＬ"_qs << QVariant(2) << QString();
    QTest::newRow("3 e-mail") << QVariant(3) << u" ORDER BY [E-MAIL]"_qs << QVariant(1)
                              << u" DESC"_qs;
    QTest::newRow("7 is entry 0") << QVariant(7) << u" ORDER BY 表示ふりがな"_qs << QVariant(-1)
                                  << QString();
    QTest::newRow("Null is entry 0")
        << QVariant() << u" ORDER BY 表示ふりがな"_qs << QVariant() << QString();
}

void TstCustomerQueries::sortClausesFromStoredValues()
{
    QFETCH(QVariant, userKey);
    QFETCH(QString, userClause);
    QFETCH(QVariant, direction);
    QFETCH(QString, suffix);
    TempDataFolder folder;
    Database db = Database::open(DataFolder::customerTemplatePath());
    db.update(u"設定"_qs, {{u"並べ01"_qs, userKey}, {u"並べ02"_qs, direction}}, u"設定ID = 1"_qs);
    const CustomerSortClauses sort = BuildCustomerSortClauses(db);
    QCOMPARE(sort.UserOrderBy, userClause);
    QCOMPARE(sort.UserOrderDesc, suffix);
}

void TstCustomerQueries::sortPiecesEndTheQueries()
{
    TempDataFolder folder;
    Database db = Database::open(DataFolder::customerTemplatePath());
    db.update(u"設定"_qs, {{u"並べ03"_qs, 2}, {u"並べ04"_qs, 1}, {u"並べ05"_qs, 1}},
              u"設定ID = 1"_qs);
    CustomerListQuery q;
    q.setSortClauses(BuildCustomerSortClauses(db));
    QVERIFY(q.subjectSql().endsWith(u" ORDER BY 件名.件名 DESC"_qs));
    QVERIFY(q.logSql().endsWith(u" WHERE 件名ID = 0 ORDER BY 記録者"_qs));
    // Every query the window can build runs on the store.
    for (int i = 0; i < KanaRowCount; ++i) {
        q.UserWhere = kanaRowCondition(KanaRow(i));
        LoadUserRows(db, q.userSql());
    }
    LoadSubjectRows(db, q.subjectSql());
    LoadLogRows(db, q.logSql());
}

void TstCustomerQueries::kanaRowsOnARealDatabase_data()
{
    QTest::addColumn<int>("row");
    QTest::addColumn<QStringList>("names");
    // Readings: ｱ, ｶ, ｦ, a digit, A, あ, ｧ, empty, Null.
    const QList<std::pair<KanaRow, QStringList>> expected = {
        // In the list's order: by reading, by character code.
        {KanaRow::A, {u"あ"_qs, u"ｧ"_qs, u"ｱ"_qs}},
        {KanaRow::Ka, {u"ｶ"_qs}},
        {KanaRow::Sa, {}},
        {KanaRow::Wa, {}},
        {KanaRow::Abc, {u"A"_qs}},
        {KanaRow::Other, {u"digit"_qs, u"あ"_qs, u"ｦ"_qs, u"ｧ"_qs}},
    };
    for (const auto& [row, names] : expected)
        QTest::newRow(qPrintable(kanaRowName(row))) << int(row) << names;
}

void TstCustomerQueries::kanaRowsOnARealDatabase()
{
    QFETCH(int, row);
    QFETCH(QStringList, names);
    TempDataFolder folder;
    Database db = Database::open(DataFolder::customerTemplatePath());
    addKanaRowSample(db);
    addUser(db, QVariant(), u"null"_qs);
    CustomerListQuery q;
    q.setSortClauses(BuildCustomerSortClauses(db));
    q.UserWhere = kanaRowCondition(KanaRow(row));
    QStringList found;
    for (const QStringList& r : LoadUserRows(db, q.userSql()))
        found << r[1];
    QCOMPARE(found, names);
}

// Half-width, full-width and hiragana readings sort as one kana; a user with
// no reading sorts by the name itself.
void TstCustomerQueries::userNamesSortByReading()
{
    TempDataFolder folder;
    Database db = Database::open(DataFolder::customerTemplatePath());
    const struct
    {
        QString reading, name;
    } users[] = {{u"ｷﾀﾑﾗ"_qs, u"北村"_qs},   {u"かわさき"_qs, u"川崎"_qs},
                 {u"カトウ"_qs, u"加藤"_qs}, {QString(), u"かなざわ"_qs},
                 {u"ｶﾞﾓｳ"_qs, u"蒲生"_qs},   {u"ｱｵｷ"_qs, u"青木"_qs},
                 {u"ｶ ﾜｲ"_qs, u"河合"_qs}};
    for (const auto& u : users)
        addUser(db, u.reading, u.name);
    const ListRows rows = LoadUserRows(db, {u"SELECT ユーザーID,表示名 FROM ユーザー"_qs, {}});
    const QStringList keys = UserNameSortKeys(db, rows);
    QCOMPARE(keys.size(), qsizetype(rows.size()));
    QStringList names;
    for (const TextRow& row : rows)
        names << row.value(1);
    std::vector<int> order(rows.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) { return keys[a] < keys[b]; });
    QStringList sorted;
    for (int i : order)
        sorted << names[i];
    QCOMPARE(sorted, (QStringList{u"青木"_qs, u"加藤"_qs, u"かなざわ"_qs, u"蒲生"_qs, u"河合"_qs,
                                  u"川崎"_qs, u"北村"_qs}));
}

void TstCustomerQueries::listsReadNullAsEmptyAndJoinTheUserName()
{
    TempDataFolder folder;
    Database db = Database::open(DataFolder::customerTemplatePath());
    const qint64 user =
        addUser(db, u"ｲﾄｳ"_qs, u"伊藤商店"_qs, {{u"E-MAIL"_qs, u"ito@example.jp"_qs}});
    const qint64 subject = db.insert(
        u"件名"_qs, {{u"ユーザーID"_qs, user}, {u"件名"_qs, u"見積"_qs}, {u"判定"_qs, u"続行"_qs}});
    addLog(db, subject, user, u"電話あり"_qs);
    CustomerListQuery q;
    q.setSortClauses(BuildCustomerSortClauses(db));
    q.UserWhere = kanaRowCondition(KanaRow::A);
    const ListRows users = LoadUserRows(db, q.userSql());
    QCOMPARE(users.size(), size_t(1));
    QCOMPARE(users[0],
             (QStringList{u"1"_qs, u"伊藤商店"_qs, QString(), QString(), u"ito@example.jp"_qs}));
    q.ApplySubjectFilter(false, u"0"_qs);
    const ListRows subjects = LoadSubjectRows(db, q.subjectSql());
    QCOMPARE(subjects.size(), size_t(1));
    QCOMPARE(subjects[0], (QStringList{u"1"_qs, u"1"_qs, QString(), u"伊藤商店"_qs, u"見積"_qs,
                                       QString(), u"続行"_qs}));
    q.LogWhere = u" WHERE 件名ID =1"_qs;
    const ListRows logs = LoadLogRows(db, q.logSql());
    QCOMPARE(logs.size(), size_t(1));
    QCOMPARE(logs[0][5], u"電話あり"_qs);
    QCOMPARE(ReadUserDetail(db, u"1"_qs).value(13), u"ito@example.jp"_qs);
    QVERIFY(ReadUserDetail(db, u"0"_qs).isEmpty());
}

void TstCustomerQueries::fieldCaptionsFromSettingsRow()
{
    TempDataFolder folder;
    Database db = Database::open(DataFolder::customerTemplatePath());
    QCOMPARE(CustomerFieldCaptions(db).first(), u"自由項目01"_qs);
    db.update(u"設定"_qs, {{u"項目02"_qs, u"誕生日"_qs}, {u"項目03"_qs, QVariant()}},
              u"設定ID = 1"_qs);
    QCOMPARE(CustomerFieldCaptions(db), (QStringList{u"自由項目01"_qs, u"誕生日"_qs, QString(),
                                                     u"自由項目04"_qs, u"自由項目05"_qs}));
}

namespace {
CliRun cli(const QStringList& args)
{
    return runCliHere(args);
}
} // namespace

void TstCustomerQueries::commandLineListsFollowTheWindow()
{
    TempDataFolder folder;
    makeOperator(u"山田"_qs, u"Pass"_qs);
    {
        Database db = Database::open(customerFile(u"山田"_qs));
        const qint64 a = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs);
        const qint64 b = addUser(db, u"ｶﾜｲ"_qs, u"河合"_qs);
        const qint64 s1 = addSubject(db, a, u"修理"_qs, u"続行"_qs);
        addSubject(db, b, u"納品"_qs, u"完了"_qs);
        addLog(db, s1, a, u"一行目\n二行目"_qs);
    }
    CliRun r = cli({u"users"_qs, u"山田"_qs, u"--row"_qs, u"か"_qs, u"--password"_qs, u"Pass"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(
        r.out,
        u"ユーザーＩＤ\t表示名\t自宅ＴＥＬ\t会社ＴＥＬ\te-mail\n1\t加藤\t\t\t\n2\t河合\t\t\t\n"_qs);
    r = cli({u"subjects"_qs, u"山田"_qs, u"--password"_qs, u"Pass"_qs});
    QCOMPARE(r.out.count(u'\n'), 2);
    QVERIFY(r.out.contains(u"修理"_qs));
    r = cli({u"subjects"_qs, u"山田"_qs, u"--state"_qs, u"全て"_qs, u"--user"_qs, u"2"_qs,
             u"--password"_qs, u"Pass"_qs});
    QCOMPARE(r.out.count(u'\n'), 2);
    QVERIFY(r.out.contains(u"納品"_qs));
    r = cli({u"logs"_qs, u"山田"_qs, u"--subject"_qs, u"1"_qs, u"--password"_qs, u"Pass"_qs});
    QVERIFY(r.out.startsWith(u"ﾛｸﾞID\t件名ID\tﾕｰｻﾞｰID\t登録日\t記録者\tログ\n"_qs));
    QVERIFY(r.out.contains(u"一行目\\n二行目"_qs));
    r = cli(
        {u"logs"_qs, u"山田"_qs, u"--subject"_qs, u"1 or 1=1"_qs, u"--password"_qs, u"Pass"_qs});
    QVERIFY(r.status != 0);
}

void TstCustomerQueries::commandLineRefusesWrongPassword_data()
{
    QTest::addColumn<QVariant>("stored");
    QTest::addColumn<QStringList>("given");
    QTest::addColumn<bool>("opens");
    QTest::newRow("right") << QVariant(u"Pass"_qs) << QStringList{u"--password"_qs, u"Pass"_qs}
                           << true;
    QTest::newRow("lower case") << QVariant(u"Pass"_qs) << QStringList{u"--password"_qs, u"pass"_qs}
                                << false;
    QTest::newRow("trailing blank")
        << QVariant(u"Pass"_qs) << QStringList{u"--password"_qs, u"Pass "_qs} << false;
    QTest::newRow("none given") << QVariant(u"Pass"_qs) << QStringList{} << false;
    QTest::newRow("Null, none given") << QVariant() << QStringList{} << true;
    QTest::newRow("Null, text given")
        << QVariant() << QStringList{u"--password"_qs, u"x"_qs} << false;
    QTest::newRow("empty, empty given")
        << QVariant(u""_qs) << QStringList{u"--password"_qs, u""_qs} << true;
}

void TstCustomerQueries::commandLineRefusesWrongPassword()
{
    QFETCH(QVariant, stored);
    QFETCH(QStringList, given);
    QFETCH(bool, opens);
    TempDataFolder folder;
    makeOperator(u"営業"_qs, stored);
    const CliRun r = cli(QStringList{u"users"_qs, u"営業"_qs, u"--row"_qs, u"あ"_qs} + given);
    QCOMPARE(r.status == 0, opens);
    if (!opens)
        QCOMPARE(r.err, u"パスワードが違います。\n"_qs);
}

QTEST_GUILESS_MAIN(TstCustomerQueries)
#include "tst_customerqueries.moc"
