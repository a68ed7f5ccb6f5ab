#include "store/server/ServerWatch.h"

#include "store/Database.h"
#include "store/Store.h"
#include "store/server/ServerSchema.h"

#include <QSocketNotifier>
#include <QTimer>
#include <QUuid>

namespace horunea {

namespace {

// The advisory lock's number of the account whose schema this is.
qint64 lockKeyOfSchema(const QString& schema)
{
    const AccountKind kind =
        schema.startsWith(u"care_") ? AccountKind::Repair : AccountKind::Operator;
    return serverAccountLockKey(kind, numberOfServerAccountPath(schema));
}

} // namespace

ServerWatch::ServerWatch(const Database& db, QObject* parent)
    : QObject(parent), m_server(ServerConnection::open(Store::server())),
      m_token(QUuid::createUuid().toString(QUuid::WithoutBraces))
{
    if (const ServerConnection* own = db.serverConnection())
        m_ownBackend = own->backendPid();
    const QString schema = db.path().section(u'/', -1);
    m_lockKey = lockKeyOfSchema(schema);
    m_server.listen(serverChangeChannel(schema));
    m_notifier = new QSocketNotifier(m_server.socket(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServerWatch::poll);
    // The window has the account open: said now, and again while connected.
    try {
        if (m_server.exec(u"SELECT to_regclass($1) IS NULL"_qs, {serverPresenceTable()})
                .text(0, 0) == u"t")
            m_server.exec(serverPresenceCreateStatement());
    } catch (const Failure&) {
        // made at the same moment by another PC, or not ours to make
    }
    beat();
    auto* beats = new QTimer(this);
    connect(beats, &QTimer::timeout, this, &ServerWatch::beat);
    beats->start(PresenceBeatSeconds * 1000);
}

ServerWatch::~ServerWatch()
{
    if (!m_notifier->isEnabled())
        return;
    try {
        m_server.exec(u"DELETE FROM "_qs + serverPresenceTable() + u" WHERE token = $1"_qs,
                      {m_token});
    } catch (const Failure&) {
        // the connection went: the row is left to grow old
    }
}

void ServerWatch::beat()
{
    if (!m_notifier->isEnabled())
        return;
    try {
        m_server.exec(u"INSERT INTO "_qs + serverPresenceTable() +
                          u" (token, lock_key) VALUES ($1, $2) ON CONFLICT (token) DO UPDATE "
                          u"SET seen = now()"_qs,
                      {m_token, m_lockKey});
    } catch (const Failure&) {
        // a lost connection is told by the socket, as changes are
    }
}

void ServerWatch::poll()
{
    if (!m_notifier->isEnabled())
        return;
    QStringList tables;
    if (!m_server.takeNotifications(&tables, m_ownBackend)) {
        m_notifier->setEnabled(false);
        emit lost();
        return;
    }
    if (!tables.isEmpty())
        emit changed(tables);
}

} // namespace horunea
