#include "store/ServerDialect.h"

#include "store/Failure.h"
#include "store/FileTieOrder.h"
#include "store/JetDialect.h"

#include <QRegularExpression>
#include <QStringView>

#include <string>
#include <vector>

namespace horunea {

namespace {

struct Range
{
    char32_t low, high;
};

bool isAsciiLetter(char32_t c)
{
    return (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
}

bool isAsciiAlnum(char32_t c)
{
    return isAsciiLetter(c) || (c >= U'0' && c <= U'9');
}

// One character as the regular expression writes it: letters and digits as
// they are, every other ASCII character (and any control) by its code, the
// rest of Unicode as it is.
void appendChar(char32_t c, QString& out)
{
    if (isAsciiAlnum(c) || c > 0x7F)
        out += QString::fromUcs4(&c, 1);
    else
        out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
}

bool inRanges(const std::vector<Range>& ranges, char32_t c)
{
    for (const Range& r : ranges) {
        if (c >= r.low && c <= r.high)
            return true;
    }
    return false;
}

// A bracketed class: its ranges, and the ASCII letters it takes through
// their other case, which a code range alone would not.
void appendClass(const std::vector<Range>& ranges, bool negate, QString& out)
{
    QString items;
    for (const Range& r : ranges) {
        if (r.low > r.high)
            continue; // a backward range takes nothing
        appendChar(r.low, items);
        if (r.high != r.low) {
            items += u'-';
            appendChar(r.high, items);
        }
    }
    for (char32_t c = U'A'; c <= U'z'; ++c) {
        if (isAsciiLetter(c) && !inRanges(ranges, c) && inRanges(ranges, c ^ 0x20))
            appendChar(c, items);
    }
    if (items.isEmpty()) {
        // Nothing in brackets: no character, or (excluded) any character.
        out += negate ? u"."_qs : u"[^\\u0001-\\uffff\\U00010000-\\U0010ffff]"_qs;
        return;
    }
    out += negate ? u"[^"_qs : u"["_qs;
    out += items;
    out += u']';
}

} // namespace

QString quotedServerName(const QString& name)
{
    QString quoted = name;
    quoted.replace(u"\""_qs, u"\"\""_qs);
    return QString(u"\""_qs + quoted + u"\""_qs);
}

QString serverInsertStatement(const QString& table, const QStringList& fields)
{
    QString sql = u"INSERT INTO "_qs + quotedServerName(table);
    if (fields.isEmpty())
        return sql + u" DEFAULT VALUES RETURNING *"_qs;
    QStringList names, places;
    for (const QString& field : fields) {
        names << quotedServerName(field);
        places << u'$' + QString::number(places.size() + 1);
    }
    return sql + u" ("_qs + names.join(u',') + u") VALUES ("_qs + places.join(u',') +
           u") RETURNING *"_qs;
}

QString jetPatternAsServerRegex(const QString& pattern)
{
    const std::u32string p = jetCharacters(pattern);
    QString out = u"^"_qs;
    bool lastWasAny = false;
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (c == U'%') {
            if (!lastWasAny)
                out += u".*"_qs;
            lastWasAny = true;
            continue;
        }
        lastWasAny = false;
        if (c == U'_') {
            out += u'.';
        } else if (const size_t close = c == U'[' ? p.find(U']', i + 1) : p.npos; close != p.npos) {
            const std::u32string_view inner(p.data() + i + 1, close - i - 1);
            std::vector<Range> ranges;
            bool negate = false;
            size_t k = 0;
            if (!inner.empty() && inner[0] == U'!') {
                negate = true;
                k = 1;
            }
            while (k < inner.size()) {
                if (k + 2 < inner.size() && inner[k + 1] == U'-') {
                    ranges.push_back({inner[k], inner[k + 2]});
                    k += 3;
                } else {
                    ranges.push_back({inner[k], inner[k]});
                    ++k;
                }
            }
            appendClass(ranges, negate, out);
            i = close;
        } else if (isAsciiLetter(c)) {
            out += u'[';
            appendChar(c, out);
            appendChar(c ^ 0x20, out);
            out += u']';
        } else {
            appendChar(c, out);
        }
    }
    return out + u'$';
}

namespace {

bool isWordChar(QChar c)
{
    return c.isLetterOrNumber() || c == u'_';
}

// The end (one past) of the quoted run that starts at i: '…' or "…", a
// doubled quote inside it kept.
qsizetype quotedRunEnd(const QString& sql, qsizetype i)
{
    const QChar quote = sql[i];
    qsizetype j = i + 1;
    while (j < sql.size()) {
        if (sql[j] == quote) {
            if (j + 1 < sql.size() && sql[j + 1] == quote) {
                j += 2;
                continue;
            }
            return j + 1;
        }
        ++j;
    }
    return sql.size();
}

// The end of a comment starting at i, or -1 when none starts there.
qsizetype commentRunEnd(const QString& sql, qsizetype i)
{
    if (sql.mid(i, 2) == u"--") {
        const qsizetype end = sql.indexOf(u'\n', i);
        return end < 0 ? sql.size() : end;
    }
    if (sql.mid(i, 2) == u"/*") {
        const qsizetype end = sql.indexOf(u"*/"_qs, i + 2);
        return end < 0 ? sql.size() : end + 2;
    }
    return -1;
}

QString sqlLiteral(const QString& text)
{
    QString quoted = text;
    quoted.replace(u"'"_qs, u"''"_qs);
    return QString(u"'"_qs + quoted + u"'"_qs);
}

// Ends an ORDER BY term written from `start` on: Nulls first going up, last
// going down, before the blanks that end it. Returns the term as written.
QString endOrderTerm(QString& out, qsizetype start)
{
    qsizetype end = out.size();
    while (end > start && out[end - 1].isSpace())
        --end;
    if (end == start)
        return {};
    const QString term = out.mid(start, end - start);
    static const QRegularExpression desc(u"\\bDESC$"_qs, QRegularExpression::CaseInsensitiveOption);
    out.insert(end, desc.match(term).hasMatch() ? u" NULLS LAST"_qs : u" NULLS FIRST"_qs);
    return term;
}

// The tie order of a sorted list of one table, as the files give it: the
// files read an index in the direction of a lone term on its column, and
// keep the order of the table otherwise.
QString tieBreak(const ServerTables& tables, const QString& table, const QStringList& terms)
{
    const QString key = tables.keys.value(table);
    if (key.isEmpty() || terms.isEmpty())
        return {};
    static const QRegularExpression column(
        u"^(?:\"(?:[^\"]|\"\")*\"\\.)?\"((?:[^\"]|\"\")*)\"(?:\\s+(ASC|DESC))?$"_qs,
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch m = column.match(terms.first().trimmed());
    const QString name = m.hasMatch() ? m.captured(1).replace(u"\"\""_qs, u"\""_qs) : QString();
    if (terms.size() == 1 && name == key)
        return {};
    const bool backwards = terms.size() == 1 && m.captured(2).toUpper() == u"DESC" &&
                           tables.indexed.contains(table + u'/' + name);
    return u", \""_qs + key + (backwards ? u"\" DESC"_qs : u"\" ASC"_qs);
}

// The tie order of a sorted list of several tables, as the files give it:
// the loops of the files' plan of the same statement (sqliteSql).
QString joinTieBreak(const ServerTables& tables, const QString& sqliteSql, const QStringList& terms)
{
    if (terms.isEmpty())
        return {};
    static const QRegularExpression desc(u"\\bDESC$"_qs, QRegularExpression::CaseInsensitiveOption);
    const bool descending = desc.match(terms.first().trimmed()).hasMatch();
    QString out;
    for (const TieTerm& t : fileTieOrder(tables.kind, sqliteSql, descending))
        out += u", "_qs + quotedServerName(t.table) + u'.' + quotedServerName(t.column) +
               (t.descending ? u" DESC"_qs : u" ASC"_qs);
    return out;
}

} // namespace

namespace {

// One pass over a statement the files' translator has made: each kind of
// piece (comment, quoted run, ?, word, sign) has its step.
class ServerTranslator
{
public:
    ServerTranslator(const QString& jetSql, const NameMap& names, const ServerTables* tables)
        : m_jet(jetSql), m_sql(translateJetSql(jetSql, names)), m_tables(tables)
    {}

    ServerStatement translate()
    {
        while (m_i < m_sql.size()) {
            const QChar c = m_sql[m_i];
            if (const qsizetype end = commentRunEnd(m_sql, m_i); end >= 0)
                copyTo(end);
            else if (c == u'\'' || c == u'"')
                quoted(c);
            else if (c == u'?')
                parameter();
            else if (isWordChar(c))
                word();
            else
                sign(c);
        }
        if (m_ordering)
            endOrdering();
        return m_result;
    }

private:
    void copyTo(qsizetype end)
    {
        m_result.sql += m_sql.mid(m_i, end - m_i);
        m_i = end;
    }

    void quoted(QChar c)
    {
        const qsizetype end = quotedRunEnd(m_sql, m_i);
        if (m_expectTable && c == u'"') {
            m_fromTable = m_sql.mid(m_i + 1, end - m_i - 2).replace(u"\"\""_qs, u"\""_qs);
            m_expectTable = false;
        }
        copyTo(end);
        m_lastWord = c;
    }

    void parameter()
    {
        m_result.sql += u'$' + QString::number(++m_params);
        ++m_i;
    }

    void word()
    {
        qsizetype j = m_i;
        while (j < m_sql.size() && isWordChar(m_sql[j]))
            ++j;
        const QString word = m_sql.mid(m_i, j - m_i);
        const QString upper = word.toUpper();
        m_i = j;
        if (upper == u"LIKE") {
            like();
            return;
        }
        if (m_ordering && m_depth == 0 &&
            (upper == u"LIMIT" || upper == u"OFFSET" || upper == u"UNION"))
            endOrdering();
        if (m_level == 0) {
            followTables(word, upper);
            m_grouped = m_grouped || upper == u"DISTINCT" || upper == u"GROUP" ||
                        upper == u"UNION" || upper == u"INTERSECT" || upper == u"EXCEPT";
        }
        m_result.sql += word;
        if (upper == u"BY" && m_lastWord.toUpper() == u"ORDER") {
            m_ordering = true;
            m_orderAtTop = m_level == 0;
            m_depth = 0;
            m_termStart = m_result.sql.size();
            m_terms.clear();
        }
        m_lastWord = word;
    }

    // Like and Not Like as the server's match, the pattern translated: a
    // literal at once, a bound value when it is bound.
    void like()
    {
        QString& out = m_result.sql;
        const bool negated = m_lastWord.toUpper() == u"NOT";
        if (negated) // "x Not Like p" reads "x !~ p"
            out.truncate(out.lastIndexOf(m_lastWord));
        out += negated ? u"!~"_qs : u"~"_qs;
        while (m_i < m_sql.size() && m_sql[m_i].isSpace())
            out += m_sql[m_i++];
        if (m_i < m_sql.size() && m_sql[m_i] == u'\'') {
            const qsizetype end = quotedRunEnd(m_sql, m_i);
            QString pattern = m_sql.mid(m_i + 1, end - m_i - 2);
            pattern.replace(u"''"_qs, u"'"_qs);
            out += sqlLiteral(jetPatternAsServerRegex(pattern));
            m_i = end;
        } else if (m_i < m_sql.size() && m_sql[m_i] == u'?') {
            m_result.patternParams << m_params;
            parameter();
        } else {
            throw Failure(u"サーバーでは Like の右に文字列か ? だけを書けます。"_qs, m_jet);
        }
        m_lastWord.clear();
    }

    // The statement's one table, when it reads only one.
    void followTables(const QString& word, const QString& upper)
    {
        if (upper == u"FROM") {
            m_expectTable = m_afterFrom = true;
        } else if (upper == u"JOIN") {
            m_oneTable = false;
        } else if (upper == u"WHERE" || upper == u"ORDER" || upper == u"GROUP") {
            m_afterFrom = false;
        } else if (m_expectTable) {
            m_fromTable = word;
            m_expectTable = false;
        }
    }

    void sign(QChar c)
    {
        if (m_ordering && orderingSign(c))
            return;
        if (c == u'(')
            ++m_level;
        else if (c == u')')
            --m_level;
        else if (c == u',' && m_level == 0 && m_afterFrom)
            m_oneTable = false;
        m_result.sql += c;
        ++m_i;
    }

    // A sign inside ORDER BY; true when it has been written.
    bool orderingSign(QChar c)
    {
        if (c == u'(') {
            ++m_depth;
        } else if (c == u')') {
            if (m_depth == 0)
                endOrdering();
            else
                --m_depth;
        } else if (c == u',' && m_depth == 0) {
            const QString term = endOrderTerm(m_result.sql, m_termStart);
            if (m_orderAtTop)
                m_terms << term;
            m_result.sql += c;
            ++m_i;
            m_termStart = m_result.sql.size();
            return true;
        } else if (c == u';' && m_depth == 0) {
            endOrdering();
        }
        return false;
    }

    // The ORDER BY ends: its last term, then (the statement's own) the ties.
    void endOrdering()
    {
        const QString term = endOrderTerm(m_result.sql, m_termStart);
        m_ordering = false;
        if (!m_orderAtTop)
            return;
        m_terms << term;
        // The key may not follow the terms of a DISTINCT, GROUP BY or UNION
        // (the server refuses a term the rows do not carry); their rows are
        // whole groups, with no ties of one table's rows to break.
        if (m_tables && m_oneTable && !m_grouped)
            m_result.sql += tieBreak(*m_tables, m_fromTable, m_terms);
        else if (m_tables && !m_grouped)
            m_result.sql += joinTieBreak(*m_tables, m_sql, m_terms);
    }

    const QString& m_jet;
    const QString m_sql;
    const ServerTables* m_tables;
    ServerStatement m_result;
    qsizetype m_i = 0;
    int m_params = 0;
    QString m_lastWord;
    bool m_ordering = false;   // inside ORDER BY
    int m_depth = 0;           // parentheses, inside ORDER BY
    qsizetype m_termStart = 0; // where the ORDER BY term began
    QStringList m_terms;       // the terms of the statement's own ORDER BY
    int m_level = 0;           // parentheses of the whole statement
    bool m_orderAtTop = false; // the ORDER BY is the statement's, not a subquery's
    bool m_grouped = false;    // DISTINCT, GROUP BY or a set operation at the top
    QString m_fromTable;       // the statement's one table, if it has one
    bool m_expectTable = false, m_afterFrom = false, m_oneTable = true;
};

} // namespace

ServerStatement translateForServer(const QString& jetSql, const NameMap& names,
                                   const ServerTables* tables)
{
    return ServerTranslator(jetSql, names, tables).translate();
}

QString serverFoldFunction(const QString& schema)
{
    // Every character folds on its own, and only characters of the basic
    // plane fold: one to one by translate(), one to two by replace().
    QString from, to;
    QList<std::pair<QString, QString>> longer;
    for (char32_t c = 1; c <= 0xFFFF; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        const QString one = QString::fromUcs4(&c, 1);
        const QString folded = searchFolded(one);
        if (folded == one)
            continue;
        if (folded.size() == 1) {
            from += one;
            to += folded;
        } else {
            longer.append({one, folded});
        }
    }
    auto literal = [](const QString& text) {
        QString quoted = text;
        quoted.replace(u"'"_qs, u"''"_qs);
        return QString(u"'"_qs + quoted + u"'"_qs);
    };
    QString body = u"translate($1, "_qs + literal(from) + u", "_qs + literal(to) + u")"_qs;
    for (const auto& [one, folded] : longer) {
        body = QString(u"replace("_qs + body + u", "_qs + literal(one) + u", "_qs +
                       literal(folded) + u")"_qs);
    }
    return u"CREATE OR REPLACE FUNCTION "_qs + quotedServerName(schema) +
           u".searchfold(text) RETURNS text LANGUAGE sql IMMUTABLE STRICT PARALLEL SAFE "
           u"AS $fold$ SELECT "_qs +
           body + u" $fold$"_qs;
}

} // namespace horunea
