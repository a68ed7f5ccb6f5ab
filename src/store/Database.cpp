#include "store/Database.h"

#include "store/Schema.h"
#include "store/ServerBatch.h"
#include "store/ServerConnection.h"
#include "store/ServerDialect.h"
#include "store/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QVarLengthArray>

#include <memory>
#include <string_view>

#include <sqlcipher/sqlite3.h>

namespace horunea {

// ---------------------------------------------------------------- Database

const QString& Database::password()
{
    static const QString key = QStringLiteral("pelmaro_sitaku_wen");
    return key;
}

Database::Database(sqlite3* db, QString path)
    : m_db(db), m_path(std::move(path)), m_cache(std::make_unique<StatementCache>())
{}

Database::Database(Database&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)), m_path(std::move(other.m_path)),
      m_names(std::move(other.m_names)), m_tables(std::move(other.m_tables)),
      m_savepoints(std::exchange(other.m_savepoints, 0)), m_cache(std::move(other.m_cache)),
      m_insertSql(std::move(other.m_insertSql)), m_lock(std::move(other.m_lock)),
      m_server(std::move(other.m_server)), m_serverTables(std::move(other.m_serverTables)),
      m_serverSql(std::move(other.m_serverSql)), m_schema(std::move(other.m_schema)),
      m_unreportedFailure(std::move(other.m_unreportedFailure))
{}

Database& Database::operator=(Database&& other) noexcept
{
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
        m_path = std::move(other.m_path);
        m_names = std::move(other.m_names);
        m_tables = std::move(other.m_tables);
        m_savepoints = std::exchange(other.m_savepoints, 0);
        m_cache = std::move(other.m_cache);
        m_insertSql = std::move(other.m_insertSql);
        m_lock = std::move(other.m_lock);
        m_server = std::move(other.m_server);
        m_serverTables = std::move(other.m_serverTables);
        m_serverSql = std::move(other.m_serverSql);
        m_schema = std::move(other.m_schema);
        m_unreportedFailure = std::move(other.m_unreportedFailure);
    }
    return *this;
}

Database::~Database()
{
    close();
}

void Database::close()
{
    if (m_cache)
        m_cache->clear();
    m_insertSql.clear();
    if (m_db) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
    m_server.reset();
    m_lock.release(); // only once the file is closed
}

namespace {

sqlite3* openKeyed(const QString& path, int flags)
{
    sqlite3* db = nullptr;
    const QByteArray file = QFile::encodeName(path);
    const int rc = sqlite3_open_v2(file.constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString why = errorText(db);
        sqlite3_close_v2(db);
        throw Failure(QStringLiteral("データベースを開けません。\n%1\n(%2)").arg(path, why));
    }
    // The key goes in before anything else reads the file.
    const QByteArray pragma = "PRAGMA key = '" + Database::password().toUtf8() + "';";
    sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr);
    // Another process writing the file is waited for a few seconds.
    sqlite3_busy_timeout(db, 5000);
    // Pages are decrypted as they are read; keeping up to 32 MB of them spares
    // a list that is filled again and again the decryption of its whole table.
    sqlite3_exec(db, "PRAGMA cache_size = -32768;", nullptr, nullptr, nullptr);
    registerJetFunctions(db);
    return db;
}

} // namespace

Database Database::open(const QString& path)
{
    if (!QFileInfo(path).isFile())
        throw Failure(QStringLiteral("データベースのファイルがありません。\n%1").arg(path));
    sqlite3* handle = openKeyed(path, SQLITE_OPEN_READWRITE);
    // A wrong key, or a file that is not ours, shows only at the first read.
    // An empty file reads as an empty database under any key: it is not ours either.
    sqlite3_stmt* check = nullptr;
    int tables = 0;
    int rc = sqlite3_prepare_v2(handle, "SELECT count(*) FROM sqlite_master WHERE type = 'table'",
                                -1, &check, nullptr);
    if (rc == SQLITE_OK && (rc = sqlite3_step(check)) == SQLITE_ROW) {
        tables = sqlite3_column_int(check, 0);
        rc = SQLITE_OK;
    }
    sqlite3_finalize(check);
    if (rc == SQLITE_BUSY || rc == SQLITE_LOCKED) {
        // Busy is not broken: the file is ours, another process is writing it.
        sqlite3_close_v2(handle);
        throw Failure(QStringLiteral("ほかのプログラムが書き込み中のため、開けません。"
                                     "しばらくしてからやり直してください。\n%1")
                          .arg(path));
    }
    if (rc != SQLITE_OK || tables == 0) {
        sqlite3_close_v2(handle);
        throw Failure(
            QStringLiteral("ホルネアのデータベースとして開けません。ファイルが壊れているか、"
                           "別のファイルです。\n%1")
                .arg(path));
    }
    Database db(handle, path);
    db.refreshNames();
    // A file made before the indexes gets them now; one that cannot be
    // written to is read without them.
    try {
        createIndexes(db);
    } catch (const Failure&) {
    }
    return db;
}

Database Database::openLocked(const QString& path, const QString& accountName,
                              AccountLock::Mode mode)
{
    AccountLock lock(path, accountName, mode);
    Database db = open(path);
    db.m_lock = std::move(lock);
    return db;
}

Database Database::createNew(const QString& path)
{
    if (QFileInfo::exists(path))
        throw Failure(QStringLiteral("ファイルがすでにあります。\n%1").arg(path));
    sqlite3* handle = openKeyed(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    Database db(handle, path);
    db.refreshNames();
    return db;
}

void Database::fail(const QString& what, const QString& sql) const
{
    throw Failure(QStringLiteral("データベースの処理に失敗しました: %1").arg(what), sql);
}

void Database::failEngine(const QString& sql, const QString& said) const
{
    // What failed, in the user's words; the engine's own text is the detail.
    QString what;
    switch (m_db ? sqlite3_errcode(m_db) & 0xff : SQLITE_NOMEM) {
    case SQLITE_READONLY:
        what = u"データベースのファイルに書き込めません (読み取り専用です)。"_qs;
        break;
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        what = u"ほかのプログラムが使用中のため、処理できませんでした。"_qs;
        break;
    case SQLITE_FULL:
        what = u"ディスクがいっぱいで書き込めません。"_qs;
        break;
    case SQLITE_CORRUPT:
    case SQLITE_NOTADB:
        what = u"データベースのファイルが壊れています。"_qs;
        break;
    case SQLITE_IOERR:
        what = u"ファイルの読み書きに失敗しました。"_qs;
        break;
    case SQLITE_CANTOPEN:
        what = u"データベースのファイルを開けません。"_qs;
        break;
    case SQLITE_CONSTRAINT:
        what = u"データの決まりに合わないため、書き込めませんでした。"_qs;
        break;
    case SQLITE_NOMEM:
        what = u"メモリが足りません。"_qs;
        break;
    default:
        what = u"データベースの処理に失敗しました。"_qs;
    }
    const QString engine = said.isEmpty() ? errorText(m_db) : said;
    throw Failure(what + u'\n' + QDir::toNativeSeparators(m_path),
                  sql.isEmpty() ? engine : engine + u'\n' + sql);
}

void Database::refreshNames()
{
    if (m_server) {
        refreshNamesOnServer();
        return;
    }
    if (m_cache)
        m_cache->clear();
    m_insertSql.clear();
    QStringList names;
    m_tables.clear();
    {
        Statement list(
            m_db, QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' AND name "
                                 "NOT LIKE 'sqlite_%' ORDER BY rowid"));
        if (!list.ok())
            failEngine(QString());
        while (sqlite3_step(list.get()) == SQLITE_ROW)
            m_tables << list.column(0).toString();
    }
    for (const QString& table : std::as_const(m_tables)) {
        names << table;
        Statement info(m_db, QStringLiteral("PRAGMA table_info(%1)").arg(quoted(table)));
        while (info.ok() && sqlite3_step(info.get()) == SQLITE_ROW)
            names << info.column(1).toString();
    }
    m_names = buildNameMap(names);
}

QStringList Database::tableNames() const
{
    return m_tables;
}

QString Database::translate(const QString& jetSql) const
{
    return translateJetSql(jetSql, m_names);
}

QString Database::resolvedName(const QString& name) const
{
    auto it = m_names.constFind(foldName(name));
    if (it == m_names.constEnd())
        fail(QStringLiteral("「%1」という名前はありません。").arg(name));
    return it.value();
}

namespace {

// The cached statement of a Jet text, translated and prepared on first use.
std::unique_ptr<Statement> preparedStatement(sqlite3* db, StatementCache& cache, const QString& sql,
                                             const std::function<QString()>& translated)
{
    StatementCache::Entry* entry = cache.find(sql);
    if (!entry || entry->busy) {
        auto fresh = std::make_unique<Statement>(db, translated());
        if (!fresh->ok() || entry)
            return fresh; // failed, or the cached one is in use
        entry = cache.keep(sql, fresh->get());
        if (!entry)
            return fresh;  // every cached statement is in use
        fresh->handOver(); // the cache owns it now
    }
    entry->busy = true;
    entry->used = cache.tick();
    return std::make_unique<Statement>(db, entry->stmt, [entry] { entry->busy = false; });
}

} // namespace

std::unique_ptr<Statement> Database::prepare(const QString& sql)
{
    if (!m_db)
        fail(QStringLiteral("データベースが開かれていません。"), sql);
    auto stmt = preparedStatement(m_db, *m_cache, sql, [&] { return translate(sql); });
    if (!stmt->ok())
        failEngine(sql);
    return stmt;
}

void Database::forEachRow(const QString& sql, const QVariantList& params,
                          const std::function<void(const Row&)>& visit, QStringList* columnNames)
{
    if (m_server) {
        forEachRowOnServer(sql, params, visit, columnNames);
        return;
    }
    const std::unique_ptr<Statement> prepared = prepare(sql);
    Statement& stmt = *prepared;
    if (!stmt.bind(params))
        fail(QStringLiteral("値の数が合いません。"), sql);
    const Columns columns(stmt.columnNames());
    if (columnNames)
        *columnNames = columns.names();
    const int n = columns.count();
    QVariantList values;
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        values.clear();
        values.reserve(n);
        for (int i = 0; i < n; ++i)
            values << stmt.column(i);
        visit(Row(&columns, &values));
    }
    if (rc != SQLITE_DONE)
        failEngine(sql);
}

ResultSet Database::query(const QString& sql, const QVariantList& params)
{
    QStringList names;
    std::vector<QVariantList> rows;
    forEachRow(
        sql, params, [&rows](const Row& row) { rows.push_back(row.values()); }, &names);
    return ResultSet(std::make_shared<Columns>(names), std::move(rows));
}

int Database::exec(const QString& sql, const QVariantList& params)
{
    if (m_server)
        return runOnServer(sql, params).changed();
    const std::unique_ptr<Statement> prepared = prepare(sql);
    Statement& stmt = *prepared;
    if (!stmt.bind(params))
        fail(QStringLiteral("値の数が合いません。"), sql);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        failEngine(sql);
    return sqlite3_changes(m_db);
}

void Database::execRaw(const QString& sql)
{
    if (m_server) {
        m_server->run(sql);
        return;
    }
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString why = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        failEngine(sql, why);
    }
}

qint64 Database::insert(const QString& table, const Fields& fields)
{
    if (m_server)
        return insertOnServer(table, fields);
    // The INSERT of a table and field list is built once: a bulk write
    // adds the same fields row after row.
    QString key = table;
    QVariantList values;
    values.reserve(fields.size());
    for (const auto& [name, value] : fields) {
        key += u'\x1f';
        key += name;
        values << value;
    }
    auto it = m_insertSql.constFind(key);
    if (it == m_insertSql.constEnd()) {
        QStringList names, marks;
        for (const auto& field : fields) {
            const QString name = quoted(resolvedName(field.first));
            if (names.contains(name))
                fail(QStringLiteral("「%1」が二度指定されています。").arg(field.first));
            names << name;
            marks << QStringLiteral("?");
        }
        QString sql = QStringLiteral("INSERT INTO %1").arg(quoted(resolvedName(table)));
        sql += names.isEmpty()
                   ? QStringLiteral(" DEFAULT VALUES")
                   : QStringLiteral(" (%1) VALUES (%2)").arg(names.join(u','), marks.join(u','));
        if (m_insertSql.size() > 64)
            m_insertSql.clear();
        it = m_insertSql.insert(key, sql);
    }
    exec(*it, values);
    return sqlite3_last_insert_rowid(m_db);
}

BulkInsert::BulkInsert(Database& db, const QString& table, const QStringList& fields)
    : m_db(&db), m_exceptionsAtStart(std::uncaught_exceptions())
{
    if (db.isServer()) {
        m_batch = db.batchOnServer(table, fields);
        return;
    }
    QStringList names, marks;
    for (const QString& field : fields) {
        names << quoted(db.resolvedName(field));
        marks << QStringLiteral("?");
    }
    m_sql = QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                .arg(quoted(db.resolvedName(table)), names.join(u','), marks.join(u','));
    m_stmt = db.prepare(m_sql);
}

BulkInsert::~BulkInsert()
{
    // Unwinding, the transaction is rolled back anyway.
    if (!m_batch || std::uncaught_exceptions() != m_exceptionsAtStart)
        return;
    try {
        m_batch->flush();
    } catch (const Failure& e) {
        // Said when the transaction tries to commit.
        if (!m_db->m_unreportedFailure)
            m_db->m_unreportedFailure = e;
    }
}

void BulkInsert::finish()
{
    if (m_batch)
        m_batch->flush();
}

qint64 BulkInsert::add(const QVariantList& values)
{
    if (m_batch) {
        const qint64 key = m_batch->startRow();
        for (const QVariant& v : values)
            m_batch->row().add(v);
        m_batch->endRow();
        return key;
    }
    sqlite3_stmt* stmt = m_stmt->get();
    sqlite3_reset(stmt);
    if (!m_stmt->bind(values))
        m_db->fail(QStringLiteral("値の数が合いません。"), m_sql);
    if (sqlite3_step(stmt) != SQLITE_DONE)
        m_db->failEngine(m_sql);
    return sqlite3_last_insert_rowid(m_db->m_db);
}

qint64 BulkInsert::add(std::span<const Value> values)
{
    if (m_batch) {
        const qint64 key = m_batch->startRow();
        for (const Value& v : values) {
            if (v.isText)
                m_batch->row().add(v.text);
            else
                m_batch->row().add(v.number);
        }
        m_batch->endRow();
        return key;
    }
    sqlite3_stmt* stmt = m_stmt->get();
    sqlite3_reset(stmt);
    if (qsizetype(values.size()) != sqlite3_bind_parameter_count(stmt))
        m_db->fail(QStringLiteral("値の数が合いません。"), m_sql);
    for (size_t i = 0; i < values.size(); ++i) {
        const Value& v = values[i];
        const int at = int(i) + 1;
        // The text stays where it is until the row is added.
        const int rc = v.isText ? sqlite3_bind_text(stmt, at, v.text.empty() ? "" : v.text.data(),
                                                    int(v.text.size()), SQLITE_STATIC)
                                : sqlite3_bind_int64(stmt, at, v.number);
        if (rc != SQLITE_OK)
            m_db->failEngine(m_sql);
    }
    if (sqlite3_step(stmt) != SQLITE_DONE) {
        const QString why = errorText(m_db->m_db);
        sqlite3_reset(stmt);
        m_db->failEngine(m_sql, why);
    }
    sqlite3_reset(stmt); // no binding outlives its text
    return sqlite3_last_insert_rowid(m_db->m_db);
}

int Database::holdRows(const QString& table, const QString& condition, Hold hold)
{
    const QString sql = u"SELECT COUNT(*) FROM ["_qs + table + u"] WHERE "_qs + condition;
    if (!m_server)
        return int(scalar(sql));
    return holdRowsOnServer(table, condition, hold);
}

int Database::update(const QString& table, const Fields& fields, const QString& condition)
{
    if (fields.isEmpty())
        return 0;
    QStringList sets;
    QVariantList values;
    // Names in brackets: the statement is Jet SQL like any other, read the
    // same way by the files' translator and the server's.
    for (const auto& [name, value] : fields) {
        sets << u'[' + resolvedName(name) + u"] = ?"_qs;
        values << value;
    }
    return exec(QStringLiteral("UPDATE [%1] SET %2 WHERE %3")
                    .arg(resolvedName(table), sets.join(u','), condition),
                values);
}

int Database::remove(const QString& table, const QString& condition)
{
    return exec(QStringLiteral("DELETE FROM [%1] WHERE %2").arg(resolvedName(table), condition));
}

void Database::forEachTextRow(const QString& sql, const QStringList& fields,
                              const std::function<void(const TextCells&)>& visit,
                              const QVariantList& params)
{
    if (m_server) {
        forEachTextRowOnServer(sql, fields, visit, params);
        return;
    }
    const std::unique_ptr<Statement> prepared = prepare(sql);
    Statement& stmt = *prepared;
    if (!stmt.bind(params))
        fail(QStringLiteral("値の数が合いません。"), sql);
    // The columns are found once; each cell goes from the row straight to
    // the visitor.
    const Columns columns(stmt.columnNames());
    std::vector<int> at;
    at.reserve(size_t(fields.size()));
    for (const QString& f : fields)
        at.push_back(columns.indexOf(f));
    const qsizetype cellCount = qsizetype(at.size());
    TextCells cells(cellCount);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
        // Each cell is asked for once: its text first, then its length.
        for (qsizetype k = 0; k < cellCount; ++k) {
            const int c = at[size_t(k)];
            const auto* text =
                c < 0 ? nullptr : reinterpret_cast<const char*>(sqlite3_column_text(stmt.get(), c));
            cells[k] = text ? std::string_view(text, size_t(sqlite3_column_bytes(stmt.get(), c)))
                            : std::string_view();
        }
        visit(cells);
    }
    if (rc != SQLITE_DONE)
        failEngine(sql);
}

ListRows Database::textRows(const QString& sql, const QStringList& fields,
                            const QVariantList& params)
{
    ListRows rows;
    forEachTextRow(
        sql, fields,
        [&rows](const TextCells& cells) {
            qsizetype bytes = 0;
            for (const std::string_view& c : cells)
                bytes += qsizetype(c.size());
            TextRow row;
            row.reserve(cells.size(), bytes);
            for (const std::string_view& c : cells)
                row.appendUtf8(c.empty() ? "" : c.data(), qsizetype(c.size()));
            rows.push_back(std::move(row));
        },
        params);
    return rows;
}

qint64 Database::scalar(const QString& sql, const QVariantList& params)
{
    const ResultSet result = query(sql, params);
    return result.isEmpty() ? 0 : result.first().value(0).toLongLong();
}

bool isKeyText(const QString& key)
{
    if (key.isEmpty() || key.size() > 18)
        return false;
    for (QChar c : key)
        if (c < u'0' || c > u'9')
            return false;
    return true;
}

const QString& checkedKey(const QString& key)
{
    if (!isKeyText(key))
        throw Failure(QStringLiteral("記録の番号が正しくありません: %1").arg(key));
    return key;
}

QString keyCondition(const QString& field, const QString& key)
{
    return field + u" ="_qs + checkedKey(key);
}

bool Database::inTransaction() const
{
    if (m_server)
        return m_server->inTransaction();
    return m_db && !sqlite3_get_autocommit(m_db);
}

} // namespace horunea
