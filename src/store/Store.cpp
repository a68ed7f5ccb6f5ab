#include "store/Store.h"

#include "store/DataFolder.h"

#include "store/server/ServerConnection.h"
#include "store/server/ServerSchema.h"
#include <QFileInfo>

namespace horunea {

namespace {

std::optional<ServerAddress>& current()
{
    static std::optional<ServerAddress> address;
    return address;
}

// The advisory lock of an account: one number for the program, one for the
// kind and the account's number.
constexpr qint64 LockClass = 0x486f724e; // "HorN"

} // namespace

bool Store::isServer()
{
    return current().has_value();
}

const ServerAddress& Store::server()
{
    if (!current())
        throw Failure(u"サーバーを使う設定になっていません。"_qs);
    return *current();
}

void Store::setServer(const std::optional<ServerAddress>& address)
{
    current() = address;
}

void Store::followDataFolder()
{
    const QString conf = DataFolder::serverConfPath();
    if (QFileInfo::exists(conf))
        setServer(ServerAddress::read(conf));
    else
        setServer(std::nullopt);
}

Database OpenMaster()
{
    if (Store::isServer())
        return Database::openServer(Store::server(), serverMasterSchema(), DatabaseKind::Master);
    return Database::open(DataFolder::masterPath());
}

QString serverAccountPath(AccountKind kind, const QString& number)
{
    return serverAccountSchema(databaseKindOf(kind), checkedKey(number).toLongLong());
}

QString numberOfServerAccountPath(const QString& path)
{
    return path.section(u'_', -1);
}

Failure accountInUseOnServer(const QString& accountName)
{
    return Failure(QStringLiteral("「%1」は他の端末で使用中です。").arg(accountName));
}

qint64 serverAccountLockKey(AccountKind kind, const QString& number)
{
    return (LockClass << 8 | (kind == AccountKind::Repair ? 2 : 1)) << 24 |
           checkedKey(number).toLongLong();
}

void refuseWhilePresentOnServer(ServerConnection& server, qint64 lockKey,
                                const QString& accountName)
{
    // A server set up before the table was there has nobody's row in it.
    if (server.exec(u"SELECT to_regclass($1) IS NOT NULL"_qs, {serverPresenceTable()}).text(0, 0) !=
        u"t")
        return;
    const ServerResult present =
        server.exec(u"SELECT count(*) FROM "_qs + serverPresenceTable() +
                        u" WHERE lock_key = $1 AND seen > now() - make_interval(secs => $2)"_qs,
                    {lockKey, PresenceGraceSeconds});
    if (present.text(0, 0) != u"0")
        throw accountInUseOnServer(accountName);
}

Database OpenServerAccount(AccountKind kind, const Account& account, AccountLock::Mode mode)
{
    Database db = Database::openServer(Store::server(), serverAccountPath(kind, account.number),
                                       databaseKindOf(kind));
    const qint64 key = serverAccountLockKey(kind, account.number);
    // Taken again when the connection is made again after it was lost.
    const QString take = mode == AccountLock::Mode::Exclusive
                             ? u"SELECT pg_try_advisory_lock($1::bigint)"_qs
                             : u"SELECT pg_try_advisory_lock_shared($1::bigint)"_qs;
    db.serverConnection()->keepForSession(take, {key}, u"t"_qs,
                                          accountInUseOnServer(account.name).message());
    // Alone also means: no window of another PC had it open a moment ago (its
    // lock may be gone only because its connection is being made again).
    if (mode == AccountLock::Mode::Exclusive)
        refuseWhilePresentOnServer(*db.serverConnection(), key, account.name);
    return db;
}

} // namespace horunea
