#pragma once

#include "store/DatabaseKind.h"
#include "store/Engine.h"

#include <QHash>

#include <optional>

namespace horunea {

class ServerAddress;
class ServerConnection;
class ServerRows;
struct KeptServerStatement;
struct ServerTables;

// The tables of one schema of the shop's PostgreSQL server: the
// connection, each Jet statement translated once and kept, rows added in
// batches, rows held with FOR UPDATE or FOR SHARE, and a COMMIT the
// server answers with ROLLBACK told as the failure it is.
class ServerEngine final : public Engine
{
public:
    static std::unique_ptr<ServerEngine> open(const ServerAddress& address, const QString& schema,
                                              DatabaseKind kind);
    ~ServerEngine() override;

    void refreshNames() override;
    QString translate(const QString& jetSql) const override;
    void forEachRow(const QString& sql, const QVariantList& params,
                    const std::function<void(const Row&)>& visit,
                    QStringList* columnNames) override;
    void forEachTextRow(const QString& sql, const QStringList& fields,
                        const std::function<void(const TextCells&)>& visit,
                        const QVariantList& params) override;
    int exec(const QString& sql, const QVariantList& params) override;
    void execRaw(const QString& sql) override;
    qint64 insert(const QString& table, const Fields& fields) override;
    std::unique_ptr<BulkWriter> bulkWriter(const QString& table,
                                           const QStringList& fields) override;
    int holdRows(const QString& table, const QString& condition, Hold hold) override;
    bool inTransaction() const override;
    void begin() override;
    void beginRead() override;
    void endRead() override;
    void commit(const QString& savepoint) override;
    void rollback(const QString& savepoint) override;
    ServerConnection* serverConnection() const override { return m_server.get(); }
    bool tellsOfOtherPcs() const override { return true; }

    // A write of the open transaction that failed where it could not throw
    // (rows a bulk writer sent as it closed): the transaction must not commit.
    void keepUnreportedFailure(const Failure& failure);

private:
    ServerEngine() = default;
    ServerRows run(const QString& jetSql, const QVariantList& params,
                   KeptServerStatement** kept = nullptr);
    // The fields as the schema names them; a field named twice is refused.
    QStringList fieldNames(const QStringList& fields) const;
    void throwUnreportedFailure() const;

    std::unique_ptr<ServerConnection> m_server;
    std::unique_ptr<ServerTables> m_tablesOfKind;
    // Jet statements as translated for the server, each done once.
    std::unique_ptr<QHash<QString, KeptServerStatement>> m_kept;
    QString m_schema;
    std::optional<Failure> m_unreportedFailure;
};

} // namespace horunea
