#pragma once

#include "store/AccountLock.h"
#include "store/DatabaseKind.h"
#include "store/Engine.h"
#include "store/Failure.h"
#include "store/ResultSet.h"
#include "store/TextRow.h"

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>
#include <memory>

namespace horunea {

// One open database: a keyed SQLCipher file of the data folder, or the
// tables of one schema of the shop's PostgreSQL server (openServer). Every
// statement is written in Jet SQL and translated for the engine before it
// is prepared; values are always bound, never spliced. The engine does the
// work (store/Engine.h); this face is the same for both.
class ServerAddress;
class ServerConnection;

class Database
{
public:
    // The database password every file of the system carries.
    static const QString& password();

    // Opens an existing file and checks the key at once. Throws Failure
    // when the file is missing, not a database, or not keyed with ours.
    static Database open(const QString& path);
    // Opens an account's file holding the account's lock (shared by those
    // who work on it, exclusive for who replaces or imports into it) until
    // it is closed. Throws Failure "「name」は使用中です。" when refused.
    static Database openLocked(const QString& path, const QString& accountName,
                               AccountLock::Mode mode = AccountLock::Mode::Shared);
    // Creates a new, empty keyed file; fails if the file exists.
    static Database createNew(const QString& path);
    // Opens the tables of one schema of the shop's server (the master
    // schema, or an account's), worked on in Jet SQL as a file is: the
    // statements are translated for the server, values bound, lists sorted
    // and searched as in the files.
    static Database openServer(const ServerAddress& address, const QString& schema,
                               DatabaseKind kind);

    Database();
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    bool isOpen() const { return m_engine != nullptr; }
    bool isServer() const { return serverConnection() != nullptr; }
    // The server connection the database works on; null for a file.
    ServerConnection* serverConnection() const;
    // Whether other PCs' changes to these tables are told (a watch follows
    // them), as the shop's server tells them.
    bool tellsOfOtherPcs() const { return m_engine && m_engine->tellsOfOtherPcs(); }
    // The file, or the server and schema ("server/schema").
    const QString& path() const { return m_path; }
    void close();

    // Reads the schema's table and field names again (after creating tables).
    void refreshNames();
    QString translate(const QString& jetSql) const;

    ResultSet query(const QString& sql, const QVariantList& params = {});
    // Streams the rows of a query without keeping them; for long lists.
    void forEachRow(const QString& sql, const QVariantList& params,
                    const std::function<void(const Row&)>& visit,
                    QStringList* columnNames = nullptr);
    // Runs a statement that returns no rows; returns the number of rows changed.
    int exec(const QString& sql, const QVariantList& params = {});
    // Runs SQL text exactly as given (no translation); for the store's own DDL.
    void execRaw(const QString& sql);

    // Adds a row; the store assigns the key. Returns the new key.
    qint64 insert(const QString& table, const Fields& fields);
    // Changes the rows meeting the Jet condition (for example "件名ID =12").
    // Returns how many rows were changed.
    int update(const QString& table, const Fields& fields, const QString& condition);
    // Deletes the rows meeting the Jet condition; returns how many went.
    int remove(const QString& table, const QString& condition);
    // Inside a transaction, holds the rows meeting the Jet condition until it
    // ends, against other connections that would change or delete them
    // (Update) or only delete them (Share); returns how many there are. On
    // a file the transaction holds the whole file already.
    using Hold = Engine::Hold;
    int holdRows(const QString& table, const QString& condition, Hold hold = Hold::Update);

    // The named fields of every row as text, in the order given (Null, or a
    // field the result lacks, as empty): what a list shows.
    ListRows textRows(const QString& sql, const QStringList& fields,
                      const QVariantList& params = {});
    // The same cells streamed: each row's named fields as the store holds
    // them, UTF-8, valid during the visit only; for the bulk paths.
    using TextCells = horunea::TextCells;
    void forEachTextRow(const QString& sql, const QStringList& fields,
                        const std::function<void(const TextCells&)>& visit,
                        const QVariantList& params = {});

    // The first column of the first row, as a number (0 for none or Null).
    qint64 scalar(const QString& sql, const QVariantList& params = {});

    QStringList tableNames() const;
    // True while a transaction is open on this connection.
    bool inTransaction() const;

private:
    Database(std::unique_ptr<Engine> engine, QString path);
    // A keyed file, holding the lock (none, or the account's) until closed.
    static Database openFile(const QString& path, AccountLock lock);
    // The engine; Failure when the database is closed.
    Engine& engine() const;

    std::unique_ptr<Engine> m_engine;
    QString m_path;
    int m_savepoints = 0;
    friend class Transaction;
    friend class ReadTransaction;
    friend class BulkInsert;
};

// Keys travel as text and are appended to SQL text after "="; only digits
// may be. Whether the text is such a key.
bool isKeyText(const QString& key);
// The key itself when it may go into SQL text; throws Failure otherwise.
const QString& checkedKey(const QString& key);
// field + " =" + key, or throws Failure for a key that is not one.
QString keyCondition(const QString& field, const QString& key);

} // namespace horunea

// What works on an open Database: its writers' transactions, its readers'
// view, its bulk path.
#include "store/BulkInsert.h"
#include "store/ReadTransaction.h"
#include "store/Transaction.h"
