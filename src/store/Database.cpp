#include "store/Database.h"

#include "store/Schema.h"
#include "store/server/ServerEngine.h"
#include "store/sqlcipher/SqlCipherEngine.h"

#include <memory>
#include <string_view>

namespace horunea {

const QString& Database::password()
{
    static const QString key = QStringLiteral("pelmaro_sitaku_wen");
    return key;
}

Database::Database() = default;

Database::Database(std::unique_ptr<Engine> engine, QString path)
    : m_engine(std::move(engine)), m_path(std::move(path))
{}

Database::Database(Database&& other) noexcept
    : m_engine(std::move(other.m_engine)), m_path(std::move(other.m_path)),
      m_savepoints(std::exchange(other.m_savepoints, 0))
{}

Database& Database::operator=(Database&& other) noexcept
{
    if (this != &other) {
        close();
        m_engine = std::move(other.m_engine);
        m_path = std::move(other.m_path);
        m_savepoints = std::exchange(other.m_savepoints, 0);
    }
    return *this;
}

Database::~Database() = default;

void Database::close()
{
    m_engine.reset();
}

Database Database::open(const QString& path)
{
    return openFile(path, AccountLock());
}

Database Database::openLocked(const QString& path, const QString& accountName,
                              AccountLock::Mode mode)
{
    AccountLock lock(path, accountName, mode);
    return openFile(path, std::move(lock));
}

Database Database::openFile(const QString& path, AccountLock lock)
{
    std::unique_ptr<SqlCipherEngine> engine = SqlCipherEngine::open(path, password());
    engine->holdLock(std::move(lock));
    Database db(std::move(engine), path);
    // A file made before the indexes gets them now; one that cannot be
    // written to is read without them.
    try {
        createIndexes(db);
    } catch (const Failure&) {
    }
    return db;
}

Database Database::createNew(const QString& path)
{
    return Database(SqlCipherEngine::create(path, password()), path);
}

Database Database::openServer(const ServerAddress& address, const QString& schema,
                              DatabaseKind kind)
{
    std::unique_ptr<ServerEngine> engine = ServerEngine::open(address, schema, kind);
    QString location = engine->location();
    return Database(std::move(engine), std::move(location));
}

Engine& Database::engine() const
{
    if (!m_engine)
        throw Failure(u"データベースの処理に失敗しました: データベースが開かれていません。"_qs);
    return *m_engine;
}

ServerConnection* Database::serverConnection() const
{
    return m_engine ? m_engine->serverConnection() : nullptr;
}

void Database::refreshNames()
{
    engine().refreshNames();
}

QStringList Database::tableNames() const
{
    return m_engine ? m_engine->tables() : QStringList();
}

QString Database::translate(const QString& jetSql) const
{
    return engine().translate(jetSql);
}

void Database::forEachRow(const QString& sql, const QVariantList& params,
                          const std::function<void(const Row&)>& visit, QStringList* columnNames)
{
    engine().forEachRow(sql, params, visit, columnNames);
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
    return engine().exec(sql, params);
}

void Database::execRaw(const QString& sql)
{
    engine().execRaw(sql);
}

qint64 Database::insert(const QString& table, const Fields& fields)
{
    return engine().insert(table, fields);
}

BulkInsert::BulkInsert(Database& db, const QString& table, const QStringList& fields)
    : m_writer(db.engine().bulkWriter(table, fields)),
      m_exceptionsAtStart(std::uncaught_exceptions())
{}

BulkInsert::~BulkInsert()
{
    // Unwinding, the transaction is rolled back anyway.
    if (std::uncaught_exceptions() == m_exceptionsAtStart)
        m_writer->close();
}

void BulkInsert::finish()
{
    m_writer->finish();
}

qint64 BulkInsert::add(const QVariantList& values)
{
    return m_writer->add(values);
}

qint64 BulkInsert::add(std::span<const Value> values)
{
    return m_writer->add(values);
}

int Database::holdRows(const QString& table, const QString& condition, Hold hold)
{
    return engine().holdRows(table, condition, hold);
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
        sets << u'[' + engine().resolvedName(name) + u"] = ?"_qs;
        values << value;
    }
    return exec(QStringLiteral("UPDATE [%1] SET %2 WHERE %3")
                    .arg(engine().resolvedName(table), sets.join(u','), condition),
                values);
}

int Database::remove(const QString& table, const QString& condition)
{
    return exec(
        QStringLiteral("DELETE FROM [%1] WHERE %2").arg(engine().resolvedName(table), condition));
}

void Database::forEachTextRow(const QString& sql, const QStringList& fields,
                              const std::function<void(const TextCells&)>& visit,
                              const QVariantList& params)
{
    engine().forEachTextRow(sql, fields, visit, params);
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
    return m_engine && m_engine->inTransaction();
}

} // namespace horunea
