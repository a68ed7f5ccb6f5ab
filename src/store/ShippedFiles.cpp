#include "store/ShippedFiles.h"

#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace horunea {

void createDatabaseFile(const QString& path, DatabaseKind kind)
{
    if (QFileInfo::exists(path))
        throw StoreError(QStringLiteral("ファイルがすでにあります。\n%1").arg(path));
    const QString partial = path + u".part"_qs;
    QFile::remove(partial);
    try {
        Database db = Database::createNew(partial);
        createSchema(db, kind);
        db.close();
    } catch (const StoreError&) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw StoreError(QStringLiteral("ファイルを作成できません。\n%1").arg(path));
    }
}

namespace {

// Why a shipped file that is there cannot be used, or empty when it can.
QString unusableBecause(const QString& path, DatabaseKind kind)
{
    const QFileInfo info(path);
    if (!info.isFile())
        return u"ファイルではありません (フォルダーなど)。"_qs;
    if (info.size() == 0)
        return u"空のファイルです。"_qs;
    try {
        Database db = Database::open(path);
        const QStringList present = db.tableNames();
        for (const TableDef& table : tablesOf(kind)) {
            bool found = false;
            for (const QString& name : present)
                found |= name.compare(table.name, Qt::CaseInsensitive) == 0;
            if (!found)
                return QStringLiteral("表「%1」がありません。").arg(table.name);
        }
    } catch (const StoreError& e) {
        return e.message();
    }
    return QString();
}

} // namespace

QStringList EnsureShippedFiles()
{
    const QString folder = DataFolder::path();
    if (!QDir().mkpath(folder))
        throw StoreError(QStringLiteral("データフォルダーを作成できません。\n%1").arg(folder));
    const struct
    {
        QString path;
        DatabaseKind kind;
    } files[] = {
        {DataFolder::masterPath(), DatabaseKind::Master},
        {DataFolder::customerTemplatePath(), DatabaseKind::Customer},
        {DataFolder::repairTemplatePath(), DatabaseKind::Repair},
    };
    // Every file that is there is checked before any is made, so that a bad
    // one is named and nothing changes.
    for (const auto& file : files) {
        if (!QFileInfo::exists(file.path))
            continue;
        const QString why = unusableBecause(file.path, file.kind);
        if (!why.isEmpty())
            throw StoreError(QStringLiteral("%1 を使えません。\n%2\n%3")
                                 .arg(QFileInfo(file.path).fileName(),
                                      QDir::toNativeSeparators(file.path), why));
    }
    QStringList created;
    for (const auto& file : files) {
        if (QFileInfo::exists(file.path))
            continue;
        createDatabaseFile(file.path, file.kind);
        created << file.path;
    }
    return created;
}

} // namespace horunea
