#include "app/Cli.h"

#include "admin/AccountAdmin.h"
#include "admin/AccountRecovery.h"
#include "customer/CustomerLists.h"
#include "customer/CustomerQueries.h"
#include "customer/CustomerSettings.h"
#include "import/PreviousVersion.h"
#include "import/TransferSupport.h"
#include "import/Transfers.h"
#include "print/ReportRenderer.h"
#include "print/Reports.h"
#include "repair/RepairQueries.h"
#include "repair/RepairSettings.h"
#include "repair/RepairStorage.h"
#include "store/Accounts.h"
#include "store/CsvFile.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/JetDialect.h"
#include "store/PrintKeys.h"
#include "store/SearchConditions.h"
#include "store/ShippedFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>

#include <functional>
#include <iostream>
#include <map>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace horunea {

namespace {

const char* const Usage =
    "使い方: horunea-cli [--data-dir フォルダー] [--verbose] コマンド [引数]\n"
    "       --verbose: 失敗したとき、データベースの言葉と SQL も表示します\n"
    "\n"
    "コマンド:\n"
    "  init                 足りない main.mdb, kelvo.mdb, care.mdb を作成します\n"
    "                       (アカウントのファイルがあるのに main.mdb がなければ作りません)\n"
    "  init --templates     ひな形 kelvo.mdb, care.mdb だけを作り直します\n"
    "  where [--help-document]  データフォルダー (またはヘルプ文書) の場所を表示します\n"
    "                       --data-dir がなければ、書き込めるプログラムのフォルダー、\n"
    "                       インストールしたプログラムでは $XDG_DATA_HOME/horunea\n"
    "                       (~/.local/share/horunea)\n"
    "  sql 対象 \"SQL\" [--password パスワード]\n"
    "                       SQL を実行し、行をタブ区切りで表示します (; で区切った\n"
    "                       複数の文は一つのトランザクションで、全部か何もなしか)\n"
    "                       対象: master, customer:使用者名, repair:修理名,\n"
    "                             またはデータベースファイルのパス\n"
    "  users 使用者名 --row 行      その行のユーザー一覧 (行: あ か さ た な は ま や ら わ\n"
    "                               ABC その他)\n"
    "  subjects 使用者名 [--state 続行|完了|全て] [--user ユーザーID]\n"
    "                               件名一覧 (既定は続行、--user で個々で表示)\n"
    "  logs 使用者名 --subject 件名ID  その件名のログ一覧\n"
    "  repairs 修理名 [--state 続行|完了|全て | --unpaid]\n"
    "                               修理一覧 (既定は続行) または未集金リスト\n"
    "  repair-logs 修理名 --repair 修理ID  その修理の修理ログ一覧\n"
    "  search 名前 --in 一覧 文字 [--or 文字2 | --and 文字2] [--exact]\n"
    "                               検索した一覧 (一覧: users subjects logs は使用者名、\n"
    "                               repairs unpaid repair-logs は修理名で)\n"
    "                               --exact で全角・半角、ひらがな・カタカナを区別します\n"
    "                               (英字の大文字・小文字はどちらでも一致します)\n"
    "  account list         アカウントの一覧 (種類・番号・名前。パスワードは表示しません)\n"
    "  account add 種類 名前 [--password パスワード]\n"
    "                       アカウントを作成します (種類: customer または repair)\n"
    "  account attach 種類 名前 [--password パスワード]\n"
    "                       フォルダーにあるファイルをアカウントとして登録し直します\n"
    "  account rename 種類 旧名前 新名前 --old-password 旧 [--new-password 新]\n"
    "  account passwd 種類 名前 --old-password 旧 [--new-password 新]\n"
    "                       名前・パスワードを変更します (新パスワードなしはパスワードなし)\n"
    "  account delete 種類 名前 --old-password 旧 --yes\n"
    "                       アカウントとそのファイルを削除します\n"
    "  admin login 管理者名 [パスワード]  管理者としてログインできるか (終了コード 0 か 1)\n"
    "  admin set 管理者名 [--password パスワード]  管理者名・パスワードを変更します\n"
    "  compact 種類 名前    アカウントのファイルを最適化し、前後の大きさを表示します\n"
    "  backup フォルダー     main.mdb、ひな形、全アカウントのファイルを新しいフォルダーに\n"
    "                       写します (途中経過は標準エラーに)。写せなかったファイル (ない・\n"
    "                       使用中・壊れている) は標準エラーに名前を出し、終了コード 1\n"
    "  restore フォルダー    バックアップをデータフォルダーに戻します (ホルネアの起動中・\n"
    "                       使用中のアカウントがあるときは断ります。今のファイルは戻し\n"
    "                       終わるまで「復元前-日時」に取っておきます)\n"
    "  report 種類 名前 [条件] --pdf ファイル\n"
    "                       帳票を印刷と同じページで PDF に書き出します。種類と条件:\n"
    "                         customer-list --row 行     顧客一覧 (使用者名で)\n"
    "                         user-sheet --user ユーザーID  ﾕｰｻﾞｰ情報\n"
    "                         subject-list [--state 続行|完了]  件名一覧\n"
    "                         repair-list [--state 続行|完了|全て]  修理一覧 (修理名で)\n"
    "                         unpaid-list                未集金リスト\n"
    "                         maker-list                 メーカー一覧\n"
    "                         repair-report --repair 修理ID  修理レポート\n"
    "  transfer customer 取込元 取込先 [--password 取込元のパスワード] [--keep-files フォルダー]\n"
    "                       使用者のユーザー・件名・ログを別の使用者に追加します\n"
    "  transfer repair 取込元 取込先 [--company] [--makers] [--repairs] [--password …]\n"
    "                       自社情報・メーカー・修理と修理ログを別の修理アカウントに追加します\n"
    "                       全部か何もなしか。途中経過は標準エラーに、追加した件数は標準出力に。\n"
    "                       --keep-files で転送ファイルをそのフォルダーに残します\n"
    "  convert users フォルダー  前バージョンのユーザーを ユーザー.ssk の番号と共に表示します\n"
    "  convert customer フォルダー --user 番号 取込先 [--keep-files フォルダー]\n"
    "                       前バージョンのそのユーザーの顧客・件名・ログを使用者に追加します\n"
    "  convert repair フォルダー 取込先 [--keep-files フォルダー]\n"
    "                       前バージョンの修理と修理ログを修理アカウントに追加します\n"
    "                       フォルダーは前バージョンのプログラムのフォルダー。全部か何もなしか。\n"
    "                       --keep-files で中間ファイル (.csv) をそのフォルダーに残します\n"
    "  旧パスワードが空なら、パスワードなしのアカウントに合います。\n"
    "\n"
    "  users, subjects, logs, repairs, repair-logs, search は --password パスワード を\n"
    "  取ります。一覧は設定の並べ替え順です。report も --password を取ります。\n"
    "  sql は customer:・repair: ではそのアカウントの、master やファイルでは管理者の\n"
    "  パスワードを --password で取ります。\n"
    "  パスワードは引数に書くと ps で誰にでも見えます。--password-file ファイル (その\n"
    "  1 行目)、--password - (標準入力の 1 行目) でも渡せます (--old-password-file,\n"
    "  --new-password-file も同じ)。どれもなく、端末から動かしていれば、パスワードの\n"
    "  あるアカウントでは画面に出さずに尋ねます。admin login はパスワードを省くと尋ねます。\n"
    "  一覧のコマンドは --csv ファイル で、表示する代わりに CSV (シフトJIS、CR LF、\n"
    "  全項目を \" で囲む) に書き出します。シフトJIS にない文字があれば書きません。\n"
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
    {}
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
        return accountFilePath(AccountKind::Operator, target.mid(9));
    if (target.startsWith(u"repair:"))
        return accountFilePath(AccountKind::Repair, target.mid(7));
    return QFileInfo(target).absoluteFilePath();
}

std::optional<QString> promptPassword(const QString& prompt);

// Where prompts go (standard error of the running verb).
QTextStream* s_prompts = nullptr;

// Asks for a password on the terminal without echoing it; nothing when
// standard input is no terminal (scripts give --password-file or -).
std::optional<QString> promptPassword(const QString& prompt)
{
    if (!::isatty(STDIN_FILENO) || !s_prompts)
        return std::nullopt;
    *s_prompts << prompt;
    s_prompts->flush();
    termios saved{};
    const bool quiet = ::tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios hidden = saved;
        hidden.c_lflag &= ~tcflag_t(ECHO);
        ::tcsetattr(STDIN_FILENO, TCSANOW, &hidden);
    }
    std::string line;
    std::getline(std::cin, line);
    if (quiet)
        ::tcsetattr(STDIN_FILENO, TCSANOW, &saved);
    *s_prompts << '\n';
    s_prompts->flush();
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.pop_back();
    return QString::fromLocal8Bit(line.data(), qsizetype(line.size()));
}

// The first line of a file or of standard input, without its line break.
QString firstLine(QIODevice& in)
{
    QByteArray line = in.readLine();
    while (line.endsWith('\n') || line.endsWith('\r'))
        line.chop(1);
    return QString::fromUtf8(line);
}

// --xxx-password-file FILE and --xxx-password - become --xxx-password VALUE.
void resolvePasswords(QHash<QString, QString>& options)
{
    for (const QString& key : options.keys()) {
        if (key.endsWith(u"password-file")) {
            const QString option = key.chopped(5);
            if (options.contains(option))
                throw UsageError(
                    QStringLiteral("--%1 と --%2 は一緒に使えません。").arg(option, key));
            QFile file(options.value(key));
            if (!file.open(QIODevice::ReadOnly))
                throw UsageError(
                    QStringLiteral("パスワードのファイルが読めません: %1").arg(file.fileName()));
            options.insert(option, firstLine(file));
            options.remove(key);
        }
    }
    for (auto it = options.begin(); it != options.end(); ++it) {
        if (it.key().endsWith(u"password") && it.value() == u"-") {
            QFile in;
            if (!in.open(stdin, QIODevice::ReadOnly))
                throw UsageError(u"標準入力が読めません。"_qs);
            it.value() = firstLine(in);
        }
    }
}

// A password option as given, or nothing when it was not given.
std::optional<QString> passwordOption(const QHash<QString, QString>& options,
                                      const QString& key = u"password"_qs)
{
    if (!options.contains(key))
        return std::nullopt;
    return options.value(key);
}

// Splits NAME [more words] --key value … into the words and the options;
// only the keys given are allowed, and exactly `words` words.
QHash<QString, QString> parseArguments(const QStringList& args, const QStringList& given,
                                       QStringList* words, int wordCount)
{
    // Every password option also comes from a file (--password-file) or, as
    // "-", from standard input: an argument is seen by every user in ps.
    QStringList allowed = given;
    for (const QString& key : given)
        if (key.endsWith(u"password"))
            allowed << key + u"-file"_qs;
    QHash<QString, QString> options;
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args[i];
        if (a.startsWith(u"--")) {
            const QString key = a.mid(2);
            if (!allowed.contains(key))
                throw UsageError(u"知らないオプションです: "_qs + a);
            if (i + 1 >= args.size())
                throw UsageError(a + u" には値を指定してください。"_qs);
            if (options.contains(key))
                throw UsageError(a + u" が二度指定されています。"_qs);
            options.insert(key, args[++i]);
        } else if (words->size() < wordCount) {
            *words << a;
        } else {
            throw UsageError(u"余分な引数です: "_qs + a);
        }
    }
    if (words->isEmpty())
        throw UsageError(u"アカウント名を指定してください。"_qs);
    resolvePasswords(options);
    return options;
}

QHash<QString, QString> parseOptions(const QStringList& args, const QStringList& allowed,
                                     QString* name)
{
    QStringList words;
    const auto options = parseArguments(args, allowed, &words, 1);
    *name = words.first();
    return options;
}

// A key given on the command line goes into SQL text: digits only.
QString keyOption(const QHash<QString, QString>& options, const QString& key)
{
    const QString value = options.value(key);
    bool ok = false;
    value.toULongLong(&ok);
    if (!ok || value.startsWith(u'+'))
        throw UsageError(QStringLiteral("--%1 には数字を指定してください。").arg(key));
    return value;
}

class RefusedError : public std::runtime_error
{
public:
    explicit RefusedError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message)
    {}
    QString text;
};

// A cell as cellText writes it, from its UTF-8 bytes: the runs without a
// \\ \t \n or \r go in whole.
void appendEscaped(QByteArray& out, std::string_view cell)
{
    size_t start = 0;
    for (size_t at = cell.find_first_of("\\\t\n\r"); at != std::string_view::npos;
         at = cell.find_first_of("\\\t\n\r", start)) {
        out.append(cell.data() + start, qsizetype(at - start));
        switch (cell[at]) {
        case '\\':
            out += "\\\\";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\n':
            out += "\\n";
            break;
        default:
            out += "\\r";
        }
        start = at + 1;
    }
    out.append(cell.data() + start, qsizetype(cell.size() - start));
}

// A list verb's rows: on stdout, or with --csv into a CSV file for Excel.
// On stdout they stream as the store hands them over, UTF-8, with only
// \\ \t \n \r escaped (cellText's forms), in large pieces: no row is kept,
// and no cell is decoded and encoded again on its way out.
void showList(Invocation& call, const QHash<QString, QString>& options, const QStringList& headers,
              Database& db, const SqlStatement& statement, const QStringList& fields)
{
    if (options.contains(u"csv"_qs)) {
        const ListRows rows = db.textRows(statement.sql, fields, statement.params);
        std::vector<QStringList> cells;
        cells.reserve(rows.size());
        for (const TextRow& row : rows) {
            QStringList line;
            for (qsizetype i = 0; i < row.size(); ++i)
                line << row.value(i);
            cells.push_back(std::move(line));
        }
        writeCsvFile(options.value(u"csv"_qs), headers, cells);
        call.err << QStringLiteral("%1 行を %2 に書きました。")
                        .arg(rows.size())
                        .arg(options.value(u"csv"_qs))
                 << '\n';
        return;
    }
    QTextStream& out = call.out;
    out << headers.join(u'\t') << '\n';
    out.flush();
    QIODevice* device = out.device();
    QByteArray piece;
    piece.reserve(1 << 17);
    auto send = [&] {
        if (device)
            device->write(piece);
        else
            out << QString::fromUtf8(piece);
        piece.clear();
    };
    db.forEachTextRow(
        statement.sql, fields,
        [&](const Database::TextCells& row) {
            for (qsizetype i = 0; i < row.size(); ++i) {
                if (i > 0)
                    piece += '\t';
                appendEscaped(piece, row[i]);
            }
            piece += '\n';
            if (piece.size() >= 1 << 16)
                send();
        },
        statement.params);
    send();
}

// customer or repair, as every verb on an account names its kind.
AccountKind kindArgument(const QString& word)
{
    if (word == u"customer")
        return AccountKind::Operator;
    if (word == u"repair")
        return AccountKind::Repair;
    throw UsageError(u"customer か repair を指定してください: "_qs + word);
}

// Opens an account's database as the main menu does, holding its lock while
// the verb works. Without --password an account without one opens; one with
// a password asks for it on a terminal, without echo.
Database openAccountData(AccountKind kind, const QString& name, const std::optional<QString>& given)
{
    accountFilePath(kind, name); // a name no file can have is said before main.mdb is asked
    Database master = Database::open(DataFolder::masterPath());
    if (given)
        return OpenAccount(master, kind, FindBy::Name, name, *given).data;
    QString password;
    const Account account = FindAccount(master, kind, FindBy::Name, name);
    if (!CheckAccountPassword(master, kind, account.number, password))
        if (const auto typed = promptPassword(QStringLiteral("「%1」のパスワード: ").arg(name)))
            password = *typed;
    return OpenAccount(master, kind, FindBy::Number, account.number, password).data;
}

int commandRepairs(Invocation& call)
{
    QString name;
    QStringList args = call.args;
    const bool unpaid = args.removeAll(u"--unpaid"_qs) > 0;
    const auto options = parseOptions(args, {u"state"_qs, u"password"_qs, u"csv"_qs}, &name);
    if (unpaid && options.contains(u"state"_qs))
        throw UsageError(u"--state と --unpaid は一緒に使えません。"_qs);
    const QString state = options.value(u"state"_qs, u"続行"_qs);
    if (state != u"続行" && state != u"完了" && state != u"全て")
        throw UsageError(u"--state には 続行 完了 全て のどれかを指定してください。"_qs);
    Database db = openAccountData(AccountKind::Repair, name, passwordOption(options));
    RepairListQuery query;
    query.setSortClauses(BuildRepairSortClauses(db));
    if (unpaid) {
        showList(call, options, unpaidListHeaders(), db, query.unpaidSql(), unpaidRowFields());
    } else {
        query.RepairFilter = state;
        query.ApplyRepairFilter();
        showList(call, options, repairListHeaders(), db, query.repairSql(), repairRowFields());
    }
    return 0;
}

int commandRepairLogs(Invocation& call)
{
    QString name;
    const auto options = parseOptions(call.args, {u"repair"_qs, u"password"_qs, u"csv"_qs}, &name);
    if (!options.contains(u"repair"_qs))
        throw UsageError(u"--repair で修理IDを指定してください。"_qs);
    const QString repair = keyOption(options, u"repair"_qs);
    Database db = openAccountData(AccountKind::Repair, name, passwordOption(options));
    RepairListQuery query;
    query.setSortClauses(BuildRepairSortClauses(db));
    query.RepairLogWhere = u" WHERE 修理ID ="_qs + repair;
    showList(call, options, repairLogListHeaders(), db, query.repairLogSql(), repairLogRowFields());
    return 0;
}

CustomerListQuery customerQuery(Database& db)
{
    CustomerListQuery query;
    query.setSortClauses(BuildCustomerSortClauses(db));
    return query;
}

int commandUsers(Invocation& call)
{
    QString name;
    const auto options = parseOptions(call.args, {u"row"_qs, u"password"_qs, u"csv"_qs}, &name);
    KanaRow row;
    if (!kanaRowFromName(options.value(u"row"_qs), &row))
        throw UsageError(
            u"--row には あ か さ た な は ま や ら わ ABC その他 のどれかを指定してください。"_qs);
    Database db = openAccountData(AccountKind::Operator, name, passwordOption(options));
    CustomerListQuery query = customerQuery(db);
    query.UserWhere = kanaRowCondition(row);
    showList(call, options, userListHeaders(), db, query.userSql(), userRowFields());
    return 0;
}

int commandSubjects(Invocation& call)
{
    QString name;
    const auto options =
        parseOptions(call.args, {u"state"_qs, u"user"_qs, u"password"_qs, u"csv"_qs}, &name);
    const QString state = options.value(u"state"_qs, u"続行"_qs);
    if (state != u"続行" && state != u"完了" && state != u"全て")
        throw UsageError(u"--state には 続行 完了 全て のどれかを指定してください。"_qs);
    const bool individual = options.contains(u"user"_qs);
    const QString user = individual ? keyOption(options, u"user"_qs) : u"0"_qs;
    Database db = openAccountData(AccountKind::Operator, name, passwordOption(options));
    CustomerListQuery query = customerQuery(db);
    query.SubjectFilter = state;
    query.ApplySubjectFilter(individual, user);
    showList(call, options, subjectListHeaders(), db, query.subjectSql(), subjectRowFields());
    return 0;
}

int commandLogs(Invocation& call)
{
    QString name;
    const auto options = parseOptions(call.args, {u"subject"_qs, u"password"_qs, u"csv"_qs}, &name);
    if (!options.contains(u"subject"_qs))
        throw UsageError(u"--subject で件名IDを指定してください。"_qs);
    const QString subject = keyOption(options, u"subject"_qs);
    Database db = openAccountData(AccountKind::Operator, name, passwordOption(options));
    CustomerListQuery query = customerQuery(db);
    query.LogWhere = u" WHERE 件名ID ="_qs + subject;
    showList(call, options, logListHeaders(), db, query.logSql(), logRowFields());
    return 0;
}

SearchKind searchKindOption(const QString& value)
{
    static const QHash<QString, SearchKind> kinds = {
        {u"users"_qs, SearchKind::Users},   {u"subjects"_qs, SearchKind::Subjects},
        {u"logs"_qs, SearchKind::Logs},     {u"repairs"_qs, SearchKind::Repairs},
        {u"unpaid"_qs, SearchKind::Unpaid}, {u"repair-logs"_qs, SearchKind::RepairLogs},
    };
    const auto it = kinds.constFind(value);
    if (it == kinds.cend())
        throw UsageError(u"--in には users subjects logs repairs unpaid repair-logs "
                         u"のどれかを指定してください。"_qs);
    return *it;
}

int commandSearch(Invocation& call)
{
    QStringList args = call.args;
    SearchRequest request;
    request.folded = args.removeAll(u"--exact"_qs) == 0;
    QStringList words;
    const auto options =
        parseArguments(args, {u"in"_qs, u"or"_qs, u"and"_qs, u"password"_qs, u"csv"_qs}, &words, 2);
    if (!options.contains(u"in"_qs))
        throw UsageError(u"--in で検索する一覧を指定してください。"_qs);
    if (words.size() < 2)
        throw UsageError(u"検索する文字を指定してください。"_qs);
    if (options.contains(u"or"_qs) && options.contains(u"and"_qs))
        throw UsageError(u"--or と --and は一緒に使えません。"_qs);
    request.kind = searchKindOption(options.value(u"in"_qs));
    request.word1 = words[1];
    if (options.contains(u"or"_qs)) {
        request.join = SearchJoin::Or;
        request.word2 = options.value(u"or"_qs);
    } else if (options.contains(u"and"_qs)) {
        request.join = SearchJoin::And;
        request.word2 = options.value(u"and"_qs);
    }
    const bool customer = searchesCustomerData(request.kind);
    Database db = openAccountData(customer ? AccountKind::Operator : AccountKind::Repair, words[0],
                                  passwordOption(options));
    if (customer) {
        CustomerListQuery query = customerQuery(db);
        applySearch(query, request);
        if (request.kind == SearchKind::Users)
            showList(call, options, userListHeaders(), db, query.userStatement(), userRowFields());
        else if (request.kind == SearchKind::Subjects)
            showList(call, options, subjectListHeaders(), db, query.subjectStatement(),
                     subjectRowFields());
        else
            showList(call, options, logListHeaders(), db, query.logStatement(), logRowFields());
        return 0;
    }
    RepairListQuery query;
    query.setSortClauses(BuildRepairSortClauses(db));
    applySearch(query, request);
    if (request.kind == SearchKind::Repairs)
        showList(call, options, repairListHeaders(), db, query.repairStatement(),
                 repairRowFields());
    else if (request.kind == SearchKind::Unpaid)
        showList(call, options, unpaidListHeaders(), db, query.unpaidStatement(),
                 unpaidRowFields());
    else
        showList(call, options, repairLogListHeaders(), db, query.repairLogStatement(),
                 repairLogRowFields());
    return 0;
}

// report KIND NAME [--row|--user|--state|--repair] --pdf FILE [--password PW]
int commandReport(Invocation& call)
{
    if (call.args.isEmpty())
        throw UsageError(u"帳票の種類を指定してください。"_qs);
    const QString kind = call.args.first();
    static const QHash<QString, QStringList> kindOptions = {
        {u"customer-list"_qs, {u"row"_qs}},
        {u"user-sheet"_qs, {u"user"_qs}},
        {u"subject-list"_qs, {u"state"_qs}},
        {u"repair-list"_qs, {u"state"_qs}},
        {u"unpaid-list"_qs, {}},
        {u"maker-list"_qs, {}},
        {u"repair-report"_qs, {u"repair"_qs}},
    };
    if (!kindOptions.contains(kind))
        throw UsageError(u"帳票の種類は customer-list user-sheet subject-list repair-list "
                         u"unpaid-list maker-list repair-report のどれかです: "_qs +
                         kind);
    QString name;
    const auto options = parseOptions(
        call.args.mid(1), kindOptions.value(kind) + QStringList{u"pdf"_qs, u"password"_qs}, &name);
    if (!options.contains(u"pdf"_qs))
        throw UsageError(u"--pdf で書き出す PDF ファイルを指定してください。"_qs);
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        throw RefusedError(
            u"PDF を書くには画面描画の準備が要ります (horunea-cli から実行してください)。"_qs);

    const bool customer =
        kind == u"customer-list" || kind == u"user-sheet" || kind == u"subject-list";
    std::optional<Report> report;
    auto makeReport = [&](Database& db) {
        if (kind == u"customer-list") {
            KanaRow row;
            if (!kanaRowFromName(options.value(u"row"_qs), &row))
                throw UsageError(
                    u"--row には あ か さ た な は ま や ら わ ABC その他 のどれかを"_qs
                    u"指定してください。");
            const CustomerSortClauses sort = BuildCustomerSortClauses(db);
            report = ListReport(db, *customerListPrint(customerListKey(kanaRowName(row)),
                                                       sort.UserOrderBy, sort.UserOrderDesc));
        } else if (kind == u"user-sheet") {
            if (!options.contains(u"user"_qs))
                throw UsageError(u"--user でユーザーIDを指定してください。"_qs);
            report = UserSheetReport(db, keyOption(options, u"user"_qs));
        } else if (kind == u"subject-list") {
            const QString state = options.value(u"state"_qs, u"続行"_qs);
            if (state != u"続行" && state != u"完了")
                throw UsageError(u"--state には 続行 完了 のどちらかを指定してください。"_qs);
            report = SubjectListReport(db, state, subjectListTitle(state));
        } else if (kind == u"repair-report") {
            if (!options.contains(u"repair"_qs))
                throw UsageError(u"--repair で修理IDを指定してください。"_qs);
            report = RepairSheetReport(db, keyOption(options, u"repair"_qs));
        } else {
            PrintKey key = PrintKey::Makers;
            if (kind == u"unpaid-list") {
                key = PrintKey::UnpaidRepairs;
            } else if (kind == u"repair-list") {
                const QString state = options.value(u"state"_qs, u"続行"_qs);
                static const QHash<QString, PrintKey> keys = {
                    {u"続行"_qs, PrintKey::ContinuingRepairs},
                    {u"完了"_qs, PrintKey::DoneRepairs},
                    {u"全て"_qs, PrintKey::AllRepairs}};
                if (!keys.contains(state))
                    throw UsageError(
                        u"--state には 続行 完了 全て のどれかを指定してください。"_qs);
                key = keys.value(state);
            }
            const RepairSortClauses sort = BuildRepairSortClauses(db);
            report = ListReport(db, *repairListPrint(printKeyText(key),
                                                     {sort.RepairOrderBy, sort.RepairOrderDesc,
                                                      sort.UnpaidOrderBy, sort.UnpaidOrderDesc}));
        }
    };
    Database db = openAccountData(customer ? AccountKind::Operator : AccountKind::Repair, name,
                                  passwordOption(options));
    makeReport(db);
    db.close();
    const QString path = options.value(u"pdf"_qs);
    const ReportRenderer renderer(*report);
    writeReportPdf(renderer, path, [&call](int page, int pages) {
        if (page % 200 == 0 || (page == pages && pages >= 200))
            call.err << QStringLiteral("%1 / %2 ページ").arg(page).arg(pages) << '\n' << Qt::flush;
        return true;
    });
    call.out << QStringLiteral("%1\t%2 ページ").arg(path).arg(renderer.pageCount()) << '\n';
    return 0;
}

// The status texts of an import on stderr, each percentage once.
ImportProgress importProgress(Invocation& call)
{
    ImportProgress progress;
    progress.progress = [&call, shown = -1, shownText = QString()](const QString& text, qint64 done,
                                                                   qint64 total) mutable {
        const int percent = importPercent(done, total);
        if (percent == shown && text == shownText)
            return;
        shown = percent;
        shownText = text;
        call.err << importProgressText(text, done, total) << '\n' << Qt::flush;
    };
    progress.status = [&call](const QString& text) { call.err << text << '\n' << Qt::flush; };
    return progress;
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

// where [--help-document]
int commandWhere(Invocation& call)
{
    if (call.args.isEmpty()) {
        call.out << QDir::toNativeSeparators(DataFolder::path()) << '\n';
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

int commandInit(Invocation& call)
{
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

QString requiredOption(const QHash<QString, QString>& options, const QString& key)
{
    if (!options.contains(key))
        throw UsageError(QStringLiteral("--%1 を指定してください。").arg(key));
    return options.value(key);
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

// Takes a flag without a value out of the arguments; true when it was there.
bool takeFlag(QStringList& args, const QString& flag)
{
    return args.removeAll(flag) > 0;
}

int commandAccount(Invocation& call)
{
    QStringList args = call.args;
    if (args.isEmpty())
        throw UsageError(
            u"account には list, add, attach, rename, passwd, delete を続けてください。"_qs);
    const QString action = args.takeFirst();
    EnsureShippedFiles();
    Database master = Database::open(DataFolder::masterPath());
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
        options = parseArguments(args, {u"password"_qs}, &words, wordCount);
    else if (action == u"rename" || action == u"passwd")
        options = parseArguments(args, {u"old-password"_qs, u"new-password"_qs}, &words, wordCount);
    else if (action == u"delete")
        options = parseArguments(args, {u"old-password"_qs}, &words, wordCount);
    else
        throw UsageError(u"知らない account の操作です: "_qs + action);
    if (words.size() != wordCount)
        throw UsageError(u"種類 (customer か repair) と名前を指定してください。"_qs);
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
        call.err << u"作成しました: "_qs << QDir::toNativeSeparators(accountFilePath(kind, name))
                 << '\n';
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
    Database master = Database::open(DataFolder::masterPath());
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
        const auto options = parseOptions(args, {u"password"_qs}, &name);
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

int commandBackup(Invocation& call)
{
    if (call.args.size() != 1)
        throw UsageError(u"backup にはバックアップ先のフォルダーを指定してください。"_qs);
    const QStringList skipped = BackupDataFolder(
        QFileInfo(call.args[0]).absoluteFilePath(), [&](int done, int total, const QString& file) {
            call.err << QStringLiteral("(%1/%2) %3\n").arg(done).arg(total).arg(file);
            call.err.flush();
        });
    for (const QString& file : skipped)
        call.err << u"写せませんでした: "_qs << file << '\n';
    call.out << u"バックアップしました: "_qs << QDir::toNativeSeparators(call.args[0]) << '\n';
    return skipped.isEmpty() ? 0 : 1;
}

int commandRestore(Invocation& call)
{
    if (call.args.size() != 1)
        throw UsageError(u"restore にはバックアップのフォルダーを指定してください。"_qs);
    RestoreDataFolder(QFileInfo(call.args[0]).absoluteFilePath(),
                      [&](int done, int total, const QString& file) {
                          call.err << QStringLiteral("(%1/%2) %3\n").arg(done).arg(total).arg(file);
                          call.err.flush();
                      });
    call.out << u"復元しました: "_qs << QDir::toNativeSeparators(call.args[0]) << '\n';
    return 0;
}

// Every statement of the text runs, in one transaction: either all of them
// take effect and their rows are printed, or none does and nothing is.
// The administrator's password, as a verb over every account needs it.
void checkAdministrator(const std::optional<QString>& given)
{
    Database master = Database::open(DataFolder::masterPath());
    const QString name = LoadAdministrator(master).name;
    bool ok = CheckAdministratorLogin(master, name, given.value_or(QString()));
    if (!ok && !given) {
        if (const auto typed = promptPassword(u"管理者のパスワード: "_qs))
            ok = CheckAdministratorLogin(master, name, *typed);
    }
    if (!ok)
        throw RefusedError(u"管理者のパスワードが違います。"_qs);
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
        return Database::open(targetPath(target));
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

} // namespace

bool cliNeedsPainting(const QStringList& arguments)
{
    for (int i = 0; i < arguments.size(); ++i) {
        if (arguments[i] == u"--data-dir") {
            ++i;
            continue;
        }
        if (!arguments[i].startsWith(u"--"))
            return arguments[i] == u"report";
    }
    return false;
}

int runCli(const QStringList& arguments, QTextStream& out, QTextStream& err)
{
    QStringList args = arguments;
    bool verbose = false;
    try {
        while (!args.isEmpty() && args.first().startsWith(u"--")) {
            const QString option = args.takeFirst();
            if (option == u"--data-dir") {
                if (args.isEmpty())
                    throw UsageError(u"--data-dir にはフォルダーを指定してください。"_qs);
                DataFolder::set(args.takeFirst());
            } else if (option == u"--verbose") {
                verbose = true;
            } else if (option == u"--help") {
                out << Usage;
                return 0;
            } else {
                throw UsageError(u"知らないオプションです: "_qs + option);
            }
        }
        if (args.isEmpty())
            throw UsageError(u"コマンドを指定してください。"_qs);
        DataFolder::protect();
        transfer::RemoveStaleTransferFolders();
        try {
            RecoverAccountOperation();
        } catch (const StoreError&) {
            // main.mdb cannot be read: the verb says why; account verbs recover first.
        }
        const QString command = args.takeFirst();
        Invocation call{args, out, err};
        s_prompts = &err;
        static const std::map<QString, std::function<int(Invocation&)>> commands = {
            {u"init"_qs, commandInit},         {u"where"_qs, commandWhere},
            {u"sql"_qs, commandSql},           {u"users"_qs, commandUsers},
            {u"subjects"_qs, commandSubjects}, {u"logs"_qs, commandLogs},
            {u"repairs"_qs, commandRepairs},   {u"repair-logs"_qs, commandRepairLogs},
            {u"search"_qs, commandSearch},     {u"account"_qs, commandAccount},
            {u"admin"_qs, commandAdmin},       {u"compact"_qs, commandCompact},
            {u"backup"_qs, commandBackup},     {u"restore"_qs, commandRestore},
            {u"report"_qs, commandReport},     {u"transfer"_qs, commandTransfer},
            {u"convert"_qs, commandConvert},
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
    } catch (const RefusedError& e) {
        out.flush();
        err << e.text << '\n';
        err.flush();
        return 1;
    } catch (const StoreError& e) {
        out.flush();
        err << e.message() << '\n';
        if (verbose && !e.detail().isEmpty())
            err << u"詳細: "_qs << e.detail() << '\n';
        err.flush();
        return 1;
    }
}

} // namespace horunea
