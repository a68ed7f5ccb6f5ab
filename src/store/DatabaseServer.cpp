// Database on the shop's PostgreSQL server: the same operations as on a
// file, each Jet statement translated for the server (ServerDialect), the
// tables in one schema (ServerSchema).
#include "store/Database.h"

#include "store/ServerBatch.h"
#include "store/ServerConnection.h"
#include "store/ServerDialect.h"
#include "store/ServerSchema.h"
#include "store/Statement.h"

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

} // namespace

Database Database::openServer(const ServerAddress& address, const QString& schema,
                              DatabaseKind kind)
{
    Database db;
    db.m_server = std::make_unique<ServerConnection>(ServerConnection::open(address));
    db.m_schema = schema;
    db.m_path = address.displayName() + u'/' + schema;
    const ServerResult present =
        db.m_server->exec(u"SELECT 1 FROM pg_namespace WHERE nspname = $1"_qs, {schema});
    if (present.rowCount() == 0)
        throw Failure(u"サーバー「"_qs + address.displayName() + u"」にデータ「"_qs + schema +
                      u"」がありません。"_qs);
    // The account's tables first; the folded search's function from the
    // master schema.
    db.m_server->keepForSession(u"SET search_path TO "_qs + quotedServerName(schema) + u", "_qs +
                                quotedServerName(serverMasterSchema()));
    db.m_serverTables = std::make_unique<ServerTables>(serverTables(kind));
    db.refreshNamesOnServer();
    return db;
}

void Database::refreshNamesOnServer()
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
    m_serverSql = std::make_unique<QHash<QString, KeptServerStatement>>();
}

ServerRows Database::runOnServer(const QString& jetSql, const QVariantList& params,
                                 KeptServerStatement** kept)
{
    throwUnreportedFailure();
    auto it = m_serverSql->find(jetSql);
    if (it == m_serverSql->end()) {
        // A list's statements come again and again; what is built on the
        // fly (a search, say) must not fill the memory.
        if (m_serverSql->size() > 256)
            m_serverSql->clear();
        it = m_serverSql->insert(
            jetSql, {translateForServer(jetSql, m_names, m_serverTables.get()), {}, {}});
    }
    const ServerStatement& statement = it->statement;
    if (kept)
        *kept = &*it;
    return m_server->run(statement.sql, serverParameterValues(statement, params));
}

void Database::forEachRowOnServer(const QString& sql, const QVariantList& params,
                                  const std::function<void(const Row&)>& visit,
                                  QStringList* columnNames)
{
    const ServerRows rows = runOnServer(sql, params);
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

void Database::forEachTextRowOnServer(const QString& sql, const QStringList& fields,
                                      const std::function<void(const TextCells&)>& visit,
                                      const QVariantList& params)
{
    KeptServerStatement* kept = nullptr;
    const ServerRows rows = runOnServer(sql, params, &kept);
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

QStringList Database::fieldNamesOnServer(const QStringList& fields) const
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

QString Database::insertSqlOnServer(const QString& table, const QStringList& fields) const
{
    return serverInsertStatement(resolvedName(table), fieldNamesOnServer(fields));
}

std::unique_ptr<ServerBatch> Database::batchOnServer(const QString& table,
                                                     const QStringList& fields)
{
    throwUnreportedFailure();
    const QStringList names = fieldNamesOnServer(fields);
    const QString name = resolvedName(table);
    // A caller that gives the key itself gets no key from the identity.
    QString key = m_serverTables->keys.value(name);
    if (names.contains(key))
        key.clear();
    return std::make_unique<ServerBatch>(
        *m_server, quotedServerName(m_schema) + u'.' + quotedServerName(name), key, names);
}

void Database::throwUnreportedFailure() const
{
    if (m_unreportedFailure) {
        const Failure failure = *m_unreportedFailure;
        throw failure;
    }
}

int Database::holdRowsOnServer(const QString& table, const QString& condition, Hold hold)
{
    throwUnreportedFailure();
    // FOR UPDATE and FOR SHARE take no aggregate: the rows' keys are read.
    const QString jet = u"SELECT 1 FROM ["_qs + table + u"] WHERE "_qs + condition;
    const ServerStatement statement = translateForServer(jet, m_names);
    return m_server
        ->run(statement.sql + (hold == Hold::Update ? u" FOR UPDATE"_qs : u" FOR SHARE"_qs))
        .rowCount();
}

void Database::commitOnServer(const QString& savepoint)
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

void Database::rollbackOnServer(const QString& savepoint)
{
    m_unreportedFailure.reset();
    if (savepoint.isEmpty()) {
        m_server->run(u"ROLLBACK"_qs);
    } else {
        m_server->run(u"ROLLBACK TO "_qs + savepoint);
        m_server->run(u"RELEASE "_qs + savepoint);
    }
}

qint64 Database::insertOnServer(const QString& table, const Fields& fields)
{
    throwUnreportedFailure();
    QStringList names;
    QVariantList values;
    for (const auto& [name, value] : fields) {
        names << name;
        values << value;
    }
    // The key is each table's first field.
    return m_server->run(insertSqlOnServer(table, names), values).integer(0, 0);
}

} // namespace horunea
