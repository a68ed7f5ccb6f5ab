// The free-text search on the customer and repair views: which fields each
// condition tests, how two words join, that words are found literally, the
// width and kana folding, and the headings the searched lists get.
#include "CoreTestSupport.h"
#include "Fixtures.h"

#include "customer/CustomerView.h"
#include "repair/RepairView.h"
#include "store/SearchConditions.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

Q_DECLARE_METATYPE(horunea::SearchKind)
Q_DECLARE_METATYPE(horunea::SearchJoin)

namespace {

QStringList column(const ListRows& rows, int c)
{
    QStringList out;
    for (const QStringList& row : rows)
        out << row.value(c);
    std::sort(out.begin(), out.end());
    return out;
}

// The field of a condition without its table ("件名.備考" → "備考",
// "[E-MAIL]" → "E-MAIL").
QString bareField(const QString& field)
{
    QString bare = field.section(u'.', -1);
    bare.remove(u'[');
    bare.remove(u']');
    return bare;
}

SearchRequest request(SearchKind kind, const QString& w1, SearchJoin join = SearchJoin::None,
                      const QString& w2 = QString(), bool folded = true)
{
    return SearchRequest{kind, w1, join, w2, folded};
}

} // namespace

class TstSearch : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void cleanupTestCase();
    void init();

    void conditionsTestEveryFieldWithBoundWords_data();
    void conditionsTestEveryFieldWithBoundWords();
    void aWordInAnyOneFieldFindsTheRow_data();
    void aWordInAnyOneFieldFindsTheRow();
    void secondWordJoins_data();
    void secondWordJoins();
    void wordsAreFoundLiterally_data();
    void wordsAreFoundLiterally();
    void foldingFindsOtherWidthsAndKana_data();
    void foldingFindsOtherWidthsAndKana();
    void headingsNameTheWords_data();
    void headingsNameTheWords();
    void subjectSearchShowsEveryUserAndStateUntilTheNextFilter();
    void unpaidSearchListsUnpaidRepairsOnly_data();
    void unpaidSearchListsUnpaidRepairsOnly();
    void repairSearchDropsTheStateFilterUntilTheNextOne();
    void searchedListsKeepTheSettingsOrder();
    void aKindOfTheOtherDatabaseIsRefused();

private:
    TempDataFolder* m_folder = nullptr;
    std::unique_ptr<Database> m_customer, m_repair;
};

void TstSearch::initTestCase()
{
    m_folder = new TempDataFolder();
    makeOperator(u"山田"_qs);
    makeRepairAccount(u"修理係"_qs);
    m_customer = std::make_unique<Database>(Database::open(customerFile(u"山田"_qs)));
    m_repair = std::make_unique<Database>(Database::open(repairFile(u"修理係"_qs)));
}

void TstSearch::cleanupTestCase()
{
    m_customer.reset();
    m_repair.reset();
    delete m_folder;
    m_folder = nullptr;
}

// Every case starts from empty tables in the default order.
void TstSearch::init()
{
    for (const char* table : {"ユーザー", "件名", "ログ"})
        m_customer->exec(u"Delete From "_qs + QString::fromUtf8(table));
    for (const char* table : {"修理", "修理ログ"})
        m_repair->exec(u"Delete From "_qs + QString::fromUtf8(table));
    m_customer->exec(u"Update 設定 Set 並べ01 =0, 並べ02 =0 Where 設定ID =1"_qs);
}

void TstSearch::conditionsTestEveryFieldWithBoundWords_data()
{
    QTest::addColumn<SearchKind>("kind");
    QTest::addColumn<int>("fieldCount");
    QTest::addColumn<QString>("exactStart");
    QTest::newRow("users") << SearchKind::Users << 21 << u"(表示ふりがな Like ?"_qs;
    QTest::newRow("subjects") << SearchKind::Subjects << 5 << u"(件名.登録日 Like ?"_qs;
    QTest::newRow("logs") << SearchKind::Logs << 3 << u"(登録日 Like ?"_qs;
    QTest::newRow("repairs") << SearchKind::Repairs << 24 << u"(判定 Like ?"_qs;
    QTest::newRow("unpaid") << SearchKind::Unpaid << 24 << u"(判定 Like ?"_qs;
    QTest::newRow("repair logs") << SearchKind::RepairLogs << 3 << u"(記録日 Like ?"_qs;
}

void TstSearch::conditionsTestEveryFieldWithBoundWords()
{
    QFETCH(SearchKind, kind);
    QFETCH(int, fieldCount);
    QFETCH(QString, exactStart);
    QCOMPARE(searchFields(kind).size(), fieldCount);

    const QString word = u"O'Neil 100%"_qs;
    const SqlPiece exact = searchCondition(kind, word, false);
    QVERIFY2(exact.text.startsWith(exactStart), qPrintable(exact.text));
    QVERIFY(exact.text.endsWith(u" Like ?)"_qs));
    QCOMPARE(exact.text.count(u" or "_qs), fieldCount - 1);
    QVERIFY2(!exact.text.contains(u"Neil"_qs), "the word is never part of the SQL text");
    QCOMPARE(exact.params.size(), fieldCount);
    for (const QVariant& p : exact.params)
        QCOMPARE(p.toString(), u"%O'Neil 100[%]%"_qs);

    const SqlPiece folded = searchCondition(kind, word, true);
    QCOMPARE(folded.text.count(u"SearchFold("_qs), fieldCount);
    QCOMPARE(folded.params.first().toString(), u"%o'neil 100[%]%"_qs);

    const QString where = searchClause(request(kind, word, SearchJoin::Or, u"x"_qs)).text;
    QVERIFY(where.startsWith(kind == SearchKind::Unpaid ? u" AND ((" : u" WHERE ("));
    QVERIFY(where.contains(u") OR("_qs));
}

void TstSearch::aWordInAnyOneFieldFindsTheRow_data()
{
    QTest::addColumn<SearchKind>("kind");
    QTest::addColumn<QString>("field");
    QTest::addColumn<bool>("folded");
    for (SearchKind kind : {SearchKind::Users, SearchKind::Subjects, SearchKind::Logs,
                            SearchKind::Repairs, SearchKind::Unpaid, SearchKind::RepairLogs}) {
        for (const QString& field : searchFields(kind)) {
            // An unpaid repair always holds 未入 in 入金: the repair list
            // covers that field.
            if (kind == SearchKind::Unpaid && field == u"入金")
                continue;
            for (bool folded : {true, false})
                QTest::addRow("%d %s %s", int(kind), qPrintable(field), folded ? "folded" : "exact")
                    << kind << field << folded;
        }
    }
}

// One row holds the word in the field alone, another holds the word's
// neighbour in every field: the search lists the first only.
void TstSearch::aWordInAnyOneFieldFindsTheRow()
{
    QFETCH(SearchKind, kind);
    QFETCH(QString, field);
    QFETCH(bool, folded);
    const QString word = u"目印"_qs;
    const QString near = u"目の印"_qs;
    const QString name = bareField(field);
    ListRows rows;
    QString expected;

    auto everyField = [&](SearchKind k, const QString& value) {
        Fields fields;
        for (const QString& f : searchFields(k))
            if (!f.startsWith(u"ユーザー."))
                fields << qMakePair(bareField(f), QVariant(value));
        return fields;
    };
    Database& db = searchesCustomerData(kind) ? *m_customer : *m_repair;
    switch (kind) {
    case SearchKind::Users: {
        db.insert(u"ユーザー"_qs, everyField(kind, near));
        expected = QString::number(db.insert(u"ユーザー"_qs, {{name, word}}));
        break;
    }
    case SearchKind::Subjects: {
        const qint64 other = addUser(db, u"ﾎｶ"_qs, near);
        Fields fields = everyField(kind, near);
        fields << qMakePair(u"ユーザーID"_qs, QVariant(other));
        db.insert(u"件名"_qs, fields);
        const bool inUser = field.startsWith(u"ユーザー.");
        const qint64 user = addUser(db, u"ﾒｼﾞﾙｼ"_qs, inUser ? word : u"名"_qs);
        Fields target{{u"ユーザーID"_qs, user}, {u"判定"_qs, u"完了"_qs}};
        if (!inUser) {
            target.removeIf([&](const auto& f) { return f.first == name; });
            target << qMakePair(name, QVariant(word));
        }
        expected = QString::number(db.insert(u"件名"_qs, target));
        break;
    }
    case SearchKind::Logs:
        db.insert(u"ログ"_qs, everyField(kind, near));
        expected = QString::number(db.insert(u"ログ"_qs, {{name, word}}));
        break;
    case SearchKind::Repairs:
    case SearchKind::Unpaid: {
        Fields fields = everyField(kind, near);
        if (kind == SearchKind::Unpaid) {
            fields.removeIf([](const auto& f) { return f.first == u"入金"; });
            fields << qMakePair(u"入金"_qs, QVariant(u"未入"_qs));
        }
        db.insert(u"修理"_qs, fields);
        Fields target{{name, word}};
        if (kind == SearchKind::Unpaid)
            target << qMakePair(u"入金"_qs, QVariant(u"未入"_qs));
        expected = QString::number(db.insert(u"修理"_qs, target));
        break;
    }
    case SearchKind::RepairLogs:
        db.insert(u"修理ログ"_qs, everyField(kind, near));
        expected = QString::number(db.insert(u"修理ログ"_qs, {{name, word}}));
        break;
    }

    const SearchRequest r = request(kind, word, SearchJoin::None, QString(), folded);
    if (searchesCustomerData(kind)) {
        CustomerView view(db);
        view.OpenCustomerWindow();
        view.Search(r);
        rows = kind == SearchKind::Users      ? view.userRows()
               : kind == SearchKind::Subjects ? view.subjectRows()
                                              : view.logRows();
    } else {
        RepairView view(db);
        view.OpenRepairWindow();
        if (kind == SearchKind::Unpaid)
            view.ToggleUnpaidList();
        view.Search(r);
        rows = kind == SearchKind::Repairs  ? view.repairRows()
               : kind == SearchKind::Unpaid ? view.unpaidRows()
                                            : view.repairLogRows();
    }
    QCOMPARE(column(rows, 0), QStringList{expected});
}

void TstSearch::secondWordJoins_data()
{
    QTest::addColumn<QString>("w1");
    QTest::addColumn<SearchJoin>("join");
    QTest::addColumn<QString>("w2");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("none") << u"東京"_qs << SearchJoin::None << QString()
                          << QStringList{u"東京"_qs, u"東京と山田"_qs};
    QTest::newRow("none ignores the second box") << u"東京"_qs << SearchJoin::None << u"山田"_qs
                                                 << QStringList{u"東京"_qs, u"東京と山田"_qs};
    QTest::newRow("or") << u"東京"_qs << SearchJoin::Or << u"山田"_qs
                        << QStringList{u"山田"_qs, u"東京"_qs, u"東京と山田"_qs};
    QTest::newRow("and, in different fields")
        << u"東京"_qs << SearchJoin::And << u"山田"_qs << QStringList{u"東京と山田"_qs};
    QTest::newRow("and of a word found nowhere")
        << u"東京"_qs << SearchJoin::And << u"大阪"_qs << QStringList{};
    QTest::newRow("empty first word lists every row with a value")
        << QString() << SearchJoin::None << QString()
        << QStringList{u"東京"_qs, u"山田"_qs, u"東京と山田"_qs, u"何もなし"_qs};
}

void TstSearch::secondWordJoins()
{
    QFETCH(QString, w1);
    QFETCH(SearchJoin, join);
    QFETCH(QString, w2);
    QFETCH(QStringList, found);
    Database& db = *m_customer;
    addUser(db, QVariant(), u"東京"_qs, {{u"自宅住所"_qs, u"東京都港区"_qs}});
    addUser(db, QVariant(), u"山田"_qs, {{u"ユーザー名"_qs, u"山田太郎"_qs}});
    addUser(db, QVariant(), u"東京と山田"_qs,
            {{u"会社住所"_qs, u"東京都"_qs}, {u"備考"_qs, u"山田様"_qs}});
    addUser(db, QVariant(), u"何もなし"_qs);
    db.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, QVariant()}}); // every field Null
    for (bool folded : {true, false}) {
        CustomerView view(db);
        view.OpenCustomerWindow();
        view.Search(request(SearchKind::Users, w1, join, w2, folded));
        std::sort(found.begin(), found.end());
        QCOMPARE(column(view.userRows(), 1), found);
    }
}

void TstSearch::wordsAreFoundLiterally_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("apostrophe") << u"O'Neil"_qs << QStringList{u"O'Neil商会"_qs};
    QTest::newRow("percent") << u"100%"_qs << QStringList{u"100%還元"_qs};
    QTest::newRow("underscore") << u"a_b"_qs << QStringList{u"a_b"_qs};
    QTest::newRow("bracket") << u"[株]"_qs << QStringList{u"[株]北村"_qs};
    QTest::newRow("lone bracket") << u"["_qs << QStringList{u"[株]北村"_qs};
    QTest::newRow("star and question mark") << u"*?"_qs << QStringList{u"*?"_qs};
    QTest::newRow("hash") << u"#1"_qs << QStringList{u"#1"_qs};
}

void TstSearch::wordsAreFoundLiterally()
{
    QFETCH(QString, word);
    QFETCH(QStringList, found);
    Database& db = *m_customer;
    for (const char* name : {"O'Neil商会", "ONeil", "100%還元", "1000", "a_b", "axb", "[株]北村",
                             "株北村", "*?", "xy", "#1", "21"})
        addUser(db, QVariant(), QString::fromUtf8(name));
    for (bool folded : {true, false}) {
        CustomerView view(db);
        view.OpenCustomerWindow();
        view.Search(request(SearchKind::Users, word, SearchJoin::None, QString(), folded));
        QCOMPARE(column(view.userRows(), 1), found);
    }
}

void TstSearch::foldingFindsOtherWidthsAndKana_data()
{
    QTest::addColumn<QString>("stored");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("foundFolded");
    QTest::addColumn<bool>("foundExact");
    QTest::newRow("half-width kana finds katakana") << u"ヤマダ"_qs << u"ﾔﾏﾀﾞ"_qs << true << false;
    QTest::newRow("half-width kana finds hiragana") << u"やまだ"_qs << u"ﾔﾏﾀﾞ"_qs << true << false;
    QTest::newRow("katakana finds half-width kana") << u"ﾔﾏﾀﾞ"_qs << u"ヤマダ"_qs << true << false;
    QTest::newRow("handakuten") << u"パン"_qs << u"ﾊﾟﾝ"_qs << true << false;
    QTest::newRow("full-width digits") << u"03-1234-5678"_qs << u"０３"_qs << true << false;
    QTest::newRow("full-width letters") << u"abc"_qs << u"ＡＢＣ"_qs << true << false;
    QTest::newRow("ideographic space") << u"東京 都"_qs << u"東京　都"_qs << true << false;
    QTest::newRow("letter case") << u"Yamada"_qs << u"YAMADA"_qs << true << true;
    QTest::newRow("same text") << u"ヤマダ"_qs << u"ヤマダ"_qs << true << true;
    QTest::newRow("voiced kana stays apart") << u"カタ"_qs << u"ガタ"_qs << false << false;
    QTest::newRow("small kana stays apart") << u"ツ"_qs << u"ッ"_qs << false << false;
}

void TstSearch::foldingFindsOtherWidthsAndKana()
{
    QFETCH(QString, stored);
    QFETCH(QString, word);
    QFETCH(bool, foundFolded);
    QFETCH(bool, foundExact);
    addUser(*m_customer, QVariant(), stored);
    addUser(*m_customer, QVariant(), u"他"_qs);
    for (bool folded : {true, false}) {
        CustomerView view(*m_customer);
        view.OpenCustomerWindow();
        view.Search(request(SearchKind::Users, word, SearchJoin::None, QString(), folded));
        const bool expected = folded ? foundFolded : foundExact;
        QCOMPARE(column(view.userRows(), 1), expected ? QStringList{stored} : QStringList{});
    }
}

void TstSearch::headingsNameTheWords_data()
{
    QTest::addColumn<SearchKind>("kind");
    QTest::addColumn<SearchJoin>("join");
    QTest::addColumn<QString>("heading");
    QTest::newRow("users and") << SearchKind::Users << SearchJoin::And
                               << u"'ﾔﾏﾀﾞ' AND '東京' の検索結果"_qs;
    QTest::newRow("subjects or") << SearchKind::Subjects << SearchJoin::Or
                                 << u"'ﾔﾏﾀﾞ' OR '東京' の検索結果"_qs;
    QTest::newRow("logs none") << SearchKind::Logs << SearchJoin::None
                               << u"'ﾔﾏﾀﾞ' '' の検索結果"_qs;
    QTest::newRow("repairs and") << SearchKind::Repairs << SearchJoin::And
                                 << u"'ﾔﾏﾀﾞ' AND '東京' の検索結果"_qs;
    QTest::newRow("unpaid or") << SearchKind::Unpaid << SearchJoin::Or
                               << u"'ﾔﾏﾀﾞ' OR '東京' の検索結果"_qs;
    QTest::newRow("repair logs none")
        << SearchKind::RepairLogs << SearchJoin::None << u"'ﾔﾏﾀﾞ' '' の検索結果"_qs;
}

void TstSearch::headingsNameTheWords()
{
    QFETCH(SearchKind, kind);
    QFETCH(SearchJoin, join);
    QFETCH(QString, heading);
    const SearchRequest r = request(kind, u"ﾔﾏﾀﾞ"_qs, join, u"東京"_qs);
    QCOMPARE(searchHeading(r), heading);
    if (searchesCustomerData(kind)) {
        CustomerView view(*m_customer);
        view.OpenCustomerWindow();
        const QString userHeading = view.userHeading();
        const QString subjectHeading = view.subjectHeading();
        const QString logHeading = view.logHeading();
        view.Search(r);
        QCOMPARE(view.userHeading(), kind == SearchKind::Users ? heading : userHeading);
        QCOMPARE(view.subjectHeading(), kind == SearchKind::Subjects ? heading : subjectHeading);
        QCOMPARE(view.logHeading(), kind == SearchKind::Logs ? heading : logHeading);
    } else {
        RepairView view(*m_repair);
        view.OpenRepairWindow();
        const QString repairHeading = view.repairHeading();
        const QString unpaidHeading = view.unpaidHeading();
        const QString logHeading = view.repairLogHeading();
        view.Search(r);
        QCOMPARE(view.repairHeading(), kind == SearchKind::Repairs ? heading : repairHeading);
        QCOMPARE(view.unpaidHeading(), kind == SearchKind::Unpaid ? heading : unpaidHeading);
        QCOMPARE(view.repairLogHeading(), kind == SearchKind::RepairLogs ? heading : logHeading);
    }
}

void TstSearch::subjectSearchShowsEveryUserAndStateUntilTheNextFilter()
{
    Database& db = *m_customer;
    const qint64 kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs);
    const qint64 aoki = addUser(db, u"ｱｵｷ"_qs, u"青木"_qs);
    addSubject(db, kato, u"複合機の保守"_qs);
    addSubject(db, kato, u"複合機の入替"_qs, u"完了"_qs);
    addSubject(db, aoki, u"複合機の見積"_qs);
    addSubject(db, aoki, u"電話"_qs);
    CustomerView view(db);
    view.OpenCustomerWindow();
    view.selectKanaRow(KanaRow::Ka);
    view.selectUser(0);
    view.setIndividual(true);
    view.setSubjectFilter(u"完了"_qs);
    const QString filterHeading = view.subjectFilterHeading();
    QCOMPARE(view.subjectRows().size(), 1);

    view.Search(request(SearchKind::Subjects, u"複合機"_qs));
    QCOMPARE(column(view.subjectRows(), 4),
             (QStringList{u"複合機の保守"_qs, u"複合機の入替"_qs, u"複合機の見積"_qs}));
    QCOMPARE(view.subjectFilterHeading(), filterHeading);

    view.setSubjectFilter(u"続行"_qs);
    QCOMPARE(column(view.subjectRows(), 4), QStringList{u"複合機の保守"_qs});
    QVERIFY(!view.subjectHeading().contains(u"検索結果"_qs));
}

void TstSearch::unpaidSearchListsUnpaidRepairsOnly_data()
{
    QTest::addColumn<SearchJoin>("join");
    QTest::addColumn<QStringList>("found");
    QTest::newRow("or") << SearchJoin::Or << QStringList{u"未入で北村"_qs, u"未入で東京"_qs};
    QTest::newRow("and") << SearchJoin::And << QStringList{u"未入で北村と東京"_qs};
}

void TstSearch::unpaidSearchListsUnpaidRepairsOnly()
{
    QFETCH(SearchJoin, join);
    QFETCH(QStringList, found);
    Database& db = *m_repair;
    const Fields unpaid{{u"入金"_qs, u"未入"_qs}};
    const Fields paid{{u"入金"_qs, u"済"_qs}};
    addRepair(db, u"未入で北村"_qs, u"北村商店"_qs, u"続行"_qs, unpaid);
    addRepair(db, u"未入で東京"_qs, u"東京電機"_qs, u"完了"_qs, unpaid);
    addRepair(db, u"未入で北村と東京"_qs, u"北村商店"_qs, u"続行"_qs,
              unpaid + Fields{{u"自宅住所"_qs, u"東京都"_qs}});
    addRepair(db, u"済で東京"_qs, u"東京電機"_qs, u"完了"_qs, paid);
    addRepair(db, u"済で北村と東京"_qs, u"北村商店"_qs, u"完了"_qs,
              paid + Fields{{u"自宅住所"_qs, u"東京都"_qs}});
    addRepair(db, u"未入で他"_qs, u"南商会"_qs, u"続行"_qs, unpaid);
    RepairView view(db);
    view.OpenRepairWindow();
    view.ToggleUnpaidList();
    view.Search(request(SearchKind::Unpaid, u"北村"_qs, join, u"東京"_qs));
    if (join == SearchJoin::Or)
        found << u"未入で北村と東京"_qs;
    std::sort(found.begin(), found.end());
    QCOMPARE(column(view.unpaidRows(), 3), found);
}

void TstSearch::repairSearchDropsTheStateFilterUntilTheNextOne()
{
    Database& db = *m_repair;
    addRepair(db, u"加藤"_qs, u"北村商店"_qs);
    addRepair(db, u"青木"_qs, u"北村商店"_qs, u"完了"_qs);
    addRepair(db, u"佐藤"_qs, u"南商会"_qs);
    RepairView view(db);
    view.OpenRepairWindow();
    view.Search(request(SearchKind::Repairs, u"北村"_qs));
    QCOMPARE(column(view.repairRows(), 3), (QStringList{u"加藤"_qs, u"青木"_qs}));
    view.SetRepairFilter(u"続行"_qs);
    QCOMPARE(column(view.repairRows(), 3), (QStringList{u"佐藤"_qs, u"加藤"_qs}));
    QVERIFY(!view.repairHeading().contains(u"検索結果"_qs));
}

void TstSearch::searchedListsKeepTheSettingsOrder()
{
    Database& db = *m_customer;
    addUser(db, u"ｱ"_qs, u"東京B"_qs, {{u"会社ＴＥＬ"_qs, u"03-2"_qs}});
    addUser(db, u"ｳ"_qs, u"東京A"_qs, {{u"会社ＴＥＬ"_qs, u"03-1"_qs}});
    addUser(db, u"ｲ"_qs, u"東京C"_qs, {{u"会社ＴＥＬ"_qs, u"03-3"_qs}});
    addUser(db, u"ｴ"_qs, u"大阪"_qs, {{u"会社ＴＥＬ"_qs, u"06-1"_qs}});
    // 会社TEL descending.
    db.exec(u"Update 設定 Set 並べ01 =1, 並べ02 =1 Where 設定ID =1"_qs);
    CustomerView view(db);
    view.OpenCustomerWindow();
    view.Search(request(SearchKind::Users, u"東京"_qs));
    const ListRows& rows = view.userRows();
    QStringList names;
    for (const QStringList& row : rows)
        names << row.value(1);
    QCOMPARE(names, (QStringList{u"東京C"_qs, u"東京B"_qs, u"東京A"_qs}));
}

void TstSearch::aKindOfTheOtherDatabaseIsRefused()
{
    CustomerView customer(*m_customer);
    customer.OpenCustomerWindow();
    QVERIFY_THROWS_EXCEPTION(Failure, customer.Search(request(SearchKind::Repairs, u"a"_qs)));
    RepairView repair(*m_repair);
    repair.OpenRepairWindow();
    QVERIFY_THROWS_EXCEPTION(Failure, repair.Search(request(SearchKind::Users, u"a"_qs)));
}

QTEST_GUILESS_MAIN(TstSearch)
#include "tst_search.moc"
