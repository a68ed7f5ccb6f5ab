// One account, one writer: the program and horunea-cli on one data folder,
// crashes and damaged files, and other users of the same PC.

#include "CliSupport.h"
#include "Fixtures.h"
#include "TestSupport.h"

#include "admin/AccountAdmin.h"
#include "admin/AccountRecovery.h"
#include "import/TransferSupport.h"
#include "store/AccountLock.h"
#include "store/Compaction.h"
#include "store/Connections.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QLockFile>
#include <QProcess>
#include <QTest>

#include <sys/stat.h>

using namespace horunea;
using namespace horunea::test;

namespace {

int users(const QString& path)
{
    Database db = Database::open(path);
    return int(db.scalar(u"select count(*) from ユーザー"_qs));
}

mode_t modeOf(const QString& path)
{
    struct stat st
    {
    };
    ::stat(QFile::encodeName(path).constData(), &st);
    return st.st_mode & 0777;
}

// A database file in the state a process killed mid-transaction leaves:
// pages of the transaction written into the file, the journal hot beside it.
void crashMidWrite(const QString& path, const QString& into)
{
    Database db = Database::open(path);
    db.execRaw(u"PRAGMA cache_size = 10"_qs); // pages spill into the file before the commit
    db.execRaw(u"BEGIN IMMEDIATE"_qs);
    db.exec(u"UPDATE ユーザー SET 備考 = ?"_qs, {QString(2000, u'壊')});
    db.exec(u"DELETE FROM ユーザー WHERE ユーザーID > 100"_qs);
    QFile::copy(path, into);
    QFile::copy(path + u"-journal"_qs, into + u"-journal"_qs);
    db.execRaw(u"ROLLBACK"_qs);
}

} // namespace

class TstOneWriter : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void compactionNeverTouchesAnotherAccountsFile();
    void anOpenAccountIsNotReplacedRenamedOrDeleted_data();
    void anOpenAccountIsNotReplacedRenamedOrDeleted();
    void readersShareAnAccount();
    void aSecondProcessIsRefusedToo();
    void busyIsNotBroken();
    void hotJournalsAreRolledBackBeforeFilesMove_data();
    void hotJournalsAreRolledBackBeforeFilesMove();
    void filesAreTheUsersAlone();
    void foldersOfKilledTransfersAreRemoved();
    void transferReadsItsSourceWithoutWriting();
    void transferredCompanyIsWrittenWhereItWasMissing();
    void aLostMainMdbIsNotSilentlyReplaced();
    void attachRegistersAFileThatIsThere();
    void aDamagedTemplateStopsOnlyAccountCreation();
    void restoreBringsBackABackup();
    void restoreIsRefusedWhileInUse();
    void passwordsAreAskedNotShown();
    void interruptedOperationsAreRecovered_data();
    void interruptedOperationsAreRecovered();

private:
    TempDataFolder* m_folder = nullptr;
};

void TstOneWriter::init()
{
    m_folder = new TempDataFolder();
    Database master = Database::open(DataFolder::masterPath());
    CreateAccount(master, AccountKind::Operator, u"営業一課"_qs, QString());
    CreateAccount(master, AccountKind::Operator, u"営業二課"_qs, QString());
    Database db = Database::open(customerFile(u"営業一課"_qs));
    Transaction t(db);
    for (int i = 0; i < 200; ++i)
        addUser(db, u"ｷｬｸ"_qs, QStringLiteral("客%1").arg(i));
    t.commit();
}

void TstOneWriter::cleanup()
{
    delete m_folder;
}

void TstOneWriter::compactionNeverTouchesAnotherAccountsFile()
{
    Database master = Database::open(DataFolder::masterPath());
    CreateAccount(master, AccountKind::Operator, u"営業一課最適化"_qs, QString());
    {
        Database other = Database::open(customerFile(u"営業一課最適化"_qs));
        addUser(other, u"ﾍﾞﾂ"_qs, u"別の客"_qs);
    }
    const QByteArray before = [] {
        QFile f(customerFile(u"営業一課最適化"_qs));
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();
    const CliRun r = runCliHere({u"compact"_qs, u"customer"_qs, u"営業一課"_qs});
    QCOMPARE(r.status, 0);
    QFile f(customerFile(u"営業一課最適化"_qs));
    QVERIFY(f.open(QIODevice::ReadOnly));
    QCOMPARE(f.readAll(), before);
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 200);
    QCOMPARE(users(customerFile(u"営業一課最適化"_qs)), 1);
    QCOMPARE(QDir(DataFolder::customerFolder()).entryList(QDir::Files | QDir::Hidden).size(), 3);
}

void TstOneWriter::anOpenAccountIsNotReplacedRenamedOrDeleted_data()
{
    QTest::addColumn<QStringList>("verb");
    QTest::newRow("compact") << QStringList{u"compact"_qs, u"customer"_qs, u"営業一課"_qs};
    QTest::newRow("rename") << QStringList{u"account"_qs,  u"rename"_qs, u"customer"_qs,
                                           u"営業一課"_qs, u"本店"_qs,   u"--old-password"_qs,
                                           QString()};
    QTest::newRow("delete") << QStringList{u"account"_qs,  u"delete"_qs,         u"customer"_qs,
                                           u"営業一課"_qs, u"--old-password"_qs, QString(),
                                           u"--yes"_qs};
    QTest::newRow("transfer into it")
        << QStringList{u"transfer"_qs, u"customer"_qs, u"営業二課"_qs, u"営業一課"_qs};
}

void TstOneWriter::anOpenAccountIsNotReplacedRenamedOrDeleted()
{
    QFETCH(QStringList, verb);
    // The window has the account open.
    Connections& c = Connections::instance();
    c.CustomerDatabasePath = customerFile(u"営業一課"_qs);
    c.OpenCustomerDatabase();
    const QString before = databaseContents(DataFolder::masterPath());
    const CliRun refused = runCliHere(verb);
    QCOMPARE(refused.status, 1);
    QVERIFY2(refused.err.contains(u"「営業一課」は使用中です。"_qs), qPrintable(refused.err));
    QCOMPARE(databaseContents(DataFolder::masterPath()), before);
    // The window goes on writing, and nothing it wrote is lost.
    addUser(c.customer(), u"ｱﾄ"_qs, u"後の客"_qs);
    c.CloseCustomerDatabase();
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 201);
    // Once it is closed, the verb works.
    QCOMPARE(runCliHere(verb).status, 0);
}

void TstOneWriter::readersShareAnAccount()
{
    Connections& c = Connections::instance();
    c.CustomerDatabasePath = customerFile(u"営業一課"_qs);
    c.OpenCustomerDatabase();
    const CliRun list = runCliHere({u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"か"_qs});
    QCOMPARE(list.status, 0);
    QCOMPARE(list.out.count(u'\n'), 201);
    // Two writers on one account each hold it shared.
    const CliRun write = runCliHere(
        {u"sql"_qs, u"customer:営業一課"_qs, u"INSERT INTO ユーザー (表示名) VALUES ('並行')"_qs});
    QCOMPARE(write.status, 0);
    c.CloseCustomerDatabase();
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 201);
}

void TstOneWriter::aSecondProcessIsRefusedToo()
{
    const QString cli = QCoreApplication::applicationDirPath() + u"/../bin/horunea-cli"_qs;
    const QString binary =
        QFileInfo::exists(cli) ? cli : QCoreApplication::applicationDirPath() + u"/horunea-cli"_qs;
    if (!QFileInfo::exists(binary))
        QSKIP("horunea-cli is not built beside the tests");
    const AccountLock held(customerFile(u"営業一課"_qs), u"営業一課"_qs, AccountLock::Mode::Shared);
    QProcess p;
    p.start(binary,
            {u"--data-dir"_qs, DataFolder::path(), u"compact"_qs, u"customer"_qs, u"営業一課"_qs});
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(u"「営業一課」は使用中です。"_qs));
}

void TstOneWriter::busyIsNotBroken()
{
    Database writer = Database::open(customerFile(u"営業一課"_qs));
    writer.execRaw(u"BEGIN EXCLUSIVE"_qs);
    writer.exec(u"UPDATE ユーザー SET 備考 = 'x'"_qs);
    try {
        Database::open(customerFile(u"営業一課"_qs));
        QFAIL("a file another connection is writing opened");
    } catch (const Failure& e) {
        QVERIFY2(e.message().contains(u"書き込み中"_qs), qPrintable(e.message()));
        QVERIFY(!e.message().contains(u"壊れている"_qs));
    }
    writer.execRaw(u"ROLLBACK"_qs);
}

void TstOneWriter::hotJournalsAreRolledBackBeforeFilesMove_data()
{
    QTest::addColumn<QString>("operation");
    QTest::newRow("rename") << u"rename"_qs;
    QTest::newRow("delete") << u"delete"_qs;
    QTest::newRow("compact") << u"compact"_qs;
}

void TstOneWriter::hotJournalsAreRolledBackBeforeFilesMove()
{
    QFETCH(QString, operation);
    Database master = Database::open(DataFolder::masterPath());
    CreateAccount(master, AccountKind::Operator, u"三課"_qs, QString());
    const QString path = customerFile(u"三課"_qs);
    QFile::remove(path);
    crashMidWrite(customerFile(u"営業一課"_qs), path);
    QVERIFY(QFileInfo::exists(path + u"-journal"_qs));
    const QString number =
        master.query(u"select 使用者No from 使用者 where 使用者名 = '三課'"_qs).first().text(0);
    if (operation == u"rename") {
        ChangeAccount(master, AccountKind::Operator, number, u"四課"_qs, QString(), QString());
        QVERIFY(!QFileInfo::exists(path + u"-journal"_qs));
        const QString moved = customerFile(u"四課"_qs);
        QVERIFY(!QFileInfo::exists(moved + u"-journal"_qs));
        QCOMPARE(users(moved), 200);
        Database db = Database::open(moved);
        QCOMPARE(db.query(u"PRAGMA integrity_check"_qs).first().text(0), u"ok"_qs);
        QCOMPARE(db.scalar(u"select count(*) from ユーザー where 備考 is not null"_qs), 0);
    } else if (operation == u"delete") {
        RemoveAccount(master, AccountKind::Operator, number, QString());
        QVERIFY(!QFileInfo::exists(path + u"-journal"_qs));
        // A new account under the old name starts empty and sound.
        CreateAccount(master, AccountKind::Operator, u"三課"_qs, QString());
        QCOMPARE(users(path), 0);
        Database db = Database::open(path);
        QCOMPARE(db.query(u"PRAGMA integrity_check"_qs).first().text(0), u"ok"_qs);
    } else {
        CompactAccountDatabase(AccountKind::Operator, u"三課"_qs);
        QVERIFY(!QFileInfo::exists(path + u"-journal"_qs));
        QCOMPARE(users(path), 200);
    }
}

void TstOneWriter::filesAreTheUsersAlone()
{
    TempDataFolder fresh(false);
    const QString data = fresh.path() + u"/data"_qs;
    QCOMPARE(runCliCaptured({u"--data-dir"_qs, data, u"init"_qs}).status, 0);
    QCOMPARE(modeOf(data), mode_t(0700));
    for (const QString& file : {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs})
        QCOMPARE(modeOf(data + u'/' + file), mode_t(0600));
    QCOMPARE(runCliCaptured(
                 {u"--data-dir"_qs, data, u"account"_qs, u"add"_qs, u"customer"_qs, u"一課"_qs})
                 .status,
             0);
    const QString account = data + u"/kelvo/一課.mdb"_qs;
    QCOMPARE(modeOf(account), mode_t(0600));
    QCOMPARE(modeOf(data + u"/kelvo"_qs), mode_t(0700));
    // A compaction keeps the mode it found.
    ::chmod(QFile::encodeName(account).constData(), 0640);
    QCOMPARE(
        runCliCaptured({u"--data-dir"_qs, data, u"compact"_qs, u"customer"_qs, u"一課"_qs}).status,
        0);
    QCOMPARE(modeOf(account), mode_t(0640));
    const QString backup = fresh.path() + u"/backup"_qs;
    QCOMPARE(runCliCaptured({u"--data-dir"_qs, data, u"backup"_qs, backup}).status, 0);
    QCOMPARE(modeOf(backup + u"/main.mdb"_qs), mode_t(0600));
    QCOMPARE(modeOf(backup + u"/kelvo/一課.mdb"_qs), mode_t(0600));
}

void TstOneWriter::foldersOfKilledTransfersAreRemoved()
{
    QTemporaryDir temp;
    const QByteArray saved = qgetenv("TMPDIR");
    qputenv("TMPDIR", temp.path().toUtf8());
    QProcess gone;
    gone.start(u"true"_qs, {});
    QVERIFY(gone.waitForFinished());
    const qint64 dead = gone.processId() ? gone.processId() : 999999;
    const QString stale = temp.filePath(QStringLiteral("horunea-取込-%1-abcdef").arg(dead));
    const QString live = temp.filePath(
        QStringLiteral("horunea-取込-%1-abcdef").arg(QCoreApplication::applicationPid()));
    const QString other = temp.filePath(u"horunea-他のもの"_qs);
    for (const QString& folder : {stale, live, other}) {
        QVERIFY(QDir().mkpath(folder));
        QFile f(folder + u"/ﾕｰｻﾞｰ.dat"_qs);
        QVERIFY(f.open(QIODevice::WriteOnly));
    }
    QCOMPARE(runCliHere({u"account"_qs, u"list"_qs}).status, 0);
    qputenv("TMPDIR", saved);
    QVERIFY(!QFileInfo::exists(stale));
    QVERIFY(QFileInfo::exists(live));
    QVERIFY(QFileInfo::exists(other));
}

void TstOneWriter::transferReadsItsSourceWithoutWriting()
{
    // Another connection holds the source's write lock: reading needs none.
    Database other = Database::open(customerFile(u"営業一課"_qs));
    other.execRaw(u"BEGIN IMMEDIATE"_qs);
    const CliRun r = runCliHere({u"transfer"_qs, u"customer"_qs, u"営業一課"_qs, u"営業二課"_qs});
    other.execRaw(u"ROLLBACK"_qs);
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(users(customerFile(u"営業二課"_qs)), 200);
}

void TstOneWriter::transferredCompanyIsWrittenWhereItWasMissing()
{
    Database master = Database::open(DataFolder::masterPath());
    CreateAccount(master, AccountKind::Repair, u"本店"_qs, QString());
    CreateAccount(master, AccountKind::Repair, u"支店"_qs, QString());
    {
        Database source = Database::open(repairFile(u"本店"_qs));
        source.exec(u"UPDATE 自社 SET 自社名 = '本店商会'"_qs);
        Database destination = Database::open(repairFile(u"支店"_qs));
        destination.exec(u"DELETE FROM 自社"_qs);
    }
    const CliRun r =
        runCliHere({u"transfer"_qs, u"repair"_qs, u"本店"_qs, u"支店"_qs, u"--company"_qs});
    QCOMPARE(r.status, 0);
    QVERIFY(r.out.contains(u"自社 1 件"_qs));
    Database destination = Database::open(repairFile(u"支店"_qs));
    QCOMPARE(columnOf(destination, u"SELECT 自社名 FROM 自社 WHERE 自社ID =1"_qs),
             QStringList{u"本店商会"_qs});
}

void TstOneWriter::aLostMainMdbIsNotSilentlyReplaced()
{
    QFile::remove(DataFolder::masterPath());
    const CliRun init = runCliHere({u"init"_qs});
    QCOMPARE(init.status, 1);
    QVERIFY2(init.err.contains(u"main.mdb がありません"_qs) && init.err.contains(u"restore"_qs),
             qPrintable(init.err));
    QVERIFY(!QFileInfo::exists(DataFolder::masterPath()));
    QCOMPARE(runCliHere({u"account"_qs, u"list"_qs}).status, 1);
    QVERIFY(!QFileInfo::exists(DataFolder::masterPath()));
    // With the account files moved away, a new data folder starts as shipped,
    // and the files come back one by one.
    const QString aside = m_folder->path() + u"/退避"_qs;
    QVERIFY(QDir().rename(DataFolder::customerFolder(), aside));
    QCOMPARE(runCliHere({u"init"_qs}).status, 0);
    QVERIFY(QDir().rename(aside, DataFolder::customerFolder()) ||
            QFile::rename(aside + u"/営業一課.mdb"_qs, customerFile(u"営業一課"_qs)));
    QCOMPARE(runCliHere({u"account"_qs, u"attach"_qs, u"customer"_qs, u"営業一課"_qs}).status, 0);
    QCOMPARE(runCliHere({u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"か"_qs}).out.count(u'\n'),
             201);
}

void TstOneWriter::attachRegistersAFileThatIsThere()
{
    // No file, a listed name, a file of the other kind, a file that is no database.
    QFile::copy(DataFolder::repairTemplatePath(), customerFile(u"修理の形"_qs));
    QFile junk(customerFile(u"がらくた"_qs));
    QVERIFY(junk.open(QIODevice::WriteOnly));
    junk.write("not a database");
    junk.close();
    const QString before = databaseContents(DataFolder::masterPath());
    for (const QString& name : {u"ない"_qs, u"営業一課"_qs, u"修理の形"_qs, u"がらくた"_qs}) {
        const CliRun r = runCliHere({u"account"_qs, u"attach"_qs, u"customer"_qs, name});
        QVERIFY2(r.status == 1, qPrintable(name));
        QVERIFY(!r.err.isEmpty());
    }
    QCOMPARE(databaseContents(DataFolder::masterPath()), before);
    QFile::copy(customerFile(u"営業一課"_qs), customerFile(u"写し"_qs));
    const CliRun r = runCliHere(
        {u"account"_qs, u"attach"_qs, u"customer"_qs, u"写し"_qs, u"--password"_qs, u"pw"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(
        runCliHere({u"users"_qs, u"写し"_qs, u"--row"_qs, u"か"_qs, u"--password"_qs, u"pw"_qs})
            .out.count(u'\n'),
        201);
}

void TstOneWriter::aDamagedTemplateStopsOnlyAccountCreation()
{
    QFile damaged(DataFolder::customerTemplatePath());
    QVERIFY(damaged.open(QIODevice::WriteOnly | QIODevice::Truncate));
    damaged.write(QByteArray(4096, 'x'));
    damaged.close();
    QCOMPARE(runCliHere({u"account"_qs, u"list"_qs}).status, 0);
    QCOMPARE(runCliHere({u"admin"_qs, u"login"_qs, u"admin"_qs, QString()}).status, 0);
    QCOMPARE(runCliHere({u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"か"_qs}).status, 0);
    const CliRun add = runCliHere({u"account"_qs, u"add"_qs, u"customer"_qs, u"三課"_qs});
    QCOMPARE(add.status, 1);
    QVERIFY2(add.err.contains(u"kelvo.mdb"_qs) && add.err.contains(u"init --templates"_qs),
             qPrintable(add.err));
    QVERIFY(!QFileInfo::exists(customerFile(u"三課"_qs)));
    // Repair accounts are still made from their own template.
    QCOMPARE(runCliHere({u"account"_qs, u"add"_qs, u"repair"_qs, u"三課"_qs}).status, 0);
    QCOMPARE(runCliHere({u"init"_qs, u"--templates"_qs}).status, 0);
    QCOMPARE(runCliHere({u"account"_qs, u"add"_qs, u"customer"_qs, u"三課"_qs}).status, 0);
    QCOMPARE(users(customerFile(u"三課"_qs)), 0);
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 200);
}

void TstOneWriter::restoreBringsBackABackup()
{
    const QString backup = m_folder->path() + u"/控え"_qs;
    QCOMPARE(runCliHere({u"backup"_qs, backup}).status, 0);
    const QString master = databaseContents(DataFolder::masterPath());
    const QString account = databaseContents(customerFile(u"営業一課"_qs));
    // A day's work after the backup.
    QCOMPARE(runCliHere({u"account"_qs, u"delete"_qs, u"customer"_qs, u"営業二課"_qs,
                         u"--old-password"_qs, QString(), u"--yes"_qs})
                 .status,
             0);
    QCOMPARE(runCliHere({u"account"_qs, u"add"_qs, u"customer"_qs, u"新規"_qs}).status, 0);
    addUser(*std::make_unique<Database>(Database::open(customerFile(u"営業一課"_qs))), u"ｱ"_qs,
            u"あと"_qs);
    const CliRun r = runCliHere({u"restore"_qs, backup});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(databaseContents(DataFolder::masterPath()), master);
    QCOMPARE(databaseContents(customerFile(u"営業一課"_qs)), account);
    QVERIFY(QFileInfo::exists(customerFile(u"営業二課"_qs)));
    QVERIFY(!QFileInfo::exists(customerFile(u"新規"_qs)));
    // Nothing of the switch is left: no folder kept aside, no staging.
    const QStringList left =
        QDir(DataFolder::path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QString& entry : left)
        QVERIFY2(!entry.startsWith(u"復元前-"_qs) && !entry.startsWith(u".復元中-"_qs),
                 qPrintable(entry));
}

void TstOneWriter::restoreIsRefusedWhileInUse()
{
    const QString backup = m_folder->path() + u"/控え"_qs;
    QCOMPARE(runCliHere({u"backup"_qs, backup}).status, 0);
    addUser(*std::make_unique<Database>(Database::open(customerFile(u"営業一課"_qs))), u"ｱ"_qs,
            u"あと"_qs);
    const QString before = databaseContents(customerFile(u"営業一課"_qs));
    {
        Connections& c = Connections::instance();
        c.CustomerDatabasePath = customerFile(u"営業一課"_qs);
        c.OpenCustomerDatabase();
        const CliRun r = runCliHere({u"restore"_qs, backup});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(u"「営業一課」は使用中です。"_qs));
        c.CloseCustomerDatabase();
    }
    {
        QLockFile running(DataFolder::lockPath());
        QVERIFY(running.tryLock(0));
        const CliRun r = runCliHere({u"restore"_qs, backup});
        QCOMPARE(r.status, 1);
        QVERIFY(r.err.contains(u"起動中"_qs));
    }
    QCOMPARE(databaseContents(customerFile(u"営業一課"_qs)), before);
    QTemporaryDir empty;
    QCOMPARE(runCliHere({u"restore"_qs, empty.path()}).status, 1);       // no backup there
    QCOMPARE(runCliHere({u"restore"_qs, DataFolder::path()}).status, 1); // the folder itself
    QCOMPARE(databaseContents(customerFile(u"営業一課"_qs)), before);
}

void TstOneWriter::passwordsAreAskedNotShown()
{
    QCOMPARE(runCliHere({u"account"_qs, u"passwd"_qs, u"customer"_qs, u"営業一課"_qs,
                         u"--old-password"_qs, QString(), u"--new-password"_qs, u"秘密"_qs})
                 .status,
             0);
    QCOMPARE(runCliHere({u"admin"_qs, u"set"_qs, u"admin"_qs, u"--password"_qs, u"管理"_qs}).status,
             0);
    const QString count = u"SELECT count(*) AS n FROM ユーザー"_qs;
    // sql reads an account only with its password, main.mdb only with the administrator's.
    QCOMPARE(runCliHere({u"sql"_qs, u"customer:営業一課"_qs, count}).status, 1);
    QCOMPARE(runCliHere({u"sql"_qs, u"master"_qs, u"SELECT * FROM 使用者"_qs}).status, 1);
    QCOMPARE(runCliHere({u"sql"_qs, customerFile(u"営業一課"_qs), count}).status, 1);
    QCOMPARE(runCliHere({u"sql"_qs, u"master"_qs, u"SELECT count(*) FROM 使用者"_qs,
                         u"--password"_qs, u"管理"_qs})
                 .status,
             0);
    // From a file (its first line), never from the command line.
    QTemporaryDir dir;
    QFile file(dir.filePath(u"pw"_qs));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("秘密\n二行目\n");
    file.close();
    const CliRun fromFile = runCliHere(
        {u"sql"_qs, u"customer:営業一課"_qs, count, u"--password-file"_qs, file.fileName()});
    QCOMPARE(fromFile.status, 0);
    QCOMPARE(fromFile.out, u"n\n200\n"_qs);
    QCOMPARE(runCliHere({u"users"_qs, u"営業一課"_qs, u"--row"_qs, u"か"_qs, u"--password-file"_qs,
                         file.fileName()})
                 .status,
             0);
    QCOMPARE(runCliHere({u"account"_qs, u"rename"_qs, u"customer"_qs, u"営業一課"_qs, u"一課"_qs,
                         u"--old-password-file"_qs, file.fileName(), u"--new-password-file"_qs,
                         file.fileName(), u"--admin-password"_qs, u"管理"_qs})
                 .status,
             0);
    // From standard input, in a process of its own.
    const QString binary = QCoreApplication::applicationDirPath() + u"/horunea-cli"_qs;
    if (!QFileInfo::exists(binary))
        QSKIP("horunea-cli is not built beside the tests");
    QProcess p;
    p.start(binary, {u"--data-dir"_qs, DataFolder::path(), u"admin"_qs, u"login"_qs, u"admin"_qs,
                     u"--password"_qs, u"-"_qs});
    p.write("管理\n");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 0);
    p.start(binary, {u"--data-dir"_qs, DataFolder::path(), u"sql"_qs, u"customer:一課"_qs, count,
                     u"--password"_qs, u"-"_qs});
    p.write("違う\n");
    p.closeWriteChannel();
    QVERIFY(p.waitForFinished(30000));
    QCOMPARE(p.exitCode(), 1);
    QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(u"パスワードが違います"_qs));
}

void TstOneWriter::interruptedOperationsAreRecovered_data()
{
    QTest::addColumn<QString>("record");
    QTest::addColumn<QString>("prepare");
    QTest::addColumn<QStringList>("accounts");
    QTest::addColumn<QStringList>("files");
    // Each a state a kill leaves between the file and the row.
    QTest::newRow("add: file made, row not committed")
        << u"add\tcustomer\t三課"_qs << u"file 三課"_qs
        << QStringList{u"営業一課"_qs, u"営業二課"_qs}
        << QStringList{u"営業一課.mdb"_qs, u"営業二課.mdb"_qs};
    QTest::newRow("rename: file moved, row not committed")
        << u"rename\tcustomer\t営業二課\t本店"_qs << u"move 営業二課 本店"_qs
        << QStringList{u"営業一課"_qs, u"営業二課"_qs}
        << QStringList{u"営業一課.mdb"_qs, u"営業二課.mdb"_qs};
    QTest::newRow("rename: row committed, file not moved")
        << u"rename\tcustomer\t営業二課\t本店"_qs << u"row 営業二課 本店"_qs
        << QStringList{u"営業一課"_qs, u"本店"_qs}
        << QStringList{u"営業一課.mdb"_qs, u"本店.mdb"_qs};
    QTest::newRow("delete: file aside, row not deleted")
        << u"delete\tcustomer\t営業二課"_qs << u"aside 営業二課"_qs
        << QStringList{u"営業一課"_qs, u"営業二課"_qs}
        << QStringList{u"営業一課.mdb"_qs, u"営業二課.mdb"_qs};
    QTest::newRow("delete: row deleted, file still aside")
        << u"delete\tcustomer\t営業二課"_qs << u"aside+row 営業二課"_qs
        << QStringList{u"営業一課"_qs} << QStringList{u"営業一課.mdb"_qs};
}

void TstOneWriter::interruptedOperationsAreRecovered()
{
    QFETCH(QString, record);
    QFETCH(QString, prepare);
    QFETCH(QStringList, accounts);
    QFETCH(QStringList, files);
    const QStringList step = prepare.split(u' ');
    const QDir folder(DataFolder::customerFolder());
    {
        Database master = Database::open(DataFolder::masterPath());
        if (step[0] == u"file") {
            QFile::copy(DataFolder::customerTemplatePath(), customerFile(step[1]));
        } else if (step[0] == u"move") {
            QFile::rename(customerFile(step[1]), customerFile(step[2]));
        } else if (step[0] == u"row") {
            master.exec(u"UPDATE 使用者 SET 使用者名 = ? WHERE 使用者名 = ?"_qs,
                        {step[2], step[1]});
        } else {
            QFile::rename(customerFile(step[1]),
                          folder.filePath(u".削除中-"_qs + step[1] + u".mdb"_qs));
            if (step[0] == u"aside+row")
                master.exec(u"DELETE FROM 使用者 WHERE 使用者名 = ?"_qs, {step[1]});
        }
    }
    QDir().mkpath(QFileInfo(AccountOperation::recordPath()).absolutePath());
    QFile r(AccountOperation::recordPath());
    QVERIFY(r.open(QIODevice::WriteOnly));
    r.write(record.toUtf8());
    r.close();

    const CliRun list = runCliHere({u"account"_qs, u"list"_qs});
    QCOMPARE(list.status, 0);
    QStringList listed;
    for (const QString& line : list.out.split(u'\n', Qt::SkipEmptyParts).mid(1))
        if (line.startsWith(u"customer"))
            listed << line.section(u'\t', 2);
    listed.sort();
    QCOMPARE(listed, accounts);
    QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name), files);
    QVERIFY(!QFileInfo::exists(AccountOperation::recordPath()));
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 200);
}

QTEST_MAIN(TstOneWriter)
#include "tst_onewriter.moc"
