// The same data in a file and on the server give the same lists: the same
// rows in the same order, whatever the collation the server's database was
// made with. Against a private cluster of the test's own.
#include "CoreTestSupport.h"
#include "PgCluster.h"

#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/SearchConditions.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"
#include "store/sqlcipher/Statement.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

// Readings for every kana row and its edges: both widths, hiragana, small
// kana, letters of either case, digits, signs, kanji, the empty reading,
// none at all, and ties.
const QList<std::pair<QVariant, QString>> Users = {
    {u"ｱｵｷ"_qs, u"青木"_qs},   {u"あおき"_qs, u"青木二"_qs}, {u"ぁ"_qs, u"小あ"_qs},
    {u"ｧｲ"_qs, u"小ア"_qs},    {u"ｶﾄｳ"_qs, u"加藤"_qs},      {u"ｶﾄｳ"_qs, u"加藤二"_qs},
    {u"ｶﾞﾄｳ"_qs, u"我藤"_qs},  {u"かとう"_qs, u"加藤三"_qs}, {u"ｺﾊﾞﾔｼ"_qs, u"小林"_qs},
    {u"ｻﾄｳ"_qs, u"佐藤"_qs},   {u"ﾀﾅｶ"_qs, u"田中"_qs},      {u"ﾅｶﾞｲ"_qs, u"永井"_qs},
    {u"ﾊﾔｼ"_qs, u"林"_qs},     {u"ﾏﾂﾓﾄ"_qs, u"松本"_qs},     {u"ﾔﾏﾀﾞ"_qs, u"山田"_qs},
    {u"ﾗｲ"_qs, u"頼"_qs},      {u"ﾜﾀﾞ"_qs, u"和田"_qs},      {u"ﾝ"_qs, u"ん"_qs},
    {u"Abe"_qs, u"阿部"_qs},   {u"abe"_qs, u"安倍"_qs},      {u"ABE"_qs, u"安部"_qs},
    {u"Zoe"_qs, u"ゾーイ"_qs}, {u"123"_qs, u"数字"_qs},      {u"_x"_qs, u"記号"_qs},
    {u"[ｶ]"_qs, u"括弧"_qs},   {u"漢字"_qs, u"漢字"_qs},     {u""_qs, u"空"_qs},
    {QVariant(), u"なし"_qs},  {QVariant(), u"なし二"_qs},   {u"ｶﾄｳ"_qs, u"加藤四"_qs},
};

} // namespace

class TstServerStore : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void userListsAreTheSame_data();
    void userListsAreTheSame();
    void searchesFindTheSame_data();
    void searchesFindTheSame();
    void groupedAndDistinctStatementsGiveTheSame_data();
    void groupedAndDistinctStatementsGiveTheSame();
    void joinedListsTieAsTheFilesDo_data();
    void joinedListsTieAsTheFilesDo();
    void theServerSchemaHasTheShippedRows();
    void storeOperationsAreTheSame();
    void aBatchIsSentAsItGrowsAndWhenItCloses();
    void aBatchWhoseKeysAnotherTookIsRefused();
    void aFailedBatchKeepsTheTransactionFromCommitting();

private:
    Database serverAccount(qint64 number);

    // The list as the file gives it and as the server does.
    void compare(const SqlStatement& statement, const QString& database);
    // A statement's rows, each as its cells joined, from the file and from
    // the server's database.
    QStringList rowsInFile(const QString& sql);
    QStringList rowsOnServer(const QString& sql, const QString& database);
    // A connection to the database's account, its tables the statements'.
    ServerConnection serverAccountOf(const QString& database);

    std::unique_ptr<PgCluster> m_cluster;
    std::unique_ptr<TempDataFolder> m_folder;
    std::unique_ptr<Database> m_file;
};

void TstServerStore::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_folder = std::make_unique<TempDataFolder>();
    m_file = std::make_unique<Database>(Database::createNew(m_folder->file(u"比べる.mdb"_qs)));
    createSchema(*m_file, DatabaseKind::Customer);

    ServerConnection admin =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
    admin.exec(u"CREATE DATABASE ja TEMPLATE template0 ENCODING 'UTF8' "
               u"LOCALE_PROVIDER icu ICU_LOCALE 'ja-JP' LOCALE 'C.UTF-8'"_qs);
    for (const QString& database : {u"postgres"_qs, u"ja"_qs}) {
        ServerConnection server =
            ServerConnection::open(ServerAddress::parse(m_cluster->connectionString(database)));
        server.exec(u"CREATE SCHEMA "_qs + serverMasterSchema());
        server.exec(serverFoldFunction(serverMasterSchema()));
        const QString schema = serverAccountSchema(DatabaseKind::Customer, 1);
        createServerSchema(server, DatabaseKind::Customer, schema);
        server.exec(u"SET search_path TO "_qs + schema + u", "_qs + serverMasterSchema());
        for (const auto& [reading, name] : Users) {
            const Fields fields{{u"表示ふりがな"_qs, reading},
                                {u"表示名"_qs, name},
                                {u"会社ＴＥＬ"_qs, QString(u"03-"_qs + name)},
                                {u"E-MAIL"_qs, QVariant()}};
            const qint64 onServer = insertServerRow(server, u"ユーザー"_qs, fields);
            if (database == u"postgres") {
                const qint64 inFile = m_file->insert(u"ユーザー"_qs, fields);
                QCOMPARE(onServer, inFile);
            }
        }
        // Subjects of a few users, many on one date and under one title, and
        // logs whose keys do not follow their subjects': ties for every sort.
        const int owners[] = {5, 2, 5, 9, 2, 5, 9, 2, 1, 5, 9, 2};
        for (int i = 0; i < 12; ++i) {
            const Fields fields{{u"ユーザーID"_qs, owners[i]},
                                {u"登録日"_qs, i % 3 ? u"2026/12/09(水)"_qs : u"2026/12/08(火)"_qs},
                                {u"件名"_qs, i % 2 ? u"件名"_qs : u"ケンメイ"_qs},
                                {u"判定"_qs, i % 4 ? u"続行"_qs : u"完了"_qs}};
            insertServerRow(server, u"件名"_qs, fields);
            if (database == u"postgres")
                m_file->insert(u"件名"_qs, fields);
        }
        for (int j = 0; j < 24; ++j) {
            const int subject = 1 + (j * 7) % 12;
            const Fields fields{{u"件名ID"_qs, subject},
                                {u"ユーザーID"_qs, owners[subject - 1]},
                                {u"登録日"_qs, j % 5 ? u"2026/12/10(木)"_qs : u"2026/12/01(火)"_qs},
                                {u"記録者"_qs, u"山田"_qs},
                                {u"ログ"_qs, QStringLiteral("ログ%1").arg(j)}};
            insertServerRow(server, u"ログ"_qs, fields);
            if (database == u"postgres")
                m_file->insert(u"ログ"_qs, fields);
        }
    }
}

void TstServerStore::compare(const SqlStatement& statement, const QString& database)
{
    const QStringList fields = userColumns().fields();
    const ListRows fileRows = m_file->textRows(statement.sql, fields, statement.params);

    ServerConnection server = serverAccountOf(database);
    const ServerTables tables = serverTables(DatabaseKind::Customer);
    const ServerStatement translated =
        translateForServer(statement.sql, serverNames(DatabaseKind::Customer), &tables);
    const ServerResult result =
        server.exec(translated.sql, serverParameterValues(translated, statement.params));

    QStringList inFile, onServer;
    for (const TextRow& row : fileRows) {
        QStringList cells;
        for (int c = 0; c < int(fields.size()); ++c)
            cells << row.value(c);
        inFile << cells.join(u'|');
    }
    for (int r = 0; r < result.rowCount(); ++r) {
        QStringList cells;
        for (const QString& field : fields)
            cells << result.text(r, int(result.columnNames().indexOf(field)));
        onServer << cells.join(u'|');
    }
    QCOMPARE(onServer, inFile);
}

void TstServerStore::userListsAreTheSame_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<int>("row");
    QTest::addColumn<QString>("order");
    for (const QString& database : {u"postgres"_qs, u"ja"_qs}) {
        for (int row = 0; row < KanaRowCount; ++row) {
            // Ties: readings of several users, and a field no user has.
            for (const QString& order :
                 {u" ORDER BY 表示ふりがな"_qs, u" ORDER BY 表示ふりがな DESC"_qs,
                  u" ORDER BY 表示名"_qs, u" ORDER BY 会社ＴＥＬ DESC"_qs, u" ORDER BY [E-MAIL]"_qs,
                  u" ORDER BY [E-MAIL] DESC"_qs, u" ORDER BY 表示ふりがな DESC, 表示名"_qs,
                  u" ORDER BY ユーザーID DESC"_qs}) {
                QTest::addRow("%s %s%s", qPrintable(database),
                              qPrintable(kanaRowName(KanaRow(row))), qPrintable(order))
                    << database << row << order;
            }
        }
    }
}

// Each kana row of the user list, in each sort order, in a database made
// with C.UTF-8 and in one made with a Japanese ICU collation.
void TstServerStore::userListsAreTheSame()
{
    QFETCH(QString, database);
    QFETCH(int, row);
    QFETCH(QString, order);
    CustomerListQuery query;
    query.UserWhere = kanaRowCondition(KanaRow(row));
    query.UserOrderBy = order;
    compare(query.userStatement(), database);
}

void TstServerStore::searchesFindTheSame_data()
{
    QTest::addColumn<QString>("database");
    QTest::addColumn<QString>("word");
    QTest::addColumn<bool>("exact");
    for (const QString& database : {u"postgres"_qs, u"ja"_qs}) {
        for (const QString& word : {u"ｶﾄｳ"_qs, u"かとう"_qs, u"abe"_qs, u"[ｶ]"_qs, u"_"_qs, u"%"_qs,
                                    u"ｶﾞ"_qs, u"藤"_qs}) {
            for (bool exact : {false, true})
                QTest::addRow("%s %s %s", qPrintable(database), qPrintable(word),
                              exact ? "exact" : "folded")
                    << database << word << exact;
        }
    }
}

// The search of the user list, folded and exact, with the signs of Like in
// the word.
void TstServerStore::searchesFindTheSame()
{
    QFETCH(QString, database);
    QFETCH(QString, word);
    QFETCH(bool, exact);
    SearchRequest request;
    request.kind = SearchKind::Users;
    request.word1 = word;
    request.folded = !exact;
    CustomerListQuery query;
    applySearch(query, request);
    query.UserOrderBy = u" ORDER BY ユーザーID"_qs;
    compare(query.userStatement(), database);
}

void TstServerStore::groupedAndDistinctStatementsGiveTheSame_data()
{
    QTest::addColumn<QString>("sql");
    QTest::newRow("distinct")
        << u"SELECT DISTINCT 表示ふりがな FROM ユーザー ORDER BY 表示ふりがな DESC"_qs;
    QTest::newRow("group by") << u"SELECT 表示ふりがな, Count(*) AS n FROM ユーザー "
                                 u"GROUP BY 表示ふりがな ORDER BY 表示ふりがな"_qs;
    QTest::newRow("union") << u"SELECT 表示名 FROM ユーザー WHERE 表示ふりがな = 'ｶﾄｳ' UNION "
                              u"SELECT 表示名 FROM ユーザー WHERE 表示ふりがな = 'ｻﾄｳ' "
                              u"ORDER BY 表示名"_qs;
    QTest::newRow("a subquery's order") << u"SELECT 表示名 FROM ユーザー WHERE ユーザーID IN "
                                           u"(SELECT DISTINCT ユーザーID FROM ユーザー) "
                                           u"ORDER BY 表示ふりがな, 表示名"_qs;
}

// What a user may send with sql: DISTINCT, GROUP BY and UNION with their
// ORDER BY run on the server as on the files, with the same rows in order.
void TstServerStore::groupedAndDistinctStatementsGiveTheSame()
{
    QFETCH(QString, sql);
    const QStringList inFile = rowsInFile(sql);
    QVERIFY(!inFile.isEmpty());
    QCOMPARE(rowsOnServer(sql, u"postgres"_qs), inFile);
}

void TstServerStore::joinedListsTieAsTheFilesDo_data()
{
    QTest::addColumn<QString>("sql");
    const QString subjects = u"SELECT 件名.*, ユーザー.表示名 FROM 件名 INNER JOIN ユーザー ON "
                             u"ユーザー.ユーザーID = 件名.ユーザーID"_qs;
    QTest::newRow("subjects by date down") << subjects + u" ORDER BY 件名.登録日 DESC"_qs;
    QTest::newRow("subjects going on, by date")
        << subjects + u" WHERE 件名.判定 = '続行' ORDER BY 件名.登録日"_qs;
    QTest::newRow("one user's subjects by title")
        << subjects + u" WHERE 件名.ユーザーID = 5 ORDER BY 件名.件名"_qs;
    QTest::newRow("subjects by the user's name")
        << subjects + u" ORDER BY ユーザー.表示名, 件名.登録日 DESC"_qs;
    QTest::newRow("a subject search")
        << subjects +
               u" WHERE (SearchFold(件名.件名) Like '%けんめい%') ORDER BY 件名.登録日 DESC"_qs;
    QTest::newRow("one user's logs by date")
        << u"SELECT ログ.* FROM 件名, ログ WHERE 件名.件名ID = ログ.件名ID AND 件名.ユーザーID = 5 "
           u"ORDER BY ログ.登録日"_qs;
    QTest::newRow("every log by date down")
        << u"SELECT ログ.ログ, ログ.登録日, ログ.記録者, ログ.件名ID FROM ログ, 件名 "
           u"WHERE ログ.件名ID = 件名.件名ID ORDER BY ログ.登録日 DESC"_qs;
    QTest::newRow("users with the settings, by reading down")
        << u"SELECT * FROM ユーザー,設定 ORDER BY 表示ふりがな DESC"_qs;
    QTest::newRow("users with the settings, by telephone")
        << u"SELECT * FROM ユーザー,設定 ORDER BY 会社ＴＥＬ, 表示ふりがな"_qs;
}

// Lists that read several tables, sorted with ties (one date for many
// subjects, one title, one date for many logs): the server gives the tied
// rows in the order the files give them.
void TstServerStore::joinedListsTieAsTheFilesDo()
{
    QFETCH(QString, sql);
    const QStringList inFile = rowsInFile(sql);
    QVERIFY(inFile.size() > 3);
    for (const QString& database : {u"postgres"_qs, u"ja"_qs})
        QCOMPARE(rowsOnServer(sql, database), inFile);
}

ServerConnection TstServerStore::serverAccountOf(const QString& database)
{
    ServerConnection server =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString(database)));
    server.exec(u"SET search_path TO "_qs + serverAccountSchema(DatabaseKind::Customer, 1) +
                u", "_qs + serverMasterSchema());
    return server;
}

QStringList TstServerStore::rowsInFile(const QString& sql)
{
    QStringList rows;
    m_file->forEachRow(sql, {}, [&](const Row& row) {
        QStringList cells;
        for (const QVariant& v : row.values())
            cells << (v.isNull() ? u"<null>"_qs : v.toString());
        rows << cells.join(u'|');
    });
    return rows;
}

QStringList TstServerStore::rowsOnServer(const QString& sql, const QString& database)
{
    ServerConnection server = serverAccountOf(database);
    const ServerTables tables = serverTables(DatabaseKind::Customer);
    const ServerStatement translated =
        translateForServer(sql, serverNames(DatabaseKind::Customer), &tables);
    QStringList rows;
    QString detail;
    const QString refused = failureMessage(
        [&] {
            const ServerResult result = server.exec(translated.sql);
            for (int r = 0; r < result.rowCount(); ++r) {
                QStringList cells;
                for (int c = 0; c < result.columnCount(); ++c)
                    cells << (result.isNull(r, c) ? u"<null>"_qs : result.text(r, c));
                rows << cells.join(u'|');
            }
        },
        &detail);
    if (!refused.isEmpty())
        rows << u"refused: "_qs + refused + u'\n' + detail;
    return rows;
}

void TstServerStore::theServerSchemaHasTheShippedRows()
{
    ServerConnection server =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
    server.exec(u"SET search_path TO "_qs + serverAccountSchema(DatabaseKind::Customer, 1));
    const ServerResult settings = server.exec(u"SELECT * FROM \"設定\""_qs);
    const ResultSet file = m_file->query(u"SELECT * FROM 設定"_qs);
    QCOMPARE(settings.rowCount(), 1);
    QCOMPARE(settings.columnNames(), file.columnNames());
    for (int c = 0; c < settings.columnCount(); ++c)
        QCOMPARE(settings.text(0, c), file.first().text(c));
    // Keys rise and are never given again, as in the files.
    ServerConnection other =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
    other.exec(u"SET search_path TO "_qs + serverAccountSchema(DatabaseKind::Customer, 1));
    const qint64 before =
        other.exec(u"SELECT max(\"ユーザーID\") FROM \"ユーザー\""_qs).text(0, 0).toLongLong();
    const qint64 added = insertServerRow(other, u"ユーザー"_qs, {{u"表示名"_qs, u"消す"_qs}});
    other.exec(u"DELETE FROM \"ユーザー\" WHERE \"ユーザーID\" = $1"_qs, {added});
    const qint64 next = insertServerRow(other, u"ユーザー"_qs, {{u"表示名"_qs, u"次"_qs}});
    QCOMPARE(added, before + 1);
    QCOMPARE(next, added + 1);
    other.exec(u"DELETE FROM \"ユーザー\" WHERE \"ユーザーID\" = $1"_qs, {next});
}

namespace {

QString describe(const QVariant& v)
{
    if (v.isNull())
        return u"Null"_qs;
    const bool number = v.typeId() == QMetaType::LongLong || v.typeId() == QMetaType::Int;
    return (number ? u"#"_qs : u"'"_qs) + v.toString();
}

QString describe(const ResultSet& result)
{
    QStringList rows{result.columnNames().join(u',')};
    for (int r = 0; r < result.size(); ++r) {
        QStringList cells;
        for (const QVariant& v : result.row(r).values())
            cells << describe(v);
        rows << cells.join(u',');
    }
    return rows.join(u'\n');
}

// One day of work on a customer account, told as it goes: every key, count,
// row and refusal the store gives back.
QStringList work(Database& db)
{
    QStringList told;
    auto refusal = [&](const std::function<void()>& call) {
        try {
            call();
            told << u"no refusal"_qs;
        } catch (const Failure&) {
            told << u"refused"_qs;
        }
    };
    QList<qint64> users;
    for (const auto& [reading, name] : Users)
        users << db.insert(u"ユーザー"_qs, {{u"表示ふりがな"_qs, reading}, {u"表示名"_qs, name}});
    told << u"keys "_qs + QString::number(users.first()) + u".."_qs + QString::number(users.last());
    told << u"changed "_qs + QString::number(db.update(
                                 u"ﾕｰｻﾞｰ"_qs, {{u"e-mail"_qs, u"k@example.jp"_qs}},
                                 keyCondition(u"ユーザーID"_qs, QString::number(users[4]))));
    {
        Transaction dropped(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"消える"_qs}});
    }
    {
        Transaction outer(db);
        {
            Transaction inner(db);
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"内側"_qs}});
            inner.commit();
        }
        // A refused statement, then the whole transaction goes back.
        refusal([&] { db.exec(u"SELECT * FROM ない表"_qs); });
    }
    told << u"users "_qs + QString::number(db.scalar(u"Select count(*) From ユーザー"_qs));
    {
        Transaction adding(db);
        BulkInsert subjects(db, u"件名"_qs,
                            {u"ユーザーID"_qs, u"登録日"_qs, u"件名"_qs, u"判定"_qs});
        const std::string title = "複合機 'A'";
        for (int i = 0; i < 5; ++i) {
            told << u"subject "_qs + QString::number(subjects.add(
                                         {qint64(users[i % 3]), std::string_view("2003/08/19(火)"),
                                          std::string_view(title), std::string_view("続行")}));
        }
        subjects.add(QVariantList{users[0], QVariant(), u"別件"_qs, u"完了"_qs});
        // What COPY's text form escapes comes back as it went.
        subjects.add(QVariantList{users[1], u""_qs, u"a\tb\nc\r\\N\\"_qs, u"\\."_qs});
        adding.commit();
    }
    told << describe(
        db.query(u"SELECT * FROM 件名 WHERE ﾕｰｻﾞｰID = ? ORDER BY 件名ID DESC"_qs, {users[0]}));
    told << describe(db.query(u"Select Max(件名ID) as ma1, count(*) as n From 件名"_qs));
    {
        ReadTransaction reading(db);
        for (const TextRow& row : db.textRows(u"SELECT * FROM 件名 ORDER BY 登録日, 件名"_qs,
                                              {u"件名ID"_qs, u"件名"_qs, u"登録日"_qs, u"ない"_qs}))
            told << row.value(0) + u'|' + row.value(1) + u'|' + row.value(2) + u'|' + row.value(3);
    }
    told << u"removed "_qs +
                QString::number(db.remove(u"件名"_qs, u"判定 = '完了' Or 件名 Like '%''A''%'"_qs));
    told << u"subjects "_qs + QString::number(db.scalar(u"Select count(*) From 件名"_qs));
    refusal([&] { db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"a"_qs}, {u"表示名"_qs, u"b"_qs}}); });
    refusal([&] { db.query(u"SELECT * FROM ない表"_qs); });
    refusal([&] { db.insert(u"ない表"_qs, {{u"表示名"_qs, u"a"_qs}}); });
    told << db.tableNames().join(u',');
    return told;
}

} // namespace

// What the core asks of the store, on a file and on the server: the same
// keys, counts, rows, types, transactions and refusals.
void TstServerStore::storeOperationsAreTheSame()
{
    Database file = Database::createNew(m_folder->file(u"働く.mdb"_qs));
    createSchema(file, DatabaseKind::Customer);
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString());
    {
        ServerConnection admin = ServerConnection::open(address);
        createServerSchema(admin, DatabaseKind::Customer,
                           serverAccountSchema(DatabaseKind::Customer, 2));
    }
    Database server = Database::openServer(address, serverAccountSchema(DatabaseKind::Customer, 2),
                                           DatabaseKind::Customer);
    QVERIFY(server.isServer());
    const QStringList inFile = work(file);
    QStringList onServer;
    try {
        onServer = work(server);
    } catch (const Failure& e) {
        QFAIL(qPrintable(e.message() + u"\n"_qs + e.detail()));
    }
    QCOMPARE(onServer, inFile);
    if (qEnvironmentVariableIsSet("HORUNEA_SHOW_WORK"))
        qInfo().noquote() << inFile.join(u'\n');
}

Database TstServerStore::serverAccount(qint64 number)
{
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString());
    const QString schema = serverAccountSchema(DatabaseKind::Customer, number);
    ServerConnection admin = ServerConnection::open(address);
    createServerSchema(admin, DatabaseKind::Customer, schema);
    return Database::openServer(address, schema, DatabaseKind::Customer);
}

// Rows added in bulk go in batches: the keys given as they are added are the
// ones the rows have, across batches, and rows still waiting when the
// BulkInsert closes are written too.
void TstServerStore::aBatchIsSentAsItGrowsAndWhenItCloses()
{
    Database db = serverAccount(3);
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"先"_qs}});
    const QString long_(300000, u'長');
    QList<qint64> keys;
    {
        Transaction adding(db);
        BulkInsert users(db, u"ユーザー"_qs, {u"表示名"_qs, u"備考"_qs});
        for (int i = 0; i < 12; ++i) // about 10 MB: more than one batch
            keys << users.add(QVariantList{QString::number(i), long_});
        adding.commit();
    }
    QCOMPARE(keys.first(), 2);
    QCOMPARE(keys.last(), 13);
    const ResultSet rows =
        db.query(u"SELECT ユーザーID, 表示名, 備考 FROM ユーザー ORDER BY ユーザーID"_qs);
    QCOMPARE(rows.size(), 13);
    for (int i = 0; i < 12; ++i) {
        QCOMPARE(rows.row(i + 1).value(0).toLongLong(), keys[i]);
        QCOMPARE(rows.row(i + 1).value(1).toString(), QString::number(i));
        QVERIFY(rows.row(i + 1).value(2).toString() == long_);
    }
    QCOMPARE(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"後"_qs}}), 14);
}

// Another connection adds a row while a batch waits: the keys given to the
// batch's rows are not the ones the identity would give, so nothing of the
// batch is written and the transaction does not commit.
void TstServerStore::aBatchWhoseKeysAnotherTookIsRefused()
{
    Database db = serverAccount(4);
    Database other = Database::openServer(ServerAddress::parse(m_cluster->connectionString()),
                                          serverAccountSchema(DatabaseKind::Customer, 4),
                                          DatabaseKind::Customer);
    try {
        Transaction adding(db);
        {
            BulkInsert users(db, u"ユーザー"_qs, {u"表示名"_qs});
            QCOMPARE(users.add(QVariantList{u"一"_qs}), 1);
            QCOMPARE(users.add(QVariantList{u"二"_qs}), 2);
            other.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"割り込み"_qs}});
            users.add(QVariantList{u"三"_qs});
        }
        adding.commit();
        QFAIL("the batch was written with keys another connection was given");
    } catch (const Failure& e) {
        QVERIFY2(e.message().startsWith(u"キーが連続して振られませんでした。"_qs),
                 qPrintable(e.message()));
    }
    QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 1);
    QCOMPARE(db.query(u"SELECT 表示名 FROM ユーザー"_qs).first().value(0).toString(),
             u"割り込み"_qs);
}

// A batch the server refuses as it closes (a value the column cannot hold)
// leaves the transaction unable to commit: the commit says so, nothing is
// written, and the connection goes on working.
void TstServerStore::aFailedBatchKeepsTheTransactionFromCommitting()
{
    Database db = serverAccount(5);
    for (const bool finish : {false, true}) {
        try {
            Transaction adding(db);
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"同じ取引"_qs}});
            {
                BulkInsert subjects(db, u"件名"_qs, {u"ユーザーID"_qs, u"件名"_qs});
                subjects.add(QVariantList{u"一"_qs, u"数でないキー"_qs});
                if (finish)
                    subjects.finish();
            }
            adding.commit();
            QFAIL("a refused batch was reported as written");
        } catch (const Failure& e) {
            QVERIFY2(e.message().contains(u"実行できませんでした"_qs), qPrintable(e.message()));
        }
        QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 0);
        QCOMPARE(db.scalar(u"SELECT count(*) FROM 件名"_qs), 0);
    }
    // The identity does not go back with the transaction: a later key.
    QVERIFY(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"その後"_qs}}) > 2);
    // A statement the server refused ends its transaction as failed, even
    // when the caller went on: the commit says nothing was written.
    try {
        Transaction adding(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"消える"_qs}});
        try {
            db.exec(u"SELECT * FROM ない表"_qs);
        } catch (const Failure&) {
        }
        adding.commit();
        QFAIL("a transaction the server ended was reported as committed");
    } catch (const Failure& e) {
        QVERIFY2(e.message().contains(u"何も保存されていません"_qs), qPrintable(e.message()));
    }
    QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 1);
}

QTEST_GUILESS_MAIN(TstServerStore)
#include "tst_serverstore.moc"
