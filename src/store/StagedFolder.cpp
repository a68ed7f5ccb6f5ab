#include "store/StagedFolder.h"

#include "store/Compaction.h"
#include "store/Failure.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace horunea {

namespace {

// ".<name>-作成中-XXXXXX" is the writer's lock, held as long as it lives;
// the folder it writes is the lock's name with ".d".
QString stagingPrefix(const QString& destinationName)
{
    return u'.' + destinationName + u"-作成中-"_qs;
}

const QString FolderSuffix = u".d"_qs;

// Whether nobody holds the lock (its writer is gone).
bool lockIsFree(const QString& lock)
{
    const int fd = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return false;
    const bool free = ::flock(fd, LOCK_EX | LOCK_NB) == 0;
    ::close(fd);
    return free;
}

// What killed writers to the destination left beside it: a lock nobody
// holds, with its folder; a folder whose lock is gone (the lock is made
// first and removed last). Names are compared as they are: the
// destination's name is never a pattern.
void removeAbandoned(const QDir& parent, const QString& prefix)
{
    const int lockLength = int(prefix.size()) + 6;
    for (const QString& entry :
         parent.entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot | QDir::System)) {
        if (!entry.startsWith(prefix))
            continue;
        const QString path = parent.filePath(entry);
        if (entry.size() == lockLength && lockIsFree(path)) {
            QDir(path + FolderSuffix).removeRecursively();
            QFile::remove(path);
        } else if (entry.size() == lockLength + FolderSuffix.size() &&
                   entry.endsWith(FolderSuffix) && !QFileInfo::exists(path.chopped(2))) {
            QDir(path).removeRecursively();
        }
    }
}

void syncTree(const QString& folder)
{
    QDirIterator it(folder, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext())
        syncToDisk(it.next());
    syncToDisk(folder);
}

} // namespace

StagedFolder::StagedFolder(const QString& destination)
    : m_destination(QFileInfo(destination).absoluteFilePath())
{
    const QFileInfo target(m_destination);
    const QDir parent = target.absoluteDir();
    if (!parent.exists())
        throw Failure(QStringLiteral("書き込み先の親フォルダーがありません。\n%1")
                          .arg(QDir::toNativeSeparators(parent.path())));
    const QString prefix = stagingPrefix(target.fileName());
    removeAbandoned(parent, prefix);

    QByteArray lock = QFile::encodeName(parent.filePath(prefix + u"XXXXXX"_qs));
    m_lock = ::mkostemp(lock.data(), O_CLOEXEC);
    if (m_lock < 0)
        throw Failure(QStringLiteral("書き込めません。\n%1\n(%2)")
                          .arg(QDir::toNativeSeparators(parent.path()),
                               QString::fromLocal8Bit(std::strerror(errno))));
    m_lockPath = QFile::decodeName(lock);
    m_path = m_lockPath + FolderSuffix;
    if (::flock(m_lock, LOCK_EX | LOCK_NB) != 0 ||
        ::mkdir(QFile::encodeName(m_path).constData(), 0700) != 0) {
        const QString why = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(m_lockPath);
        ::close(m_lock);
        m_lock = -1;
        throw Failure(QStringLiteral("書き込めません。\n%1\n(%2)")
                          .arg(QDir::toNativeSeparators(m_path), why));
    }
}

StagedFolder::~StagedFolder()
{
    if (m_lock < 0)
        return;
    if (!m_published)
        QDir(m_path).removeRecursively();
    QFile::remove(m_lockPath);
    ::close(m_lock);
}

void StagedFolder::publish()
{
    syncTree(m_path);
    const QFileInfo target(m_destination);
    if (target.isDir() && !target.isSymLink()) {
        // rename(2) replaces an empty folder only, in one step.
        if (std::rename(QFile::encodeName(m_path).constData(),
                        QFile::encodeName(m_destination).constData()) != 0)
            throw Failure(QStringLiteral("書き込み先のフォルダーが空ではありません。\n%1")
                              .arg(QDir::toNativeSeparators(m_destination)));
    } else {
        renameWithoutReplacing(m_path, m_destination);
    }
    m_published = true;
    syncToDisk(target.absolutePath());
}

} // namespace horunea
