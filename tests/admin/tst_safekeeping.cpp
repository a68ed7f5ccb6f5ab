// Nothing is deleted that is not the program's own, and nothing damaged or
// incomplete passes for sound: compaction copies found by their record
// alone, backups named only when whole and restored only when every file is
// there and sound, an account's file locked however it is named, damaged
// sources refused, the administrator asked for, names that fit the file
// system, no core dumps, a full disk said as such.

#include "CliSupport.h"
#include "Fixtures.h"
#include "TestSupport.h"

#include "admin/AccountAdmin.h"
#include "admin/AccountRecovery.h"
#include "store/AccountLock.h"
#include "store/Compaction.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTest>

#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

using namespace horunea;
using namespace horunea::test;

namespace {

QString cliBinary()
{
    const QString beside = QCoreApplication::applicationDirPath() + u"/../bin/horunea-cli"_qs;
    return QFileInfo::exists(beside) ? beside
                                     : QCoreApplication::applicationDirPath() + u"/horunea-cli"_qs;
}

QString programBinary()
{
    return QFileInfo(cliBinary()).dir().filePath(u"horunea"_qs);
}

QByteArray bytesOf(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int users(const QString& path)
{
    Database db = Database::open(path);
    return int(db.scalar(u"select count(*) from ユーザー"_qs));
}

// A file torn as a killed writer can leave it: it opens and its rows are all
// there, but an index of ユーザー no longer holds what the table holds (the
// index is declared again over another column). The engine's integrity
// check finds it; a copy through the engine's export would not.
void tearIndex(const QString& path)
{
    {
        Database db = Database::open(path);
        for (int i = 0; i < 3; ++i)
            addUser(db, u"ｷｽﾞ"_qs, QStringLiteral("傷%1").arg(i));
        const QString index = db.query(u"SELECT name FROM sqlite_master WHERE type = 'index' "
                                       u"AND tbl_name = 'ユーザー' AND sql IS NOT NULL"_qs)
                                  .first()
                                  .value(0)
                                  .toString();
        db.execRaw(u"PRAGMA writable_schema = ON"_qs);
        const QString declared = u"CREATE INDEX \""_qs + index + u"\" ON ユーザー (表示名)"_qs;
        db.exec(u"UPDATE sqlite_master SET sql = ? WHERE name = ?"_qs, {declared, index});
    }
    Database check = Database::open(path);
    QVERIFY2(!integrityProblem(check).isEmpty(), "the file was not torn");
}

// Every entry of a folder, hidden ones too, each with its size.
QStringList entriesOf(const QString& folder)
{
    QStringList entries;
    for (const QFileInfo& e :
         QDir(folder).entryInfoList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
        entries << e.fileName() + u' ' + QString::number(e.isDir() ? 0 : e.size());
    entries.sort();
    return entries;
}

// What a restore must leave as it was when it refuses.
QString dataFolderState()
{
    return databaseContents(DataFolder::masterPath()) +
           databaseContents(customerFile(u"営業一課"_qs)) +
           entriesOf(DataFolder::customerFolder()).join(u'\n');
}

} // namespace

class TstSafekeeping : public QObject
{
    Q_OBJECT
private slots:
    void init();
    void cleanup();

    void theProgramsWriteNoCoreDump_data();
    void theProgramsWriteNoCoreDump();
    void startUpRemovesOnlyCopiesItRecorded_data();
    void startUpRemovesOnlyCopiesItRecorded();
    void compactionLeavesWhatStandsAtItsOutput_data();
    void compactionLeavesWhatStandsAtItsOutput();
    void aBackupThatLeftAFileOutIsMarkedAndNeverRestored();
    void restoreRefusesABackupThatIsNotWhole_data();
    void restoreRefusesABackupThatIsNotWhole();
    void aKilledBackupLeavesNoFolderAndTheNextRemovesItsCopy();
    void sqlOnAnAccountsFileTakesItsLock_data();
    void sqlOnAnAccountsFileTakesItsLock();
    void damagedSourcesAreRefused_data();
    void damagedSourcesAreRefused();
    void administratorVerbsAskForTheAdministrator_data();
    void administratorVerbsAskForTheAdministrator();
    void namesWhoseFilesCannotBeNamedAreRefused_data();
    void namesWhoseFilesCannotBeNamedAreRefused();
    void aFullDiskIsSaidWhenCompacting();

private:
    TempDataFolder* m_folder = nullptr;
};

void TstSafekeeping::init()
{
    m_folder = new TempDataFolder();
    makeOperator(u"営業一課"_qs);
    makeOperator(u"営業二課"_qs);
    Database db = Database::open(customerFile(u"営業一課"_qs));
    Transaction t(db);
    for (int i = 0; i < 50; ++i)
        addUser(db, u"ｷｬｸ"_qs, QStringLiteral("客%1").arg(i));
    t.commit();
}

void TstSafekeeping::cleanup()
{
    delete m_folder;
    m_folder = nullptr;
}

void TstSafekeeping::startUpRemovesOnlyCopiesItRecorded_data()
{
    QTest::addColumn<QString>("situation");
    QTest::addColumn<bool>("removed");
    // Account names are names, not patterns: "[ab]" is not "a".
    QTest::newRow("another account, matched by a pattern") << u"pattern"_qs << false;
    // The manual's recovery: main.mdb lost, init, folders back, attach each.
    QTest::newRow("a file not attached yet") << u"unattached"_qs << false;
    QTest::newRow("the copy of a killed compaction") << u"recorded"_qs << true;
    QTest::newRow("killed before the copy's identity was written") << u"empty"_qs << true;
    QTest::newRow("another file where the copy was") << u"replaced"_qs << false;
    // The file system gave the new file the copy's inode: its birth differs.
    QTest::newRow("another file with the copy's inode") << u"reborn"_qs << false;
    QTest::newRow("the copy's name is an account's now") << u"listed"_qs << false;
}

void TstSafekeeping::startUpRemovesOnlyCopiesItRecorded()
{
    QFETCH(QString, situation);
    QFETCH(bool, removed);
    QString file;
    if (situation == u"pattern") {
        makeOperator(u"[ab]"_qs);
        makeOperator(u"a最適化"_qs);
        file = customerFile(u"a最適化"_qs);
        Database db = Database::open(file);
        addUser(db, u"ｱ"_qs, u"大事な客"_qs);
    } else if (situation == u"unattached") {
        file = QDir(DataFolder::customerFolder()).filePath(u"営業一課最適化.mdb"_qs);
        QVERIFY(QFile::copy(customerFile(u"営業一課"_qs), file));
    } else {
        file = compactionOutputPath(customerFile(u"営業一課"_qs));
        if (situation == u"listed")
            makeOperator(u"営業一課最適化"_qs);
        // A compaction killed with its copy made: the record stays behind.
        auto* record = new CompactionRecord(AccountKind::Operator, u"営業一課"_qs, file);
        if (situation != u"listed") {
            QFile made(file);
            QVERIFY(made.open(QIODevice::NewOnly | QIODevice::WriteOnly));
        }
        if (situation != u"empty")
            record->created();
        if (situation == u"recorded") {
            QFile more(file);
            QVERIFY(more.open(QIODevice::Append));
            more.write(QByteArray(4096, 'x'));
        } else if (situation == u"replaced") {
            QFile::remove(file);
            QVERIFY(QFile::copy(customerFile(u"営業二課"_qs), file));
        } else if (situation == u"reborn") {
            // As the record would read had the file been removed and another
            // made with the same inode: device and inode alike, born earlier.
            const QDir locks(DataFolder::path() + u"/.locks"_qs);
            const QString name = locks.entryList({u"compaction-*"_qs}).value(0);
            QFile rec(locks.filePath(name));
            QVERIFY(rec.open(QIODevice::ReadOnly));
            QStringList fields = QString::fromUtf8(rec.readAll()).split(u'\t');
            rec.close();
            QCOMPARE(fields.size(), 4);
            QCOMPARE(fields[3].count(u':'), 2); // this file system keeps birth times
            fields[3] = fields[3].section(u':', 0, 1) + u":12345.678"_qs;
            QVERIFY(rec.open(QIODevice::WriteOnly | QIODevice::Truncate));
            rec.write(fields.join(u'\t').toUtf8());
            rec.close();
            QFile more(file);
            QVERIFY(more.open(QIODevice::Append));
            more.write(QByteArray(4096, 'y')); // somebody's data
        }
        // (never destroyed: the process "died" with it)
    }
    const QByteArray before = bytesOf(file);
    const CliRun r = runCliHere({u"account"_qs, u"list"_qs});
    QCOMPARE(r.status, 0);
    QCOMPARE(!QFileInfo::exists(file), removed);
    if (!removed)
        QCOMPARE(bytesOf(file), before);
    QVERIFY(QDir(DataFolder::path() + u"/.locks"_qs).entryList({u"compaction-*"_qs}).isEmpty());
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 50);
}

void TstSafekeeping::compactionLeavesWhatStandsAtItsOutput_data()
{
    QTest::addColumn<QString>("what");
    QTest::newRow("somebody's file") << u"file"_qs;
    QTest::newRow("a folder") << u"folder"_qs;
    QTest::newRow("a symbolic link") << u"link"_qs;
}

void TstSafekeeping::compactionLeavesWhatStandsAtItsOutput()
{
    QFETCH(QString, what);
    // Something where the compaction would write its copy.
    const QString theirs = compactionOutputPath(customerFile(u"営業一課"_qs));
    if (what == u"file")
        QVERIFY(QFile::copy(customerFile(u"営業二課"_qs), theirs));
    else if (what == u"folder")
        QVERIFY(QDir().mkpath(theirs + u"/中身"_qs));
    else
        QVERIFY(QFile::link(customerFile(u"営業二課"_qs), theirs));
    const QStringList before = entriesOf(DataFolder::customerFolder());
    const QByteArray bytes = bytesOf(customerFile(u"営業二課"_qs));
    const CliRun r = runCliHere({u"compact"_qs, u"customer"_qs, u"営業一課"_qs});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QCOMPARE(users(customerFile(u"営業一課"_qs)), 50);
    // Only the compacted file changed, and nothing is left of the compaction.
    QStringList after = entriesOf(DataFolder::customerFolder());
    QCOMPARE(after.size(), before.size());
    QCOMPARE(after.filter(u"営業一課最適化.mdb"_qs), before.filter(u"営業一課最適化.mdb"_qs));
    QCOMPARE(bytesOf(customerFile(u"営業二課"_qs)), bytes);
    QVERIFY(QFileInfo(theirs).isSymLink() == (what == u"link"));
    QVERIFY(QFileInfo(theirs).isDir() == (what == u"folder"));
}

void TstSafekeeping::aBackupThatLeftAFileOutIsMarkedAndNeverRestored()
{
    tearIndex(customerFile(u"営業二課"_qs));
    const QString backup = m_folder->file(u"控え"_qs);
    const CliRun made = runCliHere({u"backup"_qs, backup});
    QCOMPARE(made.status, 1);
    QVERIFY2(made.err.contains(u"kelvo/営業二課.mdb"_qs), qPrintable(made.err));
    QVERIFY2(made.err.contains(u"不完全"_qs), qPrintable(made.err));
    QVERIFY2(!made.out.contains(u"バックアップしました"_qs), qPrintable(made.out));
    QVERIFY(QFileInfo::exists(QDir(backup).filePath(IncompleteBackupMark)));
    QVERIFY(!QFileInfo::exists(QDir(backup).filePath(u"kelvo/営業二課.mdb"_qs)));

    const QString before = dataFolderState();
    const CliRun restored = runCliHere({u"restore"_qs, backup});
    QCOMPARE(restored.status, 1);
    QVERIFY2(restored.err.contains(u"復元できません"_qs), qPrintable(restored.err));
    QVERIFY2(restored.err.contains(u"kelvo/営業二課.mdb"_qs), qPrintable(restored.err));
    QCOMPARE(dataFolderState(), before);
}

void TstSafekeeping::restoreRefusesABackupThatIsNotWhole_data()
{
    QTest::addColumn<QString>("damage");
    QTest::addColumn<QString>("named");
    QTest::newRow("an account's file missing") << u"remove"_qs << u"kelvo/営業二課.mdb"_qs;
    QTest::newRow("an account's file torn") << u"tear"_qs << u"kelvo/営業一課.mdb"_qs;
    QTest::newRow("an account's file not a database") << u"garble"_qs << u"kelvo/営業二課.mdb"_qs;
    QTest::newRow("a template torn") << u"template"_qs << u"kelvo.mdb"_qs;
}

void TstSafekeeping::restoreRefusesABackupThatIsNotWhole()
{
    QFETCH(QString, damage);
    QFETCH(QString, named);
    const QString backup = m_folder->file(u"控え"_qs);
    QCOMPARE(runCliHere({u"backup"_qs, backup}).status, 0);
    const QString file = QDir(backup).filePath(named);
    if (damage == u"remove") {
        QVERIFY(QFile::remove(file));
    } else if (damage == u"garble") {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(QByteArray(8192, '\x5a'));
    } else if (damage == u"template") {
        Database db = Database::open(file);
        addUser(db, u"ｶﾀ"_qs, u"型"_qs);
        db.close();
        tearIndex(file);
    } else {
        tearIndex(file);
    }
    // The day goes on after the backup.
    {
        Database db = Database::open(customerFile(u"営業一課"_qs));
        addUser(db, u"ｱﾄ"_qs, u"後の客"_qs);
    }
    const QString before = dataFolderState();
    const CliRun r = runCliHere({u"restore"_qs, backup});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(u"何も変えていません"_qs), qPrintable(r.err));
    QVERIFY2(r.err.contains(named), qPrintable(r.err));
    QCOMPARE(dataFolderState(), before);
    for (const QString& entry : QDir(DataFolder::path()).entryList(QDir::AllEntries | QDir::Hidden))
        QVERIFY2(!entry.startsWith(u"復元前-"_qs) && !entry.startsWith(u".復元中-"_qs),
                 qPrintable(entry));
}

void TstSafekeeping::aKilledBackupLeavesNoFolderAndTheNextRemovesItsCopy()
{
    if (QStandardPaths::findExecutable(u"strace"_qs).isEmpty())
        QFAIL("strace is not installed");
    const QString backup = m_folder->file(u"控え"_qs);
    // Killed as the whole folder would take its name.
    QProcess p;
    p.start(u"strace"_qs, {u"-f"_qs, u"-o"_qs, u"/dev/null"_qs, u"-e"_qs,
                           u"inject=rename,renameat2:signal=SIGKILL:when=1"_qs, cliBinary(),
                           u"--data-dir"_qs, DataFolder::path(), u"backup"_qs, backup});
    QVERIFY(p.waitForFinished(60000));
    QVERIFY(!QFileInfo::exists(backup));
    const QStringList left =
        QDir(m_folder->path()).entryList({u".控え-作成中-*"_qs}, QDir::AllEntries | QDir::Hidden);
    QCOMPARE(left.size(), 2); // the writer's lock and its folder
    // The next backup to that place is whole, and the copy is gone.
    const CliRun r = runCliHere({u"backup"_qs, backup});
    QVERIFY2(r.status == 0, qPrintable(r.err));
    QVERIFY(QFileInfo(QDir(backup).filePath(u"kelvo/営業一課.mdb"_qs)).isFile());
    QCOMPARE(
        QDir(backup).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
        (QStringList{u"care"_qs, u"care.mdb"_qs, u"kelvo"_qs, u"kelvo.mdb"_qs, u"main.mdb"_qs}));
    QVERIFY(QDir(m_folder->path())
                .entryList({u".控え-作成中-*"_qs}, QDir::AllEntries | QDir::Hidden)
                .isEmpty());
}

void TstSafekeeping::sqlOnAnAccountsFileTakesItsLock_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("its path") << u"path"_qs;
    QTest::newRow("a symbolic link") << u"symlink"_qs;
    QTest::newRow("a hard link") << u"hardlink"_qs;
}

void TstSafekeeping::sqlOnAnAccountsFileTakesItsLock()
{
    QFETCH(QString, how);
    const QString own = customerFile(u"営業二課"_qs);
    QString path = own;
    if (how == u"symlink") {
        path = m_folder->file(u"link.mdb"_qs);
        QVERIFY(QFile::link(own, path));
    } else if (how == u"hardlink") {
        path = m_folder->file(u"hard.mdb"_qs);
        QCOMPARE(::link(QFile::encodeName(own).constData(), QFile::encodeName(path).constData()),
                 0);
    }
    const QStringList insert{u"sql"_qs, path, u"INSERT INTO ユーザー (表示名) VALUES ('並行')"_qs};
    {
        // A compaction (or a rename, a restore) holds it alone.
        const AccountLock alone(own, u"営業二課"_qs, AccountLock::Mode::Exclusive);
        const CliRun r = runCliHere(insert);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(u"「営業二課」は使用中です。"_qs), qPrintable(r.err));
    }
    QCOMPARE(users(own), 0);
    QCOMPARE(runCliHere(insert).status, 0);
    QCOMPARE(users(own), 1);
    // A file that is no account's opens without asking anybody.
    const QString copy = m_folder->file(u"写し.mdb"_qs);
    QVERIFY(QFile::copy(own, copy));
    const AccountLock alone(own, u"営業二課"_qs, AccountLock::Mode::Exclusive);
    QCOMPARE(runCliHere({u"sql"_qs, copy, u"SELECT count(*) AS n FROM ユーザー"_qs}).status, 0);
}

void TstSafekeeping::damagedSourcesAreRefused_data()
{
    QTest::addColumn<QStringList>("verb");
    QTest::addColumn<int>("status");
    QTest::newRow("backup") << QStringList{u"backup"_qs, u"@/控え"_qs} << 1;
    QTest::newRow("compaction") << QStringList{u"compact"_qs, u"customer"_qs, u"営業一課"_qs} << 1;
    QTest::newRow("transfer") << QStringList{u"transfer"_qs, u"customer"_qs, u"営業一課"_qs,
                                             u"営業二課"_qs}
                              << 1;
}

void TstSafekeeping::damagedSourcesAreRefused()
{
    QFETCH(QStringList, verb);
    QFETCH(int, status);
    verb.replaceInStrings(u"@"_qs, m_folder->path());
    const QString torn = customerFile(u"営業一課"_qs);
    tearIndex(torn);
    const QByteArray tornBytes = bytesOf(torn);
    const QString other = databaseContents(customerFile(u"営業二課"_qs));
    const CliRun r = runCliHere(verb);
    QCOMPARE(r.status, status);
    QVERIFY2(r.err.contains(u"壊れています"_qs), qPrintable(r.err));
    QVERIFY2(r.err.contains(u"営業一課"_qs), qPrintable(r.err));
    // The source is as it was, and nothing was made of it.
    QCOMPARE(bytesOf(torn), tornBytes);
    QCOMPARE(databaseContents(customerFile(u"営業二課"_qs)), other);
    if (verb[0] == u"backup") {
        QVERIFY(!QFileInfo::exists(m_folder->file(u"控え/kelvo/営業一課.mdb"_qs)));
        QVERIFY(QFileInfo::exists(m_folder->file(u"控え/kelvo/営業二課.mdb"_qs)));
    }
    QCOMPARE(QDir(DataFolder::customerFolder()).entryList(QDir::Files | QDir::Hidden).size(), 2);
}

void TstSafekeeping::administratorVerbsAskForTheAdministrator_data()
{
    QTest::addColumn<QStringList>("verb");
    const QString backup = u"@/控え"_qs;
    QTest::newRow("account add") << QStringList{u"account"_qs, u"add"_qs, u"customer"_qs,
                                                u"新店"_qs};
    QTest::newRow("account attach")
        << QStringList{u"account"_qs, u"attach"_qs, u"customer"_qs, u"外"_qs};
    QTest::newRow("account rename")
        << QStringList{u"account"_qs, u"rename"_qs,         u"customer"_qs, u"営業二課"_qs,
                       u"本店"_qs,    u"--old-password"_qs, QString()};
    QTest::newRow("account passwd")
        << QStringList{u"account"_qs,        u"passwd"_qs, u"customer"_qs,       u"営業二課"_qs,
                       u"--old-password"_qs, QString(),    u"--new-password"_qs, u"x"_qs};
    QTest::newRow("account delete")
        << QStringList{u"account"_qs,        u"delete"_qs, u"customer"_qs, u"営業二課"_qs,
                       u"--old-password"_qs, QString(),    u"--yes"_qs};
    QTest::newRow("admin set") << QStringList{u"admin"_qs, u"set"_qs, u"乗っ取り"_qs};
    QTest::newRow("backup") << QStringList{u"backup"_qs, backup};
    QTest::newRow("restore") << QStringList{u"restore"_qs, u"@/前の控え"_qs};
}

void TstSafekeeping::administratorVerbsAskForTheAdministrator()
{
    QFETCH(QStringList, verb);
    verb.replaceInStrings(u"@"_qs, m_folder->path());
    QCOMPARE(runCliHere({u"backup"_qs, m_folder->file(u"前の控え"_qs)}).status, 0);
    QVERIFY(QFile::copy(customerFile(u"営業二課"_qs),
                        QDir(DataFolder::customerFolder()).filePath(u"外.mdb"_qs)));
    {
        Database master = Database::open(DataFolder::masterPath());
        SaveAdministrator(master, u"admin"_qs, u"管理"_qs);
    }
    const QString before = dataFolderState();
    const QString passwordFile = m_folder->file(u"pw"_qs);
    for (const QStringList& refused : {verb, verb + QStringList{u"--admin-password"_qs, u"違う"_qs},
                                       verb + QStringList{u"--admin-password"_qs, QString()}}) {
        const CliRun r = runCliHere(refused);
        QCOMPARE(r.status, 1);
        QVERIFY2(r.err.contains(u"管理者のパスワードが違います。"_qs), qPrintable(r.err));
        QCOMPARE(dataFolderState(), before);
        QVERIFY(!QFileInfo::exists(m_folder->file(u"控え"_qs)));
    }
    QFile file(passwordFile);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write("管理\n");
    file.close();
    const CliRun r = runCliHere(verb + QStringList{u"--admin-password-file"_qs, passwordFile});
    QVERIFY2(r.status == 0, qPrintable(r.err));
}

void TstSafekeeping::namesWhoseFilesCannotBeNamedAreRefused_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<bool>("accepted");
    // "kelvo-<name>.mdb.lock" must fit the 255 bytes of a file name.
    const QString kanji(80, u'営'); // 240 bytes
    QTest::newRow("240 bytes") << kanji << true;
    QTest::newRow("241 bytes") << kanji + u'a' << false;
    QTest::newRow("251 bytes") << kanji + u"abcdefghijk"_qs << false;
    QTest::newRow("236 bytes and 𠮷") << QString(78, u'営') + u"𠮷"_qs << true;
}

void TstSafekeeping::namesWhoseFilesCannotBeNamedAreRefused()
{
    QFETCH(QString, name);
    QFETCH(bool, accepted);
    const CliRun added = runCliHere({u"account"_qs, u"add"_qs, u"customer"_qs, name});
    QCOMPARE(added.status == 0, accepted);
    if (!accepted) {
        QVERIFY2(added.err.contains(u"長すぎます"_qs), qPrintable(added.err));
        QCOMPARE(QDir(DataFolder::customerFolder()).entryList(QDir::Files).size(), 2);
        return;
    }
    // An account that is made can be used, renamed and deleted.
    const QString sql = u"customer:"_qs + name;
    QCOMPARE(runCliHere({u"sql"_qs, sql, u"INSERT INTO ユーザー (表示名) VALUES ('x')"_qs}).status,
             0);
    QCOMPARE(runCliHere({u"compact"_qs, u"customer"_qs, name}).status, 0);
    QString renamed = name;
    renamed[0] = u'本';
    QCOMPARE(runCliHere({u"account"_qs, u"rename"_qs, u"customer"_qs, name, renamed,
                         u"--old-password"_qs, QString()})
                 .status,
             0);
    QCOMPARE(users(customerFile(renamed)), 1);
    QCOMPARE(runCliHere({u"account"_qs, u"delete"_qs, u"customer"_qs, renamed, u"--old-password"_qs,
                         QString(), u"--yes"_qs})
                 .status,
             0);
    QVERIFY(!QFileInfo::exists(customerFile(renamed)));
}

void TstSafekeeping::theProgramsWriteNoCoreDump_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("args");
    QTest::newRow("horunea-cli") << cliBinary()
                                 << QStringList{u"sql"_qs, u"master"_qs, u"SELECT 1"_qs,
                                                u"--password"_qs, u"-"_qs};
    QTest::newRow("horunea") << programBinary() << QStringList{};
}

void TstSafekeeping::theProgramsWriteNoCoreDump()
{
    QFETCH(QString, program);
    QFETCH(QStringList, args);
    // The test itself may make core files, so that what the program sets is seen.
    const rlimit any{RLIM_INFINITY, RLIM_INFINITY};
    ::setrlimit(RLIMIT_CORE, &any);
    rlimit now{};
    ::getrlimit(RLIMIT_CORE, &now);
    if (now.rlim_cur == 0)
        QSKIP("raising the core file limit needs root");
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"QT_QPA_PLATFORM"_qs, u"offscreen"_qs);
    p.setProcessEnvironment(env);
    // The one waits for its password on stdin, the other in its main menu.
    p.start(program, QStringList{u"--data-dir"_qs, DataFolder::path()} + args);
    QVERIFY(p.waitForStarted());
    const QString limits = u"/proc/"_qs + QString::number(p.processId()) + u"/limits"_qs;
    QString coreLine;
    for (int i = 0; i < 200 && !coreLine.contains(u" 0 "_qs); ++i) {
        QTest::qWait(50);
        for (const QString& line : QString::fromUtf8(bytesOf(limits)).split(u'\n'))
            if (line.startsWith(u"Max core file size"))
                coreLine = line.simplified() + u' ';
    }
    p.kill();
    p.waitForFinished();
    QCOMPARE(coreLine, u"Max core file size 0 0 bytes "_qs);
}

void TstSafekeeping::aFullDiskIsSaidWhenCompacting()
{
    // A small file system of its own, which the copy cannot fit into.
    QTemporaryDir mountPoint;
    if (::mount("tmpfs", QFile::encodeName(mountPoint.path()).constData(), "tmpfs", 0,
                "size=1200k") != 0)
        QSKIP("mounting a small file system needs root");
    struct Unmount
    {
        QString path;
        ~Unmount() { ::umount2(QFile::encodeName(path).constData(), MNT_DETACH); }
    } unmount{mountPoint.path()};
    const QString data = mountPoint.path() + u"/data"_qs;
    QCOMPARE(runCliCaptured({u"--data-dir"_qs, data, u"init"_qs}).status, 0);
    QCOMPARE(runCliCaptured(
                 {u"--data-dir"_qs, data, u"account"_qs, u"add"_qs, u"customer"_qs, u"満杯"_qs})
                 .status,
             0);
    const QString file = data + u"/kelvo/満杯.mdb"_qs;
    {
        Database db = Database::open(file);
        Transaction t(db);
        for (int i = 0; i < 2000; ++i)
            addUser(db, u"ｱ"_qs, QString(100, u'満'));
        t.commit();
    }
    const QByteArray before = bytesOf(file);
    const CliRun r =
        runCliCaptured({u"--data-dir"_qs, data, u"compact"_qs, u"customer"_qs, u"満杯"_qs});
    QCOMPARE(r.status, 1);
    QVERIFY2(r.err.contains(u"ディスクがいっぱいです"_qs), qPrintable(r.err));
    QCOMPARE(bytesOf(file), before);
    QCOMPARE(QDir(data + u"/kelvo"_qs).entryList(QDir::Files | QDir::Hidden).size(), 1);
}

QTEST_GUILESS_MAIN(TstSafekeeping)
#include "tst_safekeeping.moc"
