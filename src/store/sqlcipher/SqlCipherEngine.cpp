#include "store/sqlcipher/SqlCipherEngine.h"

#include "store/sqlcipher/Statement.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sqlcipher/sqlite3.h>

namespace horunea {

namespace {

sqlite3* openKeyed(const QString& path, const QString& key, int flags)
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
    const QByteArray pragma = "PRAGMA key = '" + key.toUtf8() + "';";
    sqlite3_exec(db, pragma.constData(), nullptr, nullptr, nullptr);
    // Another process writing the file is waited for a few seconds.
    sqlite3_busy_timeout(db, 5000);
    // Pages are decrypted as they are read; keeping up to 32 MB of them spares
    // a list that is filled again and again the decryption of its whole table.
    sqlite3_exec(db, "PRAGMA cache_size = -32768;", nullptr, nullptr, nullptr);
    registerJetFunctions(db);
    return db;
}

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

// Rows of one table added with one prepared INSERT.
class SqlCipherBulkWriter final : public BulkWriter
{
public:
    SqlCipherBulkWriter(SqlCipherEngine& engine, QString sql)
        : m_engine(engine), m_sql(std::move(sql)), m_stmt(engine.prepare(m_sql))
    {}

    qint64 add(const QVariantList& values) override
    {
        sqlite3_stmt* stmt = m_stmt->get();
        sqlite3_reset(stmt);
        if (!m_stmt->bind(values))
            Engine::failParameterCount(m_sql);
        if (sqlite3_step(stmt) != SQLITE_DONE)
            m_engine.failEngine(m_sql);
        return sqlite3_last_insert_rowid(m_engine.handle());
    }

    qint64 add(std::span<const BulkValue> values) override
    {
        sqlite3_stmt* stmt = m_stmt->get();
        sqlite3_reset(stmt);
        if (qsizetype(values.size()) != sqlite3_bind_parameter_count(stmt))
            Engine::failParameterCount(m_sql);
        for (size_t i = 0; i < values.size(); ++i) {
            const BulkValue& v = values[i];
            const int at = int(i) + 1;
            // The text stays where it is until the row is added.
            const int rc = v.isText
                               ? sqlite3_bind_text(stmt, at, v.text.empty() ? "" : v.text.data(),
                                                   int(v.text.size()), SQLITE_STATIC)
                               : sqlite3_bind_int64(stmt, at, v.number);
            if (rc != SQLITE_OK)
                m_engine.failEngine(m_sql);
        }
        if (sqlite3_step(stmt) != SQLITE_DONE) {
            const QString why = errorText(m_engine.handle());
            sqlite3_reset(stmt);
            m_engine.failEngine(m_sql, why);
        }
        sqlite3_reset(stmt); // no binding outlives its text
        return sqlite3_last_insert_rowid(m_engine.handle());
    }

    void finish() override {}

private:
    SqlCipherEngine& m_engine;
    QString m_sql;
    std::unique_ptr<Statement> m_stmt;
};

} // namespace

SqlCipherEngine::SqlCipherEngine(sqlite3* db, QString path)
    : m_db(db), m_cache(std::make_unique<StatementCache>())
{
    m_location = std::move(path);
}

SqlCipherEngine::~SqlCipherEngine()
{
    m_cache->clear();
    sqlite3_close_v2(m_db);
    m_lock.release(); // only once the file is closed
}

std::unique_ptr<SqlCipherEngine> SqlCipherEngine::open(const QString& path, const QString& key)
{
    if (!QFileInfo(path).isFile())
        throw Failure(QStringLiteral("データベースのファイルがありません。\n%1").arg(path));
    sqlite3* handle = openKeyed(path, key, SQLITE_OPEN_READWRITE);
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
    std::unique_ptr<SqlCipherEngine> engine(new SqlCipherEngine(handle, path));
    engine->refreshNames();
    return engine;
}

std::unique_ptr<SqlCipherEngine> SqlCipherEngine::create(const QString& path, const QString& key)
{
    if (QFileInfo::exists(path))
        throw Failure(QStringLiteral("ファイルがすでにあります。\n%1").arg(path));
    sqlite3* handle = openKeyed(path, key, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
    std::unique_ptr<SqlCipherEngine> engine(new SqlCipherEngine(handle, path));
    engine->refreshNames();
    return engine;
}

void SqlCipherEngine::failEngine(const QString& sql, const QString& said) const
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
    throw Failure(what + u'\n' + QDir::toNativeSeparators(m_location),
                  sql.isEmpty() ? engine : engine + u'\n' + sql);
}

void SqlCipherEngine::refreshNames()
{
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

QString SqlCipherEngine::translate(const QString& jetSql) const
{
    return translateJetSql(jetSql, m_names);
}

std::unique_ptr<Statement> SqlCipherEngine::prepare(const QString& sql)
{
    auto stmt = preparedStatement(m_db, *m_cache, sql, [&] { return translate(sql); });
    if (!stmt->ok())
        failEngine(sql);
    return stmt;
}

void SqlCipherEngine::forEachRow(const QString& sql, const QVariantList& params,
                                 const std::function<void(const Row&)>& visit,
                                 QStringList* columnNames)
{
    const std::unique_ptr<Statement> prepared = prepare(sql);
    Statement& stmt = *prepared;
    if (!stmt.bind(params))
        failParameterCount(sql);
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

void SqlCipherEngine::forEachTextRow(const QString& sql, const QStringList& fields,
                                     const std::function<void(const TextCells&)>& visit,
                                     const QVariantList& params)
{
    const std::unique_ptr<Statement> prepared = prepare(sql);
    Statement& stmt = *prepared;
    if (!stmt.bind(params))
        failParameterCount(sql);
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

int SqlCipherEngine::exec(const QString& sql, const QVariantList& params)
{
    const std::unique_ptr<Statement> prepared = prepare(sql);
    Statement& stmt = *prepared;
    if (!stmt.bind(params))
        failParameterCount(sql);
    int rc;
    while ((rc = sqlite3_step(stmt.get())) == SQLITE_ROW) {
    }
    if (rc != SQLITE_DONE)
        failEngine(sql);
    return sqlite3_changes(m_db);
}

void SqlCipherEngine::execRaw(const QString& sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        const QString why = QString::fromUtf8(message ? message : "");
        sqlite3_free(message);
        failEngine(sql, why);
    }
}

qint64 SqlCipherEngine::insert(const QString& table, const Fields& fields)
{
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

std::unique_ptr<BulkWriter> SqlCipherEngine::bulkWriter(const QString& table,
                                                        const QStringList& fields)
{
    QStringList names, marks;
    for (const QString& field : fields) {
        names << quoted(resolvedName(field));
        marks << QStringLiteral("?");
    }
    return std::make_unique<SqlCipherBulkWriter>(
        *this, QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)")
                   .arg(quoted(resolvedName(table)), names.join(u','), marks.join(u',')));
}

int SqlCipherEngine::holdRows(const QString& table, const QString& condition, Hold)
{
    // The transaction holds the whole file already.
    const QString sql = u"SELECT COUNT(*) FROM ["_qs + table + u"] WHERE "_qs + condition;
    int count = 0;
    forEachRow(
        sql, {}, [&count](const Row& row) { count = row.value(0).toInt(); }, nullptr);
    return count;
}

bool SqlCipherEngine::inTransaction() const
{
    return !sqlite3_get_autocommit(m_db);
}

void SqlCipherEngine::begin()
{
    execRaw(QStringLiteral("BEGIN IMMEDIATE"));
}

void SqlCipherEngine::beginRead()
{
    execRaw(QStringLiteral("BEGIN DEFERRED"));
    // The view starts now, not at the first read of the caller.
    execRaw(QStringLiteral("SELECT count(*) FROM sqlite_master"));
}

void SqlCipherEngine::endRead()
{
    execRaw(QStringLiteral("COMMIT"));
}

void SqlCipherEngine::commit(const QString& savepoint)
{
    execRaw(savepoint.isEmpty() ? QStringLiteral("COMMIT") : u"RELEASE "_qs + savepoint);
}

void SqlCipherEngine::rollback(const QString& savepoint)
{
    if (savepoint.isEmpty()) {
        execRaw(QStringLiteral("ROLLBACK"));
    } else {
        execRaw(u"ROLLBACK TO "_qs + savepoint);
        execRaw(u"RELEASE "_qs + savepoint);
    }
}

} // namespace horunea
