#pragma once

// A shop's data folder as the Windows version keeps it, written with
// JetWriter: main.mdb, kelvo.mdb, care.mdb, kelvo/<operator>.mdb and
// care/<repair account>.mdb, each carrying the database password, its
// tables with the program's names (some fields in their other written
// forms, as the Windows files have them: 自宅TEL, E-mail), keys as
// AutoNumber, long texts as memos, list positions and margins as numbers.
#include "store/Database.h"
#include "store/DatabaseKind.h"
#include "store/Schema.h"
#include "tools/JetWriter.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

namespace horunea::test {

struct WindowsTable
{
    QString name;
    QList<JetWriter::Column> columns;
    QList<QVariantList> rows;
    qint64 nextCounter = 0; // 0: one after the largest key

    int column(const QString& field) const
    {
        for (int c = 0; c < columns.size(); ++c) {
            if (columns[c].name == field)
                return c;
        }
        qFatal("no field %s in %s", qPrintable(field), qPrintable(name));
    }
    // Adds a row of the named fields; the others are Null.
    void add(const QList<std::pair<QString, QVariant>>& fields)
    {
        QVariantList row(columns.size());
        for (const auto& [field, value] : fields)
            row[column(field)] = value;
        rows << row;
    }
};

struct WindowsFile
{
    QList<WindowsTable> tables;
    WindowsTable& operator[](const QString& name)
    {
        for (WindowsTable& t : tables) {
            if (t.name == name)
                return t;
        }
        qFatal("no table %s", qPrintable(name));
    }
};

// The name a Windows file gives a field, where it writes it another way.
inline QString windowsFieldName(const QString& name)
{
    static const QHash<QString, QString> other = {
        {u"自宅ＴＥＬ"_qs, u"自宅TEL"_qs},
        {u"会社ＦＡＸ"_qs, u"会社FAX"_qs},
        {u"E-MAIL"_qs, u"E-mail"_qs},
        {u"メーカー名"_qs, u"ﾒｰｶｰ名"_qs},
    };
    return other.value(name, name);
}

// The tables of a kind as the Windows files hold them, with the rows a new
// file starts with (the administrator, the settings, the own company).
inline WindowsFile windowsFileOf(DatabaseKind kind)
{
    using T = JetWriter::Type;
    static const QStringList memos = {u"備考"_qs, u"ログ"_qs, u"故障内容"_qs, u"修理処置内容"_qs,
                                      u"自宅住所"_qs};
    WindowsFile file;
    for (const TableDef& def : tablesOf(kind)) {
        WindowsTable table{def.name, {}, {}};
        for (const ColumnDef& c : def.columns) {
            JetWriter::Column column{windowsFieldName(c.name), T::Text, 255};
            switch (c.type) {
            case ColumnType::Counter:
                column.type = T::Long;
                column.counter = true;
                break;
            case ColumnType::OneRowKey:
            case ColumnType::Integer:
                column.type = T::Long;
                break;
            case ColumnType::TypedNumber:
                column.type = T::Int;
                break;
            case ColumnType::Text:
                if (memos.contains(c.name))
                    column.type = T::Memo;
                break;
            }
            table.columns << column;
        }
        file.tables << table;
    }
    for (const auto& [tableName, fields] : shippedRows(kind)) {
        QList<std::pair<QString, QVariant>> named;
        for (const auto& [field, value] : fields)
            named.append({windowsFieldName(field), value});
        file[tableName].add(named);
    }
    return file;
}

inline void writeWindowsFile(const QString& path, const WindowsFile& file)
{
    QDir().mkpath(QFileInfo(path).path());
    JetWriter writer(path, {Database::password()});
    for (const WindowsTable& t : file.tables) {
        writer.beginTable(t.name, t.columns);
        for (const QVariantList& row : t.rows)
            writer.addRow(row);
        if (t.nextCounter > 0)
            writer.setNextCounter(t.nextCounter);
    }
    writer.finish();
}

// A day's shop as the Windows version keeps it: an operator with users,
// subjects and logs (the awkward values among them), a repair account with
// its repairs, logs, makers and own company.
struct DaysWindowsShop
{
    WindowsFile master = windowsFileOf(DatabaseKind::Master);
    WindowsFile customerTemplate = windowsFileOf(DatabaseKind::Customer);
    WindowsFile repairTemplate = windowsFileOf(DatabaseKind::Repair);
    WindowsFile sales = windowsFileOf(DatabaseKind::Customer);
    WindowsFile shop = windowsFileOf(DatabaseKind::Repair);

    DaysWindowsShop()
    {
        master[u"使用者"_qs].add(
            {{u"使用者No"_qs, 1}, {u"使用者名"_qs, u"営業一課"_qs}, {u"パスワード"_qs, u"abc"_qs}});
        master[u"修理"_qs].add({{u"修理No"_qs, 4}, {u"修理名"_qs, u"本店"_qs}});
        master[u"使用者"_qs].nextCounter = 3; // account 2 was deleted
        WindowsTable& users = sales[u"ユーザー"_qs];
        users.add({{u"ユーザーID"_qs, 1},
                   {u"表示ふりがな"_qs, u"やまだ"_qs},
                   {u"表示名"_qs, u"山田 太郎"_qs},
                   {u"自宅TEL"_qs, u"03-1234-5678"_qs},
                   {u"E-mail"_qs, u"taro@example.jp"_qs},
                   {u"備考"_qs, u""_qs}});
        users.add({{u"ユーザーID"_qs, 3},
                   {u"表示ふりがな"_qs, u"よしだ"_qs},
                   {u"表示名"_qs, u"𠮷田 🍣"_qs},
                   {u"備考"_qs, QString(u'備').repeated(3000)}});
        users.nextCounter = 10;
        WindowsTable& subjects = sales[u"件名"_qs];
        subjects.add({{u"件名ID"_qs, 1},
                      {u"ユーザーID"_qs, 1},
                      {u"登録日"_qs, u"2003/08/19(火)"_qs},
                      {u"件名"_qs, u"見積"_qs},
                      {u"判定"_qs, u"続行"_qs}});
        subjects.add({{u"件名ID"_qs, 2},
                      {u"ユーザーID"_qs, 3},
                      {u"登録日"_qs, u"2004/01/01(木)"_qs},
                      {u"件名"_qs, u"修理"_qs},
                      {u"備考"_qs, u""_qs},
                      {u"判定"_qs, u"完了"_qs}});
        WindowsTable& logs = sales[u"ログ"_qs];
        logs.add({{u"ログID"_qs, 5},
                  {u"件名ID"_qs, 2},
                  {u"ユーザーID"_qs, 3},
                  {u"登録日"_qs, u"2004/01/02(金)"_qs},
                  {u"記録者"_qs, u"田中"_qs},
                  {u"ログ"_qs, u"電話あり\r\n折り返し"_qs}});
        WindowsTable& settings = sales[u"設定"_qs];
        settings.rows[0][settings.column(u"並べ01"_qs)] = 2;
        settings.rows[0][settings.column(u"項目01"_qs)] = u"誕生日"_qs;
        WindowsTable& repairs = shop[u"修理"_qs];
        repairs.add({{u"修理ID"_qs, 7},
                     {u"判定"_qs, u"続行"_qs},
                     {u"受付日"_qs, u"2024/05/01(水)"_qs},
                     {u"お客様名"_qs, u"佐藤"_qs},
                     {u"ﾒｰｶｰ名"_qs, u"A社"_qs},
                     {u"見積納期"_qs, u"10"_qs},
                     {u"仕切"_qs, u"１，５００"_qs},
                     {u"入金"_qs, u"未入"_qs}});
        shop[u"修理ログ"_qs].add({{u"修理ログID"_qs, 1},
                                  {u"修理ID"_qs, 7},
                                  {u"記録日"_qs, u"2024/05/02(木)"_qs},
                                  {u"ログ"_qs, u"部品発注"_qs}});
        shop[u"修理先"_qs].add({{u"修理先ID"_qs, 2}, {u"ﾒｰｶｰ名"_qs, u"A社"_qs}});
        WindowsTable& company = shop[u"自社"_qs];
        company.rows[0][company.column(u"自社名"_qs)] = u"ホルネア商会"_qs;
    }

    void write(const QString& folder) const
    {
        const QDir dir(folder);
        writeWindowsFile(dir.filePath(u"main.mdb"_qs), master);
        writeWindowsFile(dir.filePath(u"kelvo.mdb"_qs), customerTemplate);
        writeWindowsFile(dir.filePath(u"care.mdb"_qs), repairTemplate);
        writeWindowsFile(dir.filePath(u"kelvo/営業一課.mdb"_qs), sales);
        writeWindowsFile(dir.filePath(u"care/本店.mdb"_qs), shop);
    }
};

} // namespace horunea::test
