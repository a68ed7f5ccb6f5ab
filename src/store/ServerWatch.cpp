#include "store/ServerWatch.h"

#include "store/Database.h"
#include "store/ServerSchema.h"
#include "store/Store.h"

#include <QSocketNotifier>

namespace horunea {

ServerWatch::ServerWatch(const Database& db, QObject* parent)
    : QObject(parent), m_server(ServerConnection::open(Store::server()))
{
    if (const ServerConnection* own = db.serverConnection())
        m_ownBackend = own->backendPid();
    m_server.listen(serverChangeChannel(db.path().section(u'/', -1)));
    m_notifier = new QSocketNotifier(m_server.socket(), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &ServerWatch::poll);
}

ServerWatch::~ServerWatch() = default;

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
