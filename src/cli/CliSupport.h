#pragma once

#include "store/Accounts.h"
#include "store/ListColumns.h"
#include "store/SqlPiece.h"

#include <QHash>
#include <QString>
#include <QStringList>
#include <QTextStream>
#include <QVariant>

#include <optional>
#include <stdexcept>

namespace horunea {

class Database;
struct ImportProgress;

namespace cli {

// One run of a verb: its arguments (after the verb) and the two streams.
struct Invocation
{
    QStringList args;
    QTextStream& out;
    QTextStream& err;
};

// Wrong use of the command line: said with the usage text, exit status 2.
class UsageError : public std::runtime_error
{
public:
    explicit UsageError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message)
    {}
    QString text;
};

// A refusal (exit status 1), said without the usage text.
class RefusedError : public std::runtime_error
{
public:
    explicit RefusedError(const QString& message)
        : std::runtime_error(message.toStdString()), text(message)
    {}
    QString text;
};

// Where password prompts go: the running verb's standard error.
void setPromptStream(QTextStream* err);
// Asks for a password on the terminal without echoing it; nothing when
// standard input is no terminal (scripts give --password-file or -).
std::optional<QString> promptPassword(const QString& prompt);

QString cellText(const QVariant& value);
QString targetPath(const QString& target);
std::optional<QString> passwordOption(const QHash<QString, QString>& options,
                                      const QString& key = u"password"_qs);
QHash<QString, QString> parseArguments(const QStringList& args, const QStringList& given,
                                       QStringList* words, int wordCount);
QHash<QString, QString> parseOptions(const QStringList& args, const QStringList& allowed,
                                     QString* name);
QString keyOption(const QHash<QString, QString>& options, const QString& key);
QString requiredOption(const QHash<QString, QString>& options, const QString& key);
bool takeFlag(QStringList& args, const QString& flag);
void showList(Invocation& call, const QHash<QString, QString>& options, const ListColumns& columns,
              Database& db, const SqlStatement& statement);
AccountKind kindArgument(const QString& word);
Database openAccountData(AccountKind kind, const QString& name,
                         const std::optional<QString>& given);
ImportProgress importProgress(Invocation& call);
void checkAdministrator(const std::optional<QString>& given);
// The option of the administrator's password on the administrator's verbs
// (also --admin-password-file, and "-" for standard input).
inline const QString AdminPassword = QStringLiteral("admin-password");

} // namespace cli
} // namespace horunea
