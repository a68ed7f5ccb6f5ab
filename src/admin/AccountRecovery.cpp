#include "admin/AccountRecovery.h"
#include "store/Store.h"

#include "admin/AccountAdmin.h"
#include "store/Compaction.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Failure.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <QSet>

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

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

QString locksFolder()
{
    return QDir(DataFolder::path()).filePath(u".locks"_qs);
}

// A file's identity, "device:inode:birth", not following a symbolic link;
// empty when nothing is there. The birth time (where the file system keeps
// one) tells a file apart from another that was given the same inode after
// the first was removed, as file systems soon do.
QString identityOf(const QString& path)
{
    struct statx st
    {
    };
    if (::statx(AT_FDCWD, QFile::encodeName(path).constData(), AT_SYMLINK_NOFOLLOW,
                STATX_TYPE | STATX_INO | STATX_BTIME, &st) != 0 ||
        !S_ISREG(st.stx_mode))
        return {};
    QString identity = QStringLiteral("%1:%2")
                           .arg(quint64(makedev(st.stx_dev_major, st.stx_dev_minor)))
                           .arg(quint64(st.stx_ino));
    if (st.stx_mask & STATX_BTIME)
        identity += QStringLiteral(":%1.%2").arg(st.stx_btime.tv_sec).arg(st.stx_btime.tv_nsec);
    return identity;
}

// Whether the file at path is still the one a record named: a record of an
// older version names device and inode only.
bool stillTheSame(const QString& path, const QString& recorded)
{
    const QString now = identityOf(path);
    if (now.isEmpty())
        return false;
    return recorded.count(u':') == 1 ? now.section(u':', 0, 1) == recorded : now == recorded;
}

// The files of the listed accounts, as their names make them (literally).
QSet<QString> listedAccountFiles(Database& master)
{
    QSet<QString> files;
    for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair})
        for (const Account& a : LoadAccounts(master, kind))
            files.insert(QDir(accountFolder(kind)).filePath(a.name + u".mdb"_qs));
    return files;
}

// The copies of compactions that were killed: each removed only when its
// record names it with the identity the file still has (or, killed before
// that was written, the file is still empty), the compacted account's lock
// can be had alone (no compaction of it runs now) and no listed account has
// it as its file. Nothing else is ever removed.
void removeKilledCompactionCopies(const QStringList& records, const QSet<QString>& accountFiles)
{
    const QDir locks(locksFolder());
    for (const QString& record : records) {
        const QString recordPath = locks.filePath(record);
        QFile file(recordPath);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        const QStringList fields = QString::fromUtf8(file.readAll()).split(u'\t');
        file.close();
        const AccountKind kind = fields.value(0) == kindWord(AccountKind::Repair)
                                     ? AccountKind::Repair
                                     : AccountKind::Operator;
        const QString name = fields.value(1), output = fields.value(2), identity = fields.value(3);
        AccountLock alone;
        try {
            alone = AccountLock(QDir(accountFolder(kind)).filePath(name + u".mdb"_qs), name,
                                AccountLock::Mode::Exclusive);
        } catch (const Failure&) {
            continue; // being compacted now
        }
        // Killed between making the (empty) copy and writing down what it is,
        // the copy is still empty: an empty file holds nobody's data.
        const bool ours = identity.isEmpty()
                              ? !identityOf(output).isEmpty() && QFileInfo(output).size() == 0
                              : stillTheSame(output, identity);
        if (!output.isEmpty() && ours && !accountFiles.contains(output)) {
            QFile::remove(output);
            QFile::remove(output + u"-journal"_qs);
            syncFolder(output);
        }
        QFile::remove(recordPath);
    }
    if (!records.isEmpty())
        syncToDisk(locks.path());
}

QStringList compactionRecords()
{
    return QDir(locksFolder())
        .entryList({u"compaction-*"_qs}, QDir::Files | QDir::Hidden | QDir::System);
}

} // namespace

CompactionRecord::CompactionRecord(AccountKind kind, const QString& name, const QString& output)
    : m_path(QDir(locksFolder())
                 .filePath(QStringLiteral("compaction-%1-%2")
                               .arg(kindWord(kind),
                                    QString::fromLatin1(QCryptographicHash::hash(
                                                            name.toUtf8(), QCryptographicHash::Sha1)
                                                            .toHex())))),
      m_fields{kindWord(kind), name, QFileInfo(output).absoluteFilePath()}
{
    QDir().mkpath(locksFolder());
    write(m_fields);
}

CompactionRecord::~CompactionRecord()
{
    QFile::remove(m_path);
    syncToDisk(locksFolder());
}

void CompactionRecord::created()
{
    write(m_fields + QStringList{identityOf(m_fields.value(2))});
}

void CompactionRecord::write(const QStringList& fields)
{
    QSaveFile file(m_path);
    if (!file.open(QIODevice::WriteOnly) || file.write(fields.join(u'\t').toUtf8()) < 0 ||
        !file.commit())
        throw Failure(QStringLiteral("最適化できませんでした。\n操作の記録を書けません。\n%1\n(%2)")
                          .arg(m_path, file.errorString()));
    syncToDisk(m_path);
    syncToDisk(locksFolder());
}

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
    // starts find no record of an operation or of a compaction.
    const QStringList compactions = compactionRecords();
    if (!QFileInfo(DataFolder::masterPath()).isFile() ||
        (compactions.isEmpty() && !QFileInfo::exists(AccountOperation::recordPath())))
        return false;
    Database master = OpenMaster();
    const bool recovered = RecoverAccountOperation(master);
    if (!compactions.isEmpty())
        removeKilledCompactionCopies(compactions, listedAccountFiles(master));
    return recovered;
}

} // namespace horunea
