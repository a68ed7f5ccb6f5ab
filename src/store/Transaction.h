#pragma once

#include <QString>

namespace horunea {

class Database;

// Groups writes: rolls back unless commit() ran. Inside a transaction that
// is already open (an import running storage operations, say) it is a
// savepoint: its own rollback undoes only its part, and nothing is final
// before the outermost one commits.
class Transaction
{
public:
    explicit Transaction(Database& db);
    Transaction(const Transaction&) = delete;
    Transaction& operator=(const Transaction&) = delete;
    ~Transaction();
    void commit();

private:
    Database& m_db;
    QString m_savepoint; // empty for the outermost transaction
    bool m_done = false;
};

} // namespace horunea
