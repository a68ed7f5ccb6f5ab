// migrate WINDOWS_FOLDER [--check]: the Windows version's data folder of
// Access files becomes the data folder (or its server's data).
#include "admin/WindowsMigration.h"
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "store/DataFolder.h"

#include <QDir>
#include <QFileInfo>

namespace horunea::cli {

namespace {

void printFiles(Invocation& call, const MigrationReport& report)
{
    for (const MigrationFile& file : report.files) {
        call.out << file.relative;
        if (!file.account.isEmpty())
            call.out << u" ("_qs << file.account << u')';
        call.out << '\n';
        for (const auto& [table, rows] : file.tables)
            call.out << u"  "_qs << table << '\t' << rows << u" 行\n"_qs;
    }
}

} // namespace

int commandMigrate(Invocation& call)
{
    QStringList args = call.args;
    const bool check = takeFlag(args, u"--check"_qs);
    MigrationOptions options;
    options.keepOrphans = takeFlag(args, u"--keep-orphans"_qs);
    options.skipMissing = takeFlag(args, u"--skip-missing"_qs);
    options.ignoreLocks = takeFlag(args, u"--ignore-locks"_qs);
    if (args.size() != 1 || args[0].startsWith(u"--"_qs))
        throw UsageError(u"migrate には Windows版のフォルダーを一つ指定してください。"_qs);
    const QString folder = QFileInfo(args[0]).absoluteFilePath();
    if (!QFileInfo(folder).isDir())
        throw RefusedError(u"フォルダーがありません: "_qs + QDir::toNativeSeparators(folder));
    if (check) {
        const MigrationReport report = CheckWindowsFolder(folder);
        printFiles(call, report);
        const QStringList problems = report.problemLines();
        for (const QString& line : problems)
            call.out << line << '\n';
        if (problems.isEmpty())
            call.out << u"問題はありません。このまま移せます。\n"_qs;
        return report.stopsMove(options) ? 1 : 0;
    }
    const MoveProgress progress = [&call](const QString& text) {
        call.err << text << '\n' << Qt::flush;
    };
    // A data folder that holds the Windows files themselves, or only the
    // files a new data folder starts with, takes the shop where it is.
    const QString data = DataFolder::path();
    const bool intoDataFolder = QFileInfo(QDir(data).filePath(u"main.mdb"_qs)).isFile() &&
                                !QFileInfo(DataFolder::serverConfPath()).isFile();
    QString aside;
    const MigrationReport report =
        intoDataFolder ? MoveIntoDataFolder(folder, data, options, progress, {}, &aside)
                       : MoveWindowsFolder(folder, data, options, progress);
    for (const QString& line : report.problemLines())
        call.err << line << '\n';
    call.out << QStringLiteral("移しました: %1 (main.mdb と %2 アカウント)\n")
                    .arg(QDir::toNativeSeparators(DataFolder::path()))
                    .arg(report.accounts);
    if (!aside.isEmpty())
        call.out << u"元のファイルはそのまま残しました: "_qs << QDir::toNativeSeparators(aside)
                 << '\n';
    return 0;
}

} // namespace horunea::cli
