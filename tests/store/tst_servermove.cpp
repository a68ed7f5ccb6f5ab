// Moving a shop between its file data folder and a server: init, import of
// the whole folder (all or nothing, keys and passwords kept) and export back
// to a folder that the file store opens, compared table by table and row by
// row. Against a private cluster of the test's own.
#include "CoreTestSupport.h"
#include "Fixtures.h"
#include "PgCluster.h"

#include "admin/ServerAccountAdmin.h"
#include "store/Schema.h"
#include "store/ServerMove.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerSchema.h"

#include <QTest>

using namespace horunea;
using namespace horunea::test;

namespace {

// Every row of every table of a kind, in key order, with the next key each
// table will give: the whole of a database as the core sees it.
QStringList contents(Database& db, DatabaseKind kind)
{
    QStringList out;
    for (const TableDef& table : tablesOf(kind)) {
        out << u"== "_qs + table.name;
        db.forEachRow(u"SELECT * FROM ["_qs + table.name + u"] ORDER BY 1"_qs, {},
                      [&](const Row& row) {
                          QStringList cells;
                          for (const ColumnDef& c : table.columns) {
                              const QVariant v = row.value(c.name);
                              cells << (v.isNull() ? u"<null>"_qs : v.toString());
                          }
                          out << cells.join(u'|');
                      });
    }
    return out;
}

QStringList nextKeys(Database& db, DatabaseKind kind)
{
    QStringList out;
    Transaction probing(db); // dropped: the probe's rows go again
    for (const TableDef& table : tablesOf(kind)) {
        if (table.columns.first().type == ColumnType::Counter)
            out << table.name + u' ' + QString::number(db.insert(table.name, {}));
    }
    return out;
}

} // namespace

class TstServerMove : public QObject
{
    Q_OBJECT
private slots:
    void initTestCase();
    void initMakesTheMasterOnce();
    void importCopiesTheWholeShop();
    void aFailedImportLeavesNothing();
    void exportGivesTheShopBackAsFiles();
    void exportRefusesAFolderThatHoldsSomething();
    void theShopsTemplatesMoveAndMakeItsAccounts();
    void whatTheFilesAcceptTheServerAccepts();
    void aValueTheServerRefusesIsNamed();

private:
    ServerAddress database(const QString& name);
    // The shop's accounts: each kind's files as the file store reads them.
    struct Shop
    {
        QString folder;
        QList<std::pair<QString, DatabaseKind>> files; // relative path, kind
    };
    void compareWithServer(const Shop& shop, const ServerAddress& address);

    std::unique_ptr<PgCluster> m_cluster;
    std::unique_ptr<TempDataFolder> m_folder;
    Shop m_shop;
};

ServerAddress TstServerMove::database(const QString& name)
{
    ServerConnection admin =
        ServerConnection::open(ServerAddress::parse(m_cluster->connectionString()));
    admin.exec(u"CREATE DATABASE \""_qs + name + u"\" TEMPLATE template0 ENCODING 'UTF8'"_qs);
    return ServerAddress::parse(m_cluster->connectionString(name));
}

void TstServerMove::initTestCase()
{
    m_cluster = std::make_unique<PgCluster>();
    QVERIFY2(m_cluster->isRunning(), qPrintable(m_cluster->error()));
    m_folder = std::make_unique<TempDataFolder>();
    makeOperator(u"営業一課"_qs, u"秘密"_qs);
    makeOperator(u"佐藤"_qs);
    makeRepairAccount(u"本店"_qs, u"pw"_qs);
    {
        Database db = Database::open(customerFile(u"営業一課"_qs));
        const qint64 kato = addUser(db, u"ｶﾄｳ"_qs, u"加藤"_qs, {{u"会社名"_qs, u"加藤工業"_qs}});
        const qint64 gone = addUser(db, u"ｷｴﾙ"_qs, u"消える"_qs);
        const qint64 s = addSubject(db, kato, u"複合機 'A'"_qs);
        addLog(db, s, kato, u"訪問した\n二行目"_qs);
        db.remove(u"ユーザー"_qs, keyCondition(u"ユーザーID"_qs, QString::number(gone)));
        db.update(u"設定"_qs, {{u"項目01"_qs, u"誕生日"_qs}}, u"設定ID =1"_qs);
    }
    {
        Database db = Database::open(repairFile(u"本店"_qs));
        const qint64 r = addRepair(db, u"河合"_qs, u"北村商店"_qs, u"続行"_qs,
                                   {{u"入金"_qs, u"未入"_qs}, {u"仕切"_qs, u"8000"_qs}});
        addRepairLog(db, r, u"部品発注"_qs);
        db.insert(u"修理先"_qs, {{u"メーカー名"_qs, u"東芝"_qs}});
        db.update(u"自社"_qs, {{u"自社名"_qs, u"ホルネア商会"_qs}}, u"自社ID =1"_qs);
    }
    m_shop.folder = m_folder->path();
    m_shop.files = {{u"main.mdb"_qs, DatabaseKind::Master},
                    {u"kelvo/営業一課.mdb"_qs, DatabaseKind::Customer},
                    {u"kelvo/佐藤.mdb"_qs, DatabaseKind::Customer},
                    {u"care/本店.mdb"_qs, DatabaseKind::Repair}};
}

void TstServerMove::compareWithServer(const Shop& shop, const ServerAddress& address)
{
    Database master = Database::open(QDir(shop.folder).filePath(u"main.mdb"_qs));
    for (const auto& [relative, kind] : shop.files) {
        Database file = Database::open(QDir(shop.folder).filePath(relative));
        QString schema = serverMasterSchema();
        if (kind != DatabaseKind::Master) {
            const AccountKind account =
                kind == DatabaseKind::Repair ? AccountKind::Repair : AccountKind::Operator;
            const QString name = QFileInfo(relative).completeBaseName();
            schema = serverAccountSchema(
                kind, FindAccount(master, account, FindBy::Name, name).number.toLongLong());
        }
        Database server = Database::openServer(address, schema, kind);
        QCOMPARE(contents(server, kind), contents(file, kind));
        QCOMPARE(nextKeys(server, kind), nextKeys(file, kind));
    }
}

void TstServerMove::initMakesTheMasterOnce()
{
    const ServerAddress address = database(u"init"_qs);
    InitServer(address);
    Database master = Database::openServer(address, serverMasterSchema(), DatabaseKind::Master);
    QCOMPARE(columnOf(master, u"SELECT 管理者名 FROM 管理者"_qs), QStringList{u"admin"_qs});
    QCOMPARE(master.scalar(u"SELECT count(*) FROM 使用者"_qs), 0);
    QCOMPARE(failureMessage([&] { InitServer(address); }),
             u"サーバー「"_qs + address.displayName() +
                 u"」にはすでにホルネアのデータがあります。"_qs);
    QCOMPARE(failureMessage([&] { ImportFolderToServer(address, m_shop.folder); }),
             u"サーバー「"_qs + address.displayName() +
                 u"」にはすでにホルネアのデータがあります。"_qs);
}

void TstServerMove::importCopiesTheWholeShop()
{
    const ServerAddress address = database(u"shop"_qs);
    QStringList said;
    QCOMPARE(
        ImportFolderToServer(address, m_shop.folder, [&](const QString& text) { said << text; }),
        3);
    QCOMPARE(said, (QStringList{u"main.mdb"_qs, u"kelvo/営業一課.mdb"_qs, u"kelvo/佐藤.mdb"_qs,
                                u"care/本店.mdb"_qs}));
    compareWithServer(m_shop, address);
    // The folded search's function came along.
    Database account = Database::openServer(address, serverAccountSchema(DatabaseKind::Customer, 1),
                                            DatabaseKind::Customer);
    QCOMPARE(columnOf(account, u"SELECT 表示名 FROM ユーザー WHERE searchfold(表示ふりがな) "
                               u"Like '%かとう%'"_qs),
             QStringList{u"加藤"_qs});
}

void TstServerMove::aFailedImportLeavesNothing()
{
    // A shop whose repair account has lost its file.
    QTemporaryDir broken;
    for (const auto& [relative, kind] : m_shop.files) {
        Q_UNUSED(kind);
        if (relative.startsWith(u"care/"_qs))
            continue;
        QDir(broken.path()).mkpath(QFileInfo(relative).path());
        QVERIFY(QFile::copy(QDir(m_shop.folder).filePath(relative),
                            QDir(broken.path()).filePath(relative)));
    }
    const ServerAddress address = database(u"broken"_qs);
    QCOMPARE(failureMessage([&] { ImportFolderToServer(address, broken.path()); }),
             u"修理アカウント「本店」のデータベースファイルがありません。"_qs);
    ServerConnection server = ServerConnection::open(address);
    QCOMPARE(server
                 .exec(u"SELECT count(*) FROM pg_namespace WHERE nspname IN ($1, $2, $3)"_qs,
                       {serverMasterSchema(), u"kelvo_1"_qs, u"kelvo_2"_qs})
                 .text(0, 0),
             u"0"_qs);
    // And the same folder goes in whole once the file is back.
    QDir(broken.path()).mkpath(u"care"_qs);
    QVERIFY(QFile::copy(QDir(m_shop.folder).filePath(u"care/本店.mdb"_qs),
                        QDir(broken.path()).filePath(u"care/本店.mdb"_qs)));
    QCOMPARE(ImportFolderToServer(address, broken.path()), 3);
}

void TstServerMove::exportGivesTheShopBackAsFiles()
{
    const ServerAddress address = database(u"roundtrip"_qs);
    ImportFolderToServer(address, m_shop.folder);
    QTemporaryDir out;
    const QString folder = QDir(out.path()).filePath(u"書き出し"_qs);
    QStringList said;
    QCOMPARE(ExportServerToFolder(address, folder, [&](const QString& t) { said << t; }), 3);
    QCOMPARE(said.first(), u"main.mdb"_qs);
    for (const auto& [relative, kind] : m_shop.files) {
        Database original = Database::open(QDir(m_shop.folder).filePath(relative));
        Database exported = Database::open(QDir(folder).filePath(relative));
        QCOMPARE(contents(exported, kind), contents(original, kind));
        QCOMPARE(nextKeys(exported, kind), nextKeys(original, kind));
    }
    // The templates are there too, fit to make accounts.
    for (const QString& name : {u"kelvo.mdb"_qs, u"care.mdb"_qs})
        QVERIFY(QFileInfo(QDir(folder).filePath(name)).isFile());
}

// The templates are the shop's own (its settings and company for new
// accounts): they move to the server, seed the accounts made there exactly
// as a copied kelvo.mdb or care.mdb does, and come back with an export.
void TstServerMove::theShopsTemplatesMoveAndMakeItsAccounts()
{
    TempDataFolder shop;
    {
        Database kelvo = Database::open(DataFolder::customerTemplatePath());
        kelvo.update(u"設定"_qs, {{u"項目01"_qs, u"店の見出し"_qs}, {u"並べ01"_qs, u"2"_qs}},
                     u"設定ID =1"_qs);
        Database care = Database::open(DataFolder::repairTemplatePath());
        care.update(u"自社"_qs, {{u"自社名"_qs, u"ひな形商会"_qs}}, u"自社ID =1"_qs);
    }
    makeOperator(u"既存"_qs);
    const ServerAddress address = database(u"templates"_qs);
    QCOMPARE(ImportFolderToServer(address, shop.path()), 1);
    {
        Database master = Database::openServer(address, serverMasterSchema(), DatabaseKind::Master);
        CreateServerAccount(master, AccountKind::Operator, u"新店"_qs, QVariant());
        CreateServerAccount(master, AccountKind::Repair, u"新修理"_qs, QVariant());
    }
    const QList<std::tuple<DatabaseKind, QString, QString>> made{
        {DatabaseKind::Customer, DataFolder::customerTemplatePath(), u"kelvo_2"_qs},
        {DatabaseKind::Repair, DataFolder::repairTemplatePath(), u"care_1"_qs}};
    for (const auto& [kind, file, schema] : made) {
        Database fromTemplate = Database::open(file);
        Database account = Database::openServer(address, schema, kind);
        QCOMPARE(contents(account, kind), contents(fromTemplate, kind));
        QCOMPARE(nextKeys(account, kind), nextKeys(fromTemplate, kind));
    }
    QTemporaryDir out;
    const QString folder = QDir(out.path()).filePath(u"書き出し"_qs);
    ExportServerToFolder(address, folder);
    for (const auto& [kind, file, schema] : made) {
        Database original = Database::open(file);
        Database exported = Database::open(QDir(folder).filePath(QFileInfo(file).fileName()));
        QCOMPARE(contents(exported, kind), contents(original, kind));
    }
}

// A margin typed as "２００" (the reports read it as 200) and a sort choice
// kept as text move to the server and back as the files hold them.
void TstServerMove::whatTheFilesAcceptTheServerAccepts()
{
    TempDataFolder shop;
    makeOperator(u"余白"_qs);
    const QList<std::pair<QString, QString>> typed{
        {u"上"_qs, u"２００"_qs}, {u"左"_qs, u"1000"_qs}, {u"並べ01"_qs, u"二"_qs}};
    for (const QString& file : {customerFile(u"余白"_qs), DataFolder::customerTemplatePath()}) {
        Database db = Database::open(file);
        for (const auto& [field, value] : typed)
            db.exec(u"UPDATE 設定 SET "_qs + field + u" = ?"_qs, {value});
    }
    const ServerAddress address = database(u"typed"_qs);
    QCOMPARE(ImportFolderToServer(address, shop.path()), 1);
    QTemporaryDir out;
    const QString folder = QDir(out.path()).filePath(u"戻し"_qs);
    ExportServerToFolder(address, folder);
    for (const QString& relative : {u"kelvo/余白.mdb"_qs, u"kelvo.mdb"_qs}) {
        Database original = Database::open(QDir(shop.path()).filePath(relative));
        Database back = Database::open(QDir(folder).filePath(relative));
        QCOMPARE(contents(back, DatabaseKind::Customer),
                 contents(original, DatabaseKind::Customer));
        QCOMPARE(back.query(u"SELECT 上 FROM 設定"_qs).first().value(0).toString(), u"２００"_qs);
    }
}

// A value the server cannot hold (a key that is not a number) stops the
// move with the account, table, row and field named, and nothing stays.
void TstServerMove::aValueTheServerRefusesIsNamed()
{
    TempDataFolder shop;
    makeOperator(u"壊れ"_qs);
    {
        Database db = Database::open(customerFile(u"壊れ"_qs));
        const qint64 user = addUser(db, u"ｱ"_qs, u"客"_qs);
        addSubject(db, user, u"一件目"_qs);
        const qint64 subject = addSubject(db, user, u"二件目"_qs);
        db.exec(u"UPDATE 件名 SET ユーザーID = 'ａ' WHERE 件名ID = ?"_qs, {subject});
    }
    const ServerAddress address = database(u"refused"_qs);
    QString detail;
    const QString message =
        failureMessage([&] { ImportFolderToServer(address, shop.path()); }, &detail);
    QVERIFY2(message.startsWith(
                 u"使用者「壊れ」の「件名」 (キー 2)の「ユーザーID」をサーバーに写せません。"_qs),
             qPrintable(message + u'\n' + detail));
    ServerConnection check = ServerConnection::open(address);
    QCOMPARE(
        check.exec(u"SELECT count(*) FROM pg_namespace WHERE nspname = 'horunea'"_qs).text(0, 0),
        u"0"_qs);
}

void TstServerMove::exportRefusesAFolderThatHoldsSomething()
{
    const ServerAddress address = database(u"refuse"_qs);
    QTemporaryDir out;
    QFile kept(QDir(out.path()).filePath(u"大事.txt"_qs));
    QVERIFY(kept.open(QIODevice::WriteOnly));
    kept.write("keep");
    kept.close();
    QCOMPARE(failureMessage([&] { ExportServerToFolder(address, out.path()); }),
             u"書き出し先のフォルダーが空ではありません。"_qs);
    QCOMPARE(QDir(out.path()).entryList(QDir::Files), QStringList{u"大事.txt"_qs});
    // A server without our data gives nothing, and leaves no folder.
    const QString fresh = QDir(out.path()).filePath(u"新しい"_qs);
    QCOMPARE(failureMessage([&] { ExportServerToFolder(address, fresh); }),
             u"サーバー「"_qs + address.displayName() + u"」にはホルネアのデータがありません。"_qs);
    QVERIFY(!QFileInfo::exists(fresh));
}

QTEST_GUILESS_MAIN(TstServerMove)
#include "tst_servermove.moc"
