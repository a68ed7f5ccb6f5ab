#pragma once

#include "store/Accounts.h"
#include "store/Compaction.h"

#include <QString>
#include <QVariant>

namespace horunea {

class Database;

// The administrator menu's operations on the server store, each one
// transaction of the server across the master row and the account's
// schema: a new account's row and schema, a rename or a new password (the
// row only: the schema is named from the number), a removal (the row and
// the schema), and compaction (VACUUM FULL of the account's tables). The
// names were checked by the caller; an account someone works on is refused
// ("「…」は他の端末で使用中です。") before anything is written.
void CreateServerAccount(Database& master, AccountKind kind, const QString& name,
                         const QVariant& password);
void ChangeServerAccount(Database& master, AccountKind kind, const QString& number,
                         const QString& newName, const QVariant& newPassword);
void RemoveServerAccount(Database& master, AccountKind kind, const QString& number);
CompactionSizes CompactServerAccount(Database& master, AccountKind kind, const QString& name);

} // namespace horunea
