#pragma once

#include <QString>

#include <functional>

namespace horunea {

class ServerAddress;

// What a long move says as it goes: a line for each piece it starts.
using MoveProgress = std::function<void(const QString& text)>;

// A shop's data moved between a file data folder and the server: the master
// tables (管理者, 使用者, 修理) in the master schema, each account's tables in
// the schema named from its number, every row with its key and password as
// it was, and the keys to come where the files would give them.

// Makes the master schema with its shipped rows (the first administrator)
// and the folded search's function on a database that has no data of ours.
// All or nothing; refused when the master schema is there. Makes the
// clerks' role too when it is missing and may be made: returns its name, or
// empty when the connection's role may not make roles.
QString InitServer(const ServerAddress& address);

// Copies main.mdb and every account's file of the folder into a database
// that has no data of ours, in one transaction: when anything fails (a file
// missing or unreadable, the connection lost) the server keeps nothing.
// Returns how many accounts were copied.
int ImportFolderToServer(const ServerAddress& address, const QString& folder,
                         const MoveProgress& progress = {});

// Puts a file data folder in place of the server's data, in one
// transaction: what the server held goes, the folder's shop comes, or
// nothing changes. Refused while anyone works on an account of the server.
int ReplaceServerData(const ServerAddress& address, const QString& folder,
                      const MoveProgress& progress = {});

// Writes the server's data as a new file data folder that the file store
// opens: main.mdb, the two templates and every account's file. The folder
// must not exist or be empty; on failure nothing is left in it.
int ExportServerToFolder(const ServerAddress& address, const QString& folder,
                         const MoveProgress& progress = {});

} // namespace horunea
