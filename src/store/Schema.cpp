#include "store/Schema.h"

#include "store/Database.h"

namespace horunea {

namespace {

ColumnDef counter(const QString& name)
{
    return {name, ColumnType::Counter};
}
ColumnDef oneRowKey(const QString& name)
{
    return {name, ColumnType::OneRowKey};
}
ColumnDef integer(const QString& name)
{
    return {name, ColumnType::Integer};
}
ColumnDef text(const QString& name)
{
    return {name, ColumnType::Text};
}

QList<ColumnDef> texts(std::initializer_list<const char16_t*> names)
{
    QList<ColumnDef> columns;
    for (const char16_t* name : names)
        columns << text(QString::fromUtf16(name));
    return columns;
}

QList<ColumnDef> numbered(const QString& stem, int count, ColumnType type)
{
    QList<ColumnDef> columns;
    for (int i = 1; i <= count; ++i)
        columns << ColumnDef{stem + QStringLiteral("%1").arg(i, 2, 10, QLatin1Char('0')), type};
    return columns;
}

TableDef settingsTable(int freeFields)
{
    TableDef t{u"設定"_qs, {oneRowKey(u"設定ID"_qs)}};
    t.columns << numbered(u"項目"_qs, freeFields, ColumnType::Text);
    t.columns << numbered(u"並べ"_qs, 6, ColumnType::TypedNumber);
    for (const QString& side : {u"上"_qs, u"左"_qs, u"右"_qs, u"下"_qs})
        t.columns << ColumnDef{side, ColumnType::TypedNumber};
    return t;
}

QList<TableDef> masterTables()
{
    return {
        {u"管理者"_qs, {oneRowKey(u"管理者ID"_qs), text(u"管理者名"_qs), text(u"パスワード"_qs)}},
        {u"使用者"_qs, {counter(u"使用者No"_qs), text(u"使用者名"_qs), text(u"パスワード"_qs)}},
        {u"修理"_qs, {counter(u"修理No"_qs), text(u"修理名"_qs), text(u"パスワード"_qs)}},
    };
}

QList<TableDef> customerTables()
{
    TableDef users{u"ユーザー"_qs, {counter(u"ユーザーID"_qs)}};
    users.columns << texts({u"表示ふりがな", u"表示名", u"ユーザー名ふりがな", u"ユーザー名",
                            u"自宅ＴＥＬ", u"自宅ＦＡＸ", u"自宅住所", u"会社名ふりがな", u"会社名",
                            u"部署", u"会社ＴＥＬ", u"会社ＦＡＸ", u"会社住所", u"E-MAIL", u"URL",
                            u"備考"});
    users.columns << numbered(u"自由項目"_qs, 5, ColumnType::Text);

    TableDef subjects{u"件名"_qs, {counter(u"件名ID"_qs), integer(u"ユーザーID"_qs)}};
    subjects.columns << texts({u"登録日", u"件名", u"備考", u"判定"});

    TableDef logs{u"ログ"_qs,
                  {counter(u"ログID"_qs), integer(u"件名ID"_qs), integer(u"ユーザーID"_qs)}};
    logs.columns << texts({u"登録日", u"記録者", u"ログ"});

    return {users, subjects, logs, settingsTable(5)};
}

QList<TableDef> repairTables()
{
    TableDef repairs{u"修理"_qs, {counter(u"修理ID"_qs)}};
    repairs.columns << texts({u"判定",         u"受付日",   u"お客様名", u"会社名",
                              u"会社TEL",      u"会社住所", u"自宅TEL",  u"自宅住所",
                              u"メーカー名",   u"型番",     u"シリアル", u"付属品",
                              u"担当者",       u"見積納期", u"故障内容", u"メーカー受付番号",
                              u"修理処置内容", u"交換部品", u"有償無償", u"仕切",
                              u"売値",         u"入金"});
    repairs.columns << numbered(u"自由項目"_qs, 3, ColumnType::Text);

    TableDef repairLogs{u"修理ログ"_qs, {counter(u"修理ログID"_qs), integer(u"修理ID"_qs)}};
    repairLogs.columns << texts({u"記録日", u"記録者", u"ログ"});

    TableDef makers{u"修理先"_qs, {counter(u"修理先ID"_qs)}};
    makers.columns << texts({u"メーカー名", u"住所", u"TEL", u"FAX", u"E-MAIL", u"担当者",
                             u"処理方法", u"決済方法", u"備考"});

    TableDef company{u"自社"_qs, {oneRowKey(u"自社ID"_qs)}};
    company.columns << texts(
        {u"自社名", u"自社住所", u"自社TEL", u"自社FAX", u"自社MAIL", u"自社URL"});

    return {repairs, repairLogs, makers, company, settingsTable(3)};
}

QString quotedName(const QString& name)
{
    return u'"' + name + u'"';
}

// Margins in twips: 1000 twips (about 18 mm) on every side prints well on A4.
constexpr int ShippedMargin = 1000;

Fields shippedSettings(int freeFields)
{
    Fields fields{{u"設定ID"_qs, 1}};
    for (int i = 1; i <= freeFields; ++i)
        fields << qMakePair(QStringLiteral("項目%1").arg(i, 2, 10, QLatin1Char('0')),
                            QVariant(QStringLiteral("自由項目%1").arg(i, 2, 10, QLatin1Char('0'))));
    for (int i = 1; i <= 6; ++i)
        fields << qMakePair(QStringLiteral("並べ%1").arg(i, 2, 10, QLatin1Char('0')), QVariant(0));
    for (const QString& side : {u"上"_qs, u"左"_qs, u"右"_qs, u"下"_qs})
        fields << qMakePair(side, QVariant(ShippedMargin));
    return fields;
}

} // namespace

QString TableDef::createStatement() const
{
    QStringList parts;
    for (const ColumnDef& c : columns) {
        QString type;
        switch (c.type) {
        case ColumnType::Counter:
            type = u"INTEGER PRIMARY KEY AUTOINCREMENT"_qs;
            break;
        case ColumnType::OneRowKey:
            type = u"INTEGER PRIMARY KEY"_qs;
            break;
        case ColumnType::Integer:
        case ColumnType::TypedNumber:
            type = u"INTEGER"_qs;
            break;
        case ColumnType::Text:
            type = u"TEXT"_qs;
            break;
        }
        parts << quotedName(c.name) + u' ' + type;
    }
    return QStringLiteral("CREATE TABLE %1 (%2)").arg(quotedName(name), parts.join(u", "));
}

const QList<TableDef>& tablesOf(DatabaseKind kind)
{
    static const QList<TableDef> master = masterTables();
    static const QList<TableDef> customer = customerTables();
    static const QList<TableDef> repair = repairTables();
    switch (kind) {
    case DatabaseKind::Master:
        return master;
    case DatabaseKind::Customer:
        return customer;
    case DatabaseKind::Repair:
        break;
    }
    return repair;
}

QString shippedAdministratorName()
{
    return u"admin"_qs;
}

QList<std::pair<QString, Fields>> shippedRows(DatabaseKind kind)
{
    switch (kind) {
    case DatabaseKind::Master:
        return {{u"管理者"_qs,
                 {{u"管理者ID"_qs, 1},
                  {u"管理者名"_qs, shippedAdministratorName()},
                  {u"パスワード"_qs, QVariant()}}}};
    case DatabaseKind::Customer:
        return {{u"設定"_qs, shippedSettings(5)}};
    case DatabaseKind::Repair:
        break;
    }
    return {{u"自社"_qs, {{u"自社ID"_qs, 1}}}, {u"設定"_qs, shippedSettings(3)}};
}

void createSchema(Database& db, DatabaseKind kind)
{
    Transaction transaction(db);
    for (const TableDef& table : tablesOf(kind))
        db.execRaw(table.createStatement());
    db.refreshNames();
    for (const auto& [table, fields] : shippedRows(kind))
        db.insert(table, fields);
    createIndexes(db);
    transaction.commit();
}

const QList<IndexDef>& storeIndexes()
{
    static const QList<IndexDef> indexes{
        {u"索引_件名_ユーザーID"_qs, u"件名"_qs, u"ユーザーID"_qs},
        {u"索引_ログ_件名ID"_qs, u"ログ"_qs, u"件名ID"_qs},
        {u"索引_ログ_ユーザーID"_qs, u"ログ"_qs, u"ユーザーID"_qs},
        {u"索引_修理ログ_修理ID"_qs, u"修理ログ"_qs, u"修理ID"_qs},
        {u"索引_ユーザー_表示ふりがな"_qs, u"ユーザー"_qs, u"表示ふりがな"_qs},
    };
    return indexes;
}

void createIndexes(Database& db)
{
    const QStringList tables = db.tableNames();
    QStringList present;
    db.forEachRow(u"SELECT name FROM sqlite_master WHERE type = 'index'"_qs, {},
                  [&](const Row& row) { present << row.text(0); });
    for (const IndexDef& index : storeIndexes()) {
        if (!tables.contains(index.table) || present.contains(index.name))
            continue;
        db.execRaw(QStringLiteral("CREATE INDEX IF NOT EXISTS \"%1\" ON \"%2\" (\"%3\")")
                       .arg(index.name, index.table, index.column));
    }
}

} // namespace horunea
