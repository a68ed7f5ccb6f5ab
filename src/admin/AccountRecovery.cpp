#include "admin/AccountRecovery.h"
#include "store/Store.h"

#include "admin/AccountAdmin.h"
#include "store/Compaction.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSet>

#include <cstdio>

namespace horunea {

namespace {

const QString AddStep = u"add"_qs, RenameStep = u"rename"_qs, DeleteStep = u"delete"_qs,
              RestoreStep = u"restore"_qs;

// An interrupted restore is undone: what was moved aside comes back.
void undoRestore(const QString& aside, const QString& staging)
{
    const QDir data(DataFolder::path());
    for (const QString& item : restoredItems()) {
        const QString kept = QDir(aside).filePath(item);
        if (!QFileInfo::exists(kept))
            continue;
        const QFileInfo current(data.filePath(item));
        if (current.isDir())
            QDir(current.filePath()).removeRecursively();
        else if (current.exists())
            QFile::remove(current.filePath());
        renameWithoutReplacing(kept, current.filePath());
    }
    syncToDisk(data.path());
    QDir(aside).removeRecursively();
    QDir(staging).removeRecursively();
}

// The administration lock: one account operation, or one recovery, at a time.
AccountLock administrationLock()
{
    return AccountLock(QDir(DataFolder::path()).filePath(u"administration/main.mdb"_qs),
                       u"管理者メニュー"_qs, AccountLock::Mode::Exclusive);
}

void syncFolder(const QString& path)
{
    syncToDisk(QFileInfo(path).absolutePath());
}

bool accountListed(Database& master, AccountKind kind, const QString& name)
{
    for (const Account& a : LoadAccounts(master, kind))
        if (a.name == name)
            return true;
    return false;
}

void moveBack(const QString& from, const QString& to)
{
    if (QFileInfo(from).isFile() && !QFileInfo::exists(to)) {
        renameWithoutReplacing(from, to);
        syncFolder(to);
    }
}

void removeLeftovers(AccountKind kind)
{
    const QDir folder(accountFolder(kind));
    for (const QString& name :
         folder.entryList({u".作成中-*"_qs}, QDir::Files | QDir::Hidden | QDir::System))
        QFile::remove(folder.filePath(name));
}

void recover(Database& master, const QStringList& record)
{
    const QString step = record.value(0);
    const AccountKind kind = record.value(1) == kindWord(AccountKind::Repair)
                                 ? AccountKind::Repair
                                 : AccountKind::Operator;
    if (step == AddStep) {
        const QString name = record.value(2);
        // Not committed: the file the operation made goes again.
        if (!accountListed(master, kind, name)) {
            const QString path = accountFilePath(kind, name);
            if (QFileInfo(path).isFile()) {
                settleJournal(path);
                QFile::remove(path);
                syncFolder(path);
            }
        }
        removeLeftovers(kind);
    } else if (step == RenameStep) {
        const QString oldName = record.value(2), newName = record.value(3);
        const QString oldPath = accountFilePath(kind, oldName);
        const QString newPath = accountFilePath(kind, newName, oldName);
        // The file goes where the committed row says it is.
        if (accountListed(master, kind, newName))
            moveBack(oldPath, newPath);
        else if (accountListed(master, kind, oldName))
            moveBack(newPath, oldPath);
    } else if (step == RestoreStep) {
        undoRestore(record.value(2), record.value(3));
    } else if (step == DeleteStep) {
        const QString name = record.value(2);
        const QString path = accountFilePath(kind, name);
        const QString aside =
            QFileInfo(path).dir().filePath(u".削除中-"_qs + QFileInfo(path).fileName());
        if (accountListed(master, kind, name)) {
            moveBack(aside, path);
        } else if (QFileInfo(aside).isFile()) {
            QFile::remove(aside);
            syncFolder(aside);
        }
    }
}

QStringList readRecord()
{
    QFile file(AccountOperation::recordPath());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.readAll()).trimmed().split(u'\t');
}

void removeRecord()
{
    QFile::remove(AccountOperation::recordPath());
    syncFolder(AccountOperation::recordPath());
}

// The copies of compactions a crash interrupted: "<name>最適化.mdb" beside a
// listed account (unless that is an account too) and the private
// ".<name>-最適化中-…" ones. An account being compacted right now (its lock
// held by another process) is left alone.
void removeCompactionLeftovers(Database& master)
{
    for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
        const QList<Account> accounts = LoadAccounts(master, kind);
        QSet<QString> names;
        for (const Account& a : accounts)
            names.insert(a.name);
        for (const Account& a : accounts) {
            QString path;
            try {
                path = accountFilePath(kind, a.name);
            } catch (const Failure&) {
                continue;
            }
            const QDir folder = QFileInfo(path).dir();
            QStringList leftovers = folder.entryList({u'.' + a.name + u"-最適化中-*.mdb"_qs},
                                                     QDir::Files | QDir::Hidden | QDir::System);
            if (!names.contains(a.name + u"最適化"_qs))
                leftovers += folder.entryList({a.name + u"最適化.mdb"_qs}, QDir::Files);
            if (leftovers.isEmpty())
                continue;
            try {
                const AccountLock alone(path, a.name, AccountLock::Mode::Exclusive);
                for (const QString& file : std::as_const(leftovers)) {
                    QFile::remove(folder.filePath(file));
                    QFile::remove(folder.filePath(file + u"-journal"_qs));
                }
            } catch (const Failure&) {
                // in use: a compaction may be writing it now
            }
        }
    }
}

} // namespace

QString AccountOperation::recordPath()
{
    return QDir(DataFolder::path()).filePath(u".locks/account-operation"_qs);
}

AccountOperation::AccountOperation(Step step, AccountKind kind, const QStringList& names)
    : m_lock(administrationLock())
{
    const QString word = step == Step::Add      ? AddStep
                         : step == Step::Rename ? RenameStep
                         : step == Step::Delete ? DeleteStep
                                                : RestoreStep;
    QSaveFile file(recordPath());
    if (!file.open(QIODevice::WriteOnly))
        throw Failure(QStringLiteral("操作の記録を書けません。\n%1\n(%2)")
                          .arg(recordPath(), file.errorString()));
    file.write((QStringList{word, kindWord(kind)} + names).join(u'\t').toUtf8());
    if (!file.commit())
        throw Failure(QStringLiteral("操作の記録を書けません。\n%1\n(%2)")
                          .arg(recordPath(), file.errorString()));
    syncToDisk(recordPath());
    syncFolder(recordPath());
}

AccountOperation::~AccountOperation()
{
    removeRecord();
}

QStringList restoredItems()
{
    return {u"main.mdb"_qs, u"kelvo.mdb"_qs, u"care.mdb"_qs, u"kelvo"_qs, u"care"_qs};
}

bool RecoverAccountOperation(Database& master)
{
    if (!QFileInfo::exists(AccountOperation::recordPath()))
        return false;
    const AccountLock lock = administrationLock();
    const QStringList record = readRecord();
    if (record.size() >= 3)
        recover(master, record);
    removeRecord();
    return true;
}

bool RecoverAccountOperation(bool holdsInstanceLock)
{
    // A restore moves main.mdb itself: it is put back before main.mdb is read.
    if (const QStringList record = readRecord(); record.value(0) == RestoreStep) {
        const AccountLock lock = administrationLock();
        undoRestore(record.value(2), record.value(3));
        removeRecord();
    }
    // Copies of a restore killed before its switch began, and the old files of
    // one killed after it ended (with no record, no restore is under way):
    // nobody restores now if the program's instance lock can be had.
    const QDir data(DataFolder::path());
    const QStringList staged = data.entryList({u".復元中-*"_qs, u"復元前-*"_qs},
                                              QDir::Dirs | QDir::Hidden | QDir::NoDotAndDotDot);
    if (!staged.isEmpty() && !QFileInfo::exists(AccountOperation::recordPath())) {
        QLockFile instance(DataFolder::lockPath());
        instance.setStaleLockTime(0);
        if (holdsInstanceLock || instance.tryLock(0))
            for (const QString& folder : staged)
                QDir(data.filePath(folder)).removeRecursively();
    }
    // main.mdb is opened only when there is something to put right: most
    // starts find no record and no copy of a compaction.
    bool copies = false;
    for (const QString& folder : {DataFolder::customerFolder(), DataFolder::repairFolder()})
        copies =
            copies ||
            !QDir(folder).entryList({u"*最適化*.mdb"_qs}, QDir::Files | QDir::Hidden).isEmpty();
    if (!QFileInfo(DataFolder::masterPath()).isFile() ||
        (!copies && !QFileInfo::exists(AccountOperation::recordPath())))
        return false;
    Database master = OpenMaster();
    const bool recovered = RecoverAccountOperation(master);
    removeCompactionLeftovers(master);
    return recovered;
}

} // namespace horunea
