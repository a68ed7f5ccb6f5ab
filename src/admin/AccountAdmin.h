#pragma once

#include "store/Accounts.h"
#include "store/Compaction.h"

#include <QString>

#include <functional>

namespace horunea {

class Database;

// The administrator, the one row of 管理者.
struct AdministratorCredentials
{
    QString name;
    QString password; // empty for a Null password
};

// The name equals 管理者名 exactly (case counts, nothing trimmed) and the
// password equals パスワード, or is empty while パスワード is Null.
bool CheckAdministratorLogin(Database& master, const QString& name, const QString& password);
AdministratorCredentials LoadAdministrator(Database& master);
// Rewrites the row: an empty password stores Null. An empty name is refused
// ("管理者名は空白禁止です。") and nothing is written.
void SaveAdministrator(Database& master, const QString& name, const QString& password);

// The characters the name boxes drop as they are typed.
bool isRefusedNameCharacter(QChar c);

// The operations of the administrator menu. Each one is whole or not at all
// across the master row and the account's file: a refusal or failure throws
// Failure with the message to show, and master and files are as before.

// A new account: its row and a copy of the template under its name. Refused
// when the name is empty ("空白はいけません。"), already listed
// ("同じ名前が存在します。登録できません。"), cannot be a file name, or its file
// exists already.
void CreateAccount(Database& master, AccountKind kind, const QString& name,
                   const QString& password);

// Registers a file that is already in the account folder as an account
// (after a main.mdb was lost, say): the name passes the checks of
// CreateAccount except that its file must be there, and the file must be a
// sound database of the kind. Only the row is written.
void AttachAccount(Database& master, AccountKind kind, const QString& name,
                   const QString& password);

// Throws "旧パスワードが違います。" unless the old password is right.
void checkOldPassword(Database& master, AccountKind kind, const QString& number,
                      const QString& oldPassword);

// Renames the account (and its file) and sets its password: an empty new
// password removes it. The new name passes the checks of CreateAccount.
void ChangeAccount(Database& master, AccountKind kind, const QString& number,
                   const QString& newName, const QString& oldPassword, const QString& newPassword);

// Deletes the account's row and its file; a file already missing is no error.
// The old password must be right.
void RemoveAccount(Database& master, AccountKind kind, const QString& number,
                   const QString& oldPassword);

// Compacts an account's file (CompactCustomerDatabase / CompactRepairDatabase);
// needs no password. Throws Failure starting "最適化できませんでした。".
CompactionSizes CompactAccountDatabase(AccountKind kind, const QString& name);

// The file a backup that left files out carries, naming them.
inline const QString IncompleteBackupMark = QStringLiteral("不完全なバックアップ.txt");

// Puts a backup made by BackupDataFolder in the data folder's place. The
// backup is checked first and refused, naming what is wrong, with nothing
// touched: when it is marked incomplete, an account it lists has no file, or
// a file does not open or fails the engine's integrity check. Then every
// file of the backup is copied through a checked export into a hidden
// folder of the data folder first; then the current main.mdb, templates and
// account folders are moved aside under a dated name, the restored ones put
// in their place, and what was aside removed. Refused while the program runs
// on the folder or any account is in use; a crash in between is undone at
// the next start. progress as for a backup.
// byTheProgram: the running program restores from its administrator menu (it
// holds the instance lock itself, no data window is open, and it has closed
// main.mdb).
void RestoreDataFolder(const QString& backup,
                       const std::function<void(int, int, const QString&)>& progress = {},
                       bool byTheProgram = false);

// A consistent copy of the data folder in a new folder: main.mdb, the two
// templates and every account's file, each through a checked export. The
// folder is assembled under a hidden name beside it and appears only when
// complete; on failure nothing is left. progress is told before each file
// (its number from 1, the count, the file). A file other than main.mdb that
// cannot be copied (missing, in use, damaged) is left out; returns those
// left out, each as "kelvo/<name>.mdb: why", and the folder then carries
// IncompleteBackupMark listing them, so that no restore takes it for whole.
// On a server, the server's data as a file data folder (written the same
// way), which restores into either store.
QStringList BackupDataFolder(const QString& destination,
                             const std::function<void(int, int, const QString&)>& progress = {});

} // namespace horunea
