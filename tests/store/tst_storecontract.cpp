// What every store promises, run on both: a SQLCipher file and a schema of
// a private PostgreSQL cluster. Each test gets a fresh customer database of
// the engine its row names.
#include "CoreTestSupport.h"
#include "PgCluster.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

class TstStoreContract : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void rollbackUnlessCommitted_data() { engines(); }
    void rollbackUnlessCommitted();
    void nestedTransactionsAreSavepoints_data() { engines(); }
    void nestedTransactionsAreSavepoints();
    void keysRiseAndAreNeverReused_data() { engines(); }
    void keysRiseAndAreNeverReused();
    void nullAndEmptyStayApart_data() { engines(); }
    void nullAndEmptyStayApart();
    void bulkKeysComeInOrder_data() { engines(); }
    void bulkKeysComeInOrder();
    void aFailedStatementFailsTheCommit_data() { engines(); }
    void aFailedStatementFailsTheCommit();
    void heldRowsWaitForTheirHolder_data() { engines(); }
    void heldRowsWaitForTheirHolder();

private:
    static void engines()
    {
        QTest::addColumn<bool>("server");
        QTest::newRow("file") << false;
        QTest::newRow("server") << true;
    }
    // A fresh customer database of the engine.
    Database fresh();
    // Another connection to the database fresh() made last.
    Database another();

    std::unique_ptr<PgCluster> m_cluster;
    std::unique_ptr<TempDataFolder> m_folder;
    int m_made = 0;
};

void TstStoreContract::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_folder = std::make_unique<TempDataFolder>();
    ServerConnection server =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
    server.exec(u"CREATE SCHEMA "_qs + serverMasterSchema());
    server.exec(serverFoldFunction(serverMasterSchema()));
}

Database TstStoreContract::fresh()
{
    QFETCH(bool, server);
    ++m_made;
    if (!server) {
        Database db = Database::createNew(m_folder->file(QStringLiteral("%1.mdb").arg(m_made)));
        createSchema(db, DatabaseKind::Customer);
        return db;
    }
    const ServerAddress address = ServerAddress::parse(m_cluster->connectionString());
    const QString schema = serverAccountSchema(DatabaseKind::Customer, m_made);
    {
        ServerConnection admin = ServerConnection::open(address);
        createServerSchema(admin, DatabaseKind::Customer, schema);
    }
    return Database::openServer(address, schema, DatabaseKind::Customer);
}

Database TstStoreContract::another()
{
    QFETCH(bool, server);
    if (!server)
        return Database::open(m_folder->file(QStringLiteral("%1.mdb").arg(m_made)));
    Database db = Database::openServer(ServerAddress::parse(m_cluster->connectionString()),
                                       serverAccountSchema(DatabaseKind::Customer, m_made),
                                       DatabaseKind::Customer);
    // Waits for a held row as long as a file waits for its writer, not forever.
    db.execRaw(u"SET lock_timeout = '2s'"_qs);
    return db;
}

void TstStoreContract::rollbackUnlessCommitted()
{
    Database db = fresh();
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"残る"_qs}});
    {
        Transaction t(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"消える"_qs}});
    }
    QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 1);
    {
        Transaction t(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"入る"_qs}});
        t.commit();
    }
    QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 2);
    QVERIFY(!db.inTransaction());
}

void TstStoreContract::nestedTransactionsAreSavepoints()
{
    Database db = fresh();
    auto names = [&db] {
        QStringList out;
        for (const TextRow& row :
             db.textRows(u"SELECT 表示名 FROM ユーザー ORDER BY ユーザーID"_qs, {u"表示名"_qs}))
            out << row[0];
        return out;
    };
    {
        Transaction outer(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"外"_qs}});
        {
            Transaction inner(db); // rolled back alone
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"内の一"_qs}});
        }
        QCOMPARE(names(), QStringList{u"外"_qs});
        {
            Transaction inner(db);
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"内の二"_qs}});
            inner.commit(); // not final before the outer one
        }
        QVERIFY(db.inTransaction());
        outer.commit();
    }
    QCOMPARE(names(), (QStringList{u"外"_qs, u"内の二"_qs}));
    {
        Transaction outer(db);
        {
            Transaction inner(db);
            db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"消える"_qs}});
            inner.commit();
        }
    } // the outer one ends without commit: its savepoint's rows go too
    QCOMPARE(names(), (QStringList{u"外"_qs, u"内の二"_qs}));
}

void TstStoreContract::keysRiseAndAreNeverReused()
{
    Database db = fresh();
    QList<qint64> keys;
    for (const QString& name : {u"一"_qs, u"二"_qs, u"三"_qs})
        keys << db.insert(u"ユーザー"_qs, {{u"表示名"_qs, name}});
    QCOMPARE(keys, (QList<qint64>{1, 2, 3}));
    db.remove(u"ユーザー"_qs, u"ユーザーID =3"_qs);
    QCOMPARE(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"四"_qs}}), 4);
    // A key given in a transaction that rolled back is not given again.
    {
        Transaction t(db);
        QCOMPARE(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"戻る"_qs}}), 5);
    }
    const qint64 next = db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"五"_qs}});
    QVERIFY2(next >= 5, qPrintable(QString::number(next)));
    QCOMPARE(db.scalar(u"Select max(ユーザーID) as ma1 From ﾕｰｻﾞｰ"_qs), next);
}

void TstStoreContract::nullAndEmptyStayApart()
{
    Database db = fresh();
    const qint64 id = db.insert(
        u"件名"_qs, {{u"件名"_qs, u"修理"_qs}, {u"備考"_qs, QVariant()}, {u"判定"_qs, u""_qs}});
    const ResultSet r = db.query(u"Select * From 件名 Where 件名ID ="_qs + QString::number(id));
    QVERIFY(r.first().isNull(u"備考"_qs));
    QVERIFY(!r.first().isNull(u"判定"_qs));
    QCOMPARE(r.first().text(u"判定"_qs), QString());
    QCOMPARE(db.scalar(u"SELECT count(*) FROM 件名 WHERE 備考 Is Null"_qs), 1);
    QCOMPARE(db.scalar(u"SELECT count(*) FROM 件名 WHERE 判定 = ''"_qs), 1);
}

void TstStoreContract::bulkKeysComeInOrder()
{
    Database db = fresh();
    db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"先"_qs}});
    QList<qint64> keys;
    {
        Transaction t(db);
        BulkInsert insert(db, u"ユーザー"_qs, {u"表示ふりがな"_qs, u"表示名"_qs});
        for (int i = 0; i < 300; ++i)
            keys << insert.add({QString(u"ｱ"_qs), QString::number(i)});
        insert.finish();
        t.commit();
    }
    for (int i = 0; i < keys.size(); ++i)
        QCOMPARE(keys[i], i + 2);
    QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 301);
    QCOMPARE(db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"後"_qs}}), 302);
}

void TstStoreContract::aFailedStatementFailsTheCommit()
{
    Database db = fresh();
    try {
        Transaction t(db);
        db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"消える"_qs}});
        db.exec(u"SELECT * FROM 存在しない表"_qs);
        t.commit();
        QFAIL("the failing statement did not throw");
    } catch (const Failure&) {
    }
    QVERIFY(!db.inTransaction());
    QCOMPARE(db.scalar(u"SELECT count(*) FROM ユーザー"_qs), 0);
}

// Rows held by one connection's transaction cannot be changed by another
// until it ends (a file's writer holds the whole file); then they can.
void TstStoreContract::heldRowsWaitForTheirHolder()
{
    Database db = fresh();
    const qint64 key = db.insert(u"ユーザー"_qs, {{u"表示名"_qs, u"前"_qs}});
    const QString condition = keyCondition(u"ユーザーID"_qs, QString::number(key));
    Database other = another();
    {
        Transaction t(db);
        QCOMPARE(db.holdRows(u"ユーザー"_qs, condition), 1);
        QVERIFY_THROWS_EXCEPTION(
            Failure, other.update(u"ユーザー"_qs, {{u"表示名"_qs, u"横から"_qs}}, condition));
        db.update(u"ユーザー"_qs, {{u"表示名"_qs, u"持ち主"_qs}}, condition);
        t.commit();
    }
    QCOMPARE(other.update(u"ユーザー"_qs, {{u"表示名"_qs, u"後から"_qs}}, condition), 1);
    QCOMPARE(db.query(u"SELECT 表示名 FROM ユーザー"_qs).first().value(0).toString(), u"後から"_qs);
}

QTEST_GUILESS_MAIN(TstStoreContract)
#include "tst_storecontract.moc"
