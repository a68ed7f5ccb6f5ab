#include "CliSupport.h"
#include "CoreTestSupport.h"
#include "PgCluster.h"
#include "admin/AccountAdmin.h"
#include "admin/WindowsMigration.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerStorage.h"
#include "repair/MakerStorage.h"
#include "repair/RepairStorage.h"
#include "store/Accounts.h"
#include "store/Cp932.h"
#include "store/Database.h"
#include "store/DateText.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerSchema.h"
#include "tools/WindowsShop.h"

#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#include <unistd.h>

using namespace horunea;
using namespace horunea::test;

namespace {

using Shop = DaysWindowsShop;
// What a test does to the shop (before it is written) or to its folder.
using Damage = std::function<void(Shop&, const QDir&)>;

// Every row of a table of a moved file, each value as its kind and text
// ("\N" for Null), in key order.
QStringList rowsOf(const QString& path, const QString& table)
{
    Database db = Database::open(path);
    QStringList rows;
    db.forEachRow(u"SELECT * FROM ["_qs + table + u"] ORDER BY 1"_qs, {}, [&](const Row& row) {
        QStringList cells;
        for (const QVariant& v : row.values())
            cells << (v.isNull() ? u"\\N"_qs : v.toString());
        rows << cells.join(u'|');
    });
    return rows;
}

QSet<QString> entries(const QDir& dir)
{
    const QStringList names = dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    return QSet<QString>(names.begin(), names.end());
}

qint64 lastKey(const QString& path, const QString& table)
{
    Database db = Database::open(path);
    return db.scalar(u"SELECT seq FROM sqlite_sequence WHERE name = ?"_qs, {table});
}

} // namespace

class TstMigration : public QObject
{
    Q_OBJECT
private slots:
    void aDaysShopMovesExactly();
    void theMovedShopIsUsedAsAnyOther();
    void theCheckNamesEveryProblem_data();
    void theCheckNamesEveryProblem();
    void theUserChoosesWhatMovesWithTheProblems();
    void aDestinationThatHoldsDataIsRefused();
    void fileNamesInTheWindowsCodePage();
    void aCancelledMoveLeavesNothing();
    void whatTheNewFileWouldChangeIsRefused();
    void theCommandLine();
    void theProgramsFolderOfWindowsFilesBecomesOurs();
    void aSwitchThatStoppedIsFinished();
    void aNewDataFolderTakesTheShopItsAccountsDoNot();
    void aRecordCutShortIsNoSwitch();
    void aDamagedFileIsNamed_data();
    void aDamagedFileIsNamed();
    void theMovedShopListsAsTheShopEnteredByHand();
    void aShopMovesStraightOntoTheServer();
};

void TstMigration::aDaysShopMovesExactly()
{
    QTemporaryDir windows, target;
    const Shop shop;
    shop.write(windows.path());
    QVERIFY(IsWindowsDataFolder(windows.path()));
    const QString to = target.filePath(u"data"_qs);
    const MigrationReport report = MoveWindowsFolder(windows.path(), to, {});
    QCOMPARE(report.accounts, 2);
    QVERIFY(report.problems.isEmpty());
    const QDir data(to);
    QCOMPARE(rowsOf(data.filePath(u"main.mdb"_qs), u"使用者"_qs),
             QStringList{u"1|営業一課|abc"_qs});
    QCOMPARE(rowsOf(data.filePath(u"main.mdb"_qs), u"修理"_qs), QStringList{u"4|本店|\\N"_qs});
    const QString sales = data.filePath(u"kelvo/営業一課.mdb"_qs);
    const QStringList users = rowsOf(sales, u"ユーザー"_qs);
    QCOMPARE(users.size(), 2);
    QVERIFY2(users[0].startsWith(u"1|やまだ|山田 太郎|\\N|\\N|03-1234-5678|"_qs),
             qPrintable(users[0]));
    QVERIFY(users[0].contains(u"|taro@example.jp|\\N|"_qs)); // E-mail reached E-MAIL, URL Null
    QCOMPARE(users[0].section(u'|', 16, 16), QString());     // 備考 "" stays ""
    QCOMPARE(users[1].section(u'|', 2, 2), u"𠮷田 🍣"_qs);
    QCOMPARE(users[1].section(u'|', 16, 16), QString(u'備').repeated(3000));
    QCOMPARE(rowsOf(sales, u"件名"_qs), (QStringList{u"1|1|2003/08/19(火)|見積|\\N|続行"_qs,
                                                     u"2|3|2004/01/01(木)|修理||完了"_qs}));
    QCOMPARE(rowsOf(sales, u"ログ"_qs),
             QStringList{u"5|2|3|2004/01/02(金)|田中|電話あり\r\n折り返し"_qs});
    QVERIFY(rowsOf(sales, u"設定"_qs).first().startsWith(u"1|誕生日|自由項目02|"_qs));
    // Counters go on after every key the Windows files gave.
    QCOMPARE(lastKey(sales, u"ユーザー"_qs), 9);
    QCOMPARE(lastKey(sales, u"ログ"_qs), 5);
    QCOMPARE(lastKey(data.filePath(u"main.mdb"_qs), u"使用者"_qs), 2);
    const QString store = data.filePath(u"care/本店.mdb"_qs);
    const QString repair = rowsOf(store, u"修理"_qs).first();
    QVERIFY2(repair.startsWith(u"7|続行|2024/05/01(水)|佐藤|"_qs), qPrintable(repair));
    QVERIFY(repair.contains(u"|A社|"_qs) && repair.contains(u"|１，５００|"_qs));
    QVERIFY(rowsOf(store, u"自社"_qs).first().startsWith(u"1|ホルネア商会|"_qs));
    QCOMPARE(rowsOf(data.filePath(u"care.mdb"_qs), u"修理"_qs), QStringList());
    // The Windows files are only read.
    QVERIFY(IsWindowsDataFolder(windows.path()));
}

void TstMigration::theMovedShopIsUsedAsAnyOther()
{
    QTemporaryDir windows, target;
    Shop().write(windows.path());
    MoveWindowsFolder(windows.path(), target.path(), {});
    DataFolder::set(target.path());
    Database master = Database::open(DataFolder::masterPath());
    const Account account =
        FindAccount(master, AccountKind::Operator, FindBy::Name, u"営業一課"_qs);
    QVERIFY(CheckAccountPassword(master, AccountKind::Operator, account.number, u"abc"_qs));
    Database sales = OpenAccountFile(AccountKind::Operator, u"営業一課"_qs);
    // A user added now gets the key after the Windows file's counter.
    QCOMPARE(
        sales.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, u"あ"_qs}, {u"表示名"_qs, u"新"_qs}}),
        10);
    QCOMPARE(sales
                 .textRows(u"SELECT 表示名 FROM ﾕｰｻﾞｰ WHERE [E-mail] Like '%example%'"_qs,
                           {u"表示名"_qs})
                 .size(),
             1);
    DataFolder::set(QString());
}

void TstMigration::theCheckNamesEveryProblem_data()
{
    QTest::addColumn<Damage>("damage");
    QTest::addColumn<QString>("line");
    QTest::addColumn<int>("kind");
    using K = MigrationProblem::Kind;
    QTest::newRow("unknown table") << Damage([](Shop& s, const QDir&) {
        s.sales.tables.append({u"メモ"_qs, {{u"ID"_qs, JetWriter::Type::Long}}, {{1}}});
    }) << u"kelvo/営業一課.mdb の「メモ」: ホルネアにない表です。"_qs
                                   << int(K::Refused);
    QTest::newRow("unknown field") << Damage([](Shop& s, const QDir&) {
        WindowsTable& t = s.sales[u"件名"_qs];
        t.columns.append({u"担当"_qs, JetWriter::Type::Text, 20});
        for (QVariantList& r : t.rows)
            r.append(QVariant());
    }) << u"kelvo/営業一課.mdb の「件名」の「担当」: ホルネアにない項目です。"_qs
                                   << int(K::Refused);
    QTest::newRow("duplicate key") << Damage([](Shop& s, const QDir&) {
        s.sales[u"件名"_qs].add(
            {{u"件名ID"_qs, 2}, {u"ユーザーID"_qs, 1}, {u"件名"_qs, u"重複"_qs}});
    }) << u"kelvo/営業一課.mdb の「件名」 (キー 2): 同じキーの行がもう一つあります。"_qs
                                   << int(K::Refused);
    QTest::newRow("key not whole") << Damage([](Shop& s, const QDir&) {
        WindowsTable& t = s.sales[u"ログ"_qs];
        t.columns[t.column(u"件名ID"_qs)].type = JetWriter::Type::Double;
        t.rows[0][t.column(u"件名ID"_qs)] = 2.5;
    }) << u"kelvo/営業一課.mdb の「ログ」 (キー 5)の「件名ID」: 整数ではない値「2.5」です。"_qs
                                   << int(K::Refused);
    QTest::newRow("orphan subject") << Damage([](Shop& s, const QDir&) {
        s.sales[u"件名"_qs].add(
            {{u"件名ID"_qs, 9}, {u"ユーザーID"_qs, 44}, {u"件名"_qs, u"迷子"_qs}});
    }) << u"kelvo/営業一課.mdb の「件名」 (キー 9)の「ユーザーID」: 「ユーザー」に 44 の行がありません。"_qs
                                    << int(K::Orphan);
    QTest::newRow("account without file") << Damage([](Shop& s, const QDir&) {
        s.master[u"使用者"_qs].add({{u"使用者No"_qs, 2}, {u"使用者名"_qs, u"経理"_qs}});
    }) << u"kelvo/経理.mdb: 使用者「経理」のファイルがありません。"_qs
                                          << int(K::Missing);
    QTest::newRow("file without account") << Damage([](Shop&, const QDir& d) {
        writeWindowsFile(d.filePath(u"kelvo/古い課.mdb"_qs), windowsFileOf(DatabaseKind::Customer));
    }) << u"kelvo/古い課.mdb: main.mdb のどのアカウントのファイルでもありません。"_qs
                                          << int(K::Missing);
    QTest::newRow("names one file on Windows") << Damage([](Shop& s, const QDir& d) {
        s.master[u"修理"_qs].add({{u"修理No"_qs, 5}, {u"修理名"_qs, u"本店"_qs}});
        Q_UNUSED(d);
    }) << u"修理アカウント「本店」: 「本店」と大文字・小文字か全角・半角だけが違います。Windows では一つのファイルでした。どちらかの名前を Windows版で直してください。"_qs
                                               << int(K::Refused);
    QTest::newRow("name not a file name here") << Damage([](Shop& s, const QDir&) {
        s.master[u"使用者"_qs].add({{u"使用者No"_qs, 2}, {u"使用者名"_qs, u"a/b"_qs}});
    }) << u"使用者「a/b」: この名前はここではファイル名にできません: "_qs
                                               << int(K::Refused);
    QTest::newRow("still open on Windows") << Damage([](Shop&, const QDir& d) {
        d.mkpath(u"kelvo"_qs);
        QFile lock(d.filePath(u"kelvo/営業一課.ldb"_qs));
        QVERIFY(lock.open(QIODevice::WriteOnly));
    }) << u"kelvo/営業一課.mdb: 使用中の印 (.ldb) があります。Windows版のプログラムが動いているかもしれません。"_qs
                                           << int(K::Locked);
    QTest::newRow("date with a time") << Damage([](Shop& s, const QDir&) {
        WindowsTable& t = s.sales[u"件名"_qs];
        t.columns[t.column(u"登録日"_qs)].type = JetWriter::Type::DateTime;
        t.rows[0][t.column(u"登録日"_qs)] = QDateTime(QDate(2003, 8, 19), QTime(9, 30));
        t.rows[1][t.column(u"登録日"_qs)] = QDateTime(QDate(2004, 1, 1), QTime(0, 0));
    }) << u"kelvo/営業一課.mdb の「件名」 (キー 1)の「登録日」: 日付と時刻「2003/08/19 09:30:00」は文字の形で持てません。"_qs
                                      << int(K::Refused);
}

void TstMigration::theCheckNamesEveryProblem()
{
    QFETCH(Damage, damage);
    QFETCH(QString, line);
    QFETCH(int, kind);
    QTemporaryDir windows, target;
    Shop shop;
    damage(shop, QDir(windows.path()));
    shop.write(windows.path());
    const MigrationReport report = CheckWindowsFolder(windows.path());
    QStringList lines;
    for (const MigrationProblem& p : report.problems)
        lines << p.line();
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(),
                         [&](const QString& l) { return l.startsWith(line); }),
             qPrintable(lines.join(u'\n')));
    QCOMPARE(int(report.problems.first().kind), kind);
    QVERIFY(report.stopsMove({}));
    // The move refuses with the same words and writes nothing.
    const QString to = target.filePath(u"data"_qs);
    const QString said = failureMessage([&] { MoveWindowsFolder(windows.path(), to, {}); });
    QVERIFY2(said.contains(line), qPrintable(said));
    QVERIFY(!QFileInfo::exists(to));
    QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TstMigration::theUserChoosesWhatMovesWithTheProblems()
{
    QTemporaryDir windows, target;
    Shop shop;
    shop.sales[u"ログ"_qs].add(
        {{u"ログID"_qs, 6}, {u"件名ID"_qs, 77}, {u"ユーザーID"_qs, 3}, {u"ログ"_qs, u"親なし"_qs}});
    shop.master[u"使用者"_qs].add({{u"使用者No"_qs, 2}, {u"使用者名"_qs, u"経理"_qs}});
    shop.write(windows.path());
    QFile lock(QDir(windows.path()).filePath(u"main.ldb"_qs));
    QVERIFY(lock.open(QIODevice::WriteOnly));
    lock.close();
    MigrationOptions options;
    options.keepOrphans = true;
    options.skipMissing = true;
    QVERIFY(CheckWindowsFolder(windows.path()).stopsMove(options)); // the lock still stops it
    options.ignoreLocks = true;
    const MigrationReport report = MoveWindowsFolder(windows.path(), target.path(), options);
    QCOMPARE(report.accounts, 2);
    const QDir data(target.path());
    QCOMPARE(rowsOf(data.filePath(u"main.mdb"_qs), u"使用者"_qs),
             QStringList{u"1|営業一課|abc"_qs});
    QCOMPARE(rowsOf(data.filePath(u"kelvo/営業一課.mdb"_qs), u"ログ"_qs).last(),
             u"6|77|3|\\N|\\N|親なし"_qs);
}

void TstMigration::aDestinationThatHoldsDataIsRefused()
{
    QTemporaryDir windows, target;
    Shop().write(windows.path());
    QFile other(QDir(target.path()).filePath(u"メモ.txt"_qs));
    QVERIFY(other.open(QIODevice::WriteOnly));
    other.write("x");
    other.close();
    QVERIFY(
        !failureMessage([&] { MoveWindowsFolder(windows.path(), target.path(), {}); }).isEmpty());
    QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList{u"メモ.txt"_qs});
    // A main.mdb that is not an Access file is said by name.
    QTemporaryDir notWindows;
    QFile fake(QDir(notWindows.path()).filePath(u"main.mdb"_qs));
    QVERIFY(fake.open(QIODevice::WriteOnly));
    fake.write("SQLite format 3");
    fake.close();
    QVERIFY(!IsWindowsDataFolder(notWindows.path()));
    QVERIFY(failureMessage([&] {
                CheckWindowsFolder(notWindows.path());
            }).contains(u"は Access (Jet) のデータベースではありません。"_qs));
}

void TstMigration::fileNamesInTheWindowsCodePage()
{
    // Copied from Windows by a tool that kept the names' bytes: 営業一課 in
    // CP932, not UTF-8.
    QTemporaryDir windows, target;
    const Shop shop;
    shop.write(windows.path());
    const QByteArray utf8 =
        QFile::encodeName(QDir(windows.path()).filePath(u"kelvo/営業一課.mdb"_qs));
    const QByteArray cp932 = QFile::encodeName(QDir(windows.path()).filePath(u"kelvo/"_qs)) +
                             encodeCp932(u"営業一課"_qs, nullptr) + ".mdb";
    QCOMPARE(::rename(utf8.constData(), cp932.constData()), 0);
    MoveWindowsFolder(windows.path(), target.path(), {});
    QCOMPARE(rowsOf(QDir(target.path()).filePath(u"kelvo/営業一課.mdb"_qs), u"ログ"_qs).size(), 1);
    ::unlink(cp932.constData()); // a name the temporary folder cannot remove
}

void TstMigration::aCancelledMoveLeavesNothing()
{
    QTemporaryDir windows, target;
    Shop().write(windows.path());
    int steps = 0;
    QStringList said;
    const QString to = target.filePath(u"data"_qs);
    const QString message = failureMessage([&] {
        MoveWindowsFolder(
            windows.path(), to, {}, [&](const QString& text) { said << text; },
            [&] { return ++steps > 3; });
    });
    QCOMPARE(message, u"移行を取り消しました。何も書いていません。"_qs);
    QVERIFY(!said.isEmpty());
    QCOMPARE(QDir(target.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
             QStringList());
}

void TstMigration::whatTheNewFileWouldChangeIsRefused()
{
    // A sort choice the Windows file keeps as the text "0012": the new file
    // would make it the number 12, and the check back says so.
    QTemporaryDir windows, target;
    Shop shop;
    WindowsTable& settings = shop.sales[u"設定"_qs];
    settings.columns[settings.column(u"並べ02"_qs)].type = JetWriter::Type::Text;
    settings.rows[0][settings.column(u"並べ02"_qs)] = u"0012"_qs;
    shop.write(windows.path());
    QVERIFY(!CheckWindowsFolder(windows.path()).stopsMove({}));
    const QString to = target.filePath(u"data"_qs);
    const QString said = failureMessage([&] { MoveWindowsFolder(windows.path(), to, {}); });
    QCOMPARE(said, u"kelvo/営業一課.mdb の「設定」 (キー 1) が移した後のファイルで違っています。"
                   u"何も書いていません。"_qs);
    QVERIFY(!QFileInfo::exists(to));
}

void TstMigration::theCommandLine()
{
    QTemporaryDir windows, target;
    Shop shop;
    shop.sales[u"件名"_qs].add(
        {{u"件名ID"_qs, 9}, {u"ユーザーID"_qs, 44}, {u"件名"_qs, u"迷子"_qs}});
    shop.write(windows.path());
    const QString to = target.filePath(u"data"_qs);
    CliRun check =
        runCliCaptured({u"--data-dir"_qs, to, u"migrate"_qs, windows.path(), u"--check"_qs});
    QCOMPARE(check.status, 1);
    QVERIFY2(
        check.out.contains(u"kelvo/営業一課.mdb (営業一課)\n  ユーザー\t2 行\n  件名\t3 行\n"_qs),
        qPrintable(check.out));
    QVERIFY(check.out.contains(u"■ 親のない行 (--keep-orphans でそのまま移します)\n"_qs));
    QVERIFY(!QFileInfo::exists(to));
    CliRun refused = runCliCaptured({u"--data-dir"_qs, to, u"migrate"_qs, windows.path()});
    QCOMPARE(refused.status, 1);
    QVERIFY(refused.err.contains(u"「ユーザー」に 44 の行がありません。"_qs));
    QVERIFY(refused.out.isEmpty());
    QVERIFY(!QFileInfo::exists(to));
    CliRun moved =
        runCliCaptured({u"--data-dir"_qs, to, u"migrate"_qs, windows.path(), u"--keep-orphans"_qs});
    QCOMPARE(moved.status, 0);
    QCOMPARE(moved.out, u"移しました: "_qs + to + u" (main.mdb と 2 アカウント)\n"_qs);
    QVERIFY(moved.err.contains(u"kelvo/営業一課.mdb (確かめ)\n"_qs));
    CliRun listed = runCliCaptured({u"--data-dir"_qs, to, u"subjects"_qs, u"営業一課"_qs,
                                    u"--password"_qs, u"abc"_qs, u"--state"_qs, u"全て"_qs});
    QCOMPARE(listed.status, 0);
    QVERIFY2(listed.out.contains(u"\t山田 太郎\t見積\t\t続行\n"_qs), qPrintable(listed.out));
    QVERIFY(rowsOf(QDir(to).filePath(u"kelvo/営業一課.mdb"_qs), u"件名"_qs)
                .last()
                .contains(u"迷子"_qs));
}

void TstMigration::theProgramsFolderOfWindowsFilesBecomesOurs()
{
    QTemporaryDir folder;
    Shop().write(folder.path());
    QFile(QDir(folder.path()).filePath(u"horunea.exe"_qs)).open(QIODevice::WriteOnly);
    Clock::setNow(QDateTime(QDate(2026, 12, 10), QTime(9, 5, 7)));
    QString aside;
    const MigrationReport report =
        MoveIntoDataFolder(folder.path(), folder.path(), {}, {}, {}, &aside);
    Clock::setNow(QDateTime());
    QCOMPARE(report.accounts, 2);
    const QDir data(folder.path());
    QCOMPARE(aside, data.filePath(u"Windows版-20261210-090507"_qs));
    QCOMPARE(entries(data),
             (QSet<QString>{u"Windows版-20261210-090507"_qs, u"care"_qs, u"care.mdb"_qs,
                            u"horunea.exe"_qs, u"kelvo"_qs, u"kelvo.mdb"_qs, u"main.mdb"_qs}));
    QVERIFY(!IsWindowsDataFolder(data.path()));
    QCOMPARE(rowsOf(data.filePath(u"kelvo/営業一課.mdb"_qs), u"件名"_qs).size(), 2);
    // The Windows files, set aside untouched.
    QVERIFY(IsWindowsDataFolder(aside));
    QCOMPARE(CheckWindowsFolder(aside).accounts, 2);
}

void TstMigration::aSwitchThatStoppedIsFinished()
{
    // Stopped after the old kelvo was set aside and the new one put in its
    // place: the rest is done at the next start.
    QTemporaryDir folder;
    Shop().write(folder.path());
    QDir data(folder.path());
    const QString staged = data.filePath(u".移行-1"_qs), aside = data.filePath(u"Windows版-1"_qs);
    MoveWindowsFolder(folder.path(), staged, {});
    QFile record(data.filePath(u".移行の切り替え中"_qs));
    QVERIFY(record.open(QIODevice::WriteOnly));
    record.write((aside + u'\n' + staged + u'\n' + u"切り替え\n"_qs).toUtf8());
    record.close();
    QVERIFY(data.mkpath(aside));
    QVERIFY(data.rename(u"kelvo"_qs, u"Windows版-1/kelvo"_qs));
    QVERIFY(data.rename(u".移行-1/kelvo"_qs, u"kelvo"_qs));
    QVERIFY(FinishDataFolderMove(folder.path()));
    QVERIFY(!FinishDataFolderMove(folder.path()));
    QCOMPARE(entries(data), (QSet<QString>{u"Windows版-1"_qs, u"care"_qs, u"care.mdb"_qs,
                                           u"kelvo"_qs, u"kelvo.mdb"_qs, u"main.mdb"_qs}));
    QCOMPARE(rowsOf(data.filePath(u"kelvo/営業一課.mdb"_qs), u"ログ"_qs).size(), 1);
    QCOMPARE(rowsOf(data.filePath(u"main.mdb"_qs), u"使用者"_qs),
             QStringList{u"1|営業一課|abc"_qs});
    QCOMPARE(CheckWindowsFolder(aside).accounts, 2);
}

void TstMigration::aDamagedFileIsNamed_data()
{
    QTest::addColumn<int>("at"); // the byte of the users' data page damaged
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("line");
    QTest::newRow("a page that is no longer a data page")
        << 0 << QByteArray("\xff")
        << u"kelvo/営業一課.mdb の「ユーザー」: 表の定義では 2 行ですが、読めたのは 0 行です。"_qs;
    QTest::newRow("a row count past the page")
        << 12 << QByteArray("\xff\x7f") << u"kelvo/営業一課.mdb: 「"_qs;
}

void TstMigration::aDamagedFileIsNamed()
{
    QFETCH(int, at);
    QFETCH(QByteArray, bytes);
    QFETCH(QString, line);
    QTemporaryDir windows, target;
    Shop().write(windows.path());
    QFile file(QDir(windows.path()).filePath(u"kelvo/営業一課.mdb"_qs));
    QVERIFY(file.open(QIODevice::ReadWrite));
    const QByteArray content = file.readAll();
    const QString name = u"山田 太郎"_qs;
    const qsizetype found =
        content.indexOf(QByteArray(reinterpret_cast<const char*>(name.utf16()), name.size() * 2));
    QVERIFY(found > 0);
    QVERIFY(file.seek(found / 4096 * 4096 + at));
    file.write(bytes);
    file.close();
    const MigrationReport report = CheckWindowsFolder(windows.path());
    QStringList lines;
    for (const MigrationProblem& p : report.problems)
        lines << p.line();
    QVERIFY2(std::any_of(lines.cbegin(), lines.cend(),
                         [&](const QString& l) { return l.startsWith(line); }),
             qPrintable(lines.join(u'\n')));
    // The other files are still read and counted.
    QCOMPARE(report.files.last().relative, u"care/本店.mdb"_qs);
    QCOMPARE(report.files.last().tables.first().second, 1);
    const QString to = target.filePath(u"data"_qs);
    QVERIFY(!failureMessage([&] { MoveWindowsFolder(windows.path(), to, {}); }).isEmpty());
    QVERIFY(!QFileInfo::exists(to));
}

void TstMigration::aRecordCutShortIsNoSwitch()
{
    // Killed while the record was written: its second line cut to the data
    // folder's own path. Nothing switches; the copy goes; the Windows files stay.
    QTemporaryDir folder;
    Shop().write(folder.path());
    QDir data(folder.path());
    MoveWindowsFolder(folder.path(), data.filePath(u".移行-1"_qs), {});
    QFile record(data.filePath(u".移行の切り替え中"_qs));
    QVERIFY(record.open(QIODevice::WriteOnly));
    record.write((data.filePath(u"Windows版-1"_qs) + u'\n' + folder.path()).toUtf8());
    record.close();
    QVERIFY(!FinishDataFolderMove(folder.path()));
    QCOMPARE(entries(data), (QSet<QString>{u"care"_qs, u"care.mdb"_qs, u"kelvo"_qs, u"kelvo.mdb"_qs,
                                           u"main.mdb"_qs}));
    QVERIFY(IsWindowsDataFolder(data.path()));
    QCOMPARE(CheckWindowsFolder(data.path()).accounts, 2);
}

void TstMigration::aNewDataFolderTakesTheShopItsAccountsDoNot()
{
    QTemporaryDir windows;
    Shop().write(windows.path());
    TempDataFolder fresh; // main.mdb and the templates, no account
    QString aside;
    MoveIntoDataFolder(windows.path(), fresh.path(), {}, {}, {}, &aside);
    QVERIFY(QFileInfo(aside).fileName().startsWith(u"移行前-"_qs));
    QVERIFY(QFileInfo(QDir(aside).filePath(u"main.mdb"_qs)).isFile());
    QCOMPARE(rowsOf(fresh.file(u"main.mdb"_qs), u"修理"_qs), QStringList{u"4|本店|\\N"_qs});
    // Now it has accounts: another shop is refused, nothing touched.
    const QString said = failureMessage(
        [&] { MoveIntoDataFolder(windows.path(), fresh.path(), {}, {}, {}, nullptr); });
    QVERIFY(said.startsWith(u"このデータフォルダーにはもうアカウントがあります。"_qs));
    QCOMPARE(QDir(fresh.path()).entryList({u".移行*"_qs}, QDir::AllEntries | QDir::Hidden),
             QStringList());
}

namespace {

// One shop's records, field by field: entered by hand through the
// program's storage, or kept by the Windows version in its Access files.
struct ShopRecords
{
    using Record = QHash<QString, QString>;
    QList<Record> users{
        {{u"表示ふりがな"_qs, u"ﾔﾏﾀﾞ"_qs},
         {u"表示名"_qs, u"山田 太郎"_qs},
         {u"自宅ＴＥＬ"_qs, u"03-1234-5678"_qs},
         {u"E-MAIL"_qs, u"taro@example.jp"_qs}},
        {{u"表示ふりがな"_qs, u"ﾔﾏｸﾞﾁ"_qs},
         {u"表示名"_qs, u"𠮷田 🍣"_qs},
         {u"会社名"_qs, u"ｶﾀｶﾅ商事"_qs},
         {u"備考"_qs, QString(u"長い備考。"_qs).repeated(400)}},
        {{u"表示ふりがな"_qs, u"ﾔﾏﾀﾞ"_qs}, {u"表示名"_qs, u"山田 花子"_qs}}, // a tie
    };
    QList<std::pair<int, SubjectRecord>> subjects{
        {1, {QDate(2003, 8, 19), u"見積"_qs, QString(), u"続行"_qs}},
        {2, {QDate(2004, 1, 1), u"修理"_qs, u"部品待ち"_qs, u"完了"_qs}},
        {2, {QDate(2004, 1, 1), u"点検"_qs, QString(), u"続行"_qs}},
    };
    QList<std::pair<int, LogRecord>> logs{
        {2, {QDate(2004, 1, 2), u"田中"_qs, u"電話あり\r\n折り返し"_qs}},
        {2, {QDate(2004, 1, 2), u"田中"_qs, u"見積送付"_qs}},
    };
    Record repair{{u"お客様名"_qs, u"佐藤"_qs},
                  {u"メーカー名"_qs, u"A社"_qs},
                  {u"仕切"_qs, u"１，５００"_qs},
                  {u"有償無償"_qs, u"有償"_qs},
                  {u"入金"_qs, u"未入"_qs}};
    Record maker{{u"メーカー名"_qs, u"A社"_qs}, {u"TEL"_qs, u"06-0000-0000"_qs}};
    Record company{{u"自社名"_qs, u"ホルネア商会"_qs}};

    void enterByHand() const
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"営業一課"_qs, u"abc"_qs);
        CreateAccount(master, AccountKind::Repair, u"本店"_qs, QString());
        Database sales = OpenAccountFile(AccountKind::Operator, u"営業一課"_qs);
        for (const Record& user : users) {
            QStringList values;
            for (const QString& field : userDetailFields())
                values << user.value(field);
            AddUser(sales, values);
        }
        for (const auto& [user, subject] : subjects)
            AddSubject(sales, QString::number(user), subject);
        for (const auto& [subject, log] : logs)
            AddLog(sales, QString::number(subject), u"2"_qs, log);
        Database shop = OpenAccountFile(AccountKind::Repair, u"本店"_qs);
        RepairRecord r{false, QDate(2024, 5, 1), true, false, {}};
        for (const QString& field : repairTextFields())
            r.texts << repair.value(field);
        AddRepair(shop, r);
        AddRepairLog(shop, u"1"_qs, {QDate(2024, 5, 2), u"山本"_qs, u"部品発注"_qs});
        QStringList values;
        for (const QString& field : makerFields())
            values << maker.value(field);
        AddMaker(shop, values);
        values.clear();
        for (const QString& field : ownCompanyFields())
            values << company.value(field);
        SaveOwnCompany(shop, values);
    }

    // The same records as the Windows version keeps them: keys from 1,
    // dates as text, boxes never filled in as Null.
    void writeWindows(const QString& folder) const
    {
        WindowsFile master = windowsFileOf(DatabaseKind::Master);
        master[u"使用者"_qs].add(
            {{u"使用者No"_qs, 1}, {u"使用者名"_qs, u"営業一課"_qs}, {u"パスワード"_qs, u"abc"_qs}});
        master[u"修理"_qs].add({{u"修理No"_qs, 1}, {u"修理名"_qs, u"本店"_qs}});
        WindowsFile sales = windowsFileOf(DatabaseKind::Customer);
        auto fill = [](WindowsTable& table, qint64 key, const Record& record) {
            QList<std::pair<QString, QVariant>> fields{{table.columns[0].name, key}};
            for (auto it = record.cbegin(); it != record.cend(); ++it)
                fields.append({windowsFieldName(it.key()), it.value()});
            table.add(fields);
        };
        for (int i = 0; i < users.size(); ++i)
            fill(sales[u"ユーザー"_qs], i + 1, users[i]);
        for (int i = 0; i < subjects.size(); ++i) {
            const auto& [user, s] = subjects[i];
            sales[u"件名"_qs].add({{u"件名ID"_qs, i + 1},
                                   {u"ユーザーID"_qs, user},
                                   {u"登録日"_qs, DateText(s.date)},
                                   {u"件名"_qs, s.title},
                                   {u"備考"_qs, s.remarks.isEmpty() ? QVariant() : s.remarks},
                                   {u"判定"_qs, s.state}});
        }
        for (int i = 0; i < logs.size(); ++i) {
            const auto& [subject, l] = logs[i];
            sales[u"ログ"_qs].add({{u"ログID"_qs, i + 1},
                                   {u"件名ID"_qs, subject},
                                   {u"ユーザーID"_qs, 2},
                                   {u"登録日"_qs, DateText(l.date)},
                                   {u"記録者"_qs, l.recorder},
                                   {u"ログ"_qs, l.text}});
        }
        WindowsFile shop = windowsFileOf(DatabaseKind::Repair);
        Record withFixed = repair;
        withFixed.insert(u"判定"_qs, u"続行"_qs);
        withFixed.insert(u"受付日"_qs, u"2024/05/01(水)"_qs);
        withFixed.insert(u"見積納期"_qs, u"10"_qs);
        fill(shop[u"修理"_qs], 1, withFixed);
        shop[u"修理ログ"_qs].add({{u"修理ログID"_qs, 1},
                                  {u"修理ID"_qs, 1},
                                  {u"記録日"_qs, u"2024/05/02(木)"_qs},
                                  {u"記録者"_qs, u"山本"_qs},
                                  {u"ログ"_qs, u"部品発注"_qs}});
        fill(shop[u"修理先"_qs], 1, maker);
        WindowsTable& own = shop[u"自社"_qs];
        for (auto it = company.cbegin(); it != company.cend(); ++it)
            own.rows[0][own.column(it.key())] = it.value();
        const QDir dir(folder);
        writeWindowsFile(dir.filePath(u"main.mdb"_qs), master);
        writeWindowsFile(dir.filePath(u"kelvo.mdb"_qs), windowsFileOf(DatabaseKind::Customer));
        writeWindowsFile(dir.filePath(u"care.mdb"_qs), windowsFileOf(DatabaseKind::Repair));
        writeWindowsFile(dir.filePath(u"kelvo/営業一課.mdb"_qs), sales);
        writeWindowsFile(dir.filePath(u"care/本店.mdb"_qs), shop);
    }
};

// What the shop's lists, searches, CSV files and reports give, verb by verb.
QStringList whatTheShopGives(const QString& data, const QString& scratch)
{
    const QList<QStringList> verbs = {
        {u"account"_qs, u"list"_qs},
        {u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"や"_qs},
        {u"search"_qs, u"営業一課"_qs, u"--in"_qs, u"users"_qs, u"ﾔﾏﾀﾞ"_qs, u"--csv"_qs, u"CSV"_qs},
        {u"subjects"_qs, u"営業一課"_qs, u"--state"_qs, u"全て"_qs},
        {u"subjects"_qs, u"営業一課"_qs, u"--user"_qs, u"2"_qs},
        {u"logs"_qs, u"営業一課"_qs, u"--subject"_qs, u"2"_qs},
        {u"search"_qs, u"営業一課"_qs, u"--in"_qs, u"users"_qs, u"ﾔﾏﾀﾞ"_qs},
        {u"search"_qs, u"営業一課"_qs, u"--in"_qs, u"logs"_qs, u"見積"_qs},
        {u"repairs"_qs, u"本店"_qs, u"--state"_qs, u"全て"_qs},
        {u"repairs"_qs, u"本店"_qs, u"--unpaid"_qs},
        {u"repair-logs"_qs, u"本店"_qs, u"--repair"_qs, u"1"_qs},
        {u"search"_qs, u"本店"_qs, u"--in"_qs, u"repairs"_qs, u"ａ社"_qs},
        {u"report"_qs, u"customer-list"_qs, u"営業一課"_qs, u"--row"_qs, u"や"_qs, u"--pdf"_qs,
         u"PDF"_qs},
        {u"report"_qs, u"user-sheet"_qs, u"営業一課"_qs, u"--user"_qs, u"2"_qs, u"--pdf"_qs,
         u"PDF"_qs},
        {u"report"_qs, u"repair-report"_qs, u"本店"_qs, u"--repair"_qs, u"1"_qs, u"--pdf"_qs,
         u"PDF"_qs},
    };
    QStringList gives;
    for (QStringList verb : verbs) {
        const QString file = QDir(scratch).filePath(u"out"_qs);
        QFile::remove(file);
        verb.replaceInStrings(u"CSV"_qs, file).replaceInStrings(u"PDF"_qs, file);
        if (verb.first() != u"account" && verb.first() != u"report")
            verb << u"--password"_qs << u"abc"_qs;
        if (verb.first() == u"report" && verb[2] == u"営業一課")
            verb << u"--password"_qs << u"abc"_qs;
        if (verb.contains(u"本店"_qs))
            verb.removeAll(u"abc"_qs), verb.removeAll(u"--password"_qs);
        const CliRun run = runCliCaptured(QStringList{u"--data-dir"_qs, data} + verb);
        gives << verb.join(u' ') + u" → "_qs + QString::number(run.status) + u'\n' + run.out +
                     run.err;
        QFile out(file);
        if (out.open(QIODevice::ReadOnly)) {
            QByteArray bytes = out.readAll();
            if (verb.first() == u"report") {
                // The PDF's pages as text: its own dates and ids differ run by run.
                out.close();
                QProcess text;
                text.start(u"pdftotext"_qs, {u"-layout"_qs, file, u"-"_qs});
                text.waitForFinished();
                bytes = text.readAllStandardOutput();
            }
            gives << QString::fromLatin1(bytes.toHex());
        }
    }
    return gives;
}

} // namespace

void TstMigration::theMovedShopListsAsTheShopEnteredByHand()
{
    Clock::setNow(QDateTime(QDate(2026, 12, 10), QTime(9, 0)));
    const ShopRecords shop;
    QTemporaryDir windows, moved, scratch;
    shop.writeWindows(windows.path());
    MoveWindowsFolder(windows.path(), moved.path(), {});
    QStringList byHand;
    {
        TempDataFolder folder;
        shop.enterByHand();
        byHand = whatTheShopGives(folder.path(), scratch.path());
    }
    const QStringList fromWindows = whatTheShopGives(moved.path(), scratch.path());
    Clock::setNow(QDateTime());
    const QString all = byHand.join(u'\n');
    if (qEnvironmentVariableIsSet("SHOW_SHOP"))
        qDebug().noquote() << all;
    QVERIFY(all.contains(u"𠮷田 🍣"_qs));
    QVERIFY2(!all.contains(u" → 1\n"_qs) && !all.contains(u" → 2\n"_qs), qPrintable(all));
    QVERIFY(all.contains(u"2 行を "_qs)); // the CSV of the search
    QCOMPARE(fromWindows.size(), byHand.size());
    for (int i = 0; i < byHand.size(); ++i)
        QCOMPARE(fromWindows[i], byHand[i]);
}

void TstMigration::aShopMovesStraightOntoTheServer()
{
    PgCluster cluster;
    QVERIFY2(cluster.isRunning(), qPrintable(cluster.error()));
    QTemporaryDir windows, target;
    Shop().write(windows.path());
    QFile conf(QDir(target.path()).filePath(u"server.conf"_qs));
    QVERIFY(conf.open(QIODevice::WriteOnly));
    conf.write(cluster.connectionString().toUtf8() + "\n");
    conf.close();
    CliRun moved = runCliCaptured({u"--data-dir"_qs, target.path(), u"migrate"_qs, windows.path()});
    QCOMPARE(moved.status, 0);
    // Nothing but server.conf in the folder: the shop is on the server.
    QCOMPARE(entries(QDir(target.path())), QSet<QString>{u"server.conf"_qs});
    const ServerAddress address = ServerAddress::parse(cluster.connectionString());
    Database master = Database::openServer(address, serverMasterSchema(), DatabaseKind::Master);
    QCOMPARE(
        master.textRows(u"SELECT 修理No, 修理名 FROM 修理"_qs, {u"修理No"_qs, u"修理名"_qs}).size(),
        1);
    Database sales = Database::openServer(address, serverAccountSchema(DatabaseKind::Customer, 1),
                                          DatabaseKind::Customer);
    const ListRows users =
        sales.textRows(u"SELECT ユーザーID, 表示名, 備考 FROM ユーザー ORDER BY 1"_qs,
                       {u"ユーザーID"_qs, u"表示名"_qs, u"備考"_qs});
    QCOMPARE(users.size(), 2);
    QCOMPARE(users[1][1], u"𠮷田 🍣"_qs);
    QCOMPARE(users[1][2], QString(u'備').repeated(3000));
    // The counter goes on where the Windows file's did.
    QCOMPARE(
        sales.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, u"ｱ"_qs}, {u"表示名"_qs, u"新"_qs}}),
        10);
    // A second move finds the shop there: refused, the server untouched.
    CliRun again = runCliCaptured({u"--data-dir"_qs, target.path(), u"migrate"_qs, windows.path()});
    QCOMPARE(again.status, 1);
    QCOMPARE(sales.scalar(u"SELECT count(*) FROM ユーザー"_qs), 3);
}

QTEST_MAIN(TstMigration)
#include "tst_migration.moc"
