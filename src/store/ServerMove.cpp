#include "store/ServerMove.h"

#include "store/Accounts.h"
#include "store/Database.h"
#include "store/Schema.h"
#include "store/ShippedFiles.h"
#include "store/StagedFolder.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace horunea {

namespace {

void say(const MoveProgress& progress, const QString& text)
{
    if (progress)
        progress(text);
}

bool hasOurData(ServerConnection& server)
{
    return server.exec(u"SELECT 1 FROM pg_namespace WHERE nspname = $1"_qs, {serverMasterSchema()})
               .rowCount() > 0;
}

void refuseOurData(ServerConnection& server)
{
    if (hasOurData(server))
        throw Failure(u"サーバー「"_qs + server.displayName() +
                      u"」にはすでにホルネアのデータがあります。"_qs);
}

// Runs the work in one transaction of the server: nothing stays of it when
// it fails.
template <typename Work> auto inOneTransaction(ServerConnection& server, Work work)
{
    server.exec(u"BEGIN"_qs);
    try {
        auto result = work();
        server.exec(u"COMMIT"_qs);
        return result;
    } catch (...) {
        try {
            server.exec(u"ROLLBACK"_qs);
        } catch (const Failure&) {
            // The connection is gone, and the transaction with it.
        }
        throw;
    }
}

QString templateFileName(DatabaseKind kind)
{
    return kind == DatabaseKind::Repair ? u"care.mdb"_qs : u"kelvo.mdb"_qs;
}

bool hasSchema(const ServerAddress& address, const QString& schema)
{
    ServerConnection server = ServerConnection::open(address);
    return server.exec(u"SELECT 1 FROM pg_namespace WHERE nspname = $1"_qs, {schema}).rowCount() >
           0;
}

QString folderOf(AccountKind kind)
{
    return kind == AccountKind::Repair ? u"care"_qs : u"kelvo"_qs;
}

// The next key a file's table would give: what sqlite_sequence says, so
// that a key once given is never given again.
qint64 lastKeyOf(Database& file, const QString& table)
{
    const ResultSet seq = file.query(u"SELECT seq FROM sqlite_sequence WHERE name = ?"_qs, {table});
    return seq.isEmpty() ? 0 : seq.first().value(0).toLongLong();
}

// A refused COPY said for the user: which database (`what`), table, row (by
// its key) and field the server would not take, with the server's words.
Failure copyRefused(const Failure& e, const QString& what, const QString& table,
                    const QStringList& keys)
{
    // The server names the line of the piece and the column: "COPY 設定, line 1,
    // column 上: ...".
    static const QRegularExpression where(u"line (\\d+)(?:, column ([^:]+))?"_qs);
    const QRegularExpressionMatch m = where.match(e.detail());
    QString place = what + u"の「"_qs + table + u"」"_qs;
    if (m.hasMatch()) {
        const int line = m.captured(1).toInt();
        if (line >= 1 && line <= keys.size())
            place += u" (キー "_qs + keys[line - 1] + u')';
        if (!m.captured(2).isEmpty())
            place += u"の「"_qs + m.captured(2) + u"」"_qs;
    }
    return Failure(place + u"をサーバーに写せません。値を直してから、やり直してください。\n"_qs +
                       e.detail().section(u'\n', 0, 0),
                   e.detail());
}

// Every row of a kind's tables from a file into a schema of the server, with
// their keys, by COPY; each identity goes on after the last key the file
// gave. `what` names the file's database in a refusal ("使用者「営業一課」").
void copyToServer(Database& file, ServerConnection& server, DatabaseKind kind,
                  const QString& schema, const QString& what)
{
    // The rows go in pieces of this size.
    constexpr qsizetype PieceBytes = 8 << 20;
    ReadTransaction reading(file);
    for (const TableDef& table : tablesOf(kind)) {
        QStringList names;
        for (const ColumnDef& c : table.columns)
            names << quotedServerName(c.name);
        const QString target = quotedServerName(schema) + u'.' + quotedServerName(table.name);
        const QString copy =
            u"COPY "_qs + target + u" ("_qs + names.join(u',') + u") FROM STDIN"_qs;
        ServerCopyRows rows;
        QStringList keys; // of the piece's rows, for a refusal
        auto send = [&] {
            try {
                server.copyIn(copy, rows.rows());
            } catch (const Failure& e) {
                throw copyRefused(e, what, table.name, keys);
            }
            rows.clear();
            keys.clear();
        };
        std::vector<int> places; // of the table's columns in the file's rows
        file.forEachRow(u"SELECT * FROM ["_qs + table.name + u']', {}, [&](const Row& row) {
            if (places.empty()) {
                for (const ColumnDef& c : table.columns)
                    places.push_back(row.columns().indexOf(c.name));
            }
            for (const int at : places)
                rows.add(at < 0 ? QVariant() : row.value(at));
            rows.endRow();
            keys << (places.front() < 0 ? QString() : row.value(places.front()).toString());
            if (rows.rows().size() >= PieceBytes)
                send();
        });
        if (rows.rowCount() > 0)
            send();
        if (table.columns.first().type != ColumnType::Counter)
            continue;
        const qint64 last = lastKeyOf(file, table.name);
        server.exec(u"SELECT setval(pg_get_serial_sequence($1, $2), $3, $4)"_qs,
                    {target, table.keyName(), qMax<qint64>(last, 1), last > 0});
    }
}

// A schema's rows into a new file of the kind, with their keys; the file
// goes on after the last key the server gave.
void copyToFile(const ServerAddress& address, const QString& schema, DatabaseKind kind,
                const QString& path)
{
    Database from = Database::openServer(address, schema, kind);
    ReadTransaction reading(from);
    Database to = Database::createNew(path);
    Transaction writing(to);
    for (const TableDef& table : tablesOf(kind))
        to.execRaw(table.createStatement());
    to.refreshNames();
    for (const TableDef& table : tablesOf(kind)) {
        QStringList fields;
        for (const ColumnDef& c : table.columns)
            fields << c.name;
        BulkInsert insert(to, table.name, fields);
        from.forEachRow(u"SELECT * FROM ["_qs + table.name + u"] ORDER BY 1"_qs, {},
                        [&](const Row& row) {
                            QVariantList values;
                            for (const ColumnDef& c : table.columns)
                                values << row.value(c.name);
                            insert.add(values);
                        });
        if (table.columns.first().type != ColumnType::Counter)
            continue;
        // Null while the server has given no key yet.
        const qint64 key =
            from.scalar(u"SELECT pg_sequence_last_value(pg_get_serial_sequence(?, ?)::regclass)"_qs,
                        {QString(quotedServerName(schema) + u'.' + quotedServerName(table.name)),
                         table.keyName()});
        if (key > 0) {
            to.exec(u"DELETE FROM sqlite_sequence WHERE name = ?"_qs, {table.name});
            to.exec(u"INSERT INTO sqlite_sequence (name, seq) VALUES (?, ?)"_qs, {table.name, key});
        }
    }
    createIndexes(to);
    writing.commit();
}

} // namespace

QString InitServer(const ServerAddress& address)
{
    ServerConnection server = ServerConnection::open(address);
    refuseOurData(server);
    QString clerks;
    inOneTransaction(server, [&] {
        clerks = ensureServerClerksRole(server);
        createServerSchema(server, DatabaseKind::Master, serverMasterSchema());
        server.exec(serverFoldFunction(serverMasterSchema()));
        for (const DatabaseKind kind : {DatabaseKind::Customer, DatabaseKind::Repair})
            createServerSchema(server, kind, serverTemplateSchema(kind));
        return 0;
    });
    return clerks;
}

namespace {

// The folder's shop into the server's transaction that is open.
int importInto(ServerConnection& server, Database& master, const QDir& dir,
               const MoveProgress& progress)
{
    say(progress, u"main.mdb"_qs);
    ensureServerClerksRole(server);
    for (const QString& statement :
         serverCreateStatements(DatabaseKind::Master, serverMasterSchema()))
        server.exec(statement);
    server.exec(serverFoldFunction(serverMasterSchema()));
    copyToServer(master, server, DatabaseKind::Master, serverMasterSchema(), u"main.mdb "_qs);
    // The shop's templates: what its new accounts start from.
    for (const DatabaseKind kind : {DatabaseKind::Customer, DatabaseKind::Repair}) {
        const QString file = dir.filePath(templateFileName(kind));
        const QString schema = serverTemplateSchema(kind);
        if (!QFileInfo(file).isFile()) {
            createServerSchema(server, kind, schema);
            continue;
        }
        Database from = Database::open(file);
        for (const QString& statement : serverCreateStatements(kind, schema))
            server.exec(statement);
        copyToServer(from, server, kind, schema, templateFileName(kind) + u' ');
    }
    int accounts = 0;
    for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
        for (const Account& account : LoadAccounts(master, kind)) {
            const QString relative = folderOf(kind) + u'/' + account.name + u".mdb"_qs;
            say(progress, relative);
            const QString path = dir.filePath(relative);
            if (!QFileInfo(path).isFile())
                throw Failure(kindNoun(kind) + u"「"_qs + account.name +
                                  u"」のデータベースファイルがありません。"_qs,
                              QDir::toNativeSeparators(path));
            Database file = Database::open(path);
            const DatabaseKind databaseKind = databaseKindOf(kind);
            const QString schema =
                serverAccountSchema(databaseKind, checkedKey(account.number).toLongLong());
            for (const QString& statement : serverCreateStatements(databaseKind, schema))
                server.exec(statement);
            copyToServer(file, server, databaseKind, schema,
                         kindNoun(kind) + u"「"_qs + account.name + u"」"_qs);
            ++accounts;
        }
    }
    return accounts;
}

} // namespace

int ImportFolderToServer(const ServerAddress& address, const QString& folder,
                         const MoveProgress& progress)
{
    const QDir dir(folder);
    Database master = Database::open(dir.filePath(u"main.mdb"_qs));
    ServerConnection server = ServerConnection::open(address);
    refuseOurData(server);
    return inOneTransaction(server, [&] { return importInto(server, master, dir, progress); });
}

int ReplaceServerData(const ServerAddress& address, const QString& folder,
                      const MoveProgress& progress)
{
    const QDir dir(folder);
    Database master = Database::open(dir.filePath(u"main.mdb"_qs));
    ServerConnection server = ServerConnection::open(address);
    if (hasOurData(server)) {
        // Every account the server holds, taken for this connection alone.
        Database present =
            Database::openServer(address, serverMasterSchema(), DatabaseKind::Master);
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
            for (const Account& account : LoadAccounts(present, kind)) {
                const qint64 key = serverAccountLockKey(kind, account.number);
                if (server.exec(u"SELECT pg_try_advisory_lock($1::bigint)"_qs, {key}).text(0, 0) !=
                    u"t")
                    throw accountInUseOnServer(account.name);
                refuseWhilePresentOnServer(server, key, account.name);
            }
        }
    }
    return inOneTransaction(server, [&] {
        const ServerResult ours =
            server.exec(u"SELECT nspname FROM pg_namespace WHERE nspname = $1 OR nspname ~ "
                        u"'^(kelvo|care)_[0-9]+$'"_qs,
                        {serverMasterSchema()});
        for (int r = 0; r < ours.rowCount(); ++r)
            server.exec(u"DROP SCHEMA "_qs + quotedServerName(ours.text(r, 0)) + u" CASCADE"_qs);
        return importInto(server, master, dir, progress);
    });
}

int ExportServerToFolder(const ServerAddress& address, const QString& folder,
                         const MoveProgress& progress)
{
    const QDir destination(folder);
    if (destination.exists() && !destination.isEmpty())
        throw Failure(u"書き出し先のフォルダーが空ではありません。"_qs,
                      QDir::toNativeSeparators(folder));
    {
        ServerConnection server = ServerConnection::open(address);
        if (!hasOurData(server))
            throw Failure(u"サーバー「"_qs + server.displayName() +
                          u"」にはホルネアのデータがありません。"_qs);
    }
    // Written under a hidden name and named only when whole: a folder under
    // the destination's name is always a whole copy.
    StagedFolder staging(folder);
    const QDir dir(staging.path());
    if (!dir.mkpath(u"kelvo"_qs) || !dir.mkpath(u"care"_qs))
        throw Failure(u"書き出し先のフォルダーを作れません。"_qs, QDir::toNativeSeparators(folder));
    say(progress, u"main.mdb"_qs);
    const QString masterPath = dir.filePath(u"main.mdb"_qs);
    copyToFile(address, serverMasterSchema(), DatabaseKind::Master, masterPath);
    for (const DatabaseKind kind : {DatabaseKind::Customer, DatabaseKind::Repair}) {
        const QString path = dir.filePath(templateFileName(kind));
        if (hasSchema(address, serverTemplateSchema(kind)))
            copyToFile(address, serverTemplateSchema(kind), kind, path);
        else
            createDatabaseFile(path, kind);
    }
    int accounts = 0;
    {
        Database master = Database::open(masterPath);
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair}) {
            for (const Account& account : LoadAccounts(master, kind)) {
                const QString relative = folderOf(kind) + u'/' + account.name + u".mdb"_qs;
                say(progress, relative);
                const DatabaseKind databaseKind = databaseKindOf(kind);
                copyToFile(
                    address,
                    serverAccountSchema(databaseKind, checkedKey(account.number).toLongLong()),
                    databaseKind, dir.filePath(relative));
                ++accounts;
            }
        }
    }
    staging.publish();
    return accounts;
}

} // namespace horunea
