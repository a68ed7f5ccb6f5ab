#pragma once

// Reads an Access file twice, by the program's reader (libmdb) and by the
// npm package mdb-reader (tests/tools/jet), each cell written the same way,
// so that a test compares the two cell by cell.
#include "store/JetFile.h"

#include <QDateTime>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>
#include <QMap>
#include <QProcess>

namespace horunea::test {

// Table name -> its rows, each cell as "T:text", "N:number", "B:true",
// "D:ISO time", "X:hex", or "\N" for Null.
using JetCells = QMap<QString, QList<QStringList>>;

inline QString jetCell(const JetTable& table, int column)
{
    if (table.isNull(column))
        return u"\\N"_qs;
    const QVariant v = table.value(column);
    switch (table.columns()[column].type) {
    case JetType::Bool:
        return v.toBool() ? u"B:true"_qs : u"B:false"_qs;
    case JetType::Money:
    case JetType::Numeric: {
        QString t = v.toString();
        if (t.contains(u'.')) {
            while (t.endsWith(u'0'))
                t.chop(1);
            if (t.endsWith(u'.'))
                t.chop(1);
        }
        return u"N:"_qs + (t == u"-0" ? u"0"_qs : t);
    }
    case JetType::Byte:
    case JetType::Int:
    case JetType::Long:
        return u"N:"_qs + QString::number(v.toLongLong());
    case JetType::Float:
    case JetType::Double:
        return u"N:"_qs + QString::number(v.toDouble(), 'g', QLocale::FloatingPointShortest);
    case JetType::DateTime:
        return u"D:"_qs + v.toDateTime().toUTC().toString(u"yyyy-MM-ddTHH:mm:ss.zzz"_qs) + u'Z';
    case JetType::Text:
    case JetType::Memo:
    case JetType::Guid:
        return u"T:"_qs + v.toString();
    default:
        return u"X:"_qs + QString::fromLatin1(v.toByteArray().toHex());
    }
}

inline JetCells jetCellsByLibmdb(const QString& path)
{
    JetCells cells;
    JetFile file = JetFile::open(path);
    for (const QString& name : file.tableNames()) {
        JetTable table = file.table(name);
        QList<QStringList>& rows = cells[name];
        while (table.next()) {
            QStringList row;
            for (int c = 0; c < table.columns().size(); ++c)
                row << jetCell(table, c);
            rows << row;
        }
    }
    return cells;
}

// The folder of the second reader's script, installed by `npm ci` there.
inline QString jetCheckFolder()
{
    return QStringLiteral(HORUNEA_TEST_SOURCE_DIR "/tools/jet");
}

// What mdb-reader reads; the password it finds in the header, if asked.
inline JetCells jetCellsByMdbReader(const QString& path, QString* password = nullptr)
{
    QProcess node;
    node.setWorkingDirectory(jetCheckFolder());
    node.start(u"node"_qs, {u"dump.mjs"_qs, QDir(path).absolutePath()});
    if (!node.waitForFinished(120000) || node.exitCode() != 0)
        qFatal("mdb-reader could not read %s (npm ci in tests/tools/jet?): %s", qPrintable(path),
               node.readAllStandardError().constData());
    const QJsonObject dump = QJsonDocument::fromJson(node.readAllStandardOutput()).object();
    if (password)
        *password = dump.value(u"password"_qs).toString();
    JetCells cells;
    const QJsonObject tables = dump.value(u"tables"_qs).toObject();
    for (auto t = tables.begin(); t != tables.end(); ++t) {
        QList<QStringList>& rows = cells[t.key()];
        for (const QJsonValue& r : t.value().toObject().value(u"rows"_qs).toArray()) {
            QStringList row;
            for (const QJsonValue& c : r.toArray())
                row << (c.isNull() ? u"\\N"_qs : c.toString());
            rows << row;
        }
    }
    return cells;
}

} // namespace horunea::test
