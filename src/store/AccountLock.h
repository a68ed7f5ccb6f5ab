#pragma once

#include <QString>

namespace horunea {

// The lock of one account, shared by every process on the data folder (the
// program and horunea-cli alike): whoever works on an account holds it
// shared for as long as it works; whoever replaces, renames, deletes or
// imports into the account's file holds it alone. It lives in a file of the
// data folder's ".locks" ("kelvo-<name>.mdb.lock"), is released when the
// holder closes it or dies, and is never waited for: a lock that cannot be
// had at once is refused with "「<name>」は使用中です。".
class AccountLock
{
public:
    enum class Mode { Shared, Exclusive };

    AccountLock() = default;
    // Throws Failure when the lock is held in a way that excludes mode.
    AccountLock(const QString& accountPath, const QString& accountName, Mode mode);
    AccountLock(AccountLock&& other) noexcept;
    AccountLock& operator=(AccountLock&& other) noexcept;
    AccountLock(const AccountLock&) = delete;
    AccountLock& operator=(const AccountLock&) = delete;
    ~AccountLock();

    bool held() const { return m_fd >= 0; }
    void release();

    // The message of a refusal.
    static QString inUseMessage(const QString& accountName);
    // The lock file of an account's file.
    static QString lockPathOf(const QString& accountPath);

private:
    int m_fd = -1;
};

} // namespace horunea
