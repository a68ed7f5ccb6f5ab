#include "store/Accounts.h"

#include "store/Store.h"

#include <QDir>
#include <QFileInfo>

#include "store/DataFolder.h"
#include "store/Schema.h"
#include "store/server/ServerConnection.h"
#include "store/server/ServerDialect.h"
#include "store/server/ServerSchema.h"

namespace horunea {

const AccountTable& accountTableOf(AccountKind kind)
{
    static const AccountTable operators{u"使用者"_qs, u"使用者No"_qs, u"使用者名"_qs};
    static const AccountTable repairs{u"修理"_qs, u"修理No"_qs, u"修理名"_qs};
    return kind == AccountKind::Operator ? operators : repairs;
}

DatabaseKind databaseKindOf(AccountKind kind)
{
    return kind == AccountKind::Operator ? DatabaseKind::Customer : DatabaseKind::Repair;
}

QString kindWord(AccountKind kind)
{
    return kind == AccountKind::Operator ? u"customer"_qs : u"repair"_qs;
}

QString kindNoun(AccountKind kind)
{
    return kind == AccountKind::Operator ? u"使用者"_qs : u"修理アカウント"_qs;
}

bool MayReadPasswords(Database& master, const QString& table)
{
    return !master.isServer() ||
           master.serverConnection()
                   ->exec(u"SELECT has_column_privilege($1, 'パスワード', 'SELECT')"_qs,
                          {QString(quotedServerName(serverMasterSchema()) + u'.' +
                                   quotedServerName(table))})
                   .text(0, 0) == u"t";
}

namespace {

// What an account's row is read with: its number and name, and its password
// where the connection may read it.
QString accountSelect(Database& master, const AccountTable& t)
{
    QString columns = t.key + u", "_qs + t.nameField;
    if (MayReadPasswords(master, t.table))
        columns += u", パスワード"_qs;
    return u"Select "_qs + columns + u" From "_qs + t.table;
}

} // namespace

QList<Account> LoadAccounts(Database& master, AccountKind kind)
{
    const AccountTable& t = accountTableOf(kind);
    QList<Account> accounts;
    master.forEachRow(accountSelect(master, t), {}, [&](const Row& row) {
        accounts.append({row.text(t.key), row.text(t.nameField), row.value(u"パスワード"_qs)});
    });
    return accounts;
}

QString unknownAccountMessage(AccountKind kind, const QString& key)
{
    return QStringLiteral("%1「%2」はありません。").arg(kindNoun(kind), key);
}

Account FindAccount(Database& master, AccountKind kind, FindBy by, const QString& key)
{
    const AccountTable& t = accountTableOf(kind);
    ResultSet found;
    if (by == FindBy::Name)
        found = master.query(accountSelect(master, t) + u" Where "_qs + t.nameField + u" = ?"_qs,
                             {key});
    else if (isKeyText(key))
        found = master.query(accountSelect(master, t) + u" Where "_qs + keyCondition(t.key, key));
    if (found.isEmpty())
        throw Failure(unknownAccountMessage(kind, key));
    const Row row = found.first();
    return {row.text(t.key), row.text(t.nameField), row.value(u"パスワード"_qs)};
}

QString accountFilePath(AccountKind kind, const QString& name, const QString& renamedFrom)
{
    const QString problem = DataFolder::accountNameProblem(name);
    if (!problem.isEmpty())
        throw Failure(
            QStringLiteral("アカウント名「%1」はファイル名にできません。%2").arg(name, problem));
    const QString folder = accountFolder(kind);
    const QString file = name + u".mdb"_qs;
    const QString ownFile = renamedFrom.isEmpty() ? QString() : renamedFrom + u".mdb"_qs;
    // On a file system that ignores letter case two such names would share
    // one file; on any other they would be told apart by case alone.
    const QStringList present = QDir(folder).entryList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QString& other : present) {
        if (other != file && other != ownFile && other.compare(file, Qt::CaseInsensitive) == 0)
            throw Failure(QStringLiteral("アカウント名「%1」は、大文字・小文字だけが違う"
                                         "「%2」のファイルと区別できません。")
                              .arg(name, other.chopped(4)));
    }
    return QDir(folder).filePath(file);
}

QString accountFolder(AccountKind kind)
{
    return kind == AccountKind::Operator ? DataFolder::customerFolder()
                                         : DataFolder::repairFolder();
}

QString presentAccountFile(AccountKind kind, const QString& name)
{
    try {
        const QString path = accountFilePath(kind, name);
        return QFileInfo(path).isFile() ? path : QString();
    } catch (const Failure&) {
        return QString();
    }
}

QString existingAccountFile(AccountKind kind, const QString& name)
{
    const QString path = accountFilePath(kind, name);
    if (!QFileInfo(path).isFile())
        throw Failure(QStringLiteral("%1「%2」のデータベースファイルがありません。\n%3")
                          .arg(kindNoun(kind), name, QDir::toNativeSeparators(path)));
    return path;
}

bool PasswordMatches(const QString& typed, const QVariant& stored)
{
    if (stored.isNull())
        return typed.isEmpty();
    return stored.toString() == typed;
}

bool CheckAccountPassword(Database& master, AccountKind kind, const QString& number,
                          const QString& typed)
{
    if (!isKeyText(number))
        return false;
    if (master.isServer() && serverHasPasswordChecks(*master.serverConnection()))
        return master.serverConnection()
                   ->exec(u"SELECT "_qs + serverAccountPasswordCheck() + u"($1, $2, $3)"_qs,
                          {kindWord(kind), number.toLongLong(), typed})
                   .text(0, 0) == u"t";
    const AccountTable& t = accountTableOf(kind);
    const ResultSet result =
        master.query(u"Select * From "_qs + t.table + u" Where "_qs + t.key + u" ="_qs + number);
    if (result.isEmpty())
        return false;
    return PasswordMatches(typed, result.first().value(u"パスワード"_qs));
}

Database OpenAccountFile(AccountKind kind, const QString& name, AccountLock::Mode mode)
{
    if (Store::isServer()) {
        Database master = OpenMaster();
        return OpenServerAccount(kind, FindAccount(master, kind, FindBy::Name, name), mode);
    }
    return Database::openLocked(existingAccountFile(kind, name), name, mode);
}

OpenedAccount OpenAccount(Database& master, AccountKind kind, FindBy by, const QString& key,
                          const QString& typedPassword)
{
    if (by == FindBy::Name && !Store::isServer())
        accountFilePath(kind, key); // a name no file can have is said as such
    const Account account = FindAccount(master, kind, by, key);
    if (!CheckAccountPassword(master, kind, account.number, typedPassword))
        throw Failure(u"パスワードが違います。"_qs);
    if (Store::isServer()) {
        try {
            return {account, serverAccountPath(kind, account.number),
                    OpenServerAccount(kind, account)};
        } catch (const Failure& e) {
            throw Failure(QStringLiteral("%1「%2」のデータベースを開けません。\n%3")
                              .arg(kindNoun(kind), account.name, e.message()),
                          e.detail());
        }
    }
    const QString path = existingAccountFile(kind, account.name);
    try {
        return {account, path, Database::openLocked(path, account.name)};
    } catch (const Failure& e) {
        throw Failure(QStringLiteral("%1「%2」のデータベースを開けません。\n%3")
                          .arg(kindNoun(kind), account.name, e.message()),
                      e.detail());
    }
}

} // namespace horunea
