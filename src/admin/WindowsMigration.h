#pragma once

#include "store/Accounts.h"
#include "store/ServerMove.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace horunea {

// Moving a shop from the Windows version: its data folder of Access (Jet)
// files (main.mdb, kelvo.mdb, care.mdb, kelvo/<operator>.mdb,
// care/<repair account>.mdb) becomes a data folder of ours, every row with
// its key, every text exactly as stored (Null stays Null, "" stays ""),
// each counter going on after the largest key the Windows files gave.

// What the user lets the move do with what the check found.
struct MigrationOptions
{
    bool keepOrphans = false; // a child whose parent is missing moves as it is
    bool skipMissing = false; // accounts without a file, files without an account stay behind
    bool ignoreLocks = false; // go on although the Windows program may be running
};

// One thing the check met, named by file, table, key and field.
struct MigrationProblem
{
    enum class Kind {
        Refused, // cannot be carried exactly: the source must be mended
        Orphan,  // a child whose parent is missing (--keep-orphans)
        Missing, // an account without its file, a file without its account (--skip-missing)
        Locked,  // an .ldb beside a file: the Windows program may be running (--ignore-locks)
    };
    Kind kind;
    QString where; // "kelvo/営業一課.mdb の「件名」 (キー 12) の「ユーザーID」"
    QString text;
    QString line() const { return where.isEmpty() ? text : where + u": "_qs + text; }
};

// A Jet file the check read: its place in the folder, its account and the
// row count of each of its tables.
struct MigrationFile
{
    QString relative;
    QString account; // empty for main.mdb and the templates
    QList<std::pair<QString, qint64>> tables;
};

struct MigrationReport
{
    QList<MigrationFile> files;
    QList<MigrationProblem> problems;
    int accounts = 0; // moved, or to be moved
    // Whether the problems stop the move under these options.
    bool stopsMove(const MigrationOptions& options) const;
    // Every problem on its own line, the kinds that stop the move first.
    QStringList problemLines() const;
};

// Whether the folder holds the Windows version's data: a main.mdb that is
// an Access file.
bool IsWindowsDataFolder(const QString& folder);

// Reads every file of the Windows folder as the move would, and writes
// nothing. Throws Failure only when main.mdb cannot be read at all.
MigrationReport CheckWindowsFolder(const QString& windowsFolder);

// The move: the Windows folder's shop written as a new data folder at the
// destination (which must not exist or be empty), or, when the
// destination holds only server.conf, onto that server. Written into a
// hidden copy first; every cell read back from the new files and compared
// with what was read from the Jet files; put in place only then. Throws
// Failure (nothing is left at the destination) when the problems stop the
// move, a file cannot be read or written, the check back differs, or
// `cancelled` says so. The Jet files are only read.
MigrationReport MoveWindowsFolder(const QString& windowsFolder, const QString& destination,
                                  const MigrationOptions& options,
                                  const MoveProgress& progress = {},
                                  const std::function<bool()>& cancelled = {});

// The move into the data folder the program works on, which holds either
// the Windows files themselves (the program was started on the Windows
// version's folder) or only the files a new data folder starts with. The
// new data are written and checked beside; then, after a record of the
// switch, what the folder held is set aside — the Windows files into
// "Windows版-YYYYMMDD-hhmmss", the program's own into
// "移行前-YYYYMMDD-hhmmss", never deleted — and the new files take their
// place. Refused when the data folder has accounts of the program's, or
// when the program runs on it (unless the caller is the program, holding
// the folder's instance lock). Returns the report; `aside` gets the
// folder set aside.
MigrationReport MoveIntoDataFolder(const QString& windowsFolder, const QString& dataFolder,
                                   const MigrationOptions& options,
                                   const MoveProgress& progress = {},
                                   const std::function<bool()>& cancelled = {},
                                   QString* aside = nullptr, bool holdsInstanceLock = false);

// Finishes a move into the data folder that stopped during its switch (the
// new data were whole and checked): what is left of the old files is set
// aside and the rest of the new ones put in place. Returns whether there
// was one. The new data of a move stopped before its switch are removed
// when nobody moves now (the caller holds the instance lock, or it can be
// had). Run at start, before main.mdb is read.
bool FinishDataFolderMove(const QString& dataFolder, bool holdsInstanceLock = false);

} // namespace horunea
