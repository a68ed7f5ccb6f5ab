#include "store/Database.h"
#include "store/Statement.h"

namespace horunea {

ReadTransaction::ReadTransaction(Database& db) : m_db(db)
{
    if (m_db.isServer()) {
        // One snapshot for every statement of the transaction, from now on.
        m_db.execRaw(u"BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"_qs);
        m_db.execRaw(u"SELECT 1"_qs);
        return;
    }
    m_db.execRaw(QStringLiteral("BEGIN DEFERRED"));
    // The view starts now, not at the first read of the caller.
    m_db.execRaw(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

ReadTransaction::~ReadTransaction()
{
    try {
        m_db.execRaw(QStringLiteral("COMMIT"));
    } catch (const Failure&) {
    }
}

Transaction::Transaction(Database& db) : m_db(db)
{
    if (m_db.inTransaction()) {
        m_savepoint = QStringLiteral("horunea_%1").arg(++m_db.m_savepoints);
        m_db.execRaw(u"SAVEPOINT "_qs + m_savepoint);
    } else {
        m_db.execRaw(m_db.isServer() ? u"BEGIN"_qs : u"BEGIN IMMEDIATE"_qs);
    }
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    try {
        if (m_db.isServer()) {
            if (!m_savepoint.isEmpty())
                --m_db.m_savepoints;
            m_db.rollbackOnServer(m_savepoint);
        } else if (m_savepoint.isEmpty()) {
            m_db.execRaw(QStringLiteral("ROLLBACK"));
        } else {
            m_db.execRaw(u"ROLLBACK TO "_qs + m_savepoint);
            m_db.execRaw(u"RELEASE "_qs + m_savepoint);
            --m_db.m_savepoints;
        }
    } catch (const Failure&) {
        // Nothing more can be done while unwinding.
    }
}

void Transaction::commit()
{
    if (m_db.isServer()) {
        m_db.commitOnServer(m_savepoint);
        if (!m_savepoint.isEmpty())
            --m_db.m_savepoints;
    } else if (m_savepoint.isEmpty()) {
        m_db.execRaw(QStringLiteral("COMMIT"));
    } else {
        m_db.execRaw(u"RELEASE "_qs + m_savepoint);
        --m_db.m_savepoints;
    }
    m_done = true;
}

} // namespace horunea
