#include "store/Connections.h"

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
    m_master.emplace(Database::open(DataFolder::masterPath()));
}

void Connections::CloseMasterDatabase()
{
    m_master.reset();
}

void Connections::OpenCustomerDatabase()
{
    m_customer.reset();
    m_customer.emplace(
        Database::openLocked(CustomerDatabasePath, accountNameOf(CustomerDatabasePath)));
}

void Connections::CloseCustomerDatabase()
{
    m_customer.reset();
}

void Connections::OpenRepairDatabase()
{
    m_repair.reset();
    m_repair.emplace(Database::openLocked(RepairDatabasePath, accountNameOf(RepairDatabasePath)));
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
