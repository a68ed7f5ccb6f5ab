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

} // namespace horunea::test
