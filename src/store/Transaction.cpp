#include "store/Transaction.h"

#include "store/Database.h"
#include "store/ReadTransaction.h"

namespace horunea {

ReadTransaction::ReadTransaction(Database& db) : m_db(db)
{
    m_db.engine().beginRead();
}

ReadTransaction::~ReadTransaction()
{
    try {
        m_db.engine().endRead();
    } catch (const Failure&) {
    }
}

Transaction::Transaction(Database& db) : m_db(db)
{
    if (m_db.inTransaction()) {
        m_savepoint = QStringLiteral("horunea_%1").arg(++m_db.m_savepoints);
        m_db.engine().savepoint(m_savepoint);
    } else {
        m_db.engine().begin();
    }
}

Transaction::~Transaction()
{
    if (m_done)
        return;
    if (!m_savepoint.isEmpty())
        --m_db.m_savepoints;
    try {
        m_db.engine().rollback(m_savepoint);
    } catch (const Failure&) {
        // Nothing more can be done while unwinding.
    }
}

void Transaction::commit()
{
    m_db.engine().commit(m_savepoint);
    if (!m_savepoint.isEmpty())
        --m_db.m_savepoints;
    m_done = true;
}

} // namespace horunea
