#pragma once

#include "store/DatabaseKind.h"

#include "store/JetDialect.h"

#include <QHash>
#include <QList>
#include <QSet>
#include <QString>
#include <QVariantList>

#include <optional>
#include <vector>

namespace horunea {

// A Jet Like pattern as a PostgreSQL regular expression (an ARE) that
// matches exactly the texts the pattern matches (jetLike): the whole text,
// % any run, _ any one character, [a-z] a range by character code, [!a-z]
// an exclusion, an unclosed [ itself, and ASCII letters either case, in
// ranges too. Every other ASCII sign stands for itself.
QString jetPatternAsServerRegex(const QString& pattern);

// The pattern of a folded search (SearchFold(x) Like pattern) as what the
// text x itself must hold for its folded form to match: a regular
// expression in which each character of the pattern stands for every
// character that folds to it, a voiced kana for its base and mark together;
// and, where a stretch of the pattern can be written only a few ways (a run
// of kanji one way, 件名１２ four), those ways, one of which x must hold as
// it is: LIKE finds them quicker than the expression. When the stretch is
// the whole pattern, no expression is needed. Only a run of plain
// characters between % (the search's own form) is written so; otherwise
// nothing, and the folded text must be matched.
struct RawFoldedMatch
{
    QString regex;        // empty: the ways say it all
    QStringList anywhere; // the ways, one of which x holds; empty when none
};
std::optional<RawFoldedMatch> foldedPatternOnRawText(const QString& pattern);

// A name of the server (a schema, a table, a field) in double quotes, any
// double quote in it doubled: never spliced bare into a statement.
QString quotedServerName(const QString& name);

// INSERT INTO table (fields) VALUES ($1, …) RETURNING *: the way single
// rows are added on the server (many go by COPY, ServerBatch). The table and
// the fields are quoted here. No fields: the row of defaults. Each table's
// key is its first field, so the result's first cell is the new key.
QString serverInsertStatement(const QString& table, const QStringList& fields);

// A statement of the system's Jet SQL as the server runs it.
struct ServerStatement
{
    QString sql;
    // The bound values (by index) that are Like patterns: they go to the
    // server as jetPatternAsServerRegex makes them.
    QList<int> patternParams;
    // The bound values that are patterns of a folded text (SearchFold(x)
    // Like ?). Each has three places: its own, for the regular expression x
    // is matched against, and two after the statement's own (the k-th
    // value's at n + 2k + 1 and n + 2k + 2), for the LIKE ANY of the ways and,
    // only when foldedPatternOnRawText cannot write the pattern, the folded
    // x's pattern.
    QList<int> foldedParams;
};

// The values a translated statement is run with: the patterns translated,
// and the folded patterns' places after the statement's own.
QVariantList serverParameterValues(const ServerStatement& statement, QVariantList values);

// A statement as a database keeps it, translated once: with, for the list
// that read it last, the place of each of the list's fields in the result.
struct KeptServerStatement
{
    ServerStatement statement;
    QStringList fields;
    std::vector<int> places;
};

// What the tie order of a sorted list depends on: each table's key, and the
// columns the lists' indexes are on ("table/column").
struct ServerTables
{
    QHash<QString, QString> keys;
    QSet<QString> indexed;
    DatabaseKind kind = DatabaseKind::Customer;
};

// Translates Jet SQL for the server: names resolved and quoted and Jet's
// strings as translateJetSql makes them; ? as $1, $2 …; Like and Not Like
// as the server's regular-expression match (~, !~) with the pattern
// translated, a literal at once, a bound value when it is bound; each
// ORDER BY term with Nulls first going up and last going down, where the
// files put them. A Like whose pattern is neither a literal nor a bound
// value is refused with a Failure.
// With the tables, a sorted list of one table breaks its ties as the files
// do: by the key, going down where the files read an index backwards (one
// term, on an indexed column, descending), up otherwise.
ServerStatement translateForServer(const QString& jetSql, const NameMap& names,
                                   const ServerTables* tables = nullptr);

// The statement that makes the folded search's function on the server,
// searchfold(text) in the given schema: the same form searchFolded gives,
// made from it (every character the files fold, as they fold it), so the
// two cannot differ.
QString serverFoldFunction(const QString& schema);

} // namespace horunea
