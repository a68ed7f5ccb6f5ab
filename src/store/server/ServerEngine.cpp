// A schema of the shop's PostgreSQL server: the same operations as on a
// file, each Jet statement translated for the server (ServerDialect), the
// tables in one schema (ServerSchema).
#include "store/server/ServerEngine.h"

#include "store/server/ServerBatch.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"

namespace horunea {

namespace {

// A cell as the files' rows hold it: whole numbers as numbers, the rest as
// text, Null as a null value.
QVariant cellValue(const ServerRows& rows, int row, int column)
{
    if (rows.isNull(row, column))
        return {};
    const std::string_view cell = rows.cell(row, column);
    if (rows.isInteger(column))
        return QString::fromLatin1(cell.data(), qsizetype(cell.size())).toLongLong();
    return QString::fromUtf8(cell.data(), qsizetype(cell.size()));
}

// Rows sent to the server in batches: when a batch is full, when asked,
// and when the writer closes.
class ServerBulkWriter final : public BulkWriter
{
public:
    ServerBulkWriter(ServerEngine& engine, std::unique_ptr<ServerBatch> batch)
        : m_engine(engine), m_batch(std::move(batch))
    {}

    qint64 add(const QVariantList& values) override
    {
        const qint64 key = m_batch->startRow();
        for (const QVariant& v : values)
            m_batch->row().add(v);
        m_batch->endRow();
        return key;
    }

    qint64 add(std::span<const BulkValue> values) override
    {
        const qint64 key = m_batch->startRow();
        for (const BulkValue& v : values) {
            if (v.isText)
                m_batch->row().add(v.text);
            else
                m_batch->row().add(v.number);
        }
        m_batch->endRow();
        return key;
    }

    void finish() override { m_batch->flush(); }

    void close() override
    {
        try {
            m_batch->flush();
        } catch (const Failure& e) {
            // Said when the transaction tries to commit.
            m_engine.keepUnreportedFailure(e);
        }
    }

private:
    ServerEngine& m_engine;
    std::unique_ptr<ServerBatch> m_batch;
};

} // namespace

ServerEngine::~ServerEngine() = default;

std::unique_ptr<ServerEngine> ServerEngine::open(const ServerAddress& address,
                                                 const QString& schema, DatabaseKind kind)
{
    std::unique_ptr<ServerEngine> engine(new ServerEngine);
    engine->m_server = std::make_unique<ServerConnection>(ServerConnection::open(address));
    engine->m_schema = schema;
    engine->m_location = address.displayName() + u'/' + schema;
    const ServerResult present =
        engine->m_server->exec(u"SELECT 1 FROM pg_namespace WHERE nspname = $1"_qs, {schema});
    if (present.rowCount() == 0)
        throw Failure(u"サーバー「"_qs + address.displayName() + u"」にデータ「"_qs + schema +
                      u"」がありません。"_qs);
    // The account's tables first; the folded search's function from the
    // master schema.
    engine->m_server->keepForSession(u"SET search_path TO "_qs + quotedServerName(schema) +
                                     u", "_qs + quotedServerName(serverMasterSchema()));
    engine->m_tablesOfKind = std::make_unique<ServerTables>(serverTables(kind));
    engine->refreshNames();
    return engine;
}

void ServerEngine::refreshNames()
{
    const ServerResult columns = m_server->exec(
        u"SELECT c.relname, a.attname FROM pg_class c "
        u"JOIN pg_namespace n ON n.oid = c.relnamespace "
        u"JOIN pg_attribute a ON a.attrelid = c.oid AND a.attnum > 0 AND NOT a.attisdropped "
        u"WHERE n.nspname = $1 AND c.relkind = 'r' ORDER BY c.oid, a.attnum"_qs,
        {m_schema});
    QStringList names;
    m_tables.clear();
    for (int r = 0; r < columns.rowCount(); ++r) {
        const QString table = columns.text(r, 0);
        if (!m_tables.contains(table)) {
            m_tables << table;
            names << table;
        }
        names << columns.text(r, 1);
    }
    m_names = buildNameMap(names);
    m_kept = std::make_unique<QHash<QString, KeptServerStatement>>();
}

QString ServerEngine::translate(const QString& jetSql) const
{
    return translateJetSql(jetSql, m_names);
}

ServerRows ServerEngine::run(const QString& jetSql, const QVariantList& params,
                             KeptServerStatement** kept)
{
    throwUnreportedFailure();
    auto it = m_kept->find(jetSql);
    if (it == m_kept->end()) {
        // A list's statements come again and again; what is built on the
        // fly (a search, say) must not fill the memory.
        if (m_kept->size() > 256)
            m_kept->clear();
        it = m_kept->insert(jetSql,
                            {translateForServer(jetSql, m_names, m_tablesOfKind.get()), {}, {}});
    }
    const ServerStatement& statement = it->statement;
    if (kept)
        *kept = &*it;
    return m_server->run(statement.sql, serverParameterValues(statement, params));
}

void ServerEngine::forEachRow(const QString& sql, const QVariantList& params,
                              const std::function<void(const Row&)>& visit,
                              QStringList* columnNames)
{
    const ServerRows rows = run(sql, params);
    QStringList names;
    for (int c = 0; c < rows.columnCount(); ++c)
        names << rows.columnName(c);
    const Columns columns(names);
    if (columnNames)
        *columnNames = columns.names();
    QVariantList values;
    for (int r = 0; r < rows.rowCount(); ++r) {
        values.clear();
        for (int c = 0; c < columns.count(); ++c)
            values << cellValue(rows, r, c);
        visit(Row(&columns, &values));
    }
}

void ServerEngine::forEachTextRow(const QString& sql, const QStringList& fields,
                                  const std::function<void(const TextCells&)>& visit,
                                  const QVariantList& params)
{
    KeptServerStatement* kept = nullptr;
    const ServerRows rows = run(sql, params, &kept);
    if (kept->fields != fields || int(kept->places.size()) != fields.size()) {
        // Where the fields are in the result, found once for the list.
        QStringList names;
        for (int c = 0; c < rows.columnCount(); ++c)
            names << rows.columnName(c);
        const Columns columns(names);
        kept->places.clear();
        for (const QString& f : fields)
            kept->places.push_back(columns.indexOf(f));
        kept->fields = fields;
    }
    const std::vector<int>& at = kept->places;
    TextCells cells(qsizetype(at.size()));
    for (int r = 0; r < rows.rowCount(); ++r) {
        for (qsizetype k = 0; k < cells.size(); ++k) {
            const int c = at[size_t(k)];
            cells[k] = c < 0 || rows.isNull(r, c) ? std::string_view() : rows.cell(r, c);
        }
        visit(cells);
    }
}

int ServerEngine::exec(const QString& sql, const QVariantList& params)
{
    return run(sql, params).changed();
}

void ServerEngine::execRaw(const QString& sql)
{
    m_server->run(sql);
}

QStringList ServerEngine::fieldNames(const QStringList& fields) const
{
    QStringList names;
    for (const QString& field : fields) {
        const QString name = resolvedName(field);
        if (names.contains(name))
            fail(QStringLiteral("「%1」が二度指定されています。").arg(field));
        names << name;
    }
    return names;
}

qint64 ServerEngine::insert(const QString& table, const Fields& fields)
{
    throwUnreportedFailure();
    QStringList names;
    QVariantList values;
    for (const auto& [name, value] : fields) {
        names << name;
        values << value;
    }
    // The key is each table's first field.
    return m_server->run(serverInsertStatement(resolvedName(table), fieldNames(names)), values)
        .integer(0, 0);
}

std::unique_ptr<BulkWriter> ServerEngine::bulkWriter(const QString& table,
                                                     const QStringList& fields)
{
    throwUnreportedFailure();
    const QStringList names = fieldNames(fields);
    const QString name = resolvedName(table);
    // A caller that gives the key itself gets no key from the identity.
    QString key = m_tablesOfKind->keys.value(name);
    if (names.contains(key))
        key.clear();
    return std::make_unique<ServerBulkWriter>(
        *this,
        std::make_unique<ServerBatch>(
            *m_server, quotedServerName(m_schema) + u'.' + quotedServerName(name), key, names));
}

void ServerEngine::keepUnreportedFailure(const Failure& failure)
{
    if (!m_unreportedFailure)
        m_unreportedFailure = failure;
}

void ServerEngine::throwUnreportedFailure() const
{
    if (m_unreportedFailure) {
        const Failure failure = *m_unreportedFailure;
        throw failure;
    }
}

int ServerEngine::holdRows(const QString& table, const QString& condition, Hold hold)
{
    throwUnreportedFailure();
    // FOR UPDATE and FOR SHARE take no aggregate: the rows' keys are read.
    const QString jet = u"SELECT 1 FROM ["_qs + table + u"] WHERE "_qs + condition;
    const ServerStatement statement = translateForServer(jet, m_names);
    return m_server
        ->run(statement.sql + (hold == Hold::Update ? u" FOR UPDATE"_qs : u" FOR SHARE"_qs))
        .rowCount();
}

bool ServerEngine::inTransaction() const
{
    return m_server->inTransaction();
}

void ServerEngine::begin()
{
    execRaw(u"BEGIN"_qs);
}

void ServerEngine::beginRead()
{
    // One snapshot for every statement of the transaction, from now on.
    execRaw(u"BEGIN ISOLATION LEVEL REPEATABLE READ READ ONLY"_qs);
    execRaw(u"SELECT 1"_qs);
}

void ServerEngine::endRead()
{
    execRaw(u"COMMIT"_qs);
}

void ServerEngine::commit(const QString& savepoint)
{
    throwUnreportedFailure();
    if (!savepoint.isEmpty()) {
        m_server->run(u"RELEASE "_qs + savepoint);
        return;
    }
    // A transaction the server already ended as failed answers COMMIT with
    // ROLLBACK: nothing was written, and the caller must hear of it.
    if (m_server->run(u"COMMIT"_qs).command() == "ROLLBACK")
        throw Failure(u"サーバー「"_qs + m_server->displayName() +
                      u"」への書き込みが取り消されました。何も保存されていません。"_qs);
}

void ServerEngine::rollback(const QString& savepoint)
{
    m_unreportedFailure.reset();
    if (savepoint.isEmpty()) {
        m_server->run(u"ROLLBACK"_qs);
    } else {
        m_server->run(u"ROLLBACK TO "_qs + savepoint);
        m_server->run(u"RELEASE "_qs + savepoint);
    }
}

} // namespace horunea
