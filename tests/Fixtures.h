#pragma once

#include "admin/AccountAdmin.h"
#include "store/Accounts.h"
#include "store/DataFolder.h"
#include "store/Database.h"

#include <QDir>
#include <QFile>

#include <algorithm>

namespace horunea::test {

// The files of accounts, wherever the program keeps them.
inline QString customerFile(const QString& name)
{
    return accountFilePath(AccountKind::Operator, name);
}
inline QString repairFile(const QString& name)
{
    return accountFilePath(AccountKind::Repair, name);
}

// An account made as the administrator makes it (its row and a copy of the
// template), its password stored exactly as given: Null for none, or an
// empty text as older data may hold it.
inline QString makeAccount(AccountKind kind, const QString& name, const QVariant& password)
{
    Database master = Database::open(DataFolder::masterPath());
    CreateAccount(master, kind, name, password.toString());
    const AccountTable& t = accountTableOf(kind);
    master.exec(u"UPDATE "_qs + t.table + u" SET パスワード = ? WHERE "_qs + t.nameField +
                    u" = ?"_qs,
                {password, name});
    return FindAccount(master, kind, FindBy::Name, name).number;
}

// An operator account with its customer database made from the template.
inline QString makeOperator(const QString& name, const QVariant& password = QVariant())
{
    return makeAccount(AccountKind::Operator, name, password);
}

inline qint64 addUser(Database& db, const QVariant& reading, const QString& name,
                      const Fields& more = {})
{
    Fields fields{{u"表示ふりがな"_qs, reading}, {u"表示名"_qs, name}};
    fields << more;
    return db.insert(u"ユーザー"_qs, fields);
}

// Users named after the first character of their reading: ｱ, ｶ, ｦ, a digit,
// A, あ, ｧ, and an empty reading ("empty") — one for each kana-row case.
inline void addKanaRowSample(Database& db)
{
    addUser(db, u"ｱｵｷ"_qs, u"ｱ"_qs);
    addUser(db, u"ｶﾄｳ"_qs, u"ｶ"_qs);
    addUser(db, u"ｦｦ"_qs, u"ｦ"_qs);
    addUser(db, u"3M"_qs, u"digit"_qs);
    addUser(db, u"ABC"_qs, u"A"_qs);
    addUser(db, u"あおき"_qs, u"あ"_qs);
    addUser(db, u"ｧｲ"_qs, u"ｧ"_qs);
    addUser(db, u""_qs, u"empty"_qs);
}

inline qint64 addSubject(Database& db, qint64 user, const QString& title,
                         const QString& state = u"続行"_qs,
                         const QString& date = u"2003/08/19(火)"_qs)
{
    return db.insert(
        u"件名"_qs,
        {{u"ユーザーID"_qs, user}, {u"登録日"_qs, date}, {u"件名"_qs, title}, {u"判定"_qs, state}});
}

inline qint64 addLog(Database& db, qint64 subject, qint64 user, const QString& text,
                     const QString& date = u"2003/08/19(火)"_qs)
{
    return db.insert(u"ログ"_qs, {{u"件名ID"_qs, subject},
                                  {u"ユーザーID"_qs, user},
                                  {u"登録日"_qs, date},
                                  {u"記録者"_qs, u"山田"_qs},
                                  {u"ログ"_qs, text}});
}

} // namespace horunea::test

namespace horunea::test {

// A repair account with its repair database made from the template.
inline QString makeRepairAccount(const QString& name, const QVariant& password = QVariant())
{
    return makeAccount(AccountKind::Repair, name, password);
}

inline qint64 addRepair(Database& db, const QString& customer, const QString& company,
                        const QString& state = u"続行"_qs, const Fields& more = {})
{
    Fields fields{{u"判定"_qs, state},
                  {u"受付日"_qs, u"2003/08/19(火)"_qs},
                  {u"お客様名"_qs, customer.isEmpty() ? QVariant() : QVariant(customer)},
                  {u"会社名"_qs, company},
                  {u"見積納期"_qs, u"00"_qs}};
    for (const auto& [name, value] : more) {
        auto same = std::find_if(fields.begin(), fields.end(),
                                 [&](const auto& f) { return f.first == name; });
        if (same != fields.end())
            same->second = value;
        else
            fields << qMakePair(name, value);
    }
    return db.insert(u"修理"_qs, fields);
}

inline qint64 addRepairLog(Database& db, qint64 repair, const QString& text,
                           const QString& date = u"2003/08/20(水)"_qs)
{
    return db.insert(u"修理ログ"_qs, {{u"修理ID"_qs, repair},
                                      {u"記録日"_qs, date},
                                      {u"記録者"_qs, u"山田"_qs},
                                      {u"ログ"_qs, text}});
}

} // namespace horunea::test

namespace horunea::test {

// Every row of every table of a database file, as text: what a failed
// import must leave exactly as it was.
inline QString databaseContents(const QString& path)
{
    Database db = Database::open(path);
    QString s;
    for (const QString& table : db.tableNames()) {
        s += table + u'\n';
        db.forEachRow(u"select * from \""_qs + table + u"\""_qs, {}, [&](const Row& row) {
            for (const QVariant& v : row.values())
                s += (v.isNull() ? u"<null>"_qs : v.toString()) + u'|';
            s += u'\n';
        });
    }
    return s;
}

// The first column of a query's rows, as text.
inline QStringList columnOf(Database& db, const QString& sql)
{
    QStringList values;
    db.forEachRow(sql, {}, [&](const Row& row) { values << row.text(0); });
    return values;
}

} // namespace horunea::test
