#pragma once

namespace horunea {

class Database;

// One consistent view of a database for reading, without a write lock, so
// that a read-only file (or one on a read-only medium) can be read whole.
class ReadTransaction
{
public:
    explicit ReadTransaction(Database& db);
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;
    ~ReadTransaction();

private:
    Database& m_db;
};

} // namespace horunea
