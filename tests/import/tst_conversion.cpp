#include "CliSupport.h"
#include "Fixtures.h"
#include "PreviousVersionFixture.h"
#include "TestSupport.h"

#include "import/PreviousFiles.h"
#include "import/PreviousVersion.h"
#include "import/TransferLine.h"
#include "store/Cp932.h"
#include "store/Database.h"
#include "store/Failure.h"

#include <QDir>
#include <QTemporaryDir>
#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

using Old = PreviousFolder;

// The rows of a query, each value as text (Null as <null>).
QList<QStringList> rowsOf(Database& db, const QString& sql)
{
    QList<QStringList> rows;
    db.forEachRow(sql, {}, [&](const Row& row) {
        QStringList values;
        for (const QVariant& v : row.values())
            values << (v.isNull() ? u"<null>"_qs : v.toString());
        rows << values;
    });
    return rows;
}

QList<QStringList> fileLines(const QString& path)
{
    TransferReader in(path);
    QList<QStringList> lines;
    QStringList v;
    while (in.next(&v))
        lines << v;
    return lines;
}

// Old user 1 (of three) with a person and a company customer, subjects in
// both states with logs, and one customer in each further kana-row file;
// old user 2 with a customer of its own.
void writeCustomers(Old& old)
{
    old.setUsers({{u"旧山田"_qs, u"旧鈴木"_qs}, {u"旧①佐藤"_qs}});
    Old::Customer person{1,
                         u"あおき①"_qs,
                         u"青木 髙﨑"_qs,
                         u"㈱青木"_qs,
                         u"営業部"_qs,
                         u"自由～値"_qs,
                         u"03-1111-1111"_qs,
                         u"03-2222-2222"_qs,
                         u"aoki@example.jp"_qs,
                         u"備考, \"引用\" C:\\ﾌｫﾙﾀﾞ"_qs,
                         {}};
    person.subjects.push_back({1,
                               u"2001/4/5"_qs,
                               u"三"_qs,
                               u"四"_qs,
                               u"終わった件名"_qs,
                               u"終"_qs,
                               {{u"2001/4/6"_qs, u"記録者①"_qs, u"一行目\r\n二行目"_qs},
                                {u"H13.4.7"_qs, u"記録者"_qs, u"ログ二"_qs}}});
    person.subjects.push_back({.key = 2,
                               .date = u"未定"_qs,
                               .third = u"三"_qs,
                               .title = u"続く件名"_qs,
                               .state = u"続"_qs});
    old.addCustomer(1, u"あ行"_qs, person);
    Old::Customer company{.key = 2,
                          .reading = u"かぶしきがいしゃ"_qs,
                          .company = u"㈱加藤商会"_qs,
                          .department = u"総務"_qs,
                          .tel = u"06-3333"_qs,
                          .fax = u"06-4444"_qs,
                          .mail = u"kato@example.jp"_qs};
    company.subjects.push_back({.key = 7,
                                .date = u"#2003-08-19#"_qs,
                                .title = u"会社の件名"_qs,
                                .logs = {{u"2003/08/20"_qs, u"加藤"_qs, u"会社のログ"_qs}}});
    old.addCustomer(1, u"か行"_qs, company);
    for (int i = 2; i < Old::kanaRows().size(); ++i) {
        const QString row = Old::kanaRows()[i];
        old.addCustomer(1, row, {.key = i + 1, .reading = row, .name = u"客"_qs + row});
    }
    old.addCustomer(2, u"は行"_qs, {.key = 1, .reading = u"ほかのひと"_qs, .name = u"他の人"_qs});
}

void writeRepairs(Old& old)
{
    old.addRepair(true, {5,
                         u"2002/1/2"_qs,
                         u"田中"_qs,
                         u"田中工業"_qs,
                         u"03-5555"_qs,
                         u"03-6666"_qs,
                         u"東京都①"_qs,
                         u"メーカー㈱"_qs,
                         u"AB-1"_qs,
                         u"S-01"_qs,
                         u"電源"_qs,
                         u"担当"_qs,
                         u"10"_qs,
                         u"電源が入らない"_qs,
                         u"終"_qs,
                         {{u"2002/1/3"_qs, u"担当"_qs, u"受付"_qs},
                          {u"2002/1/9"_qs, u"担当"_qs, u"返却"_qs}}});
    old.addRepair(true, {.key = 6,
                         .date = u"不明"_qs,
                         .company = u"大阪商事"_qs,
                         .companyTel = u"06-7777"_qs,
                         .address = u"大阪府"_qs,
                         .maker = u"メーカー"_qs,
                         .model = u"CD-2"_qs,
                         .flags = u"1"_qs,
                         .fault = u"音が出ない"_qs,
                         .logs = {{u"2002/2/1"_qs, u"係"_qs, u"会社のログ"_qs}}});
    old.addRepair(false, {.key = 9,
                          .date = u"2002/3/4"_qs,
                          .customer = u"伊藤"_qs,
                          .homeTel = u"045-888"_qs,
                          .address = u"横浜市"_qs,
                          .maker = u"メーカー"_qs,
                          .model = u"EF-3"_qs,
                          .flags = u"110"_qs,
                          .fault = u"～割れ～"_qs,
                          .state = u"続"_qs,
                          .logs = {{u"2002/3/5"_qs, u"係"_qs, u"部品待ち①"_qs}}});
}

// A conversion that must fail: its message, with the destination and the
// temporary folder left as they were.
template <typename Run>
QString failureOf(Run run, const QString& destinationFile, const QString& tmp)
{
    const QString before = databaseContents(destinationFile);
    const QStringList temporary = QDir(tmp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries);
    QString message;
    try {
        run();
    } catch (const Failure& e) {
        // What the engine said stays in the detail, after the message.
        message = e.message() + (e.detail().isEmpty() ? QString() : u"\n[詳細] "_qs + e.detail());
    }
    if (databaseContents(destinationFile) != before)
        return u"the destination changed"_qs;
    if (QDir(tmp).entryList(QDir::NoDotAndDotDot | QDir::AllEntries) != temporary)
        return u"intermediate files were left"_qs;
    return message.isEmpty() ? u"reported success"_qs : message;
}

// Points the system's temporary folder at a folder of the test.
class PrivateTemp
{
public:
    PrivateTemp() : m_old(qgetenv("TMPDIR")) { qputenv("TMPDIR", QFile::encodeName(m_dir.path())); }
    ~PrivateTemp() { qputenv("TMPDIR", m_old); }
    QString path() const { return m_dir.path(); }

private:
    QTemporaryDir m_dir;
    QByteArray m_old;
};

// One conversion's world: a data folder, an old folder, and the system's
// temporary folder pointed at a folder of the test (made after the old one,
// which is not the run's).
struct Scene
{
    TempDataFolder data;
    QTemporaryDir oldDir;
    PrivateTemp tmp;
    Old old{oldDir.path()};
};

// Progress that writes down every text it is shown.
ImportProgress recording(QStringList* said)
{
    ImportProgress progress;
    progress.progress = [said](const QString& text, qint64 done, qint64 total) {
        *said << importProgressText(text, done, total);
    };
    progress.status = [said](const QString& text) { *said << text; };
    return progress;
}

} // namespace

class TstConversion : public QObject
{
    Q_OBJECT
private slots:
    void previousDates_data();
    void previousDates();
    void sskRecords_data();
    void sskRecords();
    void previousUsers_data();
    void previousUsers();
    void customersAreConvertedRowByRow();
    void intermediateFilesHoldTheirPositions();
    void repairsAreConvertedRowByRow();
    void exactlyOneRepairIsConverted();
    void aMissingFileStopsTheConversion_data();
    void aMissingFileStopsTheConversion();
    void aBadRecordIsNamedWithItsLine_data();
    void aBadRecordIsNamedWithItsLine();
    void aFailureWhileAddingAddsNothing();
    void cliConvertsAndRefuses();
};

void TstConversion::previousDates_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<QString>("stored");
    QTest::newRow("slashes") << u"2001/4/5"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("padded") << u"2001/04/05"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("hyphens") << u"2001-04-05"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("dots") << u"2001.4.5"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("kanji") << u"2001年4月5日"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("hashes") << u"#2001-04-05#"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("with time") << u"2001/04/05 10:30:00"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("already stored") << u"2001/04/05(木)"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("wrong weekday") << u"2001/04/05(月)"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("full width") << u"２００１／４／５"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("two-digit 2000s") << u"01/04/05"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("two-digit 1900s") << u"99/12/31"_qs << u"1999/12/31(金)"_qs;
    QTest::newRow("Heisei letter") << u"H13.4.5"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("Heisei kanji") << u"平成13年4月5日"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("Heisei sign") << u"㍻13/4/5"_qs << u"2001/04/05(木)"_qs;
    QTest::newRow("Reiwa first year") << u"令和元年5月1日"_qs << u"2019/05/01(水)"_qs;
    QTest::newRow("Showa") << u"S64/1/7"_qs << u"1989/01/07(土)"_qs;
    QTest::newRow("leap day") << u"2000/2/29"_qs << u"2000/02/29(火)"_qs;
    QTest::newRow("empty") << QString() << QString();
    QTest::newRow("text") << u"未定"_qs << u"未定"_qs;
    QTest::newRow("no 13th month") << u"2001/13/01"_qs << u"2001/13/01"_qs;
    QTest::newRow("no 30 February") << u"2001/02/30"_qs << u"2001/02/30"_qs;
    QTest::newRow("no leap day") << u"2001/2/29"_qs << u"2001/2/29"_qs;
    QTest::newRow("three-digit year") << u"201/4/5"_qs << u"201/4/5"_qs;
    QTest::newRow("digits only") << u"20010405"_qs << u"20010405"_qs;
    QTest::newRow("text first") << u"頃 2001/4/5"_qs << u"頃 2001/4/5"_qs;
    QTest::newRow("era year zero") << u"H0/1/1"_qs << u"H0/1/1"_qs;
}

void TstConversion::previousDates()
{
    QFETCH(QString, value);
    QFETCH(QString, stored);
    QCOMPARE(previousDateText(value), stored);
}

void TstConversion::sskRecords_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QList<QStringList>>("records");
    QTest::addColumn<QList<qint64>>("lines");
    QString refused;
    auto cp = [&refused](const QString& s) { return encodeCp932(s, &refused); };
    QTest::newRow("numbers and text")
        << QByteArray("12,\"abc\",\"\"\r\n") << QList<QStringList>{{u"12"_qs, u"abc"_qs, u""_qs}}
        << QList<qint64>{1};
    QTest::newRow("commas inside quotes")
        << QByteArray("\"a,b\",c\r\n\"d\"\r\n")
        << QList<QStringList>{{u"a,b"_qs, u"c"_qs}, {u"d"_qs}} << QList<qint64>{1, 2};
    QTest::newRow("a line break inside quotes")
        << QByteArray("\"one\r\ntwo\",2\r\n\"three\"\r\n")
        << QList<QStringList>{{u"one\r\ntwo"_qs, u"2"_qs}, {u"three"_qs}} << QList<qint64>{1, 3};
    QTest::newRow("blank lines skipped")
        << QByteArray("\r\n\"a\"\r\n  \r\n\r\n\"b\"\r\n\r\n")
        << QList<QStringList>{{u"a"_qs}, {u"b"_qs}} << QList<qint64>{2, 5};
    QTest::newRow("backslash is the yen sign")
        << QByteArray("\"\\1000\",\"C:\\\"\r\n") << QList<QStringList>{{u"\\1000"_qs, u"C:\\"_qs}}
        << QList<qint64>{1};
    QTest::newRow("quote inside text")
        << QByteArray("\"say \"hi\" now\",x\r\n")
        << QList<QStringList>{{u"say \"hi\" now"_qs, u"x"_qs}} << QList<qint64>{1};
    QTest::newRow("hashes and spaces")
        << QByteArray("#2001-04-05# , 7 ,\"a\" \r\n")
        << QList<QStringList>{{u"2001-04-05"_qs, u"7"_qs, u"a"_qs}} << QList<qint64>{1};
    QTest::newRow("empty values") << QByteArray(",,\r\n")
                                  << QList<QStringList>{{u""_qs, u""_qs, u""_qs}}
                                  << QList<qint64>{1};
    QTest::newRow("no last line break")
        << QByteArray("\"a\"\r\n\"b\"") << QList<QStringList>{{u"a"_qs}, {u"b"_qs}}
        << QList<qint64>{1, 2};
    QTest::newRow("Ctrl+Z at the end")
        << QByteArray("\"a\"\r\n\x1a") << QList<QStringList>{{u"a"_qs}} << QList<qint64>{1};
    QTest::newRow("LF and CR endings")
        << QByteArray("\"a\"\n\"b\"\r\"c\"") << QList<QStringList>{{u"a"_qs}, {u"b"_qs}, {u"c"_qs}}
        << QList<qint64>{1, 2, 3};
    QTest::newRow("no closing quote")
        << QByteArray("\"a\",\"open\r\nrest") << QList<QStringList>{{u"a"_qs, u"open\r\nrest"_qs}}
        << QList<qint64>{1};
    QTest::newRow("CP932 extensions")
        << cp(u"\"①㈱～髙﨑ソ表\",\"ﾊﾝｶｸ\"\r\n"_qs)
        << QList<QStringList>{{u"①㈱～髙﨑ソ表"_qs, u"ﾊﾝｶｸ"_qs}} << QList<qint64>{1};
    QTest::newRow("bytes CP932 leaves undefined")
        << QByteArray("\"a\x80"
                      "b\xa0"
                      "c\xfd\xfe\xff\"\r\n")
        << QList<QStringList>{{u"a\u0080b\uF8F0c\uF8F1\uF8F2\uF8F3"_qs}} << QList<qint64>{1};
    QVERIFY(refused.isEmpty());
}

void TstConversion::sskRecords()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QList<QStringList>, records);
    QFETCH(QList<qint64>, lines);
    SskReader reader(bytes);
    SskRecord record;
    QList<QStringList> read;
    QList<qint64> at;
    while (reader.next(&record)) {
        read << record.values;
        at << record.line;
    }
    QCOMPARE(read, records);
    QCOMPARE(at, lines);
}

void TstConversion::previousUsers_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QStringList>("names");
    QTest::addColumn<QString>("error");
    QTest::newRow("groups on lines") << QByteArray("2\r\n\"a\",\"b\"\r\n1\r\n\"c\"\r\n")
                                     << QStringList{u"a"_qs, u"b"_qs, u"c"_qs} << QString();
    QTest::newRow("one value a line") << QByteArray("1\r\n\"a\"\r\n2\r\n\"b\"\r\n\"c\"\r\n")
                                      << QStringList{u"a"_qs, u"b"_qs, u"c"_qs} << QString();
    QTest::newRow("all on one line")
        << QByteArray("1,\"a\",0,1,\"b\"\r\n") << QStringList{u"a"_qs, u"b"_qs} << QString();
    QTest::newRow("empty file") << QByteArray() << QStringList{} << QString();
    QTest::newRow("names missing")
        << QByteArray("1\r\n\"a\"\r\n3\r\n\"b\"\r\n") << QStringList{}
        << u"ユーザー.ssk の 3 行目の人数だけ名前がありません（あと 2 人）。"_qs;
    QTest::newRow("count not a number")
        << QByteArray("1\r\n\"a\"\r\n\"b\"\r\n") << QStringList{}
        << u"ユーザー.ssk の 3 行目: 人数のはずの値が数ではありません: b"_qs;
    QTest::newRow("negative count")
        << QByteArray("-1\r\n") << QStringList{}
        << u"ユーザー.ssk の 1 行目: 人数のはずの値が数ではありません: -1"_qs;
}

void TstConversion::previousUsers()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QStringList, names);
    QFETCH(QString, error);
    try {
        QCOMPARE(previousUsersFrom(bytes, u"ユーザー.ssk"_qs), names);
        QVERIFY(error.isEmpty());
    } catch (const Failure& e) {
        QCOMPARE(e.message(), error);
    }
}

void TstConversion::customersAreConvertedRowByRow()
{
    Scene scene;
    Old& old = scene.old;
    writeCustomers(old);
    old.write();
    QCOMPARE(PreviousVersionUsers(old.path()),
             (QStringList{u"旧山田"_qs, u"旧鈴木"_qs, u"旧①佐藤"_qs}));
    makeOperator(u"受付"_qs);
    {
        // Keys 13 to 15 deleted: the new users get the keys the destination gives.
        Database dst = Database::open(customerFile(u"受付"_qs));
        for (int i = 1; i <= 15; ++i)
            addUser(dst, u"ｷ"_qs, QStringLiteral("既存%1").arg(i));
        dst.exec(u"DELETE FROM ユーザー WHERE ユーザーID >= 13"_qs);
        const qint64 u = addUser(dst, u"ｷ"_qs, u"既存の客"_qs);
        addLog(dst, addSubject(dst, u, u"既存の件名"_qs), u, u"既存のログ"_qs);
    }
    QStringList said;
    const ImportProgress progress = recording(&said);
    const TransferResult result = ConvertPreviousCustomerData(old.path(), 1, u"受付"_qs, progress);
    QCOMPARE(result.summary(), u"ユーザー 12 件、件名 3 件、ログ 3 件を追加しました。"_qs);
    QVERIFY(said.contains(u"ﾕｰｻﾞｰ情報追加100%完了"_qs));
    QVERIFY(said.contains(u"ﾕｰｻﾞｰ情報取り込み完了"_qs));
    QVERIFY(said.contains(u"件名情報追加100%完了"_qs));
    QVERIFY(said.contains(u"ログ情報追加100%完了"_qs));
    QCOMPARE(said.last(), u"取り込み完了"_qs);

    Database dst = Database::open(customerFile(u"受付"_qs));
    const QString userColumns =
        u"表示ふりがな, 表示名, ユーザー名ふりがな, ユーザー名, 自宅TEL, 自宅FAX, 自宅住所, "
        u"会社名ふりがな, 会社名, 部署, 会社TEL, 会社FAX, 会社住所, [E-MAIL], URL, 備考, "
        u"自由項目01, 自由項目02, 自由項目03, 自由項目04, 自由項目05"_qs;
    const QList<QStringList> users =
        rowsOf(dst, u"SELECT "_qs + userColumns +
                        u" FROM ユーザー WHERE ユーザーID > 16 ORDER BY ユーザーID"_qs);
    QCOMPARE(users.size(), 12);
    const QString e;
    QCOMPARE(users[0], (QStringList{u"あおき①"_qs,
                                    u"青木 髙﨑"_qs,
                                    u"あおき①"_qs,
                                    u"青木 髙﨑"_qs,
                                    u"03-1111-1111"_qs,
                                    u"03-2222-2222"_qs,
                                    e,
                                    e,
                                    u"㈱青木"_qs,
                                    u"営業部"_qs,
                                    e,
                                    e,
                                    e,
                                    u"aoki@example.jp"_qs,
                                    e,
                                    u"備考, \"引用\" C:\\ﾌｫﾙﾀﾞ"_qs,
                                    u"自由～値"_qs,
                                    e,
                                    e,
                                    e,
                                    e}));
    QCOMPARE(users[1], (QStringList{u"かぶしきがいしゃ"_qs,
                                    u"㈱加藤商会"_qs,
                                    e,
                                    e,
                                    e,
                                    e,
                                    e,
                                    u"かぶしきがいしゃ"_qs,
                                    u"㈱加藤商会"_qs,
                                    u"総務"_qs,
                                    u"06-3333"_qs,
                                    u"06-4444"_qs,
                                    e,
                                    u"kato@example.jp"_qs,
                                    e,
                                    e,
                                    e,
                                    e,
                                    e,
                                    e,
                                    e}));
    // One customer from each further kana-row file, in the order of the files.
    for (int i = 2; i < 12; ++i)
        QCOMPARE(users[i].value(1), u"客"_qs + Old::kanaRows()[i]);
    // Subjects under their own user, with the state carried over.
    QCOMPARE(rowsOf(dst, u"SELECT u.表示名, s.登録日, s.件名, s.備考, s.判定 FROM 件名 s "
                         u"INNER JOIN ユーザー u ON s.ユーザーID = u.ユーザーID "
                         u"WHERE s.件名ID > 1 ORDER BY s.件名ID"_qs),
             (QList<QStringList>{
                 {u"青木 髙﨑"_qs, u"2001/04/05(木)"_qs, u"終わった件名"_qs, e, u"完了"_qs},
                 {u"青木 髙﨑"_qs, u"未定"_qs, u"続く件名"_qs, e, u"続行"_qs},
                 {u"㈱加藤商会"_qs, u"2003/08/19(火)"_qs, u"会社の件名"_qs, e, u"続行"_qs}}));
    // Logs under their own subject and its user.
    QCOMPARE(rowsOf(dst,
                    u"SELECT s.件名, u.表示名, l.登録日, l.記録者, l.ログ FROM (ログ l "
                    u"INNER JOIN 件名 s ON l.件名ID = s.件名ID) "
                    u"INNER JOIN ユーザー u ON l.ユーザーID = u.ユーザーID "
                    u"WHERE s.ユーザーID = l.ユーザーID AND l.ログID > 1 ORDER BY l.ログID"_qs),
             (QList<QStringList>{{u"終わった件名"_qs, u"青木 髙﨑"_qs, u"2001/04/06(金)"_qs,
                                  u"記録者①"_qs, u"一行目\r\n二行目"_qs},
                                 {u"終わった件名"_qs, u"青木 髙﨑"_qs, u"2001/04/07(土)"_qs,
                                  u"記録者"_qs, u"ログ二"_qs},
                                 {u"会社の件名"_qs, u"㈱加藤商会"_qs, u"2003/08/20(水)"_qs,
                                  u"加藤"_qs, u"会社のログ"_qs}}));
    // What was there stays.
    QCOMPARE(columnOf(dst, u"SELECT 表示名 FROM ユーザー WHERE ユーザーID = 16"_qs),
             QStringList{u"既存の客"_qs});

    // The second old user's folder is its own.
    makeOperator(u"二人目"_qs);
    QCOMPARE(ConvertPreviousCustomerData(old.path(), 2, u"二人目"_qs).users, 1);
    Database second = Database::open(customerFile(u"二人目"_qs));
    QCOMPARE(columnOf(second, u"SELECT 表示名 FROM ユーザー"_qs), QStringList{u"他の人"_qs});
}

void TstConversion::intermediateFilesHoldTheirPositions()
{
    Scene scene;
    Old& old = scene.old;
    QTemporaryDir keep;
    writeCustomers(old);
    writeRepairs(old);
    old.write();
    makeOperator(u"受付"_qs);
    makeRepairAccount(u"修理"_qs);
    ConvertPreviousCustomerData(old.path(), 1, u"受付"_qs, {}, keep.path());
    const QList<QStringList> users = fileLines(keep.filePath(u"ﾕｰｻﾞｰ.csv"_qs));
    QCOMPARE(users.size(), 12);
    for (int i = 0; i < users.size(); ++i) {
        QCOMPARE(users[i].size(), 22);
        QCOMPARE(users[i][0], QString::number(i + 1));
    }
    QCOMPARE(fileLines(keep.filePath(u"件名.csv"_qs)),
             (QList<QStringList>{
                 {u"1"_qs, u"1"_qs, u"2001/04/05(木)"_qs, u"三"_qs, u"終わった件名"_qs, QString(),
                  u"完了"_qs},
                 // value 3 is carried only when value 4 is not empty
                 {u"2"_qs, u"1"_qs, u"未定"_qs, QString(), u"続く件名"_qs, QString(), u"続行"_qs},
                 {u"3"_qs, u"2"_qs, u"2003/08/19(火)"_qs, QString(), u"会社の件名"_qs, QString(),
                  u"続行"_qs}}));
    QCOMPARE(fileLines(keep.filePath(u"ログ.csv"_qs)),
             (QList<QStringList>{
                 {u"1"_qs, u"1"_qs, u"1"_qs, u"2001/04/06(金)"_qs, u"記録者①"_qs,
                  u"一行目\r\n二行目"_qs},
                 {u"2"_qs, u"1"_qs, u"1"_qs, u"2001/04/07(土)"_qs, u"記録者"_qs, u"ログ二"_qs},
                 {u"3"_qs, u"3"_qs, u"2"_qs, u"2003/08/20(水)"_qs, u"加藤"_qs, u"会社のログ"_qs}}));
    ConvertPreviousRepairData(old.path(), u"修理"_qs, {}, keep.path());
    const QList<QStringList> repairs = fileLines(keep.filePath(u"修理.csv"_qs));
    QCOMPARE(repairs.size(), 3);
    QCOMPARE(repairs[0], (QStringList{u"1"_qs, u"完了"_qs, u"2002/01/02(水)"_qs, u"田中"_qs,
                                      u"田中工業"_qs, u"03-5555"_qs, QString(), u"03-6666"_qs,
                                      u"東京都①"_qs, u"メーカー㈱"_qs, u"AB-1"_qs, u"S-01"_qs,
                                      u"電源"_qs, u"担当"_qs, u"10"_qs, u"電源が入らない"_qs}));
    QCOMPARE(
        fileLines(keep.filePath(u"修理ログ.csv"_qs)),
        (QList<QStringList>{{u"1"_qs, u"1"_qs, u"2002/01/03(木)"_qs, u"担当"_qs, u"受付"_qs},
                            {u"2"_qs, u"1"_qs, u"2002/01/09(水)"_qs, u"担当"_qs, u"返却"_qs},
                            {u"3"_qs, u"2"_qs, u"2002/02/01(金)"_qs, u"係"_qs, u"会社のログ"_qs},
                            {u"4"_qs, u"3"_qs, u"2002/03/05(火)"_qs, u"係"_qs, u"部品待ち①"_qs}}));
}

void TstConversion::repairsAreConvertedRowByRow()
{
    Scene scene;
    Old& old = scene.old;
    writeRepairs(old);
    old.write();
    makeRepairAccount(u"修理"_qs);
    {
        Database dst = Database::open(repairFile(u"修理"_qs));
        for (int i = 0; i < 4; ++i)
            addRepair(dst, u"既存"_qs, QString(), u"完了"_qs);
        dst.exec(u"DELETE FROM 修理 WHERE 修理ID >= 3"_qs);
    }
    QStringList said;
    const ImportProgress progress = recording(&said);
    const TransferResult result = ConvertPreviousRepairData(old.path(), u"修理"_qs, progress);
    QCOMPARE(result.summary(), u"修理 3 件、修理ログ 4 件を追加しました。"_qs);
    QVERIFY(said.contains(u"修理情報を取り込みます"_qs));
    QVERIFY(said.contains(u"修理情報追加100%完了"_qs));
    QVERIFY(said.contains(u"修理情報取り込み完了"_qs));
    QVERIFY(said.contains(u"修理ログ情報追加100%完了"_qs));
    QCOMPARE(said.last(), u"取り込み完了"_qs);
    QVERIFY(QDir(scene.tmp.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries).isEmpty());

    Database dst = Database::open(repairFile(u"修理"_qs));
    const QString e;
    QCOMPARE(
        rowsOf(dst, u"SELECT 判定, 受付日, お客様名, 会社名, 会社TEL, 会社住所, 自宅TEL, "
                    u"自宅住所, メーカー名, 型番, シリアル, 付属品, 担当者, 見積納期, 故障内容, "
                    u"メーカー受付番号 FROM 修理 WHERE お客様名 Is Null Or お客様名 <> '既存' "
                    u"ORDER BY 修理ID"_qs),
        (QList<QStringList>{
            {u"完了"_qs, u"2002/01/02(水)"_qs, u"田中"_qs, u"田中工業"_qs, u"03-5555"_qs, e,
             u"03-6666"_qs, u"東京都①"_qs, u"メーカー㈱"_qs, u"AB-1"_qs, u"S-01"_qs, u"電源"_qs,
             u"担当"_qs, u"10"_qs, u"電源が入らない"_qs, u"<null>"_qs},
            // no customer name: the address is the company's; any state but 続 is 完了
            {u"完了"_qs, u"不明"_qs, e, u"大阪商事"_qs, u"06-7777"_qs, u"大阪府"_qs, e, e,
             u"メーカー"_qs, u"CD-2"_qs, e, e, e, u"1"_qs, u"音が出ない"_qs, u"<null>"_qs},
            {u"続行"_qs, u"2002/03/04(月)"_qs, u"伊藤"_qs, e, e, e, u"045-888"_qs, u"横浜市"_qs,
             u"メーカー"_qs, u"EF-3"_qs, e, e, e, u"11"_qs, u"～割れ～"_qs, u"<null>"_qs}}));
    QCOMPARE(rowsOf(dst, u"SELECT r.型番, l.記録日, l.記録者, l.ログ FROM 修理ログ l "
                         u"INNER JOIN 修理 r ON l.修理ID = r.修理ID ORDER BY l.修理ログID"_qs),
             (QList<QStringList>{{u"AB-1"_qs, u"2002/01/03(木)"_qs, u"担当"_qs, u"受付"_qs},
                                 {u"AB-1"_qs, u"2002/01/09(水)"_qs, u"担当"_qs, u"返却"_qs},
                                 {u"CD-2"_qs, u"2002/02/01(金)"_qs, u"係"_qs, u"会社のログ"_qs},
                                 {u"EF-3"_qs, u"2002/03/05(火)"_qs, u"係"_qs, u"部品待ち①"_qs}}));
}

void TstConversion::exactlyOneRepairIsConverted()
{
    Scene scene;
    Old& old = scene.old;
    old.addRepair(false, {.key = 1,
                          .date = u"2002/3/4"_qs,
                          .customer = u"伊藤"_qs,
                          .flags = u"0"_qs,
                          .state = u"続"_qs,
                          .logs = {{u"2002/3/5"_qs, u"係"_qs, u"一つだけ"_qs}}});
    old.write();
    makeRepairAccount(u"修理"_qs);
    QCOMPARE(ConvertPreviousRepairData(old.path(), u"修理"_qs).summary(),
             u"修理 1 件、修理ログ 1 件を追加しました。"_qs);
    Database dst = Database::open(repairFile(u"修理"_qs));
    QCOMPARE(columnOf(dst, u"SELECT お客様名 FROM 修理"_qs), QStringList{u"伊藤"_qs});
    QCOMPARE(columnOf(dst, u"SELECT ログ FROM 修理ログ"_qs), QStringList{u"一つだけ"_qs});
}

void TstConversion::aMissingFileStopsTheConversion_data()
{
    QTest::addColumn<bool>("repair");
    QTest::addColumn<QString>("file");
    QTest::newRow("kana-row file") << false << u"1/その他.ssk"_qs;
    QTest::newRow("subjects of a customer (K_.ssk)") << false << u"1/2_.ssk"_qs;
    QTest::newRow("logs of a subject (K_S.ssk)") << false << u"1/1_2.ssk"_qs;
    QTest::newRow("the folder of the user") << false << u"1"_qs;
    QTest::newRow("unfinished repairs") << true << u"修理関係/終了していない修理.ssk"_qs;
    QTest::newRow("logs of a repair (R.ssk)") << true << u"修理関係/9.ssk"_qs;
}

void TstConversion::aMissingFileStopsTheConversion()
{
    QFETCH(bool, repair);
    QFETCH(QString, file);
    Scene scene;
    Old& old = scene.old;
    writeCustomers(old);
    writeRepairs(old);
    old.write();
    QVERIFY(QFileInfo(old.file(file)).isDir() ? QDir(old.file(file)).removeRecursively()
                                              : QFile::remove(old.file(file)));
    makeOperator(u"受付"_qs);
    makeRepairAccount(u"修理"_qs);
    const QString message =
        repair ? failureOf([&] { ConvertPreviousRepairData(old.path(), u"修理"_qs); },
                           repairFile(u"修理"_qs), scene.tmp.path())
               : failureOf([&] { ConvertPreviousCustomerData(old.path(), 1, u"受付"_qs); },
                           customerFile(u"受付"_qs), scene.tmp.path());
    const QString named = file == u"1" ? u"1/あ行.ssk"_qs : file;
    QCOMPARE(message, u"取り込みに失敗しました。\nファイルが読めません: "_qs + old.file(named));
}

void TstConversion::aBadRecordIsNamedWithItsLine_data()
{
    QTest::addColumn<QString>("file");
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("error");
    const QByteArray customer = Old::line(
        {u"1"_qs, u"あ"_qs, u"青木"_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs}, 1);
    QTest::newRow("short last customer")
        << u"1/あ行.ssk"_qs
        << customer + Old::line({u"2"_qs, u"い"_qs, u"伊藤"_qs, u""_qs, u""_qs, u""_qs, u""_qs}, 1)
        << u"の 2 行目の値が足りません（10 個のはずが 7 個です）。"_qs;
    QTest::newRow("truncated customer file")
        << u"1/あ行.ssk"_qs << customer.left(19)
        << u"の 1 行目の値が足りません（10 個のはずが 5 個です）。"_qs;
    QTest::newRow("a value too many")
        << u"1/あ行.ssk"_qs << customer.chopped(2) + QByteArray(",\"x\"\r\n")
        << u"の 1 行目の値が多すぎます（10 個のはずが 11 個です）。"_qs;
    QTest::newRow("short log record")
        << u"1/1_1.ssk"_qs
        << Old::line({u"1"_qs, u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs, u"e"_qs}, 1) +
               Old::line({u"0"_qs, u"2001/4/6"_qs, u"記録者"_qs}, 1)
        << u"の 2 行目の値が足りません（4 個のはずが 3 個です）。"_qs;
    QTest::newRow("short subject header")
        << u"1/2_.ssk"_qs << Old::line({u"2"_qs, u"かぶしきがいしゃ"_qs}, 1)
        << u"の 1 行目の値が足りません（10 個のはずが 2 個です）。"_qs;
    QTest::newRow("a key that leaves the folder")
        << u"1/か行.ssk"_qs
        << Old::line({u"../../x"_qs, u"か"_qs, u"加藤"_qs, u""_qs, u""_qs, u""_qs, u""_qs, u""_qs,
                      u""_qs, u""_qs})
        << u"の 1 行目のキーがファイル名になりません: ../../x"_qs;
}

void TstConversion::aBadRecordIsNamedWithItsLine()
{
    QFETCH(QString, file);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, error);
    Scene scene;
    Old& old = scene.old;
    writeCustomers(old);
    old.write();
    old.writeRaw(file, bytes);
    makeOperator(u"受付"_qs);
    const QString message =
        failureOf([&] { ConvertPreviousCustomerData(old.path(), 1, u"受付"_qs); },
                  customerFile(u"受付"_qs), scene.tmp.path());
    QCOMPARE(message, u"取り込みに失敗しました。\n"_qs + old.file(file) + u" "_qs + error);
}

void TstConversion::aFailureWhileAddingAddsNothing()
{
    Scene scene;
    Old& old = scene.old;
    writeCustomers(old);
    old.write();
    makeOperator(u"受付"_qs);
    {
        Database dst = Database::open(customerFile(u"受付"_qs));
        addUser(dst, u"ｷ"_qs, u"既存"_qs);
        // The last log cannot be stored: users and subjects are in by then.
        dst.execRaw(u"CREATE TRIGGER stop BEFORE INSERT ON \"ログ\" WHEN NEW.\"ログ\" = "
                    u"'会社のログ' BEGIN SELECT RAISE(ABORT, '書けません'); END"_qs);
    }
    const QString message =
        failureOf([&] { ConvertPreviousCustomerData(old.path(), 1, u"受付"_qs); },
                  customerFile(u"受付"_qs), scene.tmp.path());
    QVERIFY2(message.startsWith(u"取り込みに失敗しました。\n"_qs), qPrintable(message));
    QVERIFY2(message.contains(u"書けません"_qs), qPrintable(message));
}

void TstConversion::cliConvertsAndRefuses()
{
    Scene scene;
    Old& old = scene.old;
    writeCustomers(old);
    writeRepairs(old);
    old.write();
    makeOperator(u"受付"_qs);
    makeRepairAccount(u"修理"_qs);
    CliRun r = runCliHere({u"convert"_qs, u"users"_qs, old.path()});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out, u"1\t旧山田\n2\t旧鈴木\n3\t旧①佐藤\n"_qs);

    const QString before = databaseContents(customerFile(u"受付"_qs));
    for (const QStringList& refused :
         {QStringList{u"convert"_qs, u"customer"_qs, old.path(), u"--user"_qs, u"4"_qs, u"受付"_qs},
          QStringList{u"convert"_qs, u"customer"_qs, old.path(), u"--user"_qs, u"0"_qs, u"受付"_qs},
          QStringList{u"convert"_qs, u"customer"_qs, old.path(), u"受付"_qs},
          QStringList{u"convert"_qs, u"customer"_qs, old.path(), u"--user"_qs, u"1"_qs, u"無い"_qs},
          QStringList{u"convert"_qs, u"users"_qs, old.file(u"修理関係"_qs)},
          QStringList{u"convert"_qs, u"sideways"_qs, old.path()}}) {
        r = runCliHere(refused);
        QVERIFY2(r.status != 0, qPrintable(refused.join(u' ')));
        QVERIFY(!r.err.isEmpty());
        QVERIFY(r.out.isEmpty());
    }
    QCOMPARE(databaseContents(customerFile(u"受付"_qs)), before);

    r = runCliHere({u"convert"_qs, u"customer"_qs, old.path(), u"--user"_qs, u"1"_qs, u"受付"_qs});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out, u"ユーザー 12 件、件名 3 件、ログ 3 件を追加しました。\n"_qs);
    QVERIFY(r.err.contains(u"ﾕｰｻﾞｰ情報追加100%完了\n"_qs));
    QVERIFY(r.err.endsWith(u"取り込み完了\n"_qs));

    QFile::remove(old.file(u"修理関係/5.ssk"_qs));
    const QString repairsBefore = databaseContents(repairFile(u"修理"_qs));
    r = runCliHere({u"convert"_qs, u"repair"_qs, old.path(), u"修理"_qs});
    QCOMPARE(r.status, 1);
    QVERIFY(r.err.contains(u"ファイルが読めません: "_qs + old.file(u"修理関係/5.ssk"_qs)));
    QCOMPARE(databaseContents(repairFile(u"修理"_qs)), repairsBefore);
    writeRepairs(old); // the fixture again, with 5.ssk
    old.write();
    r = runCliHere({u"convert"_qs, u"repair"_qs, old.path(), u"修理"_qs});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(r.out, u"修理 6 件、修理ログ 8 件を追加しました。\n"_qs);
}

QTEST_GUILESS_MAIN(TstConversion)
#include "tst_conversion.moc"
