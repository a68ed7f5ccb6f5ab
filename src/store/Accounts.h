#pragma once

#include "store/AccountLock.h"
#include "store/Database.h"

#include <QList>
#include <QString>

namespace horunea {

enum class DatabaseKind;

// The two kinds of account main.mdb lists: an operator (使用者), whose
// customer data lives in kelvo/, and a repair account (修理), whose repair
// data lives in care/.
enum class AccountKind { Operator, Repair };

DatabaseKind databaseKindOf(AccountKind kind);
// "customer" or "repair": the word of the command line and of the record of
// an unfinished account operation.
QString kindWord(AccountKind kind);
// "使用者" or "修理アカウント": how messages name an account of the kind.
QString kindNoun(AccountKind kind);

// One account as the menus list it: its number, its name and its stored
// password (Null for none).
struct Account
{
    QString number;
    QString name;
    QVariant password = QVariant();
};

// Where main.mdb lists accounts of a kind: 使用者 (使用者No, 使用者名) or
// 修理 (修理No, 修理名).
struct AccountTable
{
    QString table, key, nameField;
};
const AccountTable& accountTableOf(AccountKind kind);

// Whether the connection may read the passwords of a master table (管理者,
// 使用者, 修理). The server's clerks may not: the server checks their
// passwords (CheckAccountPassword, CheckAdministratorLogin).
bool MayReadPasswords(Database& master, const QString& table);

// The accounts of 使用者 / 修理, in the order returned; the password only
// where MayReadPasswords, else Null.
QList<Account> LoadAccounts(Database& master, AccountKind kind);

// An account is found by its name (the command line, the import window) or
// by its number (the menus). Throws Failure with unknownAccountMessage
// when main.mdb lists no such account.
enum class FindBy { Name, Number };
Account FindAccount(Database& master, AccountKind kind, FindBy by, const QString& key);
// The one message for an account main.mdb does not list:
// "使用者「営業一課」はありません。".
QString unknownAccountMessage(AccountKind kind, const QString& key);

// The one place an account becomes a file: "<data>/kelvo/<name>.mdb" or
// "<data>/care/<name>.mdb". Throws Failure when the name can be no file
// name, or would share its file with another by letter case alone;
// renamedFrom is the account's present name during a rename.
QString accountFilePath(AccountKind kind, const QString& name,
                        const QString& renamedFrom = QString());
// The folder of the accounts' files: kelvo or care.
QString accountFolder(AccountKind kind);
// The account's file when it is there; empty when the name can be no file
// name or the file is gone.
QString presentAccountFile(AccountKind kind, const QString& name);
// The account's file when it is there; throws Failure
// ("使用者「X」のデータベースファイルがありません。") when it is not.
QString existingAccountFile(AccountKind kind, const QString& name);

// Exact comparison: case counts, nothing trimmed; an empty typed password
// matches a stored Null or empty password only.
bool PasswordMatches(const QString& typed, const QVariant& stored);
bool CheckAccountPassword(Database& master, AccountKind kind, const QString& number,
                          const QString& typed);

// Opens an account's file holding the account's lock in mode until the
// database is closed; throws Failure when the file is missing, unreadable
// or the account is in use.
Database OpenAccountFile(AccountKind kind, const QString& name,
                         AccountLock::Mode mode = AccountLock::Mode::Shared);

// An account's data as a user opens it: the account, and its database open
// and holding the account's lock (shared) until it is closed.
struct OpenedAccount
{
    Account account;
    QString path;
    Database data;
};

// What the main menu, the import window and every command-line verb do to
// open an account: find it by name or number, check the typed password
// ("パスワードが違います。" when wrong) and open its file.
OpenedAccount OpenAccount(Database& master, AccountKind kind, FindBy by, const QString& key,
                          const QString& typedPassword);

} // namespace horunea
