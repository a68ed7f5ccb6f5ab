#pragma once

#include "store/Accounts.h"
#include "store/Database.h"

#include <optional>

namespace horunea {

class ServerAddress;
class ServerConnection;

// Which store the program works on: the data folder's files, or a shop's
// PostgreSQL server. Every opening of the master tables and of an account
// goes through here, so that the one switch moves all of them.
class Store
{
public:
    static bool isServer();
    // The server in use; throws Failure when the store is the files.
    static const ServerAddress& server();
    // Makes the server the store (an address), or the files again (none).
    static void setServer(const std::optional<ServerAddress>& address);
    // The store the data folder says: the server of its server.conf when it
    // has one (a server.conf that cannot be read is a Failure: the program
    // never turns to the files instead), else its files.
    static void followDataFolder();
};

// The master tables: main.mdb, or the master schema of the server.
Database OpenMaster();

// An account's tables on the server, holding the account's lock (an
// advisory lock of the server, shared or exclusive as the file locks are)
// for as long as the database is open.
Database OpenServerAccount(AccountKind kind, const Account& account,
                           AccountLock::Mode mode = AccountLock::Mode::Shared);

// The refusal of an account another PC holds on the server:
// "「本店」は他の端末で使用中です。".
Failure accountInUseOnServer(const QString& accountName);

// Refuses (accountInUseOnServer) while a window of some PC has the account
// open on the server, or had it open within the grace of a lost connection.
void refuseWhilePresentOnServer(ServerConnection& server, qint64 lockKey,
                                const QString& accountName);

// The number of an account's advisory lock on the server.
qint64 serverAccountLockKey(AccountKind kind, const QString& number);

// What stands for an account's storage where the files have a path: its
// schema on the server ("kelvo_12"); and back to the account's number.
QString serverAccountPath(AccountKind kind, const QString& number);
QString numberOfServerAccountPath(const QString& path);

} // namespace horunea
