#include "store/server/ServerBatch.h"

#include "store/server/ServerDialect.h"

namespace horunea {

namespace {

// A batch is sent when its text reaches this size.
constexpr qsizetype BatchBytes = 4 << 20;

} // namespace

ServerBatch::ServerBatch(ServerConnection& server, const QString& table, const QString& keyColumn,
                         const QStringList& columns)
    : m_server(&server)
{
    QStringList names;
    if (!keyColumn.isEmpty()) {
        names << quotedServerName(keyColumn);
        m_sequence =
            server.exec(u"SELECT pg_get_serial_sequence($1, $2)"_qs, {table, keyColumn}).text(0, 0);
        if (m_sequence.isEmpty())
            throw Failure(u"サーバーの表にキーの番号がありません。"_qs, table);
    }
    for (const QString& column : columns)
        names << quotedServerName(column);
    m_copySql = u"COPY "_qs + table + u" ("_qs + names.join(u',') + u") FROM STDIN"_qs;
}

qint64 ServerBatch::startRow()
{
    if (m_sequence.isEmpty())
        return 0;
    if (m_nextKey == 0) {
        // The first key is the identity's next, taken now.
        m_reservedUpTo =
            m_server->run(u"SELECT nextval($1::regclass)"_qs, {m_sequence}).integer(0, 0);
        m_nextKey = m_reservedUpTo;
    }
    const qint64 key = m_nextKey++;
    m_rows.add(key);
    return key;
}

void ServerBatch::endRow()
{
    m_rows.endRow();
    if (m_rows.rows().size() >= BatchBytes)
        flush();
}

void ServerBatch::flush()
{
    if (m_rows.rowCount() == 0)
        return;
    const qint64 last = m_nextKey - 1;
    if (!m_sequence.isEmpty() && last > m_reservedUpTo) {
        // The keys given since the last batch, taken from the identity now:
        // distinct numbers whose least and greatest span just their count
        // are the run the rows were given.
        const ServerRows taken =
            m_server->run(u"SELECT min(k), max(k) FROM (SELECT nextval($1::regclass) AS k "
                          u"FROM generate_series(1, $2)) AS keys"_qs,
                          {m_sequence, last - m_reservedUpTo});
        if (taken.integer(0, 0) != m_reservedUpTo + 1 || taken.integer(0, 1) != last) {
            m_rows.clear();
            throw Failure(u"キーが連続して振られませんでした。ほかの端末が同時に追加した"
                          u"可能性があります。もう一度実行してください。"_qs,
                          m_copySql);
        }
        m_reservedUpTo = last;
    }
    const QByteArray rows = m_rows.rows();
    m_rows.clear();
    m_server->copyIn(m_copySql, rows);
}

} // namespace horunea
