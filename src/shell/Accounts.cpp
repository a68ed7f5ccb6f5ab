#include "shell/Accounts.h"

#include "store/Database.h"

namespace horunea {

namespace {

QList<Account> loadAccounts(Database& master, const QString& sql, const QString& numberField,
                            const QString& nameField)
{
    QList<Account> accounts;
    master.forEachRow(sql, {}, [&](const Row& row) {
        accounts.append({row.text(numberField), row.text(nameField)});
    });
    return accounts;
}

bool checkPassword(Database& master, const QString& sql, const QString& typed)
{
    const ResultSet result = master.query(sql);
    if (result.isEmpty())
        return false;
    return PasswordMatches(typed, result.first().value(u"パスワード"_qs));
}

} // namespace

QList<Account> LoadOperatorAccounts(Database& master)
{
    return loadAccounts(master, u"select * from 使用者"_qs, u"使用者No"_qs, u"使用者名"_qs);
}

QList<Account> LoadRepairAccounts(Database& master)
{
    return loadAccounts(master, u"select * from 修理"_qs, u"修理No"_qs, u"修理名"_qs);
}

bool PasswordMatches(const QString& typed, const QVariant& stored)
{
    if (stored.isNull())
        return typed.isEmpty();
    return stored.toString() == typed;
}

bool CheckOperatorPassword(Database& master, const QString& typed, const QString& number)
{
    if (!isKeyText(number))
        return false;
    return checkPassword(master, u"Select * From 使用者 Where 使用者No ="_qs + number, typed);
}

bool CheckRepairPassword(Database& master, const QString& typed, const QString& number)
{
    if (!isKeyText(number))
        return false;
    return checkPassword(master, u"Select * From 修理 Where 修理No ="_qs + number, typed);
}

} // namespace horunea
