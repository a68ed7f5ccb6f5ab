#include "app/Cli.h"

#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <map>

namespace horunea {

namespace {

const char* const Usage =
    "使い方: horunea-cli [--data-dir フォルダー] コマンド [引数]\n"
    "\n"
    "コマンド:\n"
    "  init                 足りない main.mdb, kelvo.mdb, care.mdb を作成します\n"
    "  sql 対象 \"SQL\"       SQL を実行し、行をタブ区切りで表示します\n"
    "                       対象: master, customer:使用者名, repair:修理名,\n"
    "                             またはデータベースファイルのパス\n"
    "\n"
    "値の中のタブ・改行・\\ は \\t \\n \\\\ と表示します。Null は空です。\n";

struct Invocation
{
    QStringList args;
    QTextStream& out;
    QTextStream& err;
};

class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message)
    {
    }
    QString text;
};

QString cellText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    QString text = value.toString();
    text.replace(u'\\', u"\\\\"_qs);
    text.replace(u'\t', u"\\t"_qs);
    text.replace(u'\n', u"\\n"_qs);
    text.replace(u'\r', u"\\r"_qs);
    return text;
}

// master, customer:NAME, repair:NAME, or the path of a database file.
QString targetPath(const QString& target)
{
    if (target == u"master")
        return DataFolder::masterPath();
    if (target.startsWith(u"customer:"))
        return DataFolder::customerPath(target.mid(9));
    if (target.startsWith(u"repair:"))
        return DataFolder::repairPath(target.mid(7));
    return QFileInfo(target).absoluteFilePath();
}

int commandInit(Invocation& call)
{
    if (!call.args.isEmpty())
        throw UsageError(u"init は引数を取りません。"_qs);
    const QStringList created = EnsureShippedFiles();
    for (const QString& path : created)
        call.err << u"作成しました: "_qs << QDir::toNativeSeparators(path) << '\n';
    return 0;
}

int commandSql(Invocation& call)
{
    if (call.args.size() != 2)
        throw UsageError(u"sql には対象と SQL を指定してください。"_qs);
    Database db = Database::open(targetPath(call.args[0]));
    QStringList header;
    bool headerPrinted = false;
    auto printHeader = [&] {
        if (!headerPrinted && !header.isEmpty()) {
            call.out << header.join(u'\t') << '\n';
            headerPrinted = true;
        }
    };
    db.forEachRow(
        call.args[1], {},
        [&](const Row& row) {
            header = row.columns().names();
            printHeader();
            QStringList cells;
            for (const QVariant& v : row.values())
                cells << cellText(v);
            call.out << cells.join(u'\t') << '\n';
        },
        &header);
    printHeader();
    return 0;
}

} // namespace

int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    try {
        while (!args.isEmpty() && args.first().startsWith(u"--")) {
            const QString option = args.takeFirst();
            if (option == u"--data-dir") {
                if (args.isEmpty())
                    throw UsageError(u"--data-dir にはフォルダーを指定してください。"_qs);
                DataFolder::set(args.takeFirst());
            } else if (option == u"--help") {
                out << Usage;
                return 0;
            } else {
                throw UsageError(u"知らないオプションです: "_qs + option);
            }
        }
        if (args.isEmpty())
            throw UsageError(u"コマンドを指定してください。"_qs);
        const QString command = args.takeFirst();
        Invocation call{args, out, err};
        static const std::map<QString, std::function<int(Invocation&)>> commands = {
            {u"init"_qs, commandInit},
            {u"sql"_qs, commandSql},
        };
        auto it = commands.find(command);
        if (it == commands.end())
            throw UsageError(u"知らないコマンドです: "_qs + command);
        const int status = it->second(call);
        out.flush();
        return status;
    } catch (const UsageError& e) {
        err << e.text << "\n\n" << Usage;
        err.flush();
        return 2;
    } catch (const StoreError& e) {
        out.flush();
        err << e.message() << '\n';
        err.flush();
        return 1;
    }
}

} // namespace horunea
