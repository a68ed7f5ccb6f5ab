#include "cli/Commands.h"
#include "store/Store.h"

#include "cli/CliSupport.h"
#include "import/PreviousVersion.h"
#include "import/TransferSupport.h"
#include "import/Transfers.h"
#include "store/Accounts.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"
#include "store/server/ServerConnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <sys/stat.h>

#include <optional>

namespace horunea::cli {

// where [--help-document]
int commandWhere(Invocation& call)
{
    if (call.args.isEmpty()) {
        call.out << QDir::toNativeSeparators(DataFolder::path()) << '\n';
        if (Store::isServer())
            call.out << u"サーバー: "_qs << Store::server().displayName() << '\n';
        return 0;
    }
    if (call.args != QStringList{u"--help-document"_qs})
        throw UsageError(u"where は --help-document だけを取ります。"_qs);
    const QString document = DataFolder::helpDocumentPath();
    if (!QFileInfo(document).isFile())
        throw RefusedError(u"ヘルプ文書が見つかりません: "_qs + QDir::toNativeSeparators(document));
    call.out << QDir::toNativeSeparators(document) << '\n';
    return 0;
}

namespace {

// The account whose file path names, by the file itself (a symbolic or hard
// link to an account's file is that file too), with the account's own path:
// a file of the data folder's accounts is opened as the account is, under
// its lock.
struct AccountFile
{
    QString name, path;
};
std::optional<AccountFile> accountOfFile(const QString& path)
{
    struct stat target
    {
    };
    if (Store::isServer() || !QFileInfo(DataFolder::masterPath()).isFile() ||
        ::stat(QFile::encodeName(path).constData(), &target) != 0)
        return std::nullopt;
    Database master = OpenMaster();
    for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair})
        for (const Account& a : LoadAccounts(master, kind)) {
            struct stat file
            {
            };
            const QString own = QDir(accountFolder(kind)).filePath(a.name + u".mdb"_qs);
            if (::stat(QFile::encodeName(own).constData(), &file) == 0 &&
                file.st_dev == target.st_dev && file.st_ino == target.st_ino)
                return AccountFile{a.name, own};
        }
    return std::nullopt;
}

} // namespace

int commandInit(Invocation& call)
{
    if (Store::isServer())
        throw RefusedError(u"このデータフォルダーはサーバー「"_qs + Store::server().displayName() +
                           u"」を使います。サーバーに作るには server init を使ってください。"_qs);
    if (call.args == QStringList{u"--templates"_qs}) {
        for (const QString& path : RewriteTemplates())
            call.err << u"作り直しました: "_qs << QDir::toNativeSeparators(path) << '\n';
        return 0;
    }
    if (!call.args.isEmpty())
        throw UsageError(u"init が取るのは --templates だけです。"_qs);
    const QStringList created = EnsureShippedFiles(true);
    for (const QString& path : created)
        call.err << u"作成しました: "_qs << QDir::toNativeSeparators(path) << '\n';
    return 0;
}

int commandSql(Invocation& call)
{
    if (call.args.size() < 2)
        throw UsageError(u"sql には対象と SQL を指定してください。"_qs);
    // The SQL text is taken as it is (it may start with "--"); options follow it.
    QStringList rest = call.args.mid(2);
    QStringList none;
    const auto options =
        rest.isEmpty() ? QHash<QString, QString>()
                       : parseArguments(QStringList{u"sql"_qs} + rest, {u"password"_qs}, &none, 1);
    const QString target = call.args[0];
    const QStringList statements = splitJetStatements(call.args[1]);
    if (statements.isEmpty())
        throw UsageError(u"SQL が空です。"_qs);
    // An account's file is read with the account's password, held shared as
    // every verb holds it; main.mdb (every password) and any other file with
    // the administrator's.
    Database db = [&] {
        if (target.startsWith(u"customer:"))
            return openAccountData(AccountKind::Operator, target.mid(9), passwordOption(options));
        if (target.startsWith(u"repair:"))
            return openAccountData(AccountKind::Repair, target.mid(7), passwordOption(options));
        checkAdministrator(passwordOption(options));
        if (target == u"master" && Store::isServer())
            return OpenMaster();
        const QString path = targetPath(target);
        if (const auto account = accountOfFile(path))
            return Database::openLocked(account->path, account->name, AccountLock::Mode::Shared);
        return Database::open(path);
    }();
    QString printed;
    QTextStream out(&printed);
    {
        // One statement alone needs none (and VACUUM cannot run in one).
        std::optional<Transaction> transaction;
        if (statements.size() > 1)
            transaction.emplace(db);
        for (const QString& statement : statements) {
            QStringList header;
            bool headerPrinted = false;
            auto printHeader = [&] {
                if (!headerPrinted && !header.isEmpty()) {
                    out << header.join(u'\t') << '\n';
                    headerPrinted = true;
                }
            };
            db.forEachRow(
                statement, {},
                [&](const Row& row) {
                    header = row.columns().names();
                    printHeader();
                    QStringList cells;
                    for (const QVariant& v : row.values())
                        cells << cellText(v);
                    out << cells.join(u'\t') << '\n';
                },
                &header);
            printHeader();
        }
        if (transaction)
            transaction->commit();
    }
    out.flush();
    call.out << printed;
    return 0;
}

// transfer customer|repair SOURCE DEST [--company] [--makers] [--repairs]
//          [--password SOURCE_PW] [--keep-files DIR]
int commandTransfer(Invocation& call)
{
    QStringList args = call.args;
    if (args.isEmpty() || (args.first() != u"customer" && args.first() != u"repair"))
        throw UsageError(u"transfer の後に customer か repair を指定してください。"_qs);
    const AccountKind kind = kindArgument(args.takeFirst());
    const bool repair = kind == AccountKind::Repair;
    RepairParts parts;
    if (repair) {
        parts.company = args.removeAll(u"--company"_qs) > 0;
        parts.makers = args.removeAll(u"--makers"_qs) > 0;
        parts.repairs = args.removeAll(u"--repairs"_qs) > 0;
    }
    QStringList words;
    const auto options = parseArguments(args, {u"password"_qs, u"keep-files"_qs}, &words, 2);
    if (words.size() < 2)
        throw UsageError(u"取り込み元と取り込み先を指定してください。"_qs);
    // The source's password, as the import window asks it.
    openAccountData(kind, words[0], passwordOption(options)).close();
    const ImportProgress progress = importProgress(call);
    const TransferResult result = repair ? TransferRepairData(words[0], words[1], parts, progress,
                                                              options.value(u"keep-files"_qs))
                                         : TransferCustomerData(words[0], words[1], progress,
                                                                options.value(u"keep-files"_qs));
    call.out << result.summary() << '\n';
    return 0;
}

// convert users FOLDER
// convert customer FOLDER --user N DEST [--keep-files DIR]
// convert repair FOLDER DEST [--keep-files DIR]
int commandConvert(Invocation& call)
{
    QStringList args = call.args;
    const QString what = args.isEmpty() ? QString() : args.takeFirst();
    if (what == u"users") {
        QStringList words;
        parseArguments(args, {}, &words, 1);
        if (words.isEmpty())
            throw UsageError(u"前バージョンのフォルダーを指定してください。"_qs);
        const QStringList users = PreviousVersionUsers(words[0]);
        for (int i = 0; i < users.size(); ++i)
            call.out << (i + 1) << '\t' << users[i] << '\n';
        return 0;
    }
    if (what != u"customer" && what != u"repair")
        throw UsageError(u"convert の後に users、customer か repair を指定してください。"_qs);
    const bool customer = what == u"customer";
    QStringList words;
    const auto options = parseArguments(
        args, customer ? QStringList{u"user"_qs, u"keep-files"_qs} : QStringList{u"keep-files"_qs},
        &words, 2);
    if (words.size() < 2)
        throw UsageError(u"前バージョンのフォルダーと取り込み先を指定してください。"_qs);
    const QString keep = options.value(u"keep-files"_qs);
    TransferResult result;
    if (customer) {
        bool ok = false;
        const int user = requiredOption(options, u"user"_qs).toInt(&ok);
        if (!ok || user < 1)
            throw UsageError(u"--user には ユーザー.ssk での番号 (1 から) を指定してください。"_qs);
        // Only an old user that ユーザー.ssk lists has a folder to convert.
        const QStringList users = PreviousVersionUsers(words[0]);
        if (user > users.size())
            throw RefusedError(QStringLiteral("前バージョンのユーザーは %1 人です: --user %2")
                                   .arg(users.size())
                                   .arg(user));
        result = ConvertPreviousCustomerData(words[0], user, words[1], importProgress(call), keep);
    } else {
        result = ConvertPreviousRepairData(words[0], words[1], importProgress(call), keep);
    }
    call.out << result.summary() << '\n';
    return 0;
}

} // namespace horunea::cli
