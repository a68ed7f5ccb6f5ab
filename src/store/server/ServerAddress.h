#pragma once

#include <QString>

namespace horunea {

// Where a shop's data live when they are on a PostgreSQL server: the libpq
// connection string of the data folder's server.conf (its one line, for
// example "host=db.shop.lan dbname=horunea user=horunea sslmode=require").
// The password is never in it: libpq takes it from ~/.pgpass or PGPASSFILE.
class ServerAddress
{
public:
    // The one line of a server.conf. Throws Failure when it is empty, holds
    // more than one line, is not a connection string, or names a password.
    static ServerAddress parse(const QString& text);
    // Reads the file; throws Failure when it cannot be read or parse refuses.
    static ServerAddress read(const QString& path);

    const QString& connectionString() const { return m_connectionString; }
    // The server as messages name it: "db.shop.lan:5432/horunea"; a Unix
    // socket's folder stands for the host, the defaults for what is left out.
    const QString& displayName() const { return m_displayName; }

private:
    QString m_connectionString;
    QString m_displayName;
};

} // namespace horunea
