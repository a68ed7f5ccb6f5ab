#include "store/JetDialect.h"

namespace horunea {

QString foldName(const QString& name)
{
    return name.normalized(QString::NormalizationForm_KC).toCaseFolded();
}

NameMap buildNameMap(const QStringList& schemaNames)
{
    NameMap map;
    for (const QString& name : schemaNames)
        map.insert(foldName(name), name);
    return map;
}

namespace {

bool isNameChar(QChar c)
{
    if (c == u'_')
        return true;
    // Half-width and full-width katakana, prolonged sound marks and voicing
    // marks are letters or marks; so are kanji and full-width Latin letters.
    return c.isLetterOrNumber() || c.isMark() || c.isSurrogate() || c == u'ｰ' || c == u'ー' ||
           c == u'ﾞ' || c == u'ﾟ' || c == u'＿';
}

QString quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(u'"', QStringLiteral("\"\""));
    return u'"' + quoted + u'"';
}

QString resolved(const QString& name, const NameMap& names)
{
    auto it = names.constFind(foldName(name));
    return it == names.constEnd() ? QString() : it.value();
}

} // namespace

QString translateJetSql(const QString& sql, const NameMap& names)
{
    QString out;
    out.reserve(sql.size() + 32);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (c == u'\'') {
            // Copy the literal as it stands, '' included.
            qsizetype j = i + 1;
            while (j < n) {
                if (sql[j] == u'\'') {
                    if (j + 1 < n && sql[j + 1] == u'\'') {
                        j += 2;
                        continue;
                    }
                    break;
                }
                ++j;
            }
            out += sql.mid(i, j - i + 1);
            i = j + 1;
        } else if (c == u'"') {
            // Jet reads "text" as a string; the store reads it as a name.
            qsizetype j = i + 1;
            QString literal;
            while (j < n) {
                if (sql[j] == u'"') {
                    if (j + 1 < n && sql[j + 1] == u'"') {
                        literal += u'"';
                        j += 2;
                        continue;
                    }
                    break;
                }
                literal += sql[j];
                ++j;
            }
            literal.replace(u'\'', QStringLiteral("''"));
            out += u'\'' + literal + u'\'';
            i = j + 1;
        } else if (c == u'[') {
            const qsizetype close = sql.indexOf(u']', i + 1);
            const qsizetype end = close < 0 ? n : close;
            const QString inner = sql.mid(i + 1, end - i - 1);
            const QString name = resolved(inner, names);
            out += quoteIdentifier(name.isEmpty() ? inner : name);
            i = end + 1;
        } else if (isNameChar(c)) {
            qsizetype j = i;
            while (j < n && isNameChar(sql[j]))
                ++j;
            const QString word = sql.mid(i, j - i);
            const QString name = resolved(word, names);
            out += name.isEmpty() ? word : quoteIdentifier(name);
            i = j;
        } else {
            out += c;
            ++i;
        }
    }
    return out;
}

namespace {

char32_t foldAscii(char32_t c)
{
    return (c >= U'A' && c <= U'Z') ? c + (U'a' - U'A') : c;
}

// One bracket class, already folded; returns whether c is accepted.
bool matchClass(const std::u32string& cls, char32_t c)
{
    bool negate = false;
    size_t k = 0;
    if (!cls.empty() && cls[0] == U'!') {
        negate = true;
        k = 1;
    }
    bool hit = false;
    while (k < cls.size()) {
        if (k + 2 < cls.size() && cls[k + 1] == U'-') {
            if (c >= cls[k] && c <= cls[k + 2])
                hit = true;
            k += 3;
        } else {
            if (c == cls[k])
                hit = true;
            ++k;
        }
    }
    return hit != negate;
}

// One pattern element at p[pi] against the character c; sets the element's
// length. Returns whether it accepts c.
bool matchOne(const std::u32string& p, size_t pi, char32_t c, size_t& length)
{
    const char32_t pc = p[pi];
    if (pc == U'_') {
        length = 1;
        return true;
    }
    if (pc == U'[') {
        const size_t close = p.find(U']', pi + 1);
        if (close != std::u32string::npos) {
            length = close - pi + 1;
            return matchClass(p.substr(pi + 1, close - pi - 1), c);
        }
        // An unclosed bracket stands for itself.
    }
    length = 1;
    return pc == c;
}

// Wildcard matching with backtracking to the last %: linear in practice,
// never exponential.
bool likeMatch(const std::u32string& p, std::u32string_view t)
{
    size_t pi = 0, ti = 0;
    size_t starP = std::u32string::npos, starT = 0;
    while (ti < t.size()) {
        if (pi < p.size() && p[pi] == U'%') {
            starP = ++pi;
            starT = ti;
            continue;
        }
        size_t length = 0;
        if (pi < p.size() && matchOne(p, pi, t[ti], length)) {
            pi += length;
            ++ti;
            continue;
        }
        if (starP == std::u32string::npos)
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < p.size() && p[pi] == U'%')
        ++pi;
    return pi == p.size();
}

std::u32string folded(const QString& s)
{
    std::u32string out;
    out.reserve(s.size());
    for (char32_t c : s.toUcs4())
        out.push_back(foldAscii(c));
    return out;
}

} // namespace

bool jetLike(const QString& pattern, const QString& text)
{
    return JetPattern(pattern).matches(text);
}

JetPattern::JetPattern(const QString& pattern) : m_pattern(folded(pattern)) {}

bool JetPattern::matches(QStringView text) const
{
    // Decoded into a buffer kept between calls: a list query calls this for
    // every row, several times.
    thread_local std::u32string buffer;
    buffer.clear();
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            ++i;
        }
        buffer.push_back(foldAscii(c));
    }
    return likeMatch(m_pattern, buffer);
}

} // namespace horunea
