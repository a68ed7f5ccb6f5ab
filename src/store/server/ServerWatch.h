#pragma once

#include "store/server/ServerConnection.h"

#include <QObject>
#include <QStringList>

#include <memory>

class QSocketNotifier;

namespace horunea {

class Database;

// Watches an account's tables on the server for changes that other PCs
// (or other programs on this one: horunea-cli, say) commit: the server
// tells each on the account's channel as its transaction commits, and it
// comes here with the names of the tables it changed, while the event loop
// runs. The watch listens on a connection of its own, so it outlives
// nothing it does not own; what the database it was made from commits
// itself is not told. While it watches, it also says on the server that a
// window of this PC has the account open (serverPresenceTable), so that the
// account is not renamed or deleted under it, even while its connection is
// being made again.
class ServerWatch : public QObject
{
    Q_OBJECT
public:
    // An account's database on the server (Store::server()).
    explicit ServerWatch(const Database& db, QObject* parent = nullptr);
    ~ServerWatch() override;

    // Takes what has arrived now, without waiting for the event loop.
    void poll();

signals:
    void changed(const QStringList& tables);
    // The connection is gone: no more changes come.
    void lost();

private:
    // The presence row seen again.
    void beat();

    ServerConnection m_server;
    QString m_token;
    qint64 m_lockKey = 0;
    int m_ownBackend = 0;
    QSocketNotifier* m_notifier = nullptr;
};

} // namespace horunea
