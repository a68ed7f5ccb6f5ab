#include "store/Connections.h"

#include "store/Store.h"
#include "store/server/ServerConnection.h"

#include <QFileInfo>

#include "store/DataFolder.h"

namespace horunea {

namespace {

// An account's name is its file's name without ".mdb".
QString accountNameOf(const QString& path)
{
    return QFileInfo(path).completeBaseName();
}

} // namespace

Connections& Connections::instance()
{
    static Connections connections;
    return connections;
}

void Connections::OpenMasterDatabase()
{
    m_master.reset();
    m_master.emplace(OpenMaster());
    if (ServerConnection* server = m_master->serverConnection())
        server->setWaitLimit(ServerWaitLimitMs);
}

void Connections::CloseMasterDatabase()
{
    m_master.reset();
}

namespace {

// The account a path stands for opened again: its file, or on the server
// the schema of the account with that number.
Database reopen(AccountKind kind, const QString& path)
{
    if (!Store::isServer())
        return Database::openLocked(path, accountNameOf(path));
    Database master = OpenMaster();
    Database db = OpenServerAccount(
        kind, FindAccount(master, kind, FindBy::Number, numberOfServerAccountPath(path)));
    db.serverConnection()->setWaitLimit(Connections::ServerWaitLimitMs);
    return db;
}

} // namespace

void Connections::OpenCustomerDatabase()
{
    m_customer.reset();
    m_customer.emplace(reopen(AccountKind::Operator, CustomerDatabasePath));
}

void Connections::CloseCustomerDatabase()
{
    m_customer.reset();
}

void Connections::OpenRepairDatabase()
{
    m_repair.reset();
    m_repair.emplace(reopen(AccountKind::Repair, RepairDatabasePath));
}

void Connections::adoptAccount(AccountKind kind, OpenedAccount&& opened)
{
    std::optional<Database>& slot = kind == AccountKind::Operator ? m_customer : m_repair;
    slot.reset();
    slot.emplace(std::move(opened.data));
    (kind == AccountKind::Operator ? CustomerDatabasePath : RepairDatabasePath) = opened.path;
}

void Connections::CloseRepairDatabase()
{
    m_repair.reset();
}

namespace {
Database& opened(std::optional<Database>& db, const char16_t* what)
{
    if (!db)
        throw Failure(QStringLiteral("%1が開かれていません。").arg(QString::fromUtf16(what)));
    return *db;
}
} // namespace

Database& Connections::master()
{
    return opened(m_master, u"マスターデータベース");
}
Database& Connections::customer()
{
    return opened(m_customer, u"顧客データベース");
}
Database& Connections::repair()
{
    return opened(m_repair, u"修理データベース");
}

void Connections::reset()
{
    m_master.reset();
    m_customer.reset();
    m_repair.reset();
    CustomerDatabasePath.clear();
    RepairDatabasePath.clear();
}

} // namespace horunea
