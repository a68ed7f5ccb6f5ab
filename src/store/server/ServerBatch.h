#pragma once

#include "store/server/ServerConnection.h"

#include <QString>
#include <QStringList>

namespace horunea {

// Rows of one table of the server added in batches, each batch one COPY:
// the bulk path of transfers and conversions. Each row's key is given at
// once, as an INSERT would give it: the table's identity runs on one by one
// as the rows are added, the values taken from the identity when the batch
// is sent. A batch whose keys the identity did not give in that run (another
// connection added rows in between) is refused with a Failure, and nothing
// of it is written.
class ServerBatch
{
public:
    // `table` qualified and quoted; `keyColumn` the identity, or empty for a
    // table without one; `columns` the fields each row gives, in order.
    ServerBatch(ServerConnection& server, const QString& table, const QString& keyColumn,
                const QStringList& columns);

    // Starts a row and returns its key (0 without an identity); its values
    // follow in row(), then endRow().
    qint64 startRow();
    ServerCopyRows& row() { return m_rows; }
    // Ends the row; sends the batch when it has grown large.
    void endRow();
    // Sends what is waiting. Throws Failure.
    void flush();
    bool isEmpty() const { return m_rows.rowCount() == 0; }

private:
    ServerConnection* m_server;
    QString m_copySql;
    QString m_sequence;
    ServerCopyRows m_rows;
    qint64 m_nextKey = 0;
    qint64 m_reservedUpTo = 0;
};

} // namespace horunea
