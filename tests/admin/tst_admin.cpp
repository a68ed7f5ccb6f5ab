#include "CoreTestSupport.h"
#include "Fixtures.h"

#include "admin/AccountAdmin.h"
#include "admin/AccountRecovery.h"
#include "store/Compaction.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTest>

#include <csignal>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

using namespace horunea;
using namespace horunea::test;

namespace {

QString mdb(const QString& folder, const QString& name)
{
    return QDir(DataFolder::path()).filePath(folder + u'/' + name + u".mdb"_qs);
}

// Everything an administrator operation may touch: the master's two account
// tables and the files of both account folders.
QString snapshot(Database& master)
{
    QString s;
    for (const QString& table : {u"使用者"_qs, u"修理"_qs, u"管理者"_qs})
        master.forEachRow(u"select * from "_qs + table, {}, [&](const Row& row) {
            for (const QVariant& v : row.values())
                s += (v.isNull() ? u"<null>"_qs : v.toString()) + u'|';
            s += u'\n';
        });
    for (const QString& folder : {u"kelvo"_qs, u"care"_qs}) {
        const QDir dir(QDir(DataFolder::path()).filePath(folder));
        for (const QFileInfo& f : dir.entryInfoList(QDir::Files | QDir::Hidden, QDir::Name))
            s += folder + u'/' + f.fileName() + u' ' + QString::number(f.size()) + u'\n';
    }
    return s;
}

QVariant storedPassword(Database& master, const QString& table, const QString& number)
{
    const QString key = table == u"使用者" ? u"使用者No"_qs : u"修理No"_qs;
    return master
        .query(u"select パスワード from "_qs + table + u" where "_qs + key + u" =" + number)
        .first()
        .value(0);
}

class ReadOnlyFolder
{
public:
    explicit ReadOnlyFolder(const QString& path) : m_path(path)
    {
        ::chmod(QFile::encodeName(path).constData(), 0555);
    }
    ~ReadOnlyFolder() { ::chmod(QFile::encodeName(m_path).constData(), 0755); }

private:
    QString m_path;
};

// Writes past the size fail as on a full disk (root writes everywhere, but
// not past this).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        std::signal(SIGXFSZ, SIG_IGN);
        getrlimit(RLIMIT_FSIZE, &m_saved);
        rlimit limit = m_saved;
        limit.rlim_cur = bytes;
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_saved); }

private:
    rlimit m_saved{};
};

} // namespace

class TstAdmin : public QObject
{
    Q_OBJECT

private slots:
    void init() { m_folder = std::make_unique<TempDataFolder>(); }
    void cleanup() { m_folder.reset(); }

    void administratorLogin_data()
    {
        QTest::addColumn<QString>("stored");   // password stored; "<null>" for Null
        QTest::addColumn<QString>("name");     // typed; "*" for the shipped name
        QTest::addColumn<QString>("password"); // typed
        QTest::addColumn<bool>("right");
        QTest::newRow("shipped name, empty box") << "<null>"
                                                 << "*"
                                                 << "" << true;
        QTest::newRow("shipped name, a password typed") << "<null>"
                                                        << "*"
                                                        << "x" << false;
        QTest::newRow("name in the other case") << "<null>"
                                                << "upper"
                                                << "" << false;
        QTest::newRow("trailing space") << "<null>"
                                        << "* "
                                        << "" << false;
        QTest::newRow("empty name") << "<null>"
                                    << ""
                                    << "" << false;
        QTest::newRow("right password") << "秘密"
                                        << "*"
                                        << "秘密" << true;
        QTest::newRow("password in the other case") << "Abc"
                                                    << "*"
                                                    << "abc" << false;
        QTest::newRow("empty box, stored password") << "Abc"
                                                    << "*"
                                                    << "" << false;
        QTest::newRow("stored empty text, empty box") << ""
                                                      << "*"
                                                      << "" << true;
    }
    void administratorLogin()
    {
        QFETCH(QString, stored);
        QFETCH(QString, name);
        QFETCH(QString, password);
        QFETCH(bool, right);
        Database master = Database::open(DataFolder::masterPath());
        master.update(u"管理者"_qs,
                      {{u"パスワード"_qs, stored == u"<null>" ? QVariant() : QVariant(stored)}},
                      u"管理者ID =1"_qs);
        const QString shipped = shippedAdministratorName();
        QVERIFY(shipped != shipped.toUpper());
        if (name == u"upper")
            name = shipped.toUpper();
        name.replace(u'*', shipped);
        QCOMPARE(CheckAdministratorLogin(master, name, password), right);
    }

    void savingTheAdministrator()
    {
        Database master = Database::open(DataFolder::masterPath());
        QVERIFY_THROWS_EXCEPTION(Failure, SaveAdministrator(master, QString(), u"pw"_qs));
        QVERIFY(CheckAdministratorLogin(master, shippedAdministratorName(), QString()));

        SaveAdministrator(master, u"店長"_qs, u"pw"_qs);
        QVERIFY(CheckAdministratorLogin(master, u"店長"_qs, u"pw"_qs));
        QVERIFY(!CheckAdministratorLogin(master, shippedAdministratorName(), QString()));
        QCOMPARE(LoadAdministrator(master).password, u"pw"_qs);
        // An empty box removes the password.
        SaveAdministrator(master, u"店長"_qs, QString());
        QVERIFY(master.query(u"select パスワード from 管理者"_qs).first().value(0).isNull());
        QVERIFY(CheckAdministratorLogin(master, u"店長"_qs, QString()));
        QVERIFY(!CheckAdministratorLogin(master, u"店長"_qs, u"pw"_qs));
    }

    void refusedCharacters()
    {
        for (QChar c : u"|*\",/:;<>?\\"_qs)
            QVERIFY2(isRefusedNameCharacter(c), qPrintable(QString(c)));
        for (QChar c : u"=営業 ._-'"_qs)
            QVERIFY2(!isRefusedNameCharacter(c), qPrintable(QString(c)));
    }

    void creatingAnAccountCopiesTheTemplate_data()
    {
        QTest::addColumn<int>("kind");
        QTest::newRow("operator") << int(AccountKind::Operator);
        QTest::newRow("repair") << int(AccountKind::Repair);
    }
    void creatingAnAccountCopiesTheTemplate()
    {
        QFETCH(int, kind);
        const auto k = AccountKind(kind);
        const bool op = k == AccountKind::Operator;
        QDir(DataFolder::path()).rmdir(op ? u"kelvo"_qs : u"care"_qs);
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, k, u"営業一課"_qs, QString());
        const QString file = mdb(op ? u"kelvo"_qs : u"care"_qs, u"営業一課"_qs);
        QVERIFY(QFileInfo(file).isFile());
        QFile copy(file),
            original(op ? DataFolder::customerTemplatePath() : DataFolder::repairTemplatePath());
        QVERIFY(copy.open(QIODevice::ReadOnly) && original.open(QIODevice::ReadOnly));
        QCOMPARE(copy.readAll(), original.readAll());
        const QList<Account> accounts = LoadAccounts(master, k);
        QCOMPARE(accounts.size(), 1);
        QCOMPARE(accounts[0].name, u"営業一課"_qs);
        QVERIFY(
            storedPassword(master, op ? u"使用者"_qs : u"修理"_qs, accounts[0].number).isNull());
        // No hidden working file stays behind.
        QCOMPARE(QFileInfo(file).dir().entryList(QDir::Files | QDir::Hidden).size(), 1);

        CreateAccount(master, k, u"二課"_qs, u"pw"_qs);
        QCOMPARE(storedPassword(master, op ? u"使用者"_qs : u"修理"_qs,
                                LoadAccounts(master, k)[1].number)
                     .toString(),
                 u"pw"_qs);
    }

    void refusedCreationsChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "空白はいけません。";
        QTest::newRow("listed") << "営業一課"
                                << "同じ名前が存在します。登録できません。";
        QTest::newRow("case only") << "abc"
                                   << "大文字・小文字だけが違う";
        QTest::newRow("slash") << "a/b"
                               << "「/」は使えません";
        QTest::newRow("parent") << ".."
                                << "先頭に「.」";
        QTest::newRow("file already there") << "残り"
                                            << "同じ名前のファイルがすでにあります";
    }
    void refusedCreationsChangeNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"営業一課"_qs, QString());
        CreateAccount(master, AccountKind::Operator, u"ABC"_qs, QString());
        // A file no account owns (left by hand, say) is never overwritten.
        QFile::copy(DataFolder::repairTemplatePath(), mdb(u"kelvo"_qs, u"残り"_qs));
        const QString before = snapshot(master);
        try {
            CreateAccount(master, AccountKind::Operator, name, u"x"_qs);
            QFAIL("created");
        } catch (const Failure& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(snapshot(master), before);
    }

    void aTemplateThatCannotBeCopiedAddsNoRow()
    {
        Database master = Database::open(DataFolder::masterPath());
        QVERIFY(QFile::remove(DataFolder::customerTemplatePath()));
        const QString before = snapshot(master);
        try {
            CreateAccount(master, AccountKind::Operator, u"営業一課"_qs, QString());
            QFAIL("created");
        } catch (const Failure& e) {
            QVERIFY2(e.message().contains(u"ひな形"_qs), qPrintable(e.message()));
        }
        QCOMPARE(snapshot(master), before);
        QVERIFY(LoadAccounts(master, AccountKind::Operator).isEmpty());

        // A folder that cannot be written to: the same.
        EnsureShippedFiles();
        ReadOnlyFolder locked(DataFolder::customerFolder());
        if (QFileInfo(DataFolder::customerFolder()).isWritable())
            QSKIP("running as a user who writes everywhere");
        QVERIFY_THROWS_EXCEPTION(
            Failure, CreateAccount(master, AccountKind::Operator, u"営業一課"_qs, QString()));
        QCOMPARE(snapshot(master), before);
    }

    void renamingMovesTheFileAndSetsThePassword()
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"営業一課"_qs, u"old"_qs);
        {
            Database customer = Database::open(mdb(u"kelvo"_qs, u"営業一課"_qs));
            addUser(customer, u"ﾔﾏﾀﾞ"_qs, u"山田"_qs);
        }
        const QString number = LoadAccounts(master, AccountKind::Operator)[0].number;
        QVERIFY_THROWS_EXCEPTION(Failure, ChangeAccount(master, AccountKind::Operator, number,
                                                        u"営業二課"_qs, u"wrong"_qs, {}));
        ChangeAccount(master, AccountKind::Operator, number, u"営業二課"_qs, u"old"_qs, QString());
        QVERIFY(!QFileInfo::exists(mdb(u"kelvo"_qs, u"営業一課"_qs)));
        Database renamed = Database::open(mdb(u"kelvo"_qs, u"営業二課"_qs));
        QCOMPARE(renamed.scalar(u"select count(*) from ユーザー"_qs), 1);
        QCOMPARE(FindAccount(master, AccountKind::Operator, FindBy::Number, number).name,
                 u"営業二課"_qs);
        // An empty new password leaves the account without one.
        QVERIFY(storedPassword(master, u"使用者"_qs, number).isNull());
        // The same name with a new password: only the password changes.
        ChangeAccount(master, AccountKind::Operator, number, u"営業二課"_qs, QString(), u"新"_qs);
        QCOMPARE(storedPassword(master, u"使用者"_qs, number).toString(), u"新"_qs);
        // Only the letter case changes: the account keeps its own file.
        CreateAccount(master, AccountKind::Repair, u"abc"_qs, QString());
        const QString repair = LoadAccounts(master, AccountKind::Repair)[0].number;
        ChangeAccount(master, AccountKind::Repair, repair, u"ABC"_qs, QString(), QString());
        QVERIFY(QFileInfo::exists(mdb(u"care"_qs, u"ABC"_qs)));
        QVERIFY(!QFileInfo::exists(mdb(u"care"_qs, u"abc"_qs)));
    }

    void refusedRenamesChangeNothing_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << ""
                               << "空白はいけません。";
        QTest::newRow("another account") << "二課"
                                         << "同じ名前が存在します。";
        QTest::newRow("another account, other case") << "XYZ"
                                                     << "大文字・小文字だけが違う";
        QTest::newRow("colon") << "a:b"
                               << "「:」は使えません";
        QTest::newRow("unowned file") << "残り"
                                      << "同じ名前のファイルがすでにあります";
        QTest::newRow("file missing") << "*"
                                      << "ファイルがありません";
    }
    void refusedRenamesChangeNothing()
    {
        QFETCH(QString, name);
        QFETCH(QString, message);
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"一課"_qs, u"pw"_qs);
        CreateAccount(master, AccountKind::Operator, u"二課"_qs, QString());
        CreateAccount(master, AccountKind::Operator, u"xyz"_qs, QString());
        QFile::copy(DataFolder::customerTemplatePath(), mdb(u"kelvo"_qs, u"残り"_qs));
        if (name == u"*") {
            QFile::remove(mdb(u"kelvo"_qs, u"一課"_qs));
            name = u"三課"_qs;
        }
        const QString number = LoadAccounts(master, AccountKind::Operator)[0].number;
        const QString before = snapshot(master);
        try {
            ChangeAccount(master, AccountKind::Operator, number, name, u"pw"_qs, u"new"_qs);
            QFAIL("changed");
        } catch (const Failure& e) {
            QVERIFY2(e.message().contains(message), qPrintable(e.message()));
        }
        QCOMPARE(snapshot(master), before);
    }

    void removingTakesRowAndFile()
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Repair, u"修理部"_qs, u"pw"_qs);
        CreateAccount(master, AccountKind::Repair, u"残す"_qs, QString());
        const QString number = LoadAccounts(master, AccountKind::Repair)[0].number;
        const QString before = snapshot(master);
        QVERIFY_THROWS_EXCEPTION(Failure,
                                 RemoveAccount(master, AccountKind::Repair, number, QString()));
        QCOMPARE(snapshot(master), before);
        RemoveAccount(master, AccountKind::Repair, number, u"pw"_qs);
        QVERIFY(!QFileInfo::exists(mdb(u"care"_qs, u"修理部"_qs)));
        QCOMPARE(LoadAccounts(master, AccountKind::Repair).size(), 1);
        QCOMPARE(QDir(DataFolder::repairFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"残す.mdb"_qs});

        // A file already gone is no error: the row goes all the same.
        QFile::remove(mdb(u"care"_qs, u"残す"_qs));
        RemoveAccount(master, AccountKind::Repair,
                      LoadAccounts(master, AccountKind::Repair)[0].number, QString());
        QVERIFY(LoadAccounts(master, AccountKind::Repair).isEmpty());
    }

    void aFileThatCannotBeRemovedKeepsTheAccount()
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"一課"_qs, QString());
        const QString before = snapshot(master);
        ReadOnlyFolder locked(DataFolder::customerFolder());
        if (QFileInfo(DataFolder::customerFolder()).isWritable())
            QSKIP("running as a user who writes everywhere");
        QVERIFY_THROWS_EXCEPTION(
            Failure,
            RemoveAccount(master, AccountKind::Operator,
                          LoadAccounts(master, AccountKind::Operator)[0].number, QString()));
        QCOMPARE(snapshot(master), before);
    }

    void compactionKeepsEveryRow()
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"一課"_qs, QString());
        const QString file = mdb(u"kelvo"_qs, u"一課"_qs);
        {
            Database db = Database::open(file);
            Transaction t(db);
            for (int i = 0; i < 300; ++i) {
                const qint64 user = addUser(db, u"ｷｬｸ"_qs, QStringLiteral("客%1").arg(i));
                addLog(db, addSubject(db, user, u"件名"_qs), user, QString(500, u'長'));
            }
            t.commit();
            db.exec(u"delete from ログ where ログID > 10"_qs);
        }
        // A file at the copy's name that the program did not make is left
        // alone: the copy goes under a name of its own.
        QFile leftover(compactionOutputPath(file));
        QVERIFY(leftover.open(QIODevice::WriteOnly));
        leftover.write("garbage");
        leftover.close();

        const qint64 size = QFileInfo(file).size();
        const CompactionSizes sizes = CompactAccountDatabase(AccountKind::Operator, u"一課"_qs);
        QCOMPARE(sizes.before, size);
        QVERIFY2(sizes.after < sizes.before, qPrintable(QString::number(sizes.after)));
        QCOMPARE(QDir(DataFolder::customerFolder()).entryList(QDir::Files | QDir::Hidden),
                 (QStringList{u"一課.mdb"_qs, u"一課最適化.mdb"_qs}));
        QVERIFY(leftover.open(QIODevice::ReadOnly));
        QCOMPARE(leftover.readAll(), QByteArray("garbage"));
        Database db = Database::open(file);
        QCOMPARE(db.scalar(u"select count(*) from ユーザー"_qs), 300);
        QCOMPARE(db.scalar(u"select count(*) from 件名"_qs), 300);
        QCOMPARE(db.scalar(u"select count(*) from ログ"_qs), 10);
        QCOMPARE(db.scalar(u"select count(*) from 設定"_qs), 1);
        // The indexes came along.
        QVERIFY(db.scalar(u"select count(*) from sqlite_master where type = 'index'"_qs) >= 4);
    }

    void failedCompactionsKeepTheOriginal_data()
    {
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << "missing"
                                 << "ありません";
        QTest::newRow("garbage") << "garbage"
                                 << "開けません";
        QTest::newRow("read-only folder") << "read-only"
                                          << "作成できません";
        QTest::newRow("bad name") << "name"
                                  << "ファイル名にできません";
        QTest::newRow("disk full during the export") << "full"
                                                     << "失敗しました";
    }
    void failedCompactionsKeepTheOriginal()
    {
        QFETCH(QString, how);
        QFETCH(QString, reason);
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Repair, u"修理部"_qs, QString());
        const QString file = mdb(u"care"_qs, u"修理部"_qs);
        QString name = u"修理部"_qs;
        std::unique_ptr<ReadOnlyFolder> locked;
        if (how == u"missing") {
            QFile::remove(file);
        } else if (how == u"garbage") {
            QFile::remove(file);
            QFile f(file);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(QByteArray(4096, 'x'));
        } else if (how == u"read-only") {
            locked = std::make_unique<ReadOnlyFolder>(DataFolder::repairFolder());
            if (QFileInfo(DataFolder::repairFolder()).isWritable())
                QSKIP("running as a user who writes everywhere");
        } else if (how == u"full") {
            Database db = Database::open(file);
            Transaction t(db);
            for (int i = 0; i < 200; ++i)
                db.insert(u"修理先"_qs, {{u"メーカー名"_qs, QString(400, u'満')}});
            t.commit();
        } else {
            name = u"../main"_qs;
        }
        const QString before = snapshot(master);
        QByteArray content;
        {
            QFile f(file);
            if (f.open(QIODevice::ReadOnly))
                content = f.readAll();
        }
        // A file may grow no larger than half the original: the disk is full.
        std::optional<FileSizeLimit> full;
        if (how == u"full")
            full.emplace(QFileInfo(file).size() / 2);
        try {
            CompactAccountDatabase(AccountKind::Repair, name);
            QFAIL("compacted");
        } catch (const Failure& e) {
            QVERIFY2(e.message().startsWith(u"最適化できませんでした。"_qs),
                     qPrintable(e.message()));
            QVERIFY2(e.message().contains(reason), qPrintable(e.message()));
        }
        full.reset();
        QCOMPARE(snapshot(master), before);
        QFile f(file);
        if (f.open(QIODevice::ReadOnly))
            QCOMPARE(f.readAll(), content);
        QVERIFY(!QFileInfo::exists(compactionOutputPath(file)));
    }

    void aKilledCompactionLeavesTheAccount()
    {
        const QString program =
            QDir(QCoreApplication::applicationDirPath()).filePath(u"horunea-cli"_qs);
        QVERIFY(QFile::exists(program));
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"一課"_qs, QString());
        const QString file = mdb(u"kelvo"_qs, u"一課"_qs);
        {
            Database db = Database::open(file);
            Transaction t(db);
            for (int i = 0; i < 4000; ++i)
                addLog(db, addSubject(db, addUser(db, u"ｷｬｸ"_qs, u"客"_qs), u"件名"_qs), 1,
                       QString(300, u'長'));
            t.commit();
        }
        // Killed at any moment, the account's file is the original or the
        // complete copy; the next start clears the copy it left.
        for (int delay : {0, 10, 30, 60, 100, 150, 250, 400}) {
            QProcess cli;
            cli.start(program, {u"--data-dir"_qs, DataFolder::path(), u"compact"_qs, u"customer"_qs,
                                u"一課"_qs});
            QVERIFY(cli.waitForStarted());
            QTest::qSleep(delay);
            cli.kill();
            cli.waitForFinished();
            Database db = Database::open(file);
            QCOMPARE(db.scalar(u"select count(*) from ログ"_qs), 4000);
            QCOMPARE(db.scalar(u"select count(*) from ユーザー"_qs), 4000);
        }
        RecoverAccountOperation();
        CompactAccountDatabase(AccountKind::Operator, u"一課"_qs);
        QCOMPARE(QDir(DataFolder::customerFolder()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{u"一課.mdb"_qs});
    }

    void backupCopiesEveryFile()
    {
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"一課"_qs, QString());
        CreateAccount(master, AccountKind::Operator, u"消えた"_qs, QString());
        CreateAccount(master, AccountKind::Repair, u"修理部"_qs, QString());
        QFile::remove(mdb(u"kelvo"_qs, u"消えた"_qs));
        {
            Database db = Database::open(mdb(u"kelvo"_qs, u"一課"_qs));
            addUser(db, u"ﾔﾏﾀﾞ"_qs, u"山田"_qs);
        }
        QTemporaryDir out;
        const QString target = out.filePath(u"控え"_qs);
        QStringList told;
        const QStringList missing =
            BackupDataFolder(target, [&](int done, int total, const QString& file) {
                told << QStringLiteral("%1/%2 %3").arg(done).arg(total).arg(file);
            });
        QCOMPARE(missing, QStringList{u"kelvo/消えた.mdb: ファイルがありません。"_qs});
        QCOMPARE(told, (QStringList{u"1/5 main.mdb"_qs, u"2/5 kelvo.mdb"_qs, u"3/5 care.mdb"_qs,
                                    u"4/5 kelvo/一課.mdb"_qs, u"5/5 care/修理部.mdb"_qs}));
        Database copy = Database::open(QDir(target).filePath(u"kelvo/一課.mdb"_qs));
        QCOMPARE(copy.scalar(u"select count(*) from ユーザー"_qs), 1);
        Database copiedMaster = Database::open(QDir(target).filePath(u"main.mdb"_qs));
        QCOMPARE(copiedMaster.scalar(u"select count(*) from 使用者"_qs), 2);
        // Nothing but the finished folder is left beside it.
        QCOMPARE(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{u"控え"_qs});
        // An existing folder is never written into.
        QVERIFY_THROWS_EXCEPTION(Failure, BackupDataFolder(target));
    }

    void aDamagedAccountIsLeftOutOfTheBackup()
    {
        QTemporaryDir out;
        Database master = Database::open(DataFolder::masterPath());
        CreateAccount(master, AccountKind::Operator, u"一課"_qs, QString());
        CreateAccount(master, AccountKind::Operator, u"二課"_qs, QString());
        {
            QFile f(mdb(u"kelvo"_qs, u"一課"_qs));
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'z'));
        }
        const QStringList skipped = BackupDataFolder(out.filePath(u"控え"_qs));
        QCOMPARE(skipped.size(), 1);
        QVERIFY(skipped.first().startsWith(u"kelvo/一課.mdb: "_qs));
        const QDir copy(out.filePath(u"控え"_qs));
        QVERIFY(copy.exists(u"kelvo/二課.mdb"_qs));
        QVERIFY(!copy.exists(u"kelvo/一課.mdb"_qs));
    }

    void aFailedBackupLeavesNothing()
    {
        // Without a readable main.mdb there is no backup, and nothing is left.
        QTemporaryDir out;
        {
            QFile f(DataFolder::masterPath());
            QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
            f.write(QByteArray(8192, 'z'));
        }
        QVERIFY_THROWS_EXCEPTION(Failure, BackupDataFolder(out.filePath(u"控え"_qs)));
        QVERIFY(QDir(out.path())
                    .entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot)
                    .isEmpty());
    }

private:
    std::unique_ptr<TempDataFolder> m_folder;
};

QTEST_GUILESS_MAIN(TstAdmin)
#include "tst_admin.moc"
