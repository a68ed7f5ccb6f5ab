#include "admin/ServerAccountAdmin.h"

#include "store/Failure.h"
#include "store/Schema.h"
#include "store/Store.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"

namespace horunea {

namespace {

// The bytes an account's tables take on the server, indexes included.
qint64 schemaSize(Database& db, const QString& schema)
{
    return db.scalar(u"SELECT sum(pg_total_relation_size(c.oid))::bigint FROM pg_class c "
                     u"JOIN pg_namespace n ON n.oid = c.relnamespace "
                     u"WHERE n.nspname = ? AND c.relkind = 'r'"_qs,
                     {schema});
}

// One change of account names at a time on the server, until the caller's
// transaction ends; then the name is checked again, as it now stands: two
// PCs adding one name at once make one account, and the other is refused.
void refuseTakenNameOnServer(Database& master, AccountKind kind, const QString& name,
                             const QString& number = QString())
{
    master.serverConnection()->exec(u"SELECT pg_advisory_xact_lock($1::bigint)"_qs,
                                    {serverAccountLockKey(kind, u"0"_qs)});
    for (const Account& a : LoadAccounts(master, kind))
        if (a.name == name && a.number != number)
            throw Failure(u"同じ名前が存在します。登録できません。"_qs);
}

} // namespace

void CreateServerAccount(Database& master, AccountKind kind, const QString& name,
                         const QVariant& password)
{
    const AccountTable& k = accountTableOf(kind);
    Transaction transaction(master);
    refuseTakenNameOnServer(master, kind, name);
    const qint64 number = master.insert(k.table, {{k.nameField, name}, {u"ﾊﾟｽﾜｰﾄﾞ"_qs, password}});
    createServerAccountSchema(*master.serverConnection(), databaseKindOf(kind),
                              serverAccountPath(kind, QString::number(number)));
    transaction.commit();
}

void ChangeServerAccount(Database& master, AccountKind kind, const QString& number,
                         const QString& newName, const QVariant& newPassword)
{
    const Account account = FindAccount(master, kind, FindBy::Number, number);
    const Database held = OpenServerAccount(kind, account, AccountLock::Mode::Exclusive);
    const AccountTable& k = accountTableOf(kind);
    Transaction transaction(master);
    refuseTakenNameOnServer(master, kind, newName, number);
    master.update(k.table, {{k.nameField, newName}, {u"パスワード"_qs, newPassword}},
                  keyCondition(k.key, number));
    transaction.commit();
}

void RemoveServerAccount(Database& master, AccountKind kind, const QString& number)
{
    const Account account = FindAccount(master, kind, FindBy::Number, number);
    const Database held = OpenServerAccount(kind, account, AccountLock::Mode::Exclusive);
    const AccountTable& k = accountTableOf(kind);
    Transaction transaction(master);
    master.remove(k.table, keyCondition(k.key, number));
    master.execRaw(u"DROP SCHEMA "_qs + quotedServerName(serverAccountPath(kind, number)) +
                   u" CASCADE"_qs);
    transaction.commit();
}

CompactionSizes CompactServerAccount(Database& master, AccountKind kind, const QString& name)
{
    const Account account = FindAccount(master, kind, FindBy::Name, name);
    Database db = OpenServerAccount(kind, account, AccountLock::Mode::Exclusive);
    const QString schema = serverAccountPath(kind, account.number);
    CompactionSizes sizes;
    sizes.before = schemaSize(db, schema);
    for (const TableDef& table : tablesOf(databaseKindOf(kind)))
        db.execRaw(u"VACUUM (FULL, ANALYZE) "_qs + quotedServerName(schema) + u'.' +
                   quotedServerName(table.name));
    sizes.after = schemaSize(db, schema);
    return sizes;
}

} // namespace horunea
