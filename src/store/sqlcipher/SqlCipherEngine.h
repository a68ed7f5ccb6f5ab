#pragma once

#include "store/AccountLock.h"
#include "store/Engine.h"

#include <QHash>

struct sqlite3;

namespace horunea {

class Statement;
class StatementCache;

// A keyed SQLCipher file of the data folder: its connection, its cache of
// prepared statements, and the account's lock while it is open.
class SqlCipherEngine final : public Engine
{
public:
    // Opens an existing file and checks the key at once; Failure when the
    // file is missing, not a database, or not keyed with ours.
    static std::unique_ptr<SqlCipherEngine> open(const QString& path, const QString& key);
    // A new, empty keyed file; Failure if the file exists.
    static std::unique_ptr<SqlCipherEngine> create(const QString& path, const QString& key);
    ~SqlCipherEngine() override;

    // The lock is let go once the file is closed.
    void holdLock(AccountLock lock) { m_lock = std::move(lock); }

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

    // A failure the engine reported: a Japanese message by its error code,
    // the engine's text (or said) and the statement as the detail.
    [[noreturn]] void failEngine(const QString& sql, const QString& said = QString()) const;
    std::unique_ptr<Statement> prepare(const QString& sql);
    sqlite3* handle() const { return m_db; }

private:
    SqlCipherEngine(sqlite3* db, QString path);

    sqlite3* m_db = nullptr;
    std::unique_ptr<StatementCache> m_cache;
    QHash<QString, QString> m_insertSql; // table and fields → INSERT
    AccountLock m_lock;
};

} // namespace horunea
