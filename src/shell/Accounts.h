#pragma once

#include <QList>
#include <QString>

namespace horunea {

class Database;

// One account as the main menu lists it: its number and its name.
struct Account
{
    QString number;
    QString name;
};

// "select * from 使用者" / "select * from 修理", in the order returned.
QList<Account> LoadOperatorAccounts(Database& master);
QList<Account> LoadRepairAccounts(Database& master);

// Exact comparison: case counts, nothing trimmed; an empty typed password
// matches a stored Null or empty password only.
bool PasswordMatches(const QString& typed, const QVariant& stored);
bool CheckOperatorPassword(Database& master, const QString& typed, const QString& number);
bool CheckRepairPassword(Database& master, const QString& typed, const QString& number);

} // namespace horunea
