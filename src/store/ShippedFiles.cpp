#include "store/ShippedFiles.h"

#include "store/Store.h"

#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cstdio>
#include <utility>

namespace horunea {

void createDatabaseFile(const QString& path, DatabaseKind kind)
{
    if (QFileInfo::exists(path))
        throw Failure(QStringLiteral("ファイルがすでにあります。\n%1").arg(path));
    const QString partial = path + u".part"_qs;
    QFile::remove(partial);
    try {
        Database db = Database::createNew(partial);
        createSchema(db, kind);
        db.close();
    } catch (const Failure&) {
        QFile::remove(partial);
        throw;
    }
    if (!QFile::rename(partial, path)) {
        QFile::remove(partial);
        throw Failure(QStringLiteral("ファイルを作成できません。\n%1").arg(path));
    }
}

QString unusableDatabaseFile(const QString& path, DatabaseKind kind)
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
    } catch (const Failure& e) {
        return e.message();
    }
    return QString();
}

namespace {

// Account files of either folder: a main.mdb made now would know none of them.
QStringList accountFilesPresent()
{
    QStringList found;
    for (const QString& folder : {DataFolder::customerFolder(), DataFolder::repairFolder()})
        for (const QFileInfo& f : QDir(folder).entryInfoList({u"*.mdb"_qs}, QDir::Files))
            found << f.filePath();
    return found;
}

} // namespace

QString templateProblem(DatabaseKind kind)
{
    const QString path = kind == DatabaseKind::Customer ? DataFolder::customerTemplatePath()
                                                        : DataFolder::repairTemplatePath();
    const QString why =
        QFileInfo::exists(path) ? unusableDatabaseFile(path, kind) : u"ファイルがありません。"_qs;
    if (why.isEmpty())
        return QString();
    return QStringLiteral("ひな形 %1 を使えないため、アカウントを作成できません。\n%2\n%3\n"
                          "「horunea-cli init --templates」でひな形を作り直せます。")
        .arg(QFileInfo(path).fileName(), QDir::toNativeSeparators(path), why);
}

QStringList RewriteTemplates()
{
    QStringList written;
    for (const auto& [path, kind] :
         {std::pair{DataFolder::customerTemplatePath(), DatabaseKind::Customer},
          std::pair{DataFolder::repairTemplatePath(), DatabaseKind::Repair}}) {
        const QString fresh = path + u".new"_qs;
        QFile::remove(fresh);
        createDatabaseFile(fresh, kind);
        if (std::rename(QFile::encodeName(fresh).constData(),
                        QFile::encodeName(path).constData()) != 0) {
            QFile::remove(fresh);
            throw Failure(QStringLiteral("ひな形を書き込めません。\n%1").arg(path));
        }
        written << path;
    }
    return written;
}

QStringList EnsureShippedFiles(bool strict)
{
    // The server holds the shop's tables: nothing is made in the folder.
    if (Store::isServer())
        return {};
    const QString folder = DataFolder::path();
    if (!QDir().mkpath(folder))
        throw Failure(QStringLiteral("データフォルダーを作成できません。\n%1").arg(folder));
    const struct
    {
        QString path;
        DatabaseKind kind;
    } files[] = {
        {DataFolder::masterPath(), DatabaseKind::Master},
        {DataFolder::customerTemplatePath(), DatabaseKind::Customer},
        {DataFolder::repairTemplatePath(), DatabaseKind::Repair},
    };
    if (!QFileInfo::exists(DataFolder::masterPath()) && !accountFilesPresent().isEmpty())
        throw Failure(
            QStringLiteral(
                "main.mdb がありません。\n%1\n"
                "アカウントのファイルが残っているため、新しい main.mdb は作りません"
                "（作ると、どのアカウントも開けなくなります）。\n"
                "バックアップから戻すには「horunea-cli restore バックアップのフォルダー」を"
                "使ってください。")
                .arg(QDir::toNativeSeparators(DataFolder::path())));
    // Every file that is there is checked before any is made, so that a bad
    // one is named and nothing changes.
    for (const auto& file : files) {
        if (!QFileInfo::exists(file.path))
            continue;
        if (!strict && file.kind != DatabaseKind::Master)
            continue; // a template is checked when an account is made from it
        const QString why = unusableDatabaseFile(file.path, file.kind);
        if (!why.isEmpty())
            throw Failure(QStringLiteral("%1 を使えません。\n%2\n%3")
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
