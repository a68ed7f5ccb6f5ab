#pragma once

#include "store/Schema.h"
#include "store/server/ServerDialect.h"

#include <QString>
#include <QStringList>

namespace horunea {

class ServerConnection;

// The schema of the master tables on the server; each account's tables live
// in a schema named from its number (kelvo_12, care_3), so that renaming an
// account changes only its master row.
QString serverMasterSchema();
// The channel the server tells an account's changes on ("horunea_kelvo_12"):
// each committed statement that changed a table of the schema notifies it,
// with the table's name.
QString serverChangeChannel(const QString& schema);
QString serverAccountSchema(DatabaseKind kind, qint64 accountNumber);
// The shop's template of a kind on the server (kelvo.mdb, care.mdb of the
// files): "kelvo_0", "care_0", numbers no account has. New accounts are made
// from it, and it moves, exports and backs up with the shop.
QString serverTemplateSchema(DatabaseKind kind);

// The statements that make a kind's tables in a schema of the server, from
// the same declaration as the files' tables: keys as identity columns
// (rising, never reused), text compared by character code as the files
// compare it, and the lists' indexes.
QStringList serverCreateStatements(DatabaseKind kind, const QString& schema);

// Where the windows of each PC say that they have an account open, one row
// a window, seen again every PresenceBeatSeconds while it is connected; a
// row seen within PresenceGraceSeconds keeps the account from being
// renamed, deleted, compacted, restored or imported into, also while that
// PC's connection is lost and until it is made again.
QString serverPresenceTable();
QString serverPresenceCreateStatement();
constexpr int PresenceBeatSeconds = 10;
constexpr int PresenceGraceSeconds = 60;

// The clerks' role of the shop's database, "<database>_clerks": a role
// without login whose members (each PC's login role) read and write the
// accounts' rows and nothing more. They cannot make or drop a schema, read a
// password, or do what the administrator's role does (init, import, adding,
// renaming and deleting accounts, compaction, restore). Every schema made
// grants the role its rows, when the role exists.
QString serverClerksRoleExpression(); // SQL giving the role's name
// Makes the clerks' role when it is missing; its name, or empty when the
// connection's role may not make roles (it then has no clerks).
QString ensureServerClerksRole(ServerConnection& server);

// The server's password checks, which the clerks may call but not read
// around: account_password_ok(kind, number, typed) for an account ("customer"
// or "repair") and administrator_ok(name, typed), each true or false.
QString serverAccountPasswordCheck();
QString serverAdministratorCheck();
// True when the server has the checks (a server made before them has not;
// its only role reads the passwords itself).
bool serverHasPasswordChecks(ServerConnection& server);

// Makes the schema with its tables and the shipped rows, all or nothing.
void createServerSchema(ServerConnection& server, DatabaseKind kind, const QString& schema);
// Makes an account's schema with the rows of the shop's template of its kind
// when the server has one (keys and all, as a file copied from kelvo.mdb or
// care.mdb), else with the shipped rows.
void createServerAccountSchema(ServerConnection& server, DatabaseKind kind, const QString& schema);

// Adds a row to a table of the schema the connection works in; returns its
// key (the table's first column).
qint64 insertServerRow(ServerConnection& server, const QString& table, const Fields& fields);

// Each table's key and the indexed columns of a kind: how the server breaks
// the ties of a sorted list as the files do.
ServerTables serverTables(DatabaseKind kind);

// The names of a kind's tables and fields: what a Jet statement's names are
// resolved against on the server.
NameMap serverNames(DatabaseKind kind);

} // namespace horunea
