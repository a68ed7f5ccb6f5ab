#include "cli/CliSupport.h"
#include "store/Store.h"

#include "admin/AccountAdmin.h"
#include "import/TransferSupport.h"
#include "import/Transfers.h"
#include "store/Accounts.h"
#include "store/CsvFile.h"
#include "store/DataFolder.h"
#include "store/Database.h"

#include <QFile>
#include <QFileInfo>

#include <iostream>
#include <optional>
#include <string>
#include <termios.h>
#include <unistd.h>

namespace horunea::cli {

namespace {

QTextStream* s_prompts = nullptr;

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

// A cell as the verbs print it, from its UTF-8 bytes: \\ \t \n and \r
// escaped, the runs without them copied whole.
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

} // namespace

void setPromptStream(QTextStream* err)
{
    s_prompts = err;
}

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

QString cellText(const QVariant& value)
{
    if (value.isNull())
        return QString();
    const QByteArray utf8 = value.toString().toUtf8();
    QByteArray escaped;
    appendEscaped(escaped, std::string_view(utf8.constData(), size_t(utf8.size())));
    return QString::fromUtf8(escaped);
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

// A password option as given, or nothing when it was not given.
std::optional<QString> passwordOption(const QHash<QString, QString>& options, const QString& key)
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

QString requiredOption(const QHash<QString, QString>& options, const QString& key)
{
    if (!options.contains(key))
        throw UsageError(QStringLiteral("--%1 を指定してください。").arg(key));
    return options.value(key);
}

// Takes a flag without a value out of the arguments; true when it was there.
bool takeFlag(QStringList& args, const QString& flag)
{
    return args.removeAll(flag) > 0;
}

// A list verb's rows: on stdout, or with --csv into a CSV file for Excel.
// On stdout they stream as the store hands them over, UTF-8, with only
// \\ \t \n \r escaped (cellText's forms), in large pieces: no row is kept,
// and no cell is decoded and encoded again on its way out.
void showList(Invocation& call, const QHash<QString, QString>& options, const ListColumns& columns,
              Database& db, const SqlStatement& statement)
{
    const QStringList& headers = columns.headings();
    const QStringList& fields = columns.fields();
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
    Database master = OpenMaster();
    if (given)
        return OpenAccount(master, kind, FindBy::Name, name, *given).data;
    QString password;
    const Account account = FindAccount(master, kind, FindBy::Name, name);
    if (!CheckAccountPassword(master, kind, account.number, password))
        if (const auto typed = promptPassword(QStringLiteral("「%1」のパスワード: ").arg(name)))
            password = *typed;
    return OpenAccount(master, kind, FindBy::Number, account.number, password).data;
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

// Every statement of the text runs, in one transaction: either all of them
// take effect and their rows are printed, or none does and nothing is.
// The administrator's password, as a verb over every account needs it.
void checkAdministrator(const std::optional<QString>& given)
{
    Database master = OpenMaster();
    const QString name = LoadAdministrator(master).name;
    bool ok = CheckAdministratorLogin(master, name, given.value_or(QString()));
    if (!ok && !given) {
        if (const auto typed = promptPassword(u"管理者のパスワード: "_qs))
            ok = CheckAdministratorLogin(master, name, *typed);
    }
    if (!ok)
        throw RefusedError(u"管理者のパスワードが違います。"_qs);
}

} // namespace horunea::cli
