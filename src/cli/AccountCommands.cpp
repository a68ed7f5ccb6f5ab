#include "cli/Commands.h"
#include "store/Store.h"

#include "admin/AccountAdmin.h"
#include "cli/CliSupport.h"
#include "store/Accounts.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/ShippedFiles.h"
#include "store/server/ServerConnection.h"

#include <QDir>
#include <QFileInfo>

#include <functional>
#include <optional>

namespace horunea::cli {

int commandAccount(Invocation& call)
{
    QStringList args = call.args;
    if (args.isEmpty())
        throw UsageError(
            u"account には list, add, attach, rename, passwd, delete を続けてください。"_qs);
    const QString action = args.takeFirst();
    EnsureShippedFiles();
    Database master = OpenMaster();
    if (action == u"list") {
        if (!args.isEmpty())
            throw UsageError(u"account list は引数を取りません。"_qs);
        call.out << u"種類\t番号\t名前\n"_qs;
        for (const AccountKind kind : {AccountKind::Operator, AccountKind::Repair})
            for (const Account& a : LoadAccounts(master, kind))
                call.out << kindWord(kind) << '\t' << a.number << '\t' << cellText(a.name) << '\n';
        return 0;
    }
    const bool yes = takeFlag(args, u"--yes"_qs);
    if (yes && action != u"delete")
        throw UsageError(u"--yes は account delete だけのオプションです。"_qs);
    QStringList words;
    const int wordCount = action == u"rename" ? 3 : 2;
    QHash<QString, QString> options;
    if (action == u"add" || action == u"attach")
        options = parseArguments(args, {u"password"_qs, AdminPassword}, &words, wordCount);
    else if (action == u"rename" || action == u"passwd")
        options = parseArguments(args, {u"old-password"_qs, u"new-password"_qs, AdminPassword},
                                 &words, wordCount);
    else if (action == u"delete")
        options = parseArguments(args, {u"old-password"_qs, AdminPassword}, &words, wordCount);
    else
        throw UsageError(u"知らない account の操作です: "_qs + action);
    if (words.size() != wordCount)
        throw UsageError(u"種類 (customer か repair) と名前を指定してください。"_qs);
    // Accounts are the administrator's, as in the administrator menu.
    checkAdministrator(passwordOption(options, AdminPassword));
    const AccountKind kind = kindArgument(words[0]);
    const QString name = words[1];
    if (action == u"attach") {
        AttachAccount(master, kind, name, options.value(u"password"_qs));
        call.err << u"登録しました: "_qs << QDir::toNativeSeparators(accountFilePath(kind, name))
                 << '\n';
        return 0;
    }
    if (action == u"add") {
        CreateAccount(master, kind, name, options.value(u"password"_qs));
        // On a server there is no file to name: the account and its server.
        if (Store::isServer())
            call.err << u"作成しました: 「"_qs << name << u"」(サーバー「"_qs
                     << Store::server().displayName() << u"」)\n"_qs;
        else
            call.err << u"作成しました: "_qs
                     << QDir::toNativeSeparators(accountFilePath(kind, name)) << '\n';
        return 0;
    }
    QString oldPassword;
    if (options.contains(u"old-password"_qs)) {
        oldPassword = options.value(u"old-password"_qs);
    } else if (const auto typed = promptPassword(u"旧パスワード: "_qs)) {
        oldPassword = *typed;
    } else {
        throw UsageError(u"--old-password を指定してください。"_qs);
    }
    const QString number = FindAccount(master, kind, FindBy::Name, name).number;
    if (action == u"delete") {
        if (!yes)
            throw UsageError(u"削除するには --yes を指定してください。"_qs);
        RemoveAccount(master, kind, number, oldPassword);
        call.err << name << u" を削除しました。\n"_qs;
        return 0;
    }
    const QString newName = action == u"rename" ? words[2] : name;
    ChangeAccount(master, kind, number, newName, oldPassword, options.value(u"new-password"_qs));
    call.err << u"変更しました。\n"_qs;
    return 0;
}

int commandAdmin(Invocation& call)
{
    QStringList args = call.args;
    if (args.isEmpty())
        throw UsageError(u"admin には login か set を続けてください。"_qs);
    const QString action = args.takeFirst();
    EnsureShippedFiles();
    Database master = OpenMaster();
    if (action == u"login") {
        QStringList words;
        const auto options = parseArguments(args, {u"password"_qs}, &words, 2);
        // The password as an argument (scripts of old), an option, a file,
        // standard input, or asked on the terminal.
        std::optional<QString> password =
            words.size() == 2 ? std::optional(words[1]) : passwordOption(options);
        if (words.size() == 2 && options.contains(u"password"_qs))
            throw UsageError(u"パスワードは一つだけ指定してください。"_qs);
        if (!password)
            password = promptPassword(u"管理者のパスワード: "_qs);
        if (!password)
            throw UsageError(u"admin login には管理者名とパスワードを指定してください。"_qs);
        if (!CheckAdministratorLogin(master, words[0], *password))
            throw RefusedError(u"管理者名 または パスワードが違います。"_qs);
        call.out << u"ログインできます。\n"_qs;
        return 0;
    }
    if (action == u"set") {
        QString name;
        const auto options = parseOptions(args, {u"password"_qs, AdminPassword}, &name);
        checkAdministrator(passwordOption(options, AdminPassword));
        for (const QChar c : std::as_const(name))
            if (isRefusedNameCharacter(c))
                throw RefusedError(QStringLiteral("管理者名に「%1」は使えません。").arg(c));
        SaveAdministrator(master, name, options.value(u"password"_qs));
        call.err << u"管理者名を変更しました。\n"_qs;
        return 0;
    }
    throw UsageError(u"知らない admin の操作です: "_qs + action);
}

int commandCompact(Invocation& call)
{
    if (call.args.size() != 2)
        throw UsageError(u"compact には種類 (customer か repair) と名前を指定してください。"_qs);
    const AccountKind kind = kindArgument(call.args[0]);
    call.err << u"最適化しています…\n"_qs;
    call.err.flush();
    const CompactionSizes sizes = CompactAccountDatabase(kind, call.args[1]);
    call.out << QStringLiteral("最適化が終了しました。 %1 バイト → %2 バイト\n")
                    .arg(sizes.before)
                    .arg(sizes.after);
    return 0;
}

namespace {

// The one folder an administrator's verb takes, after the administrator's
// password is checked; an option it does not know is refused, not taken for
// a folder ("./--name" names such a folder).
QString folderArgument(const QStringList& args, const QString& missing)
{
    if (args.isEmpty())
        throw UsageError(missing);
    QStringList words;
    const auto options = parseArguments(args, {AdminPassword}, &words, 1);
    checkAdministrator(passwordOption(options, AdminPassword));
    return QFileInfo(words[0]).absoluteFilePath();
}

// Each file of a backup or restore as it is copied, on stderr.
std::function<void(int, int, const QString&)> folderProgress(Invocation& call)
{
    return [&call](int done, int total, const QString& file) {
        // A server's data is written without a count known beforehand.
        if (total > 0)
            call.err << QStringLiteral("(%1/%2) ").arg(done).arg(total);
        call.err << file << '\n';
        call.err.flush();
    };
}

} // namespace

int commandBackup(Invocation& call)
{
    const QString folder =
        folderArgument(call.args, u"backup にはバックアップ先のフォルダーを指定してください。"_qs);
    const QStringList skipped = BackupDataFolder(folder, folderProgress(call));
    if (skipped.isEmpty()) {
        call.out << u"バックアップしました: "_qs << QDir::toNativeSeparators(folder) << '\n';
        return 0;
    }
    for (const QString& file : skipped)
        call.err << u"写せませんでした: "_qs << file << '\n';
    call.err << u"バックアップは不完全です (復元には使えません): "_qs
             << QDir::toNativeSeparators(folder) << '\n';
    return 1;
}

int commandRestore(Invocation& call)
{
    const QString folder =
        folderArgument(call.args, u"restore にはバックアップのフォルダーを指定してください。"_qs);
    RestoreDataFolder(folder, folderProgress(call));
    call.out << u"復元しました: "_qs << QDir::toNativeSeparators(folder) << '\n';
    return 0;
}

} // namespace horunea::cli
