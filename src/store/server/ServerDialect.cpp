#include "store/server/ServerDialect.h"

#include "store/Failure.h"
#include "store/FileTieOrder.h"
#include "store/JetDialect.h"

#include <QRegularExpression>
#include <QStringView>

#include <algorithm>
#include <string>
#include <vector>

namespace horunea {

namespace {

struct Range
{
    char32_t low, high;
};

// A class no character of a text matches.
const QString NoCharacter = u"[^\\u0001-\\uffff\\U00010000-\\U0010ffff]"_qs;

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
        out += QChar::fromUcs4(c);
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
        out += negate ? u"."_qs : NoCharacter;
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

// Which characters fold to what: the inverse of searchFolded over the basic
// plane (no other character folds). A character folds to one character or,
// a voiced kana, to its base and a mark (゛ or ゜); a mark is never a base.
struct FoldInverse
{
    QHash<char32_t, std::vector<char32_t>> one;         // folds to x, x itself not listed
    QHash<char32_t, std::vector<char32_t>> firstOfTwo;  // folds to x + a mark
    QHash<char32_t, std::vector<char32_t>> secondOfTwo; // folds to a base + x
    QHash<quint64, std::vector<char32_t>> two;          // folds to x + y
    bool sound = true; // every fold of two is a base and a mark, as above
};

quint64 pairKey(char32_t x, char32_t y)
{
    return (quint64(x) << 32) | y;
}

const FoldInverse& foldInverse()
{
    static const FoldInverse inverse = [] {
        FoldInverse f;
        QSet<char32_t> bases, marks;
        for (char32_t c = 1; c <= 0xFFFF; ++c) {
            if (c >= 0xD800 && c <= 0xDFFF)
                continue;
            const std::u32string folded = jetCharacters(searchFolded(QChar::fromUcs4(c)));
            if (folded.size() == 1 && folded[0] != c) {
                f.one[folded[0]].push_back(c);
            } else if (folded.size() == 2) {
                f.firstOfTwo[folded[0]].push_back(c);
                f.secondOfTwo[folded[1]].push_back(c);
                f.two[pairKey(folded[0], folded[1])].push_back(c);
                bases.insert(folded[0]);
                marks.insert(folded[1]);
            } else if (folded.size() != 1) {
                f.sound = false;
            }
        }
        f.sound = f.sound && !bases.intersects(marks);
        return f;
    }();
    return inverse;
}

// The characters a pattern's character matches in a folded text: itself,
// and an ASCII letter's other case.
std::vector<char32_t> matchedBy(char32_t p)
{
    if (isAsciiLetter(p))
        return {p, p ^ 0x20};
    return {p};
}

// The characters whose fold the given table lists for any of `folds`.
void addFrom(const QHash<char32_t, std::vector<char32_t>>& table,
             const std::vector<char32_t>& folds, std::vector<char32_t>& out)
{
    for (char32_t x : folds) {
        const auto it = table.find(x);
        if (it != table.end())
            out.insert(out.end(), it->begin(), it->end());
    }
}

// The characters that fold to exactly one of `folds`.
std::vector<char32_t> foldingToOne(const std::vector<char32_t>& folds)
{
    std::vector<char32_t> out;
    for (char32_t x : folds) {
        if (jetCharacters(searchFolded(QChar::fromUcs4(x))) == std::u32string(1, x))
            out.push_back(x);
    }
    addFrom(foldInverse().one, folds, out);
    return out;
}

std::vector<char32_t> foldingToTwo(const std::vector<char32_t>& first,
                                   const std::vector<char32_t>& second)
{
    std::vector<char32_t> out;
    for (char32_t x : first) {
        for (char32_t y : second) {
            const auto it = foldInverse().two.find(pairKey(x, y));
            if (it != foldInverse().two.end())
                out.insert(out.end(), it->begin(), it->end());
        }
    }
    return out;
}

// Any one of the characters; none, a class nothing matches.
void appendAnyOf(std::vector<char32_t> chars, QString& out)
{
    std::sort(chars.begin(), chars.end());
    chars.erase(std::unique(chars.begin(), chars.end()), chars.end());
    if (chars.empty()) {
        out += NoCharacter;
        return;
    }
    if (chars.size() == 1) {
        appendChar(chars.front(), out);
        return;
    }
    out += u'[';
    for (char32_t c : chars)
        appendChar(c, out);
    out += u']';
}

// The plain characters between the % of a pattern, or nothing when the
// pattern is not of that form: [%] [_] [[] and an unclosed [ stand for
// themselves, any other bracket or _ is more than plain.
std::optional<std::u32string> plainRunBetweenAnys(const QString& pattern)
{
    const std::u32string p = jetCharacters(pattern);
    std::u32string run;
    size_t i = 0;
    while (i < p.size() && p[i] == U'%')
        ++i;
    if (i == 0)
        return std::nullopt;
    for (; i < p.size() && p[i] != U'%'; ++i) {
        if (p[i] == U'_')
            return std::nullopt;
        if (p[i] == U'[') {
            const size_t close = p.find(U']', i + 1);
            if (close == p.npos) {
                run += U'[';
                continue;
            }
            if (close != i + 2 || p[i + 1] == U'!')
                return std::nullopt;
            run += p[i + 1];
            i = close;
            continue;
        }
        run += p[i];
    }
    if (i == p.size())
        return std::nullopt; // no % after the run
    for (; i < p.size(); ++i) {
        if (p[i] != U'%')
            return std::nullopt;
    }
    return run;
}

} // namespace

std::optional<RawFoldedMatch> foldedPatternOnRawText(const QString& pattern)
{
    if (!foldInverse().sound)
        return std::nullopt;
    const std::optional<std::u32string> run = plainRunBetweenAnys(pattern);
    if (!run)
        return std::nullopt;
    const size_t k = run->size();
    if (k == 0)
        return RawFoldedMatch{u"^"_qs, {}};
    // The text matches where its characters' folds, laid end to end, hold
    // the run: a character whose fold is two may give the run's first
    // character by its mark, the last by its base, or two of the run's
    // characters together (a base and a mark). Each place of the run (a
    // character, or a base and its mark) is the texts that give it.
    RawFoldedMatch match;
    QString& out = match.regex;
    std::vector<QStringList> places;
    for (size_t i = 0; i < k; ++i) {
        const std::vector<char32_t> here = matchedBy((*run)[i]);
        std::vector<char32_t> single = foldingToOne(here);
        if (i == 0)
            addFrom(foldInverse().secondOfTwo, here, single);
        if (i + 1 == k)
            addFrom(foldInverse().firstOfTwo, here, single);
        std::sort(single.begin(), single.end());
        single.erase(std::unique(single.begin(), single.end()), single.end());
        const std::vector<char32_t> next =
            i + 1 < k ? matchedBy((*run)[i + 1]) : std::vector<char32_t>{};
        const std::vector<char32_t> together = foldingToTwo(here, next);
        QStringList texts;
        if (together.empty()) {
            appendAnyOf(single, out);
            for (char32_t c : single)
                texts << textOfCharacters(std::u32string_view(&c, 1));
            places.push_back(texts);
            continue;
        }
        // A base and a mark: one character, or each its own.
        const std::vector<char32_t> mark = foldingToOne(next);
        out += u"(?:"_qs;
        appendAnyOf(single, out);
        appendAnyOf(mark, out);
        out += u'|';
        appendAnyOf(together, out);
        out += u')';
        for (char32_t c : single)
            for (char32_t m : mark)
                texts << textOfCharacters(std::u32string{c, m});
        for (char32_t c : together)
            texts << textOfCharacters(std::u32string_view(&c, 1));
        places.push_back(texts);
        ++i;
    }
    // The longest stretch of places whose texts, every way of writing it,
    // are few enough for LIKE to find quicker than the expression: a run
    // of kanji is one way; 件名１２ four. One place of several ways finds
    // too much to be worth it.
    constexpr qsizetype MostWays = 2;
    size_t bestFrom = 0, bestLength = 0;
    qsizetype bestWays = 0;
    for (size_t from = 0; from < places.size(); ++from) {
        qsizetype ways = 1;
        for (size_t to = from; to < places.size(); ++to) {
            ways *= places[to].size();
            if (ways == 0 || ways > MostWays)
                break;
            const size_t length = to - from + 1;
            if (length > bestLength || (length == bestLength && ways < bestWays)) {
                bestFrom = from;
                bestLength = length;
                bestWays = ways;
            }
        }
    }
    if (bestLength > 1 || (bestLength == 1 && bestWays == 1)) {
        QStringList ways{QString()};
        for (size_t p = bestFrom; p < bestFrom + bestLength; ++p) {
            QStringList longer;
            for (const QString& start : ways)
                for (const QString& text : places[p])
                    longer << start + text;
            ways = longer;
        }
        match.anywhere = ways;
        if (bestLength == places.size())
            match.regex.clear();
    }
    return match;
}

namespace {

// A LIKE pattern (the server's, \ its escape) that finds the text anywhere.
QString serverLikeAnywhere(const QString& text)
{
    QString escaped = text;
    escaped.replace(u"\\"_qs, u"\\\\"_qs);
    escaped.replace(u"%"_qs, u"\\%"_qs);
    escaped.replace(u"_"_qs, u"\\_"_qs);
    return u'%' + escaped + u'%';
}

// The texts as an array value of the server, each found anywhere by LIKE.
QString serverLikeArray(const QStringList& texts)
{
    QStringList items;
    for (const QString& text : texts) {
        QString item = serverLikeAnywhere(text);
        item.replace(u"\\"_qs, u"\\\\"_qs);
        item.replace(u"\""_qs, u"\\\""_qs);
        items << u'"' + item + u'"';
    }
    return u'{' + items.join(u',') + u'}';
}

} // namespace

QVariantList serverParameterValues(const ServerStatement& statement, QVariantList values)
{
    const qsizetype own = values.size();
    for (int i : statement.patternParams) {
        if (i < own && !values[i].isNull())
            values[i] = jetPatternAsServerRegex(values[i].toString());
    }
    for (int i : statement.foldedParams) {
        // Null where a test has nothing to say; a Null pattern finds nothing.
        QVariant like, folded;
        if (i < own && !values[i].isNull()) {
            const QString pattern = values[i].toString();
            like = u"{%}"_qs;
            if (const std::optional<RawFoldedMatch> raw = foldedPatternOnRawText(pattern)) {
                values[i] = raw->regex.isEmpty() ? QVariant() : QVariant(raw->regex);
                if (!raw->anywhere.isEmpty())
                    like = serverLikeArray(raw->anywhere);
            } else {
                values[i] = QVariant();
                folded = jetPatternAsServerRegex(pattern);
            }
        }
        values.append(like);
        values.append(folded);
    }
    return values;
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
        numberFoldedPlaces();
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
        if (foldedLike(negated))
            return;
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

    // SearchFold(x) Like p: x itself is matched against the pattern each of
    // whose characters stands for every character folding to it, which an
    // index of x or a quick scan serves; folding every row's x on the server
    // costs fifty times the match. Only a pattern that cannot be written so
    // makes the server fold (serverParameterValues).
    bool foldedLike(bool negated)
    {
        QString& out = m_result.sql;
        qsizetype close = out.size() - 1;
        while (close >= 0 && out[close].isSpace())
            --close;
        if (close < 0 || out[close] != u')' || m_sql.contains(FoldedPlace))
            return false;
        qsizetype open = close - 1;
        for (int depth = 0; open >= 0; --open) {
            const QChar c = out[open];
            if (c == u'\'' || c == u'"') {
                open = open > 0 ? out.lastIndexOf(c, open - 1) : -1;
                if (open < 0)
                    return false;
            } else if (c == u')') {
                ++depth;
            } else if (c == u'(' && depth-- == 0) {
                break;
            }
        }
        if (open < 0)
            return false;
        qsizetype name = open;
        while (name > 0 && out[name - 1].isSpace())
            --name;
        const qsizetype nameEnd = name;
        while (name > 0 && isWordChar(out[name - 1]))
            --name;
        if (out.mid(name, nameEnd - name).toUpper() != u"SEARCHFOLD" ||
            (name > 0 && (out[name - 1] == u'.' || out[name - 1] == u'"')))
            return false;
        const QString x = out.mid(open + 1, close - open - 1);
        qsizetype at = m_i;
        while (at < m_sql.size() && m_sql[at].isSpace())
            ++at;
        QString test;
        if (at < m_sql.size() && m_sql[at] == u'\'') {
            const qsizetype end = quotedRunEnd(m_sql, at);
            QString pattern = m_sql.mid(at + 1, end - at - 2);
            pattern.replace(u"''"_qs, u"'"_qs);
            const std::optional<RawFoldedMatch> raw = foldedPatternOnRawText(pattern);
            if (!raw)
                return false;
            QStringList tests;
            if (!raw->anywhere.isEmpty())
                tests << x + u" LIKE ANY ("_qs + sqlLiteral(serverLikeArray(raw->anywhere)) +
                             u"::text[])"_qs;
            if (!raw->regex.isEmpty())
                tests << x + u" ~ "_qs + sqlLiteral(raw->regex);
            test = u'(' + tests.join(u" AND "_qs) + u')';
            m_i = end;
        } else if (at < m_sql.size() && m_sql[at] == u'?') {
            m_i = at;
            const QString place = u'$' + QString::number(m_params + 1);
            parameter();
            const qsizetype k = m_result.foldedParams.size();
            m_result.foldedParams << m_params - 1;
            const QString like = FoldedPlace + QString::number(2 * k) + FoldedPlace;
            const QString folded = FoldedPlace + QString::number(2 * k + 1) + FoldedPlace;
            test = u'(' + x + u" LIKE ANY ("_qs + like + u"::text[]) AND ("_qs + place +
                   u"::text IS NULL OR "_qs + x + u" ~ "_qs + place + u") AND ("_qs + folded +
                   u"::text IS NULL OR searchfold("_qs + x + u") ~ "_qs + folded + u"))"_qs;
        } else {
            return false;
        }
        out.truncate(name);
        out += negated ? u"NOT "_qs + test : test;
        m_lastWord.clear();
        return true;
    }

    // The folded patterns' places, numbered once the statement's own are
    // counted.
    void numberFoldedPlaces()
    {
        for (qsizetype k = 0; k < 2 * m_result.foldedParams.size(); ++k)
            m_result.sql.replace(FoldedPlace + QString::number(k) + FoldedPlace,
                                 u'$' + QString::number(m_params + 1 + k));
    }
    static constexpr QChar FoldedPlace = QChar(0xFFFF);

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
        const QString one = QStringView(QChar::fromUcs4(c)).toString();
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
