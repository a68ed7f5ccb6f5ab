#include "admin/AccountAdmin.h"
#include "store/Store.h"

#include "admin/AccountRecovery.h"
#include "admin/ServerAccountAdmin.h"
#include "store/DateText.h"
#include "store/ServerMove.h"

#include "store/Compaction.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Failure.h"
#include "store/Schema.h"
#include "store/ShippedFiles.h"
#include "store/StagedFolder.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerSchema.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QTemporaryDir>
#include <QTemporaryFile>

#include <cstdio>
#include <optional>
#include <unistd.h>
#include <vector>

namespace horunea {

namespace {

// Where a compaction writes its copy: the Part's "<name>最適化.mdb" when
// nothing is there, no account has that name (names compared as they are,
// never as patterns) and the name fits; otherwise a private name of the same
// folder. A
// file that is there, or an account that is listed, is never touched.
QString compactionOutputFor(AccountKind kind, const QString& name, const QString& path)
{
    const QString output = compactionOutputPath(path);
    Database master = OpenMaster();
    const QString taken = name + u"最適化"_qs;
    bool isAccount = false;
    for (const Account& a : LoadAccounts(master, kind))
        isAccount = isAccount || a.name == taken;
    // The engine names the copy's journal after it: both must fit a file name.
    const bool fits = (QFileInfo(output).fileName() + u"-journal"_qs).toUtf8().size() <= 255;
    if (!isAccount && fits && !QFileInfo::exists(output) && !QFileInfo(output).isSymLink())
        return output;
    const QDir folder = QFileInfo(path).dir();
    for (int attempt = 0;; ++attempt) {
        const QString candidate =
            folder.filePath(QStringLiteral(".最適化中-%1-%2.mdb").arg(::getpid()).arg(attempt));
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}

QString templateOf(AccountKind kind)
{
    return kind == AccountKind::Operator ? DataFolder::customerTemplatePath()
                                         : DataFolder::repairTemplatePath();
}

QVariant passwordValue(const QString& password)
{
    return password.isEmpty() ? QVariant() : QVariant(password);
}

// The checks a new name passes, for a new account and for a rename; returns
// the file the name stands for.
QString checkedUnlistedName(Database& master, AccountKind kind, const QString& name,
                            const QString& renamedFrom = QString())
{
    if (name.isEmpty())
        throw Failure(u"空白はいけません。"_qs);
    for (const Account& a : LoadAccounts(master, kind))
        if (a.name == name && name != renamedFrom)
            throw Failure(u"同じ名前が存在します。登録できません。"_qs);
    return accountFilePath(kind, name, renamedFrom);
}

QString checkedNewName(Database& master, AccountKind kind, const QString& name,
                       const QString& renamedFrom = QString())
{
    const QString path = checkedUnlistedName(master, kind, name, renamedFrom);
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink())
        throw Failure(
            QStringLiteral("同じ名前のファイルがすでにあります。登録できません。\n%1").arg(path));
    return path;
}

// Copies the template to a hidden file of the folder, then gives it its name
// without ever replacing a file that is there.
void copyTemplate(const QString& from, const QString& to)
{
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        throw Failure(QStringLiteral("ひな形のファイルが読めません。\n%1\n(%2)")
                          .arg(from, source.errorString()));
    QTemporaryFile copy(QFileInfo(to).dir().filePath(u".作成中-XXXXXX"_qs));
    if (!copy.open())
        throw Failure(
            QStringLiteral("ファイルを作成できません。\n%1\n(%2)").arg(to, copy.errorString()));
    while (!source.atEnd()) {
        const QByteArray block = source.read(1 << 20);
        if (block.isEmpty() && source.error() != QFile::NoError)
            throw Failure(QStringLiteral("ひな形のファイルが読めません。\n%1").arg(from));
        if (copy.write(block) != block.size())
            throw Failure(
                QStringLiteral("ファイルを書き込めません。\n%1\n(%2)").arg(to, copy.errorString()));
    }
    if (!copy.flush())
        throw Failure(QStringLiteral("ファイルを書き込めません。\n%1").arg(to));
    copy.close();
    syncToDisk(copy.fileName());
    renameWithoutReplacing(copy.fileName(), to);
    copy.setAutoRemove(false);
}

} // namespace

bool CheckAdministratorLogin(Database& master, const QString& name, const QString& password)
{
    // The server's clerks may not read the password: the server checks it.
    if (master.isServer() && serverHasPasswordChecks(*master.serverConnection()))
        return master.serverConnection()
                   ->exec(u"SELECT "_qs + serverAdministratorCheck() + u"($1, $2)"_qs,
                          {name, password})
                   .text(0, 0) == u"t";
    const ResultSet result = master.query(u"Select * From 管理者 Where 管理者ID =1"_qs);
    if (result.isEmpty())
        return false;
    const Row& row = result.first();
    if (row.value(u"管理者名"_qs).toString() != name || row.value(u"管理者名"_qs).isNull())
        return false;
    return PasswordMatches(password, row.value(u"パスワード"_qs));
}

AdministratorCredentials LoadAdministrator(Database& master)
{
    // A clerk's PC on the server reads the name alone.
    const ResultSet result =
        master.query(MayReadPasswords(master, u"管理者"_qs)
                         ? u"select 管理者名, パスワード from 管理者 where 管理者ID=1"_qs
                         : u"select 管理者名 from 管理者 where 管理者ID=1"_qs);
    if (result.isEmpty())
        return {};
    return {result.first().text(u"管理者名"_qs), result.first().text(u"パスワード"_qs)};
}

void SaveAdministrator(Database& master, const QString& name, const QString& password)
{
    if (name.isEmpty())
        throw Failure(u"管理者名は空白禁止です。"_qs);
    Transaction transaction(master);
    const int changed = master.update(
        u"管理者"_qs, {{u"管理者名"_qs, name}, {u"パスワード"_qs, passwordValue(password)}},
        u"管理者ID =1"_qs);
    if (changed != 1)
        throw Failure(u"管理者の記録がありません。"_qs);
    transaction.commit();
}

bool isRefusedNameCharacter(QChar c)
{
    return DataFolder::forbiddenNameCharacters().contains(c);
}

void CreateAccount(Database& master, AccountKind kind, const QString& name, const QString& password)
{
    if (Store::isServer()) {
        checkedUnlistedName(master, kind, name);
        CreateServerAccount(master, kind, name, passwordValue(password));
        return;
    }
    const QString folder = accountFolder(kind);
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("フォルダーを作成できません。\n%1").arg(folder));
    RecoverAccountOperation(master);
    if (const QString problem = templateProblem(databaseKindOf(kind)); !problem.isEmpty())
        throw Failure(problem);
    const QString path = checkedNewName(master, kind, name);
    const AccountTable& k = accountTableOf(kind);
    const AccountOperation operation(AccountOperation::Step::Add, kind, {name});
    Transaction transaction(master);
    master.insert(k.table, {{k.nameField, name}, {u"ﾊﾟｽﾜｰﾄﾞ"_qs, passwordValue(password)}});
    copyTemplate(templateOf(kind), path);
    // The file's name is on disk before the row that names it is.
    syncToDisk(folder);
    try {
        transaction.commit();
    } catch (const Failure&) {
        QFile::remove(path);
        throw;
    }
}

void AttachAccount(Database& master, AccountKind kind, const QString& name, const QString& password)
{
    if (Store::isServer())
        throw Failure(u"サーバーのデータには、登録し直すファイルがありません。"_qs);
    RecoverAccountOperation(master);
    const QString path = checkedUnlistedName(master, kind, name);
    if (!QFileInfo(path).isFile())
        throw Failure(QStringLiteral("ファイルがありません。\n%1").arg(path));
    const AccountLock lock(path, name, AccountLock::Mode::Exclusive);
    settleJournal(path);
    if (const QString why = unusableDatabaseFile(path, databaseKindOf(kind)); !why.isEmpty())
        throw Failure(
            QStringLiteral("このファイルは%1のデータベースとして使えません。\n%2\n%3")
                .arg(kind == AccountKind::Operator ? u"顧客管理"_qs : u"修理管理"_qs, path, why));
    const AccountTable& k = accountTableOf(kind);
    Transaction transaction(master);
    master.insert(k.table, {{k.nameField, name}, {u"ﾊﾟｽﾜｰﾄﾞ"_qs, passwordValue(password)}});
    transaction.commit();
}

void checkOldPassword(Database& master, AccountKind kind, const QString& number,
                      const QString& oldPassword)
{
    if (!CheckAccountPassword(master, kind, number, oldPassword))
        throw Failure(u"旧パスワードが違います。"_qs);
}

void ChangeAccount(Database& master, AccountKind kind, const QString& number,
                   const QString& newName, const QString& oldPassword, const QString& newPassword)
{
    RecoverAccountOperation(master);
    checkOldPassword(master, kind, number, oldPassword);
    const QString oldName = FindAccount(master, kind, FindBy::Number, number).name;
    if (Store::isServer()) {
        checkedUnlistedName(master, kind, newName, oldName);
        ChangeServerAccount(master, kind, number, newName, passwordValue(newPassword));
        return;
    }
    const AccountTable& k = accountTableOf(kind);
    const bool renamed = newName != oldName;
    QString oldPath, newPath;
    AccountLock oldLock, newLock;
    if (renamed) {
        newPath = checkedNewName(master, kind, newName, oldName);
        oldPath = accountFilePath(kind, oldName);
        if (!QFileInfo(oldPath).isFile())
            throw Failure(
                QStringLiteral("アカウントのファイルがありません。名前を変更できません。\n%1")
                    .arg(oldPath));
        // Nobody may work on the file while it moves, nor open the new name early.
        oldLock = AccountLock(oldPath, oldName, AccountLock::Mode::Exclusive);
        newLock = AccountLock(newPath, newName, AccountLock::Mode::Exclusive);
        settleJournal(oldPath);
    }
    std::optional<AccountOperation> operation;
    if (renamed)
        operation.emplace(AccountOperation::Step::Rename, kind, QStringList{oldName, newName});
    Transaction transaction(master);
    master.update(k.table, {{k.nameField, newName}, {u"パスワード"_qs, passwordValue(newPassword)}},
                  keyCondition(k.key, number));
    if (renamed) {
        renameWithoutReplacing(oldPath, newPath);
        syncToDisk(QFileInfo(newPath).absolutePath());
    }
    try {
        transaction.commit();
    } catch (const Failure&) {
        if (renamed)
            std::rename(QFile::encodeName(newPath).constData(),
                        QFile::encodeName(oldPath).constData());
        throw;
    }
}

void RemoveAccount(Database& master, AccountKind kind, const QString& number,
                   const QString& oldPassword)
{
    RecoverAccountOperation(master);
    checkOldPassword(master, kind, number, oldPassword);
    if (Store::isServer()) {
        RemoveServerAccount(master, kind, number);
        return;
    }
    const AccountTable& k = accountTableOf(kind);
    const QString name = FindAccount(master, kind, FindBy::Number, number).name;
    const QString path = presentAccountFile(kind, name);
    AccountLock lock;
    if (!path.isEmpty()) {
        lock = AccountLock(path, name, AccountLock::Mode::Exclusive);
        settleJournal(path);
    }
    const AccountOperation operation(AccountOperation::Step::Delete, kind, {name});
    // The file is moved aside first, so that it can come back if the row
    // cannot be deleted.
    QString aside;
    if (!path.isEmpty()) {
        aside = QFileInfo(path).dir().filePath(u".削除中-"_qs + QFileInfo(path).fileName());
        QFile::remove(aside);
        renameWithoutReplacing(path, aside);
        syncToDisk(QFileInfo(path).absolutePath());
    }
    try {
        Transaction transaction(master);
        master.remove(k.table, keyCondition(k.key, number));
        transaction.commit();
    } catch (const Failure&) {
        if (!aside.isEmpty())
            std::rename(QFile::encodeName(aside).constData(), QFile::encodeName(path).constData());
        throw;
    }
    if (!aside.isEmpty())
        QFile::remove(aside);
}

CompactionSizes CompactAccountDatabase(AccountKind kind, const QString& name)
{
    if (Store::isServer()) {
        try {
            Database master = OpenMaster();
            return CompactServerAccount(master, kind, name);
        } catch (const Failure& e) {
            throw Failure(u"最適化できませんでした。\n"_qs + e.message(), e.detail());
        }
    }
    QString path;
    try {
        path = accountFilePath(kind, name);
        Database master = OpenMaster();
        FindAccount(master, kind, FindBy::Name, name);
    } catch (const Failure& e) {
        throw Failure(u"最適化できませんでした。\n"_qs + e.message(), e.detail());
    }
    const AccountLock lock(path, name, AccountLock::Mode::Exclusive);
    settleJournal(path);
    const QString output = compactionOutputFor(kind, name, path);
    CompactionRecord record(kind, name, output);
    return compactFile(path, output, [&] { record.created(); });
}

namespace {

// A private folder, laid out as a data folder, in which a backup or a restore
// assembles its files before they appear under their names.
QDir stagingFolder(const QTemporaryDir& staging, const QString& where)
{
    if (!staging.isValid())
        throw Failure(QStringLiteral("書き込めません。\n%1\n(%2)")
                          .arg(QDir::toNativeSeparators(where), staging.errorString()));
    const QDir into(staging.path());
    into.mkpath(u"kelvo"_qs);
    into.mkpath(u"care"_qs);
    return into;
}

// The files a backup folder holds, by their place in it: main.mdb, the
// templates and every .mdb of the account folders.
QStringList backupFiles(const QDir& from)
{
    QStringList files;
    for (const QString& shipped : {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs})
        if (from.exists(shipped))
            files << shipped;
    for (const QString& folder : {u"kelvo"_qs, u"care"_qs})
        for (const QString& name :
             QDir(from.filePath(folder)).entryList({u"*.mdb"_qs}, QDir::Files))
            files << folder + u'/' + name;
    return files;
}

// Whether the backup folder can replace the data: not marked incomplete, its
// main.mdb usable, every account it lists with its file, and every file
// opening and passing the engine's integrity check. Refused otherwise, with
// everything that is wrong listed, before anything is touched.
void checkBackupFolder(const QString& backup)
{
    const QDir from(backup);
    const QString where = QDir::toNativeSeparators(backup);
    if (const QString why =
            unusableDatabaseFile(from.filePath(u"main.mdb"_qs), DatabaseKind::Master);
        !why.isEmpty())
        throw Failure(
            QStringLiteral("バックアップのフォルダーではありません (main.mdb を使えません)。\n%1")
                .arg(where),
            why);
    QStringList problems;
    if (from.exists(IncompleteBackupMark)) {
        QFile mark(from.filePath(IncompleteBackupMark));
        mark.open(QIODevice::ReadOnly);
        problems << u"写せなかったファイルのあるバックアップです ("_qs + IncompleteBackupMark +
                        u")"_qs;
        const QStringList lines =
            QString::fromUtf8(mark.readAll()).split(u'\n', Qt::SkipEmptyParts);
        problems += lines.mid(1);
    }
    {
        Database master = Database::open(from.filePath(u"main.mdb"_qs));
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
            const QString folder = kind == AccountKind::Operator ? u"kelvo"_qs : u"care"_qs;
            for (const Account& a : LoadAccounts(master, kind)) {
                const QString relative = folder + u'/' + a.name + u".mdb"_qs;
                if (!QFileInfo(from.filePath(relative)).isFile())
                    problems << relative + u": ファイルがありません。"_qs;
            }
        }
    }
    for (const QString& file : backupFiles(from)) {
        try {
            Database db = Database::open(from.filePath(file));
            if (const QString problem = integrityProblem(db); !problem.isEmpty())
                problems << file + u": 壊れています。"_qs;
        } catch (const Failure& e) {
            problems << file + u": "_qs + e.message().section(u'\n', 0, 0);
        }
    }
    if (!problems.isEmpty())
        throw Failure(
            QStringLiteral("このバックアップからは復元できません。何も変えていません。\n%1\n%2")
                .arg(where, problems.join(u'\n')));
}

} // namespace

void RestoreDataFolder(const QString& backup,
                       const std::function<void(int, int, const QString&)>& progress,
                       bool byTheProgram)
{
    if (QFileInfo(backup).canonicalFilePath() == QFileInfo(DataFolder::path()).canonicalFilePath())
        throw Failure(
            u"データフォルダーそのものは戻せません。バックアップのフォルダーを指定してください。"_qs);
    checkBackupFolder(backup);
    if (Store::isServer()) {
        ReplaceServerData(Store::server(), backup, [&](const QString& file) {
            if (progress)
                progress(0, 0, file);
        });
        return;
    }
    const QDir from(backup);
    // Nobody works on the folder meanwhile: not the program, not an account.
    QLockFile instance(DataFolder::lockPath());
    instance.setStaleLockTime(0);
    if (!byTheProgram && !instance.tryLock(0))
        throw Failure(u"ホルネアがこのデータフォルダーで起動中のため、復元できません。"
                      u"ホルネアを終了してからやり直してください。"_qs);
    std::vector<AccountLock> locks;
    if (QFileInfo(DataFolder::masterPath()).isFile()) {
        Database master = OpenMaster();
        RecoverAccountOperation(master);
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair})
            for (const Account& a : LoadAccounts(master, kind))
                locks.emplace_back(accountFilePath(kind, a.name), a.name,
                                   AccountLock::Mode::Exclusive);
    }

    // Every file of the backup, checked again as it is copied.
    const QStringList files = backupFiles(from);
    const QDir data(DataFolder::path());
    QTemporaryDir staging(data.filePath(u".復元中-XXXXXX"_qs));
    const QDir into = stagingFolder(staging, data.path());
    int done = 0;
    for (const QString& file : std::as_const(files)) {
        if (progress)
            progress(++done, int(files.size()), file);
        exportCheckedCopy(from.filePath(file), into.filePath(file));
    }
    syncToDisk(staging.path());

    // The switch: written down first, so that a crash is undone at the next start.
    const QString aside =
        data.filePath(u"復元前-"_qs + Clock::now().toString(u"yyyyMMdd-HHmmss"_qs));
    {
        const AccountOperation operation(AccountOperation::Step::Restore, AccountKind::Operator,
                                         {aside, staging.path()});
        if (!QDir().mkpath(aside))
            throw Failure(QStringLiteral("フォルダーを作成できません。\n%1").arg(aside));
        for (const QString& item : restoredItems())
            if (QFileInfo::exists(data.filePath(item)))
                renameWithoutReplacing(data.filePath(item), QDir(aside).filePath(item));
        for (const QString& item : restoredItems())
            if (QFileInfo::exists(into.filePath(item)))
                renameWithoutReplacing(into.filePath(item), data.filePath(item));
        syncToDisk(data.path());
    } // the record goes: the restore is whole
    QDir(aside).removeRecursively();
}

QStringList BackupDataFolder(const QString& destination,
                             const std::function<void(int, int, const QString&)>& progress)
{
    if (Store::isServer()) {
        // The server's data as a file data folder, which restores into
        // either store.
        if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink())
            throw Failure(QStringLiteral("バックアップ先がすでにあります。\n%1").arg(destination));
        ExportServerToFolder(Store::server(), destination, [&](const QString& file) {
            if (progress)
                progress(0, 0, file);
        });
        return {};
    }
    const QFileInfo target(destination);
    if (target.exists() || target.isSymLink())
        throw Failure(QStringLiteral("バックアップ先がすでにあります。\n%1").arg(destination));
    if (!target.absoluteDir().exists())
        throw Failure(QStringLiteral("バックアップ先の親フォルダーがありません。\n%1")
                          .arg(target.absolutePath()));

    // The files to copy, by their place in the folder, with the account
    // whose lock each needs (none for main.mdb and the templates).
    struct Copy
    {
        QString source, relative, account;
    };
    QList<Copy> files{{DataFolder::masterPath(), u"main.mdb"_qs, QString()},
                      {DataFolder::customerTemplatePath(), u"kelvo.mdb"_qs, QString()},
                      {DataFolder::repairTemplatePath(), u"care.mdb"_qs, QString()}};
    QStringList skipped;
    {
        Database master = OpenMaster();
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
            const QString folder = kind == AccountKind::Operator ? u"kelvo"_qs : u"care"_qs;
            for (const Account& a : LoadAccounts(master, kind)) {
                const QString path = presentAccountFile(kind, a.name);
                if (path.isEmpty()) {
                    skipped << folder + u'/' + a.name + u".mdb: ファイルがありません。"_qs;
                    continue;
                }
                files.append({path, folder + u'/' + QFileInfo(path).fileName(), a.name});
            }
        }
    }

    StagedFolder staging(destination);
    const QDir into(staging.path());
    into.mkpath(u"kelvo"_qs);
    into.mkpath(u"care"_qs);
    int done = 0;
    for (const Copy& file : std::as_const(files)) {
        if (progress)
            progress(++done, int(files.size()), file.relative);
        // Without main.mdb there is no backup; any other file that cannot be
        // read (in use, damaged) is named and left out, and the rest copied.
        try {
            AccountLock lock;
            if (!file.account.isEmpty())
                lock = AccountLock(file.source, file.account, AccountLock::Mode::Shared);
            exportCheckedCopy(file.source, into.filePath(file.relative));
        } catch (const Failure& e) {
            if (file.relative == u"main.mdb")
                throw;
            skipped << file.relative + u": "_qs + e.message().section(u'\n', 0, 0);
        }
    }
    // A backup that left something out says so where a restore looks.
    if (!skipped.isEmpty()) {
        QFile mark(into.filePath(IncompleteBackupMark));
        if (!mark.open(QIODevice::NewOnly | QIODevice::WriteOnly) ||
            mark.write(
                (u"このバックアップには、次のファイルがありません。復元には使えません。\n"_qs +
                 skipped.join(u'\n') + u'\n')
                    .toUtf8()) < 0 ||
            !mark.flush())
            throw Failure(QStringLiteral("書き込めません。\n%1").arg(mark.fileName()));
    }
    staging.publish();
    return skipped;
}

} // namespace horunea
