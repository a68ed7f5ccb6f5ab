// The connection to a shop's PostgreSQL server: what server.conf may hold,
// and what the user is told when the server does not answer, refuses the
// login, refuses a statement or goes away in the middle of work. Against a
// private cluster of the test's own.
#include "CoreTestSupport.h"
#include "PgCluster.h"

#include "store/JetDialect.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"

#include <QRandomGenerator>
#include <QTest>

#include <functional>

using namespace horunea;
using namespace horunea::test;

class TstServer : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();

    void serverConfLine_data();
    void serverConfLine();
    void serverConfIsReadFromItsFile();
    void valuesAreBoundAndComeBackAsTheyWent();
    void failedConnections_data();
    void failedConnections();
    void theRightCertificateIsTrusted();
    void aRefusedStatementLeavesTheConnectionUsable();
    void aLostConnectionIsSaidAndLeavesNothingHalfWritten();
    void aLostConnectionIsMadeAgainWithItsSession();
    void likePatternsMatchOnTheServerAsInTheFiles_data();
    void likePatternsMatchOnTheServerAsInTheFiles();
    void randomLikePatternsMatchOnTheServerAsInTheFiles_data();
    void randomLikePatternsMatchOnTheServerAsInTheFiles();
    void theServerFoldsEveryCharacterAsTheFiles();
    void aFoldedSearchFindsWhatTheFoldedTextHolds_data();
    void aFoldedSearchFindsWhatTheFoldedTextHolds();

private:
    ServerAddress address(const QString& database = u"postgres"_qs) const
    {
        return ServerAddress::parse(m_cluster->connectionString(database));
    }

    std::unique_ptr<PgCluster> m_cluster;
    // A server on TCP with TLS, and a certificate of another issuer.
    std::unique_ptr<PgCluster> m_tls;
    QTemporaryDir m_otherIssuer;
};

void TstServer::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_tls = std::make_unique<PgCluster>(true);
    QVERIFY2(m_tls->isRunning(), qPrintable(m_tls->error()));
    QProcess openssl;
    openssl.start(u"openssl"_qs,
                  {u"req"_qs, u"-x509"_qs, u"-newkey"_qs, u"rsa:2048"_qs, u"-nodes"_qs, u"-days"_qs,
                   u"2"_qs, u"-subj"_qs, u"/CN=localhost"_qs, u"-keyout"_qs,
                   m_otherIssuer.filePath(u"other.key"_qs), u"-out"_qs,
                   m_otherIssuer.filePath(u"other.crt"_qs)});
    QVERIFY(openssl.waitForFinished(60000) && openssl.exitCode() == 0);
}

void TstServer::serverConfLine_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("shown"); // the server as messages name it
    QTest::addColumn<QString>("refusal");
    auto row = [](const char* name, const QString& text, const QString& shown,
                  const QString& refusal) { QTest::newRow(name) << text << shown << refusal; };
    row("keywords", u"host=db.shop.lan dbname=horunea user=horunea sslmode=require"_qs,
        u"db.shop.lan:5432/horunea"_qs, QString());
    row("socket and port", u"host=/run/pg port=5433 dbname=本店"_qs, u"/run/pg:5433/本店"_qs,
        QString());
    row("blank lines around", u"\n  dbname=horunea  \n\n"_qs, u"localhost:5432/horunea"_qs,
        QString());
    row("uri", u"postgresql://horunea@db:6000/shop"_qs, u"db:6000/shop"_qs, QString());
    row("empty", u"  \n"_qs, QString(),
        u"server.conf が空です。サーバーへの接続文字列を 1 行で書いてください。"_qs);
    row("two lines", u"dbname=a\ndbname=b"_qs, QString(),
        u"server.conf には接続文字列を 1 行だけ書いてください。"_qs);
    const QString password = u"server.conf にパスワードを書かないでください。パスワードは "
                             u"~/.pgpass (または PGPASSFILE のファイル) に書きます。"_qs;
    row("password keyword", u"host=db password=secret"_qs, QString(), password);
    row("password in uri", u"postgresql://horunea:secret@db/shop"_qs, QString(), password);
    row("not a connection string", u"host=db nonsense"_qs, QString(),
        u"server.conf の接続文字列が読めません。"_qs);
    row("unknown keyword", u"host=db colour=blue"_qs, QString(),
        u"server.conf の接続文字列が読めません。"_qs);
}

void TstServer::serverConfLine()
{
    QFETCH(QString, text);
    QFETCH(QString, shown);
    QFETCH(QString, refusal);
    QString said;
    ServerAddress parsed;
    said = failureMessage([&] { parsed = ServerAddress::parse(text); });
    QCOMPARE(said, refusal);
    if (refusal.isEmpty()) {
        QCOMPARE(parsed.displayName(), shown);
        QCOMPARE(parsed.connectionString(), text.trimmed());
    }
}

void TstServer::serverConfIsReadFromItsFile()
{
    TempDataFolder folder;
    const QString path = folder.file(u"server.conf"_qs);
    QCOMPARE(failureMessage([&] { ServerAddress::read(path); }), u"server.conf を読めません。"_qs);
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(m_cluster->connectionString().toUtf8() + "\n");
    file.close();
    const ServerAddress address = ServerAddress::read(path);
    QCOMPARE(address.connectionString(), m_cluster->connectionString());
    QVERIFY(ServerConnection::open(address).isOpen());
}

void TstServer::valuesAreBoundAndComeBackAsTheyWent()
{
    ServerConnection server = ServerConnection::open(address());
    QVERIFY(server.serverVersion() >= 130000);
    // A value that would break SQL text goes in bound, as it is.
    const QString quote = u"O'Brien\"; DROP TABLE x; --"_qs;
    const ServerResult r =
        server.exec(u"SELECT $1::text AS a, $2::text AS b, $3::bigint + 1 AS c, $4::text AS d"_qs,
                    {u"山田 ｶﾞｯｺｳ 😀"_qs, QVariant(), qint64(41), quote});
    QCOMPARE(r.rowCount(), 1);
    QCOMPARE(r.columnNames(), (QStringList{u"a"_qs, u"b"_qs, u"c"_qs, u"d"_qs}));
    QCOMPARE(r.text(0, 0), u"山田 ｶﾞｯｺｳ 😀"_qs);
    QVERIFY(r.isNull(0, 1));
    QCOMPARE(r.text(0, 1), QString());
    QCOMPARE(r.text(0, 2), u"42"_qs);
    QCOMPARE(r.text(0, 3), quote);
    // The empty text is not Null.
    const ServerResult empty = server.exec(u"SELECT $1::text"_qs, {u""_qs});
    QVERIFY(!empty.isNull(0, 0));
    server.exec(u"CREATE TEMP TABLE t (v text)"_qs);
    QCOMPARE(server.exec(u"INSERT INTO t VALUES ($1), ($2)"_qs, {u"a"_qs, u"b"_qs}).changed(), 2);
}

void TstServer::failedConnections_data()
{
    QTest::addColumn<QString>("connection");
    QTest::addColumn<QString>("shown");
    QTest::addColumn<QString>("what");
    QTemporaryDir nowhere;
    const QString cluster = m_cluster->socketFolder();
    QTest::newRow("no server at the socket")
        << (u"host="_qs + nowhere.path() + u" port=5432 user=horunea dbname=postgres"_qs)
        << (nowhere.path() + u":5432/postgres"_qs)
        << u"に接続できません。サーバーが動いているか、server.conf の接続先とネットワークを確かめてください。"_qs;
    QTest::newRow("unknown user")
        << (u"host="_qs + cluster + u" port=5432 user=誰か dbname=postgres"_qs)
        << (cluster + u":5432/postgres"_qs)
        << u"にログインできません。ユーザー名、パスワード (~/.pgpass)、データベース名を確かめてください。"_qs;
    QTest::newRow("unknown database")
        << (u"host="_qs + cluster + u" port=5432 user=horunea dbname=ない店"_qs)
        << (cluster + u":5432/ない店"_qs)
        << u"にログインできません。ユーザー名、パスワード (~/.pgpass)、データベース名を確かめてください。"_qs;
    // The server answers, but is not the one server.conf trusts: never told
    // as a server that is not running.
    const QString port = QString::number(m_tls->port());
    const QString untrusted =
        u"の証明書を信頼できません。証明書の名前が接続先と違うか、sslrootcert "
        u"の発行元のものではありません。server.conf の接続先と証明書を確かめてください。"_qs;
    QTest::newRow("certificate for another name")
        << (u"host=127.0.0.1 port="_qs + port +
            u" user=horunea dbname=postgres sslmode=verify-full sslrootcert="_qs +
            m_tls->serverCertificate())
        << (u"127.0.0.1:"_qs + port + u"/postgres"_qs) << untrusted;
    QTest::newRow("certificate of another issuer")
        << (u"host=localhost port="_qs + port +
            u" user=horunea dbname=postgres sslmode=verify-full sslrootcert="_qs +
            m_otherIssuer.filePath(u"other.crt"_qs))
        << (u"localhost:"_qs + port + u"/postgres"_qs) << untrusted;
}

// The server's own certificate, for the name it was made for, is trusted.
void TstServer::theRightCertificateIsTrusted()
{
    ServerConnection server = ServerConnection::open(
        ServerAddress::parse(u"host=localhost port="_qs + QString::number(m_tls->port()) +
                             u" user=horunea dbname=postgres sslmode=verify-full sslrootcert="_qs +
                             m_tls->serverCertificate()));
    QCOMPARE(server.exec(u"SELECT ssl::text FROM pg_stat_ssl WHERE pid = pg_backend_pid()"_qs)
                 .text(0, 0),
             u"true"_qs);
}

// Each failure names the server and what failed, with libpq's words as the
// detail; nothing falls back to anything.
void TstServer::failedConnections()
{
    QFETCH(QString, connection);
    QFETCH(QString, shown);
    QFETCH(QString, what);
    QString detail;
    const QString said =
        failureMessage([&] { ServerConnection::open(ServerAddress::parse(connection)); }, &detail);
    QCOMPARE(said, u"サーバー「"_qs + shown + u"」"_qs + what);
    QVERIFY(!detail.isEmpty());
}

void TstServer::aRefusedStatementLeavesTheConnectionUsable()
{
    ServerConnection server = ServerConnection::open(address());
    QString detail;
    const QString said = failureMessage([&] { server.exec(u"SELECT * FROM ない表"_qs); }, &detail);
    QCOMPARE(said, u"サーバー「"_qs + server.displayName() + u"」で実行できませんでした。"_qs);
    QVERIFY2(detail.contains(u"(42P01)"_qs), qPrintable(detail));
    QVERIFY(detail.endsWith(u"SELECT * FROM ない表"_qs));
    QCOMPARE(server.exec(u"SELECT 1"_qs).text(0, 0), u"1"_qs);
}

// A connection cut in the middle of a transaction: the next statement says
// the connection is gone, and the server keeps nothing of the transaction.
void TstServer::aLostConnectionIsSaidAndLeavesNothingHalfWritten()
{
    ServerConnection admin = ServerConnection::open(address());
    admin.exec(u"CREATE TABLE 半分 (v text)"_qs);
    ServerConnection worker = ServerConnection::open(address());
    const QString pid = worker.exec(u"SELECT pg_backend_pid()"_qs).text(0, 0);
    worker.exec(u"BEGIN"_qs);
    worker.exec(u"INSERT INTO 半分 VALUES ($1)"_qs, {u"一行目"_qs});
    admin.exec(u"SELECT pg_terminate_backend($1::int)"_qs, {pid});
    const QString said =
        failureMessage([&] { worker.exec(u"INSERT INTO 半分 VALUES ('二行目')"_qs); });
    QCOMPARE(said, u"サーバー「"_qs + worker.displayName() + u"」との接続が切れました。"_qs);
    QCOMPARE(admin.exec(u"SELECT count(*) FROM 半分"_qs).text(0, 0), u"0"_qs);
    admin.exec(u"DROP TABLE 半分"_qs);
}

// After a lost connection has been said, the next statement makes it again
// with its search path and its lock. Inside a transaction it stays lost
// until the transaction's end was refused: nothing after the loss runs
// outside a transaction. A lock another took meanwhile is refused.
void TstServer::aLostConnectionIsMadeAgainWithItsSession()
{
    ServerConnection admin = ServerConnection::open(address());
    admin.exec(u"CREATE SCHEMA 再接続"_qs);
    admin.exec(u"CREATE TABLE 再接続.行 (v text)"_qs);
    ServerConnection worker = ServerConnection::open(address());
    worker.keepForSession(u"SET search_path TO 再接続"_qs);
    worker.keepForSession(u"SELECT pg_try_advisory_lock_shared(42)"_qs, {}, u"t"_qs,
                          u"使用中です。"_qs);
    const QString lost = u"サーバー「"_qs + worker.displayName() + u"」との接続が切れました。"_qs;
    auto cut = [&] {
        admin.exec(u"SELECT pg_terminate_backend(pid) FROM pg_stat_activity WHERE "
                   u"application_name = 'horunea' AND pid <> pg_backend_pid()"_qs);
    };
    const QString locks =
        u"SELECT count(*) FROM pg_locks WHERE locktype = 'advisory' AND objid = 42"_qs;

    cut();
    QCOMPARE(failureMessage([&] { worker.exec(u"SELECT count(*) FROM 行"_qs); }), lost);
    QCOMPARE(worker.exec(u"SELECT count(*) FROM 行"_qs).text(0, 0), u"0"_qs);
    QCOMPARE(admin.exec(locks).text(0, 0), u"1"_qs);

    worker.exec(u"BEGIN"_qs);
    worker.exec(u"INSERT INTO 行 VALUES ('一')"_qs);
    cut();
    for (const QString& sql : {u"INSERT INTO 行 VALUES ('二')"_qs, u"SELECT 1"_qs,
                               u"INSERT INTO 行 VALUES ('三')"_qs, u"ROLLBACK"_qs})
        QCOMPARE(failureMessage([&] { worker.exec(sql); }), lost);
    QCOMPARE(worker.exec(u"SELECT count(*) FROM 行"_qs).text(0, 0), u"0"_qs);

    cut();
    admin.exec(u"SELECT pg_advisory_lock(42)"_qs);
    QCOMPARE(failureMessage([&] { worker.exec(u"SELECT 1"_qs); }), lost);
    // Refused while the other holds it, each time; taken once it is free.
    for (int i = 0; i < 2; ++i)
        QCOMPARE(failureMessage([&] { worker.exec(u"SELECT 1"_qs); }), u"使用中です。"_qs);
    admin.exec(u"SELECT pg_advisory_unlock(42)"_qs);
    QCOMPARE(worker.exec(u"SELECT count(*) FROM 行"_qs).text(0, 0), u"0"_qs);
    QCOMPARE(admin.exec(locks).text(0, 0), u"1"_qs);
    admin.exec(u"DROP SCHEMA 再接続 CASCADE"_qs);
}

namespace {

// Where the database was made: the cluster's own (C.UTF-8), or a Japanese
// ICU collation as a shop's server may have.
void addDatabases()
{
    QTest::addColumn<QString>("database");
    QTest::newRow("C.UTF-8") << u"postgres"_qs;
    QTest::newRow("ICU ja-JP") << u"ja"_qs;
}

void makeJapaneseDatabase(ServerConnection& server)
{
    if (server.exec(u"SELECT 1 FROM pg_database WHERE datname = 'ja'"_qs).rowCount() == 0)
        server.exec(u"CREATE DATABASE ja TEMPLATE template0 ENCODING 'UTF8' "
                    u"LOCALE_PROVIDER icu ICU_LOCALE 'ja-JP' LOCALE 'C.UTF-8'"_qs);
}

// Each pattern against each text: the server's answer is the files' answer.
void compareLike(ServerConnection& server, const QList<std::pair<QString, QString>>& pairs)
{
    for (const auto& [pattern, text] : pairs) {
        const QString regex = jetPatternAsServerRegex(pattern);
        const bool files = jetLike(pattern, text);
        const bool onServer =
            server.exec(u"SELECT $1::text ~ $2::text"_qs, {text, regex}).text(0, 0) == u"t";
        QVERIFY2(onServer == files,
                 qPrintable(u"\""_qs + text + u"\" Like \""_qs + pattern + u"\" ("_qs + regex +
                            u"): files "_qs + (files ? u"yes"_qs : u"no"_qs)));
    }
}

} // namespace

void TstServer::likePatternsMatchOnTheServerAsInTheFiles_data()
{
    addDatabases();
}

// The kana rows, searches and the edges of Jet's Like.
void TstServer::likePatternsMatchOnTheServerAsInTheFiles()
{
    QFETCH(QString, database);
    {
        ServerConnection admin = ServerConnection::open(address());
        makeJapaneseDatabase(admin);
    }
    ServerConnection server = ServerConnection::open(address(database));
    const QStringList patterns = {
        u"[ｶ-ｺ]%"_qs, u"[あ-お]%"_qs, u"[ぁ-ぉ]%"_qs, u"[ｱ-ｵ]%"_qs, u"[ｧ-ｫ]%"_qs,  u"[ﾜ-ﾝ]%"_qs,
        u"[A-Z]%"_qs, u"[!ｱ-ｵ]%"_qs,  u"[!A-Z]%"_qs,  u"%山田%"_qs, u"山田%"_qs,   u"%田"_qs,
        u"a_c"_qs,    u"[a]bc"_qs,    u"[]x"_qs,      u"[!]x"_qs,   u"[x"_qs,      u"x]"_qs,
        u"[a-]"_qs,   u"[-a]"_qs,     u"[z-a]"_qs,    u"[Z-a]"_qs,  u"%[%]%"_qs,   u"[_]%"_qs,
        u"a.c"_qs,    u"a*"_qs,       u"(a|b)"_qs,    u"^a$"_qs,    u"\\%"_qs,     u"a{2}"_qs,
        u"%😀%"_qs,    u"[😀-😂]"_qs,    u"%%%"_qs,      u""_qs,       u"[!a-c]_"_qs, u"E-MAIL%"_qs,
    };
    const QStringList texts = {
        u"ｶﾄｳ"_qs,
        u"ｺﾊﾞﾔｼ"_qs,
        u"ｻﾄｳ"_qs,
        u"かとう"_qs,
        u"ぁ"_qs,
        u"ｧ"_qs,
        u"ﾝ"_qs,
        u"Abe"_qs,
        u"abe"_qs,
        u"[abe]"_qs,
        u"山田太郎"_qs,
        u"小山田"_qs,
        u"田"_qs,
        u"abc"_qs,
        u"ABC"_qs,
        u"aXc"_qs,
        u"a\nc"_qs,
        u"x"_qs,
        u"[x"_qs,
        u"x]"_qs,
        u"-"_qs,
        u"a"_qs,
        u"z"_qs,
        u"Z"_qs,
        u"_"_qs,
        u"%"_qs,
        u"[_]"_qs,
        u"a.c"_qs,
        u"aa"_qs,
        u"(a|b)"_qs,
        u"^a$"_qs,
        u"\\"_qs,
        u"a{2}"_qs,
        u"😁"_qs,
        u"x😀y"_qs,
        u""_qs,
        u"e-mail@example.jp"_qs,
        u"ｶ"_qs,
    };
    QList<std::pair<QString, QString>> pairs;
    for (const QString& p : patterns)
        for (const QString& t : texts)
            pairs.append({p, t});
    compareLike(server, pairs);
}

void TstServer::randomLikePatternsMatchOnTheServerAsInTheFiles_data()
{
    addDatabases();
}

// Patterns and texts drawn from the characters that mean something to
// either side, a fixed seed so that a failure comes back.
void TstServer::randomLikePatternsMatchOnTheServerAsInTheFiles()
{
    QFETCH(QString, database);
    {
        ServerConnection admin = ServerConnection::open(address());
        makeJapaneseDatabase(admin);
    }
    ServerConnection server = ServerConnection::open(address(database));
    const QString alphabet = u"%_[]!-aAzZbB0.*\\^$()|+?{}ｶｺあ山😀 "_qs;
    const QList<uint> chars = alphabet.toUcs4();
    QRandomGenerator random(20261209);
    auto draw = [&](int most) {
        QList<uint> out;
        const int n = int(random.bounded(most + 1));
        for (int i = 0; i < n; ++i)
            out << chars[int(random.bounded(int(chars.size())))];
        return QString::fromUcs4(reinterpret_cast<const char32_t*>(out.constData()), out.size());
    };
    QList<std::pair<QString, QString>> pairs;
    for (int i = 0; i < 1500; ++i)
        pairs.append({draw(6), draw(5)});
    compareLike(server, pairs);
}

// The folded search's function on the server against searchFolded: every
// character of the basic plane, a run of them at a time, then mixed texts
// with characters beyond it.
void TstServer::theServerFoldsEveryCharacterAsTheFiles()
{
    ServerConnection server = ServerConnection::open(address());
    server.exec(u"CREATE SCHEMA IF NOT EXISTS 折り"_qs);
    server.exec(serverFoldFunction(u"折り"_qs));
    QString run;
    auto compare = [&] {
        const QString onServer =
            server.exec(u"SELECT \"折り\".searchfold($1)"_qs, {run}).text(0, 0);
        const QString files = searchFolded(run);
        if (onServer != files) {
            for (qsizetype i = 0; i < run.size(); ++i) {
                const QString one = run.mid(i, 1);
                QCOMPARE(server.exec(u"SELECT \"折り\".searchfold($1)"_qs, {one}).text(0, 0),
                         searchFolded(one));
            }
        }
        QCOMPARE(onServer, files);
        run.clear();
    };
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        run += QChar::fromUcs4(c);
        if (run.size() == 2000)
            compare();
    }
    compare();
    for (const QString& text : {u"ﾔﾏﾀﾞ ﾀﾛｳ"_qs, u"ガッコウ　がっこう"_qs, u"ＡＢＣ１２３ｘｙｚ"_qs,
                                u"〜−‖—￠"_qs, u"😀ｶﾞ𠮷ヴ"_qs, u"O'Brien ＼ ＇"_qs}) {
        run = text;
        compare();
    }
    // NULL in, NULL out, as the files' function does for a Null field.
    QVERIFY(server.exec(u"SELECT \"折り\".searchfold(NULL)"_qs).isNull(0, 0));
}

void TstServer::aFoldedSearchFindsWhatTheFoldedTextHolds_data()
{
    addDatabases();
}

// SearchFold(x) Like p as the server runs it (x matched itself, the folded x
// only when the pattern is more than a run between %), against the files'
// fold and Like: a voiced kana written whole, as base and mark, half-width,
// or cut at a word's edge; a mark alone; case and width; signs; Null.
void TstServer::aFoldedSearchFindsWhatTheFoldedTextHolds()
{
    QFETCH(QString, database);
    {
        ServerConnection admin = ServerConnection::open(address());
        makeJapaneseDatabase(admin);
    }
    ServerConnection server = ServerConnection::open(address(database));
    server.exec(u"CREATE SCHEMA IF NOT EXISTS 折り"_qs);
    server.exec(serverFoldFunction(u"折り"_qs));
    server.exec(u"SET search_path TO 折り"_qs);
    server.exec(u"CREATE TEMP TABLE t (k int PRIMARY KEY, x text COLLATE \"C\")"_qs);
    QStringList texts = {
        u"ガッコウ"_qs,
        u"がっこう"_qs,
        u"ｶﾞｯｺｳ"_qs,
        u"か゛っこう"_qs,
        u"カ\u3099ッコウ"_qs,
        u"ヴァイオリン"_qs,
        u"ゔ"_qs,
        u"ｳﾞ"_qs,
        u"う゛"_qs,
        u"ぱぴ ﾊﾟﾋﾟ"_qs,
        u"は゜"_qs,
        u"゛"_qs,
        u"ﾞ"_qs,
        u"ABC abc"_qs,
        u"ＡＢＣ"_qs,
        u"〜～~"_qs,
        u"−－-"_qs,
        u"𠮷野家😀"_qs,
        u"O'Brien"_qs,
        u"a.c (a|b) \\ [x]"_qs,
        u"50%引き_"_qs,
        u"山田かの山が"_qs,
        u"山ガ田か"_qs,
        u"a\"山\"b \\山"_qs,
        u"件名12 件名１２ 件名1２"_qs,
        u""_qs,
        u"　"_qs,
        u"ヵヶ"_qs,
        u"ヷ"_qs,
    };
    const QString alphabet = u"かがカガｶﾞ゛ﾞ゜はぱﾊﾟうゔヴaAａ%_[ "_qs;
    const QList<uint> chars = alphabet.toUcs4();
    QRandomGenerator random(20261210);
    auto draw = [&](int most) {
        QString out;
        const int n = 1 + int(random.bounded(most));
        for (int i = 0; i < n; ++i) {
            const char32_t c = chars[int(random.bounded(int(chars.size())))];
            out += QString::fromUcs4(&c, 1);
        }
        return out;
    };
    for (int i = 0; i < 60; ++i)
        texts << draw(6);
    for (int k = 0; k < texts.size(); ++k)
        server.exec(u"INSERT INTO t VALUES ($1, $2)"_qs, {k, texts[k]});
    server.exec(u"INSERT INTO t VALUES (-1, NULL)"_qs);

    QStringList words = {
        u"山田"_qs,  u"田か"_qs,     u"の山"_qs,     u"50%引"_qs, u"\"山\""_qs, u"\\山"_qs,
        u"引き_"_qs, u"１２"_qs,     u"件名１２"_qs, u"が"_qs,    u"か"_qs,     u"゛"_qs,
        u"か゛"_qs,  u"ガッコウ"_qs, u"ｶﾞｯ"_qs,      u"ゔ"_qs,    u"う"_qs,     u"ぱ"_qs,
        u"は゜"_qs,  u"゜ぴ"_qs,     u"ABC"_qs,      u"ｂ"_qs,    u"~"_qs,      u"-"_qs,
        u"[x]"_qs,   u"%"_qs,        u"_"_qs,        u""_qs,      u"𠮷"_qs,     u"😀"_qs,
        u"'"_qs,     u"\\"_qs,       u"a.c"_qs,      u"ヶ"_qs,    u"わ゛"_qs,   u"　"_qs};
    for (int i = 0; i < 60; ++i)
        words << draw(3);
    QStringList patterns;
    for (const QString& word : words)
        patterns << u'%' + likeLiteral(searchFolded(word)) + u'%';
    // Patterns the raw text cannot answer alone: the folded text decides.
    patterns << u"_が%"_qs << u"%か_%"_qs << u"か%"_qs << u"%[か-こ]%"_qs << u"%か゛"_qs;

    const NameMap names = buildNameMap({u"t"_qs, u"k"_qs, u"x"_qs});
    for (const QString& pattern : patterns) {
        QStringList found, notFound;
        for (int k = 0; k < texts.size(); ++k)
            (jetLike(pattern, searchFolded(texts[k])) ? found : notFound) << QString::number(k);
        auto keys = [&](const QString& jet, const QVariantList& params) {
            const ServerStatement s = translateForServer(jet, names);
            const ServerResult r = server.exec(s.sql, serverParameterValues(s, params));
            QStringList out;
            for (int row = 0; row < r.rowCount(); ++row)
                out << r.text(row, 0);
            return out;
        };
        const QString select = u"SELECT k FROM t WHERE SearchFold(x) "_qs;
        QString quoted = pattern;
        quoted.replace(u"'"_qs, u"''"_qs);
        const QString what = u"\""_qs + pattern + u"\""_qs;
        QCOMPARE(keys(select + u"Like ? ORDER BY k"_qs, {pattern}).join(u' ') + u" " + what,
                 found.join(u' ') + u" " + what);
        QCOMPARE(keys(select + u"Not Like ? ORDER BY k"_qs, {pattern}).join(u' ') + u" " + what,
                 notFound.join(u' ') + u" " + what);
        QCOMPARE(keys(select + u"Like '"_qs + quoted + u"' ORDER BY k"_qs, {}).join(u' ') + u" " +
                     what,
                 found.join(u' ') + u" " + what);
    }
    // The search's own patterns are answered by the raw text alone.
    QVERIFY(foldedPatternOnRawText(u"%か゛っ%"_qs));
    QVERIFY(!foldedPatternOnRawText(u"_が%"_qs));
}

QTEST_GUILESS_MAIN(TstServer)
#include "tst_server.moc"
