// server init | import FOLDER | export FOLDER: a shop's data to its
// PostgreSQL server (the data folder's server.conf) and back.
#include "cli/CliSupport.h"
#include "cli/Commands.h"
#include "store/DataFolder.h"
#include "store/ServerMove.h"
#include "store/server/ServerConnection.h"

#include <QDir>
#include <QFileInfo>

namespace horunea::cli {

namespace {

ServerAddress serverOfDataFolder()
{
    const QString conf = DataFolder::serverConfPath();
    if (!QFileInfo(conf).isFile())
        throw RefusedError(u"データフォルダーに server.conf がありません: "_qs +
                           QDir::toNativeSeparators(conf));
    return ServerAddress::read(conf);
}

} // namespace

int commandServer(Invocation& call)
{
    const QString step = call.args.value(0);
    if (step == u"init" && call.args.size() == 1) {
        const ServerAddress address = serverOfDataFolder();
        const QString clerks = InitServer(address);
        call.out << u"サーバー「"_qs << address.displayName()
                 << u"」にホルネアのデータを作りました。\n"_qs;
        if (clerks.isEmpty())
            call.err << u"店員のロールは作れませんでした (このロールには CREATEROLE の権限が"
                        u"ありません)。各 PC もこのロールでつなぐことになります。\n"_qs;
        else
            call.out << u"店員の PC は、ロール「"_qs << clerks
                     << u"」に入れたログインロールでつないでください。\n"_qs;
        return 0;
    }
    if ((step == u"import" || step == u"export") && call.args.size() >= 2) {
        QStringList words;
        const auto options = parseArguments(
            call.args.mid(1), step == u"export" ? QStringList{AdminPassword} : QStringList{},
            &words, 1);
        const QString folder = QFileInfo(words[0]).absoluteFilePath();
        const ServerAddress address = serverOfDataFolder();
        // The export holds every account, passwords too: the administrator's.
        if (step == u"export")
            checkAdministrator(passwordOption(options, AdminPassword));
        const MoveProgress progress = [&call](const QString& text) {
            call.err << text << '\n' << Qt::flush;
        };
        if (step == u"import") {
            const int accounts = ImportFolderToServer(address, folder, progress);
            call.out << QStringLiteral("サーバー「%1」に写しました: main.mdb と %2 アカウント\n")
                            .arg(address.displayName())
                            .arg(accounts);
        } else {
            const int accounts = ExportServerToFolder(address, folder, progress);
            call.out << QStringLiteral("書き出しました: %1 (main.mdb と %2 アカウント)\n")
                            .arg(QDir::toNativeSeparators(folder))
                            .arg(accounts);
        }
        return 0;
    }
    throw UsageError(u"server は init, import フォルダー, export フォルダー のどれかです。"_qs);
}

} // namespace horunea::cli
