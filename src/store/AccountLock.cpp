#include "store/AccountLock.h"

#include "store/Failure.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace horunea {

QString AccountLock::inUseMessage(const QString& accountName)
{
    return QStringLiteral("「%1」は使用中です。").arg(accountName);
}

QString AccountLock::lockPathOf(const QString& accountPath)
{
    // <data folder>/.locks/<kelvo|care>-<name>.mdb.lock: the account folders
    // hold the accounts' files and nothing else.
    const QFileInfo file(QFileInfo(accountPath).absoluteFilePath());
    QDir data = file.dir();
    const QString folder = data.dirName();
    data.cdUp();
    return data.filePath(u".locks/"_qs + folder + u'-' + file.fileName() + u".lock"_qs);
}

AccountLock::AccountLock(const QString& accountPath, const QString& accountName, Mode mode)
{
    const QString path = lockPathOf(accountPath);
    QDir().mkpath(QFileInfo(path).absolutePath());
    const QByteArray name = QFile::encodeName(path);
    m_fd = ::open(name.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    // Where nobody can write (a read-only folder or medium) nobody can
    // replace the file either: a reader goes on without the lock.
    if (m_fd < 0 && mode == Mode::Shared && (errno == EACCES || errno == EROFS))
        return;
    if (m_fd < 0)
        throw Failure(QStringLiteral("「%1」の使用を記録するファイルを開けません。\n%2\n(%3)")
                          .arg(accountName, path, QString::fromLocal8Bit(std::strerror(errno))));
    const int how = (mode == Mode::Shared ? LOCK_SH : LOCK_EX) | LOCK_NB;
    int rc;
    do {
        rc = ::flock(m_fd, how);
    } while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        const int why = errno;
        ::close(m_fd);
        m_fd = -1;
        if (why == EWOULDBLOCK)
            throw Failure(inUseMessage(accountName));
        throw Failure(QStringLiteral("「%1」の使用を記録できません。\n(%2)")
                          .arg(accountName, QString::fromLocal8Bit(std::strerror(why))));
    }
}

AccountLock::AccountLock(AccountLock&& other) noexcept : m_fd(other.m_fd)
{
    other.m_fd = -1;
}

AccountLock& AccountLock::operator=(AccountLock&& other) noexcept
{
    if (this != &other) {
        release();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

AccountLock::~AccountLock()
{
    release();
}

void AccountLock::release()
{
    if (m_fd >= 0) {
        ::close(m_fd); // closing the descriptor releases the lock
        m_fd = -1;
    }
}

} // namespace horunea
