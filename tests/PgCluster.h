#pragma once

// A PostgreSQL cluster of the test's own: initdb into a temporary folder, the
// server listening on a Unix socket in that folder only (no TCP port unless
// asked for), the local socket trusted, stopped and removed when the test
// ends. The server
// refuses to run as root: run by root, the cluster belongs to the postgres
// user and its commands run as that user.
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <pwd.h>
#include <sys/socket.h>
#include <unistd.h>

namespace horunea::test {

class PgCluster
{
public:
    // A cluster on its Unix socket only; or, with `tcpWithCertificate`, also
    // on a free TCP port of 127.0.0.1 with TLS, its certificate a
    // self-signed one for the name "localhost" (serverCertificate()).
    explicit PgCluster(bool tcpWithCertificate = false) : m_dir(u"/tmp/hpg-XXXXXX"_qs)
    {
        start(tcpWithCertificate);
    }
    ~PgCluster()
    {
        if (m_running)
            run(u"pg_ctl"_qs,
                {u"-D"_qs, dataFolder(), u"-m"_qs, u"immediate"_qs, u"-w"_qs, u"stop"_qs});
    }
    PgCluster(const PgCluster&) = delete;
    PgCluster& operator=(const PgCluster&) = delete;

    bool isRunning() const { return m_running; }
    // Why the cluster is not running.
    const QString& error() const { return m_error; }
    // The folder of the server's socket, which stands for its host.
    QString socketFolder() const { return m_dir.path(); }
    QString connectionString(const QString& database = u"postgres"_qs) const
    {
        return u"host="_qs + socketFolder() + u" port="_qs + QString::number(m_port) +
               u" user=horunea dbname="_qs + database;
    }
    // The TCP port of a cluster started with its certificate.
    int port() const { return m_port; }
    QString serverCertificate() const { return m_dir.filePath(u"server.crt"_qs); }

private:
    QString dataFolder() const { return m_dir.filePath(u"data"_qs); }

    static QString binFolder()
    {
        QProcess config;
        config.start(u"pg_config"_qs, {u"--bindir"_qs});
        if (config.waitForFinished(10000) && config.exitCode() == 0) {
            const QString bin = QString::fromLocal8Bit(config.readAllStandardOutput()).trimmed();
            if (QFileInfo::exists(bin + u"/initdb"_qs))
                return bin;
        }
        const QDir versions(u"/usr/lib/postgresql"_qs);
        for (const QString& v :
             versions.entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name | QDir::Reversed)) {
            if (QFileInfo::exists(versions.filePath(v + u"/bin/initdb"_qs)))
                return versions.filePath(v + u"/bin"_qs);
        }
        return {};
    }

    // Runs a server program as the cluster's owner; false with m_error set
    // when it fails.
    bool run(const QString& program, const QStringList& args)
    {
        QProcess p;
        p.setProcessChannelMode(QProcess::MergedChannels);
        const QString path = m_bin + u'/' + program;
        if (geteuid() == 0)
            p.start(u"runuser"_qs, QStringList{u"-u"_qs, u"postgres"_qs, u"--"_qs, path} + args);
        else
            p.start(path, args);
        if (!p.waitForFinished(60000) || p.exitStatus() != QProcess::NormalExit ||
            p.exitCode() != 0) {
            m_error = program + u": "_qs + QString::fromLocal8Bit(p.readAll()) + p.errorString();
            return false;
        }
        return true;
    }

    // A free port of 127.0.0.1, as the system hands one out.
    static int freePort()
    {
        const int s = ::socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        int port = 0;
        if (::bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
            ::getsockname(s, reinterpret_cast<sockaddr*>(&a), &length) == 0)
            port = ntohs(a.sin_port);
        ::close(s);
        return port;
    }

    // A self-signed certificate and its key, readable by the server only.
    bool makeCertificate()
    {
        QProcess openssl;
        openssl.setProcessChannelMode(QProcess::MergedChannels);
        openssl.start(u"openssl"_qs,
                      {u"req"_qs, u"-x509"_qs, u"-newkey"_qs, u"rsa:2048"_qs, u"-nodes"_qs,
                       u"-days"_qs, u"2"_qs, u"-subj"_qs, u"/CN=localhost"_qs, u"-keyout"_qs,
                       m_dir.filePath(u"server.key"_qs), u"-out"_qs, serverCertificate()});
        if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
            m_error = u"openssl: "_qs + QString::fromLocal8Bit(openssl.readAll());
            return false;
        }
        QFile::setPermissions(m_dir.filePath(u"server.key"_qs),
                              QFile::ReadOwner | QFile::WriteOwner);
        if (const passwd* owner = geteuid() == 0 ? getpwnam("postgres") : nullptr) {
            for (const char* name : {"server.key", "server.crt"})
                if (::chown(
                        QFile::encodeName(m_dir.filePath(QString::fromLatin1(name))).constData(),
                        owner->pw_uid, owner->pw_gid) != 0)
                    return false;
        }
        return true;
    }

    void start(bool tcpWithCertificate)
    {
        m_bin = binFolder();
        if (m_bin.isEmpty()) {
            m_error = u"PostgreSQL is not installed"_qs;
            return;
        }
        if (!m_dir.isValid()) {
            m_error = u"no temporary folder"_qs;
            return;
        }
        if (geteuid() == 0) {
            const passwd* owner = getpwnam("postgres");
            if (!owner) {
                m_error = u"PostgreSQL is not installed"_qs;
                return;
            }
            if (::chown(QFile::encodeName(m_dir.path()).constData(), owner->pw_uid,
                        owner->pw_gid) != 0) {
                m_error = u"the cluster's folder cannot be given to postgres"_qs;
                return;
            }
        }
        if (!run(u"initdb"_qs,
                 {u"-D"_qs, dataFolder(), u"-A"_qs, u"trust"_qs, u"-U"_qs, u"horunea"_qs, u"-E"_qs,
                  u"UTF8"_qs, u"--locale=C.UTF-8"_qs, u"--no-sync"_qs}))
            return;
        QString options = u"-k "_qs + m_dir.path() + u" -c fsync=off -c full_page_writes=off"_qs;
        if (tcpWithCertificate) {
            m_port = freePort();
            if (m_port == 0 || !makeCertificate())
                return;
            options += u" -c listen_addresses=127.0.0.1 -c ssl=on -c ssl_cert_file="_qs +
                       serverCertificate() + u" -c ssl_key_file="_qs +
                       m_dir.filePath(u"server.key"_qs);
        } else {
            options += u" -c listen_addresses="_qs;
        }
        options += u" -p "_qs + QString::number(m_port);
        m_running =
            run(u"pg_ctl"_qs, {u"-D"_qs, dataFolder(), u"-l"_qs, m_dir.filePath(u"server.log"_qs),
                               u"-o"_qs, options, u"-w"_qs, u"start"_qs});
    }

    QTemporaryDir m_dir;
    QString m_bin;
    QString m_error;
    bool m_running = false;
    int m_port = 5432;
};

} // namespace horunea::test
