#pragma once

#include "store/Failure.h"
#include "store/server/ServerAddress.h"
#include "store/server/ServerCopyRows.h"
#include "store/server/ServerResult.h"
#include "store/server/ServerRows.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <string_view>
#include <vector>

struct pg_conn;
struct pg_result;

namespace horunea {

// One connection to the shop's PostgreSQL server. Statements are the
// server's own SQL with $1, $2 … for the values, which are always bound
// (as text), never spliced.
class ServerConnection
{
public:
    // Connects. A server that does not answer, that refuses connections, or
    // that refuses the login or the database, gives a Failure that names the
    // server and what failed, with libpq's words as the detail.
    static ServerConnection open(const ServerAddress& address);

    ServerConnection() = default;
    ServerConnection(ServerConnection&& other) noexcept;
    ServerConnection& operator=(ServerConnection&& other) noexcept;
    ServerConnection(const ServerConnection&) = delete;
    ServerConnection& operator=(const ServerConnection&) = delete;
    ~ServerConnection();

    bool isOpen() const { return m_conn != nullptr; }
    const QString& displayName() const { return m_displayName; }
    void close();

    // Runs one statement. A statement the server refuses gives a Failure with
    // the server's words and the statement as the detail; a connection that
    // is gone gives "サーバー「…」との接続が切れました。".
    ServerResult exec(const QString& sql, const QVariantList& params = {});
    // The same, the result kept as the server handed it over.
    ServerRows run(const QString& sql, const QVariantList& params = {});
    // True while a transaction is open on the connection.
    bool inTransaction() const;
    // Runs a statement that sets up the session (its search path, an
    // account's lock) now and again after each reconnection. With `expected`,
    // a first cell other than it is refused with a Failure of `refusal`.
    void keepForSession(const QString& sql, const QVariantList& params = {},
                        const QString& expected = {}, const QString& refusal = {});
    // The version of the server, as a number (150004 for 15.4).
    int serverVersion() const;
    // Listens on a channel: its notifications, from other connections'
    // committed transactions, come with takeNotifications().
    void listen(const QString& channel);
    // The connection's socket, readable when the server sends something.
    int socket() const;
    // The notifications that arrived from other connections than this one
    // and the one of `ignoredBackend`: their payloads, each once. False when
    // the connection is gone.
    bool takeNotifications(QStringList* payloads, int ignoredBackend = 0);
    // The server process of this connection, as notifications name it.
    int backendPid() const;
    // How long a statement may wait for the server's answer, in silence,
    // before the connection counts as lost (0: as long as it takes). The
    // windows' connections have a bound: a server that stops answering
    // without a word (a link that dropped, a backend that hangs) is said as
    // a lost connection, not waited for.
    void setWaitLimit(int milliseconds) { m_waitLimitMs = milliseconds; }
    // Sends rows in COPY's text form (ServerCopy::rows) to `COPY … FROM
    // STDIN`: the bulk path of moves and transfers. Throws Failure as exec
    // does; nothing of the rows stays when it fails.
    int copyIn(const QString& copySql, const QByteArray& rows);

private:
    ServerConnection(pg_conn* conn, QString displayName);
    // The statement sent and its answer awaited within m_waitLimitMs.
    pg_result* execWithinLimit(const QString& sql, const std::vector<const char*>& values);
    [[noreturn]] void fail(const QString& sql, pg_result* result) const;
    [[noreturn]] void failLost(const QString& sql) const;
    // A connection that was lost outside a transaction is made again, with
    // its session statements; one lost inside a transaction stays lost until
    // the transaction's COMMIT or ROLLBACK has been refused: what it had
    // done is gone, and nothing after it may run outside a transaction.
    void reconnectIfLost(const QString& sql);
    void runSessionStatement(const QString& sql, const QVariantList& params,
                             const QString& expected, const QString& refusal);

    struct SessionStatement
    {
        QString sql;
        QVariantList params;
        QString expected, refusal;
    };

    pg_conn* m_conn = nullptr;
    QString m_displayName;
    std::vector<SessionStatement> m_session;
    bool m_inTransaction = false; // as the last statement that went through left it
    bool m_sessionIncomplete = false;
    bool m_restoring = false; // while the session statements run again
    int m_waitLimitMs = 0;
};

} // namespace horunea
