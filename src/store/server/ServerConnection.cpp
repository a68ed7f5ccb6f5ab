#include "store/server/ServerConnection.h"

#include "store/server/ServerDialect.h"

#include <QFile>

#include <libpq-fe.h>
#include <poll.h>
#include <sys/socket.h>

#include <cerrno>

#include <algorithm>
#include <utility>
#include <vector>

namespace horunea {

namespace {

// The keywords and values of a connection string, or the parser's words.
struct Conninfo
{
    std::vector<std::pair<QString, QString>> values;
    QString error;

    QString value(const char* keyword) const
    {
        for (const auto& [key, value] : values) {
            if (key == QLatin1String(keyword))
                return value;
        }
        return {};
    }
};

Conninfo parseConninfo(const QString& text)
{
    Conninfo out;
    char* error = nullptr;
    PQconninfoOption* options = PQconninfoParse(text.toUtf8().constData(), &error);
    if (!options) {
        out.error = error ? QString::fromUtf8(error).trimmed() : QString();
        PQfreemem(error);
        return out;
    }
    for (PQconninfoOption* o = options; o->keyword; ++o) {
        if (o->val)
            out.values.emplace_back(QString::fromUtf8(o->keyword), QString::fromUtf8(o->val));
    }
    PQconninfoFree(options);
    return out;
}

QString displayNameOf(const Conninfo& info)
{
    QString host = info.value("host");
    if (host.isEmpty())
        host = info.value("hostaddr");
    if (host.isEmpty())
        host = u"localhost"_qs;
    QString port = info.value("port");
    if (port.isEmpty())
        port = u"5432"_qs;
    QString name = host + u':' + port;
    if (const QString db = info.value("dbname"); !db.isEmpty())
        name += u'/' + db;
    return name;
}

QString libpqWords(const pg_conn* conn)
{
    return QString::fromUtf8(PQerrorMessage(conn)).trimmed();
}

} // namespace

ServerAddress ServerAddress::parse(const QString& text)
{
    QStringList lines;
    for (const QString& line : text.split(u'\n')) {
        if (!line.trimmed().isEmpty())
            lines << line.trimmed();
    }
    if (lines.isEmpty())
        throw Failure(u"server.conf が空です。サーバーへの接続文字列を 1 行で書いてください。"_qs);
    if (lines.size() > 1)
        throw Failure(u"server.conf には接続文字列を 1 行だけ書いてください。"_qs);
    const Conninfo info = parseConninfo(lines.first());
    if (!info.error.isEmpty() || info.values.empty())
        throw Failure(u"server.conf の接続文字列が読めません。"_qs, info.error);
    if (!info.value("password").isEmpty())
        throw Failure(u"server.conf にパスワードを書かないでください。パスワードは ~/.pgpass "
                      u"(または PGPASSFILE のファイル) に書きます。"_qs);
    ServerAddress address;
    address.m_connectionString = lines.first();
    address.m_displayName = displayNameOf(info);
    return address;
}

ServerAddress ServerAddress::read(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw Failure(u"server.conf を読めません。"_qs, path + u": "_qs + file.errorString());
    return parse(QString::fromUtf8(file.readAll()));
}

ServerConnection ServerConnection::open(const ServerAddress& address)
{
    // The connection string first; what follows it overrides it: the
    // program always talks UTF-8 and names itself.
    const QByteArray conninfo = address.connectionString().toUtf8();
    // A link that drops without a word is noticed by the system within a
    // minute, not the quarter of an hour TCP waits by itself (server.conf
    // may say otherwise: it comes after these).
    const char* keywords[] = {"keepalives",       "keepalives_idle",  "keepalives_interval",
                              "keepalives_count", "tcp_user_timeout", "dbname",
                              "client_encoding",  "application_name", nullptr};
    const char* values[] = {"1",    "10",      "5",    "3", "30000", conninfo.constData(),
                            "UTF8", "horunea", nullptr};
    pg_conn* conn = PQconnectdbParams(keywords, values, 1);
    if (conn && PQstatus(conn) == CONNECTION_OK) {
        // The server's notices (a table already there, …) are not the
        // user's business: what matters comes as errors.
        PQsetNoticeProcessor(
            conn, [](void*, const char*) {}, nullptr);
        return ServerConnection(conn, address.displayName());
    }

    const QString said = conn ? libpqWords(conn) : QString();
    PQfinish(conn);
    const QString server = address.displayName();
    // A server that answers with a certificate server.conf does not trust
    // is running: what to check is the name and the issuer. libpq says so in
    // English or, with its translations, in Japanese.
    if (said.contains(u"certificate"_qs, Qt::CaseInsensitive) || said.contains(u"証明書"_qs))
        throw Failure(u"サーバー「"_qs + server +
                          u"」の証明書を信頼できません。証明書の名前が接続先と違うか、sslrootcert "
                          u"の発行元のものではありません。server.conf "
                          u"の接続先と証明書を確かめてください。"_qs,
                      said);
    switch (PQpingParams(keywords, values, 1)) {
    case PQPING_NO_RESPONSE:
        throw Failure(u"サーバー「"_qs + server +
                          u"」に接続できません。サーバーが動いているか、server.conf "
                          u"の接続先とネットワークを確かめてください。"_qs,
                      said);
    case PQPING_REJECT:
        throw Failure(u"サーバー「"_qs + server +
                          u"」が接続を受け付けていません (起動中か停止中です)。"
                          u"しばらくしてからもう一度お試しください。"_qs,
                      said);
    default:
        throw Failure(u"サーバー「"_qs + server +
                          u"」にログインできません。ユーザー名、パスワード (~/.pgpass)、"
                          u"データベース名を確かめてください。"_qs,
                      said);
    }
}

ServerConnection::ServerConnection(pg_conn* conn, QString displayName)
    : m_conn(conn), m_displayName(std::move(displayName))
{}

ServerConnection::ServerConnection(ServerConnection&& other) noexcept
    : m_conn(std::exchange(other.m_conn, nullptr)), m_displayName(std::move(other.m_displayName)),
      m_session(std::move(other.m_session)), m_inTransaction(other.m_inTransaction),
      m_sessionIncomplete(other.m_sessionIncomplete), m_waitLimitMs(other.m_waitLimitMs)
{}

ServerConnection& ServerConnection::operator=(ServerConnection&& other) noexcept
{
    if (this != &other) {
        close();
        m_conn = std::exchange(other.m_conn, nullptr);
        m_displayName = std::move(other.m_displayName);
        m_session = std::move(other.m_session);
        m_inTransaction = other.m_inTransaction;
        m_sessionIncomplete = other.m_sessionIncomplete;
        m_waitLimitMs = other.m_waitLimitMs;
    }
    return *this;
}

ServerConnection::~ServerConnection()
{
    close();
}

void ServerConnection::close()
{
    if (m_conn)
        PQfinish(std::exchange(m_conn, nullptr));
}

int ServerConnection::serverVersion() const
{
    return m_conn ? PQserverVersion(m_conn) : 0;
}

ServerRows ServerConnection::run(const QString& sql, const QVariantList& params)
{
    if (!m_conn)
        throw Failure(u"サーバーに接続していません。"_qs, sql);
    reconnectIfLost(sql);
    std::vector<QByteArray> texts;
    texts.reserve(size_t(params.size()));
    std::vector<const char*> values;
    values.reserve(size_t(params.size()));
    for (const QVariant& p : params) {
        if (p.isNull()) {
            texts.emplace_back();
            values.push_back(nullptr);
            continue;
        }
        if (p.typeId() == QMetaType::Bool)
            texts.push_back(p.toBool() ? QByteArrayLiteral("true") : QByteArrayLiteral("false"));
        else
            texts.push_back(p.toString().toUtf8());
        values.push_back(texts.back().constData());
    }
    pg_result* result = m_waitLimitMs > 0
                            ? execWithinLimit(sql, values)
                            : PQexecParams(m_conn, sql.toUtf8().constData(), int(values.size()),
                                           nullptr, values.data(), nullptr, nullptr, 0);
    const ExecStatusType status = result ? PQresultStatus(result) : PGRES_FATAL_ERROR;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        fail(sql, result);
    m_inTransaction = PQtransactionStatus(m_conn) != PQTRANS_IDLE;
    return ServerRows(result);
}

pg_result* ServerConnection::execWithinLimit(const QString& sql,
                                             const std::vector<const char*>& values)
{
    if (!PQsendQueryParams(m_conn, sql.toUtf8().constData(), int(values.size()), nullptr,
                           values.data(), nullptr, nullptr, 0))
        return nullptr;
    // The answer is read as it comes; a server silent for the whole limit
    // has its connection closed here, which libpq then reports as lost.
    while (PQisBusy(m_conn)) {
        pollfd ready{PQsocket(m_conn), POLLIN, 0};
        const int polled = ::poll(&ready, 1, m_waitLimitMs);
        if (polled == 0)
            ::shutdown(PQsocket(m_conn), SHUT_RDWR);
        if (polled < 0 && errno == EINTR)
            continue;
        if (!PQconsumeInput(m_conn))
            break;
    }
    pg_result* result = PQgetResult(m_conn);
    while (pg_result* more = PQgetResult(m_conn))
        PQclear(more);
    return result;
}

ServerResult ServerConnection::exec(const QString& sql, const QVariantList& params)
{
    const ServerRows rows = run(sql, params);
    ServerResult out;
    out.m_changed = rows.changed();
    const int columns = rows.columnCount();
    for (int c = 0; c < columns; ++c)
        out.m_columns << rows.columnName(c);
    out.m_rows.reserve(size_t(rows.rowCount()));
    for (int r = 0; r < rows.rowCount(); ++r) {
        QStringList row;
        row.reserve(columns);
        for (int c = 0; c < columns; ++c) {
            const std::string_view cell = rows.cell(r, c);
            row << (rows.isNull(r, c) ? QString()
                                      : QString::fromUtf8(cell.data(), qsizetype(cell.size())));
        }
        out.m_rows.push_back(std::move(row));
    }
    return out;
}

void ServerConnection::keepForSession(const QString& sql, const QVariantList& params,
                                      const QString& expected, const QString& refusal)
{
    runSessionStatement(sql, params, expected, refusal);
    m_session.push_back({sql, params, expected, refusal});
}

void ServerConnection::runSessionStatement(const QString& sql, const QVariantList& params,
                                           const QString& expected, const QString& refusal)
{
    const ServerResult result = exec(sql, params);
    if (!expected.isNull() && (result.rowCount() == 0 || result.text(0, 0) != expected))
        throw Failure(refusal);
}

void ServerConnection::reconnectIfLost(const QString& sql)
{
    const bool lost = PQstatus(m_conn) == CONNECTION_BAD;
    if (m_restoring || (!lost && !m_sessionIncomplete))
        return;
    if (lost && m_inTransaction) {
        if (sql == u"COMMIT" || sql == u"ROLLBACK")
            m_inTransaction = false;
        failLost(sql);
    }
    if (lost) {
        PQreset(m_conn);
        if (PQstatus(m_conn) != CONNECTION_OK)
            failLost(sql);
    }
    // Until every session statement went through (a lock another holds
    // now), nothing else runs: each statement tries them again first.
    m_sessionIncomplete = true;
    m_restoring = true;
    try {
        for (const SessionStatement& s : m_session)
            runSessionStatement(s.sql, s.params, s.expected, s.refusal);
    } catch (...) {
        m_restoring = false;
        throw;
    }
    m_restoring = false;
    m_sessionIncomplete = false;
}

void ServerConnection::failLost(const QString& sql) const
{
    throw Failure(u"サーバー「"_qs + m_displayName + u"」との接続が切れました。"_qs,
                  libpqWords(m_conn) + u'\n' + sql);
}

bool ServerConnection::inTransaction() const
{
    return m_conn && PQtransactionStatus(m_conn) != PQTRANS_IDLE;
}

ServerRows::ServerRows(ServerRows&& other) noexcept
    : m_result(std::exchange(other.m_result, nullptr))
{}

ServerRows& ServerRows::operator=(ServerRows&& other) noexcept
{
    if (this != &other) {
        PQclear(m_result);
        m_result = std::exchange(other.m_result, nullptr);
    }
    return *this;
}

ServerRows::~ServerRows()
{
    PQclear(m_result);
}

int ServerRows::rowCount() const
{
    return m_result ? PQntuples(m_result) : 0;
}

int ServerRows::columnCount() const
{
    return m_result ? PQnfields(m_result) : 0;
}

QString ServerRows::columnName(int column) const
{
    return QString::fromUtf8(PQfname(m_result, column));
}

bool ServerRows::isInteger(int column) const
{
    // int8, int2, int4 (pg_type's fixed numbers)
    const Oid type = PQftype(m_result, column);
    return type == 20 || type == 21 || type == 23;
}

bool ServerRows::isNull(int row, int column) const
{
    return PQgetisnull(m_result, row, column) != 0;
}

std::string_view ServerRows::cell(int row, int column) const
{
    return std::string_view(PQgetvalue(m_result, row, column),
                            size_t(PQgetlength(m_result, row, column)));
}

qint64 ServerRows::integer(int row, int column) const
{
    const std::string_view text = cell(row, column);
    return QByteArray(text.data(), qsizetype(text.size())).toLongLong();
}

int ServerRows::changed() const
{
    return m_result ? QByteArray(PQcmdTuples(m_result)).toInt() : 0;
}

void ServerConnection::listen(const QString& channel)
{
    exec(u"LISTEN "_qs + quotedServerName(channel));
}

int ServerConnection::socket() const
{
    return m_conn ? PQsocket(m_conn) : -1;
}

int ServerConnection::backendPid() const
{
    return m_conn ? PQbackendPID(m_conn) : 0;
}

bool ServerConnection::takeNotifications(QStringList* payloads, int ignoredBackend)
{
    if (!m_conn || PQconsumeInput(m_conn) == 0)
        return false;
    const int self = PQbackendPID(m_conn);
    while (PGnotify* n = PQnotifies(m_conn)) {
        // What this connection changed, it knows already.
        if (n->be_pid != self && n->be_pid != ignoredBackend) {
            const QString payload = QString::fromUtf8(n->extra);
            if (!payloads->contains(payload))
                *payloads << payload;
        }
        PQfreemem(n);
    }
    return PQstatus(m_conn) == CONNECTION_OK;
}

int ServerConnection::copyIn(const QString& copySql, const QByteArray& rows)
{
    if (!m_conn)
        throw Failure(u"サーバーに接続していません。"_qs, copySql);
    pg_result* started = PQexec(m_conn, copySql.toUtf8().constData());
    if (!started || PQresultStatus(started) != PGRES_COPY_IN)
        fail(copySql, started);
    PQclear(started);
    // Sent in pieces, so that libpq never holds a second copy of the whole.
    constexpr qsizetype Piece = 1 << 20;
    bool sent = true;
    for (qsizetype at = 0; sent && at < rows.size(); at += Piece) {
        const qsizetype size = std::min(Piece, rows.size() - at);
        sent = PQputCopyData(m_conn, rows.constData() + at, int(size)) == 1;
    }
    // A piece that did not go ends the copy as failed: nothing of it stays.
    if (PQputCopyEnd(m_conn, sent ? nullptr : "horunea: the rows could not be sent") != 1)
        fail(copySql, nullptr);
    pg_result* result = PQgetResult(m_conn);
    const bool done = result && PQresultStatus(result) == PGRES_COMMAND_OK;
    const int changed = done ? QByteArray(PQcmdTuples(result)).toInt() : 0;
    while (pg_result* more = PQgetResult(m_conn))
        PQclear(more);
    if (!done)
        fail(copySql, result);
    PQclear(result);
    return changed;
}

void ServerCopyRows::separate()
{
    if (m_rowStarted)
        m_rows += '\t';
    m_rowStarted = true;
}

void ServerCopyRows::add(std::string_view utf8)
{
    separate();
    for (const char c : utf8) {
        switch (c) {
        case '\\':
            m_rows += "\\\\";
            break;
        case '\t':
            m_rows += "\\t";
            break;
        case '\n':
            m_rows += "\\n";
            break;
        case '\r':
            m_rows += "\\r";
            break;
        default:
            m_rows += c;
        }
    }
}

void ServerCopyRows::add(qint64 number)
{
    separate();
    m_rows += QByteArray::number(number);
}

void ServerCopyRows::add(const QVariant& value)
{
    if (value.isNull())
        addNull();
    else if (value.typeId() == QMetaType::LongLong || value.typeId() == QMetaType::Int)
        add(value.toLongLong());
    else if (value.typeId() == QMetaType::Bool)
        add(std::string_view(value.toBool() ? "true" : "false"));
    else
        add(std::string_view(value.toString().toUtf8()));
}

void ServerCopyRows::endRow()
{
    m_rows += '\n';
    m_rowStarted = false;
    ++m_count;
}

void ServerCopyRows::clear()
{
    m_rows.clear();
    m_count = 0;
    m_rowStarted = false;
}

QByteArray ServerRows::command() const
{
    if (!m_result)
        return {};
    const QByteArray tag(PQcmdStatus(m_result));
    const qsizetype space = tag.indexOf(' ');
    return space < 0 ? tag : tag.left(space);
}

void ServerConnection::fail(const QString& sql, pg_result* result) const
{
    QString said =
        result ? QString::fromUtf8(PQresultErrorMessage(result)).trimmed() : libpqWords(m_conn);
    QString state;
    if (result) {
        state = QString::fromLatin1(PQresultErrorField(result, PG_DIAG_SQLSTATE));
        if (!state.isEmpty())
            said += u" ("_qs + state + u')';
        PQclear(result);
    }
    const QString detail = said + u'\n' + sql;
    // A clerk's role at what only the administrator's may do.
    if (state == u"42501")
        throw Failure(u"この操作にはサーバーの管理者のロールが要ります。サーバー「"_qs +
                          m_displayName + u"」のロール「"_qs + QString::fromUtf8(PQuser(m_conn)) +
                          u"」にはその権限がありません。"_qs,
                      detail);
    if (PQstatus(m_conn) == CONNECTION_BAD)
        throw Failure(u"サーバー「"_qs + m_displayName + u"」との接続が切れました。"_qs, detail);
    throw Failure(u"サーバー「"_qs + m_displayName + u"」で実行できませんでした。"_qs, detail);
}

} // namespace horunea
