#pragma once

#include <QString>

#include <functional>

namespace horunea {

class Database;

// Writes a fresh copy of a database file through the engine's export, so
// that free pages are left behind, then reads the copy back: its integrity
// and the row count of every table must equal the source's. A source that
// fails the engine's integrity check is refused, naming it, before anything
// is written. The destination must not exist; created is told as soon as
// the (empty) destination has been made. On any failure what was made is
// removed again and Failure tells why ("ディスクがいっぱいです。" when the
// disk filled up).
void exportCheckedCopy(const QString& source, const QString& destination,
                       const std::function<void()>& created = {});

// The engine's integrity check of an open file: empty when it is sound,
// else its first findings.
QString integrityProblem(Database& db);
// Throws Failure "ファイルが壊れています。" naming path when db is not sound.
void requireIntact(Database& db, const QString& path);

struct CompactionSizes
{
    qint64 before = 0;
    qint64 after = 0;
};

// Compacts the file at path through a checked copy at output, which must not
// exist (whatever is there is left alone and the compaction refused), then
// puts the copy in the file's place in one rename: at any moment the file
// under its name is either the original or the complete copy. created is
// told when the output file has been made. Throws Failure with
// "最適化できませんでした。" and the reason; the original is then untouched.
CompactionSizes compactFile(const QString& path, const QString& output,
                            const std::function<void()>& created = {});

// The output file of an account's compaction: <folder>/<name>最適化.mdb.
QString compactionOutputPath(const QString& accountPath);

// Gives a file a new name, never replacing a file that has it (Failure
// then, naming the file).
void renameWithoutReplacing(const QString& from, const QString& to);

// Puts a database file back in a state of its own before it is moved,
// copied or replaced: a journal left by a process that died mid-write is
// rolled back by opening the file, and what remains of it is removed, so
// that no journal of one account is left where another account's file will
// stand. The caller holds the account's lock alone.
void settleJournal(const QString& path);

// Makes the data on disk of a file or folder last (fsync).
bool syncToDisk(const QString& path);

} // namespace horunea
