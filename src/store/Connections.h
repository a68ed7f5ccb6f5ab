#pragma once

#include "store/Accounts.h"
#include "store/Database.h"

#include <optional>

namespace horunea {

// The three long-lived connections and the paths of the account databases
// last opened. At most one of each kind is open; closing one that is not open
// does nothing, and no file stays open once its window is gone.
class Connections
{
public:
    // How long a window waits for a server that does not answer before its
    // connection counts as lost (a long search on a large shop stays within
    // it).
    static constexpr int ServerWaitLimitMs = 60000;

    static Connections& instance();

    void OpenMasterDatabase();
    void CloseMasterDatabase();
    void OpenCustomerDatabase(); // opens CustomerDatabasePath
    void CloseCustomerDatabase();
    void OpenRepairDatabase(); // opens RepairDatabasePath
    void CloseRepairDatabase();

    // Takes over an account the user opened (OpenAccount), closing the one
    // of its kind that was open: the path and the lock go with it.
    void adoptAccount(AccountKind kind, OpenedAccount&& opened);

    bool masterOpen() const { return m_master.has_value(); }
    bool customerOpen() const { return m_customer.has_value(); }
    bool repairOpen() const { return m_repair.has_value(); }

    // Throw Failure when the connection is not open.
    Database& master();
    Database& customer();
    Database& repair();

    QString CustomerDatabasePath;
    QString RepairDatabasePath;

    // Closes everything and forgets the paths (a fresh start, for tests).
    void reset();

private:
    std::optional<Database> m_master;
    std::optional<Database> m_customer;
    std::optional<Database> m_repair;
};

// Shorthands for the connections of the running program.
inline Database& MasterConnection()
{
    return Connections::instance().master();
}
inline Database& CustomerConnection()
{
    return Connections::instance().customer();
}
inline Database& RepairConnection()
{
    return Connections::instance().repair();
}

} // namespace horunea
