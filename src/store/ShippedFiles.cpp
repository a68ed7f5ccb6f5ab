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
