#pragma once

#include <QString>

namespace horunea {

// Writes a fresh copy of a database file through the engine's export, so
// that free pages are left behind, then reads the copy back: its integrity
// and the row count of every table must equal the source's. The destination
// must not exist; on any failure it is removed again and Failure tells why.
void exportCheckedCopy(const QString& source, const QString& destination);

struct CompactionSizes
{
    qint64 before = 0;
    qint64 after = 0;
};

// Compacts the file at path through a checked copy at output (a leftover
// output of an earlier attempt is replaced), then puts the copy in the file's
// place in one rename: at any moment the file under its name is either the
// original or the complete copy. Throws Failure with
// "最適化できませんでした。" and the reason; the original is then untouched.
CompactionSizes compactFile(const QString& path, const QString& output);

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
