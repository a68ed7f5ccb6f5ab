#include "store/Compaction.h"

#include "store/Database.h"
#include "store/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringList>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#ifndef RENAME_NOREPLACE
#define RENAME_NOREPLACE (1 << 0)
#endif

namespace horunea {

namespace {

QString sqlLiteral(const QString& text)
{
    QString quoted = text;
    quoted.replace(u'\'', u"''"_qs);
    return u'\'' + quoted + u'\'';
}

// The rows of every table, by table name.
QList<QPair<QString, qint64>> rowCounts(Database& db)
{
    QList<QPair<QString, qint64>> counts;
    for (const QString& table : db.tableNames())
        counts.append({table, db.scalar(u"SELECT count(*) FROM \""_qs +
                                        QString(table).replace(u'"', u"\"\""_qs) + u'"')});
    return counts;
}

void removeWithJournal(const QString& path)
{
    QFile::remove(path);
    QFile::remove(path + u"-journal"_qs);
}

// What the engine says when the disk filled up, as the user needs to hear it.
bool diskFull(const Failure& e)
{
    return e.detail().contains(u"disk is full"_qs) || e.message().contains(u"disk is full"_qs) ||
           e.message().contains(u"No space left"_qs);
}

} // namespace

QString integrityProblem(Database& db)
{
    const ResultSet check = db.query(u"PRAGMA integrity_check"_qs);
    QStringList problems;
    for (int i = 0; i < check.size(); ++i)
        problems << check.row(i).value(0).toString();
    if (problems == QStringList{u"ok"_qs})
        return {};
    return problems.mid(0, 3).join(u'\n');
}

void requireIntact(Database& db, const QString& path)
{
    if (const QString problem = integrityProblem(db); !problem.isEmpty())
        throw Failure(
            QStringLiteral("ファイルが壊れています。\n%1").arg(QDir::toNativeSeparators(path)),
            problem);
}

void settleJournal(const QString& path)
{
    const QStringList companions{path + u"-journal"_qs, path + u"-wal"_qs, path + u"-shm"_qs};
    bool any = false;
    for (const QString& c : companions)
        any = any || QFileInfo::exists(c);
    if (!any || !QFileInfo(path).isFile())
        return;
    // The first read of the file rolls a hot journal back.
    Database::open(path).close();
    for (const QString& c : companions)
        QFile::remove(c);
}

bool syncToDisk(const QString& path)
{
    const QByteArray name = QFile::encodeName(path);
    const int fd = ::open(name.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool ok = ::fsync(fd) == 0;
    ::close(fd);
    return ok;
}

void renameWithoutReplacing(const QString& from, const QString& to)
{
    const QByteArray source = QFile::encodeName(from);
    const QByteArray target = QFile::encodeName(to);
    int rc = int(::syscall(SYS_renameat2, AT_FDCWD, source.constData(), AT_FDCWD,
                           target.constData(), RENAME_NOREPLACE));
    // A file system that cannot refuse by itself is asked first.
    if (rc != 0 && (errno == EINVAL || errno == ENOSYS || errno == ENOTSUP)) {
        if (QFileInfo::exists(to) || QFileInfo(to).isSymLink()) {
            errno = EEXIST;
        } else {
            rc = std::rename(source.constData(), target.constData());
        }
    }
    if (rc != 0) {
        const QString why = errno == EEXIST ? u"同じ名前のファイルがすでにあります。"_qs
                                            : QString::fromLocal8Bit(std::strerror(errno));
        throw Failure(
            QStringLiteral("ファイルの名前を変更できません。\n%1\n→ %2\n(%3)").arg(from, to, why));
    }
}

void exportCheckedCopy(const QString& source, const QString& destination,
                       const std::function<void()>& created)
{
    if (QFileInfo::exists(destination) || QFileInfo(destination).isSymLink())
        throw Failure(QStringLiteral("ファイルがすでにあります。\n%1").arg(destination));
    // The source must be sound before anything is made of it: a torn file
    // copied is a torn copy that looks whole.
    Database from = Database::open(source);
    requireIntact(from, source);
    bool made = false;
    try {
        const auto before = rowCounts(from);
        // The connection may not create files: the export goes into an empty
        // one made here (an empty file is an empty database).
        QFile empty(destination);
        if (!empty.open(QIODevice::NewOnly | QIODevice::WriteOnly))
            throw Failure(QStringLiteral("ファイルを作成できません。\n%1\n(%2)")
                              .arg(destination, empty.errorString()));
        empty.close();
        made = true;
        if (created)
            created();
        from.execRaw(u"ATTACH DATABASE "_qs + sqlLiteral(destination) + u" AS compacted KEY "_qs +
                     sqlLiteral(Database::password()));
        // The copy counts only once it has been checked and synced: until
        // then it needs neither a journal nor a sync of its own.
        from.execRaw(u"PRAGMA compacted.journal_mode = OFF; PRAGMA compacted.synchronous = OFF"_qs);
        try {
            from.execRaw(u"SELECT sqlcipher_export('compacted')"_qs);
        } catch (const Failure&) {
            from.execRaw(u"DETACH DATABASE compacted"_qs);
            throw;
        }
        from.execRaw(u"DETACH DATABASE compacted"_qs);
        from.close();

        Database copy = Database::open(destination);
        const ResultSet check = copy.query(u"PRAGMA quick_check"_qs);
        const QString verdict = check.isEmpty() ? QString() : check.first().value(0).toString();
        if (verdict != u"ok")
            throw Failure(QStringLiteral("書き出したファイルが壊れています: %1").arg(verdict));
        const auto after = rowCounts(copy);
        if (after != before)
            throw Failure(u"書き出したファイルの行数が元のファイルと合いません。"_qs);
        copy.close();
        if (!syncToDisk(destination))
            throw Failure(QStringLiteral("ファイルを書き切れません。\n%1").arg(destination));
    } catch (const Failure& e) {
        // Only a file made here is removed: one that was there is not ours.
        if (made)
            removeWithJournal(destination);
        if (diskFull(e))
            throw Failure(
                QStringLiteral("ディスクがいっぱいです。空きを作ってからやり直してください。\n%1")
                    .arg(QDir::toNativeSeparators(destination)),
                e.detail());
        throw;
    }
}

QString compactionOutputPath(const QString& accountPath)
{
    const QFileInfo info(accountPath);
    return info.dir().filePath(info.completeBaseName() + u"最適化.mdb"_qs);
}

CompactionSizes compactFile(const QString& path, const QString& output,
                            const std::function<void()>& created)
{
    auto failed = [](const QString& why, const QString& detail = QString()) {
        return Failure(u"最適化できませんでした。\n"_qs + why, detail);
    };
    const QFileInfo original(path);
    if (!original.isFile())
        throw failed(QStringLiteral("データベースのファイルがありません。\n%1").arg(path));
    CompactionSizes sizes;
    sizes.before = original.size();
    // Whatever stands at the output's name is not ours to remove.
    const QFileInfo taken(output);
    if (taken.exists() || taken.isSymLink())
        throw failed(QStringLiteral("出力先にファイルがすでにあります。\n%1").arg(output));
    try {
        exportCheckedCopy(path, output, created);
    } catch (const Failure& e) {
        throw failed(e.message(), e.detail());
    }
    // The copy keeps the mode the original had (0600 stays 0600).
    QFile::setPermissions(output, original.permissions());
    // rename(2) replaces the original in one step.
    if (std::rename(QFile::encodeName(output).constData(), QFile::encodeName(path).constData()) !=
        0) {
        removeWithJournal(output);
        throw failed(QStringLiteral("ファイルを置き換えられません。\n%1").arg(path));
    }
    syncToDisk(original.absolutePath());
    sizes.after = QFileInfo(path).size();
    return sizes;
}

} // namespace horunea
