#pragma once

#include "store/AccountLock.h"

#include <QString>
#include <QStringList>

namespace horunea {

class Database;
enum class AccountKind;

// What an account operation is about to do to main.mdb and an account's
// file, written down (and synced) before it starts and removed when both
// agree again. A process killed in between leaves it behind; the next start
// of either program, and every account operation, first puts the row and
// the file back in agreement from it: the state before or after the
// operation, never one between.
class AccountOperation
{
public:
    enum class Step { Add, Rename, Delete, Restore };

    // Holds the administration lock (one account operation at a time in
    // the data folder) and writes the operation down.
    AccountOperation(Step step, AccountKind kind, const QStringList& names);
    AccountOperation(const AccountOperation&) = delete;
    AccountOperation& operator=(const AccountOperation&) = delete;
    // Removes the record, the operation being whole (or wholly undone).
    ~AccountOperation();

    static QString recordPath();

private:
    AccountLock m_lock;
};

// The copy a compaction writes, written down as the program's own before it
// is made, and with the file's identity (device and inode) once it exists.
// The next start removes the copy of a compaction that was killed, found by
// this record alone: never a file it did not make, never an account's file.
class CompactionRecord
{
public:
    // The caller holds the account's lock alone.
    CompactionRecord(AccountKind kind, const QString& name, const QString& output);
    CompactionRecord(const CompactionRecord&) = delete;
    CompactionRecord& operator=(const CompactionRecord&) = delete;
    // The compaction is over (the copy renamed or removed): the record goes.
    ~CompactionRecord();

    // The output file has just been made: its identity is written down.
    void created();

private:
    void write(const QStringList& fields);

    QString m_path;
    QStringList m_fields;
};

// Puts an interrupted account operation right (see AccountOperation); does
// nothing when none was interrupted. master is the open main.mdb. Returns
// whether anything was put right.
bool RecoverAccountOperation(Database& master);
// The same, opening main.mdb itself when it is there (the start of the
// programs); it also removes the copies of compactions a crash interrupted,
// and the folders of a restore that was killed, unless the program runs on
// the folder (holdsInstanceLock: the caller is that program, starting).
bool RecoverAccountOperation(bool holdsInstanceLock = false);

// What a restore moves: the data folder's own files and folders.
QStringList restoredItems();

} // namespace horunea
