#include "store/JetDialect.h"

#include "store/Failure.h"

#include "store/Utf8.h"

#include <algorithm>

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

namespace {

// Where a comment that starts at i ends (past its last character), or -1
// when none starts there: "-- … end of line" and "/* … */".
qsizetype commentEnd(const QString& sql, qsizetype i)
{
    const qsizetype n = sql.size();
    if (i + 1 >= n)
        return -1;
    if (sql[i] == u'-' && sql[i + 1] == u'-') {
        const qsizetype eol = sql.indexOf(u'\n', i + 2);
        return eol < 0 ? n : eol;
    }
    if (sql[i] == u'/' && sql[i + 1] == u'*') {
        const qsizetype close = sql.indexOf(u"*/"_qs, i + 2);
        return close < 0 ? n : close + 2;
    }
    return -1;
}

// Where the quoted text that starts at i with ' or " ends (at its closing
// quote, or n); a doubled quote stays inside.
qsizetype quotedEnd(const QString& sql, qsizetype i)
{
    const QChar quote = sql[i];
    const qsizetype n = sql.size();
    qsizetype j = i + 1;
    while (j < n) {
        if (sql[j] == quote) {
            if (j + 1 < n && sql[j + 1] == quote) {
                j += 2;
                continue;
            }
            break;
        }
        ++j;
    }
    return j;
}

} // namespace

QStringList splitJetStatements(const QString& sql)
{
    QStringList statements;
    const qsizetype n = sql.size();
    qsizetype start = 0;
    bool meaningful = false; // the piece holds more than blanks and comments
    auto finish = [&](qsizetype end) {
        if (meaningful)
            statements << sql.mid(start, end - start).trimmed();
        start = end + 1;
        meaningful = false;
    };
    for (qsizetype i = 0; i < n;) {
        const QChar c = sql[i];
        if (const qsizetype end = commentEnd(sql, i); end >= 0) {
            i = end;
        } else if (c == u'\'' || c == u'"') {
            meaningful = true;
            i = quotedEnd(sql, i) + 1;
        } else if (c == u'[') {
            meaningful = true;
            const qsizetype close = sql.indexOf(u']', i + 1);
            i = close < 0 ? n : close + 1;
        } else if (c == u';') {
            finish(i);
            ++i;
        } else {
            meaningful |= !c.isSpace();
            ++i;
        }
    }
    finish(n);
    return statements;
}

QString translateJetSql(const QString& sql, const NameMap& names)
{
    QString out;
    out.reserve(sql.size() + 32);
    const qsizetype n = sql.size();
    qsizetype i = 0;
    while (i < n) {
        const QChar c = sql[i];
        if (const qsizetype end = commentEnd(sql, i); end >= 0) {
            // Comments stay as they are: nothing in them is a name.
            out += sql.mid(i, end - i);
            i = end;
        } else if (c == u'\'') {
            // Copy the literal as it stands, '' included.
            const qsizetype j = quotedEnd(sql, i);
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
            const qsizetype nameEnd = close < 0 ? n : close;
            const QString inner = sql.mid(i + 1, nameEnd - i - 1);
            const QString name = resolved(inner, names);
            out += quoteIdentifier(name.isEmpty() ? inner : name);
            i = nameEnd + 1;
        } else if (isNameChar(c)) {
            qsizetype j = i;
            while (j < n && isNameChar(sql[j]))
                ++j;
            const QString word = sql.mid(i, j - i);
            const QString name = resolved(word, names);
            out += name.isEmpty() ? word : quoteIdentifier(name);
            i = j;
        } else if (c == u'&') {
            // Jet joins texts with &, Null as empty; the files' SQL would take
            // it for a bitwise And and write a number in their place.
            throw Failure(u"& (文字列をつなぐ Jet の演算子) は使えません。文字列は || でつないで"
                          u"ください (Null が入ると結果も Null です)。"_qs,
                          sql);
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

bool isAsciiLetter(char32_t c)
{
    return (c >= U'A' && c <= U'Z') || (c >= U'a' && c <= U'z');
}

// A malformed UTF-8 byte b stands for U+DC00 + b, apart from every
// well-formed character.
constexpr char32_t MalformedByte = 0xDC00;

// ---------------------------------------------------------------- decoding

// The characters of UTF-16 text; a surrogate without its partner stands for
// itself, as the store's UTF-8 keeps it.
void decodeUtf16(QStringView text, std::u32string& out)
{
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < n && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(char16_t(c), text[i + 1].unicode());
            ++i;
        }
        out.push_back(c);
    }
}

// The characters of UTF-8 text. A lead byte without its continuation bytes,
// or a stray continuation byte, is a malformed byte.
void decodeUtf8(std::string_view text, std::u32string& out, size_t limit = size_t(-1))
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    size_t i = 0;
    for (size_t count = 0; i < text.size() && count < limit; ++count) {
        const char32_t c = utf8::next(p, text.size(), &i);
        out.push_back(c == utf8::Invalid ? MalformedByte + p[i++] : c);
    }
}

char lowerAscii(char c)
{
    return (c >= 'A' && c <= 'Z') ? char(c + ('a' - 'A')) : c;
}

// Byte comparison with ASCII letters folded; needle already lower case.
bool sameFolded(const char* text, const std::string& needle)
{
    for (size_t k = 0; k < needle.size(); ++k)
        if (lowerAscii(text[k]) != needle[k])
            return false;
    return true;
}

// ---------------------------------------------------------------- folding

// Full-width katakana of the half-width ones ｦ (U+FF66) … ﾝ (U+FF9D).
constexpr char16_t HalfKana[] = {
    u'ヲ', u'ァ', u'ィ', u'ゥ', u'ェ', u'ォ', u'ャ', u'ュ', u'ョ', u'ッ', u'ー', u'ア',
    u'イ', u'ウ', u'エ', u'オ', u'カ', u'キ', u'ク', u'ケ', u'コ', u'サ', u'シ', u'ス',
    u'セ', u'ソ', u'タ', u'チ', u'ツ', u'テ', u'ト', u'ナ', u'ニ', u'ヌ', u'ネ', u'ノ',
    u'ハ', u'ヒ', u'フ', u'ヘ', u'ホ', u'マ', u'ミ', u'ム', u'メ', u'モ', u'ヤ', u'ユ',
    u'ヨ', u'ラ', u'リ', u'ル', u'レ', u'ロ', u'ワ', u'ン'};

// A character the Linux input methods type where Windows gives its CP932
// twin (〜 for ～, − for －), and the hyphen-like dashes: the one a reader of
// the list takes it for. 0 for any other character.
char32_t twinOf(char32_t c)
{
    switch (c) {
    case 0x301C: // 〜 WAVE DASH
        return U'~';
    case 0x2212: // − MINUS SIGN
    case 0x2010: // ‐ HYPHEN
    case 0x2011: // ‑ NON-BREAKING HYPHEN
    case 0x2012: // ‒ FIGURE DASH
    case 0x2013: // – EN DASH
    case 0xFE63: // ﹣ SMALL HYPHEN-MINUS
        return U'-';
    case 0x2016:       // ‖ DOUBLE VERTICAL LINE
        return 0x2225; // ∥
    case 0x2014:       // — EM DASH
        return 0x2015; // ―
    case 0xFFE0:       // ￠
        return 0x00A2;
    case 0xFFE1: // ￡
        return 0x00A3;
    case 0xFFE2: // ￢
        return 0x00AC;
    default:
        return 0;
    }
}

// Appends the base kana of a voiced or semi-voiced hiragana followed by its
// mark (が → か゛, ぱ → は゜); returns false for any other character.
bool appendDecomposed(char32_t c, std::u32string& out)
{
    char32_t base = 0, mark = U'゛';
    if (c >= U'が' && c <= U'ぢ' && (c - U'が') % 2 == 0)
        base = c - 1;
    else if (c == U'づ' || c == U'で' || c == U'ど')
        base = c - 1;
    else if (c >= U'は' && c <= U'ぽ' && (c - U'は') % 3 != 0) {
        const bool semi = (c - U'は') % 3 == 2;
        base = c - (semi ? 2 : 1);
        mark = semi ? U'゜' : U'゛';
    } else if (c == U'ゔ')
        base = U'う';
    else if (c == U'ゞ')
        base = U'ゝ';
    else if (c >= U'ヷ' && c <= U'ヺ') // ヷ ヸ ヹ ヺ: わ ゐ ゑ を with the mark
        base = U"わゐゑを"[c - U'ヷ'];
    if (!base)
        return false;
    out.push_back(base);
    out.push_back(mark);
    return true;
}

// Appends the folded form of one character. Each character folds on its own,
// never with its neighbours, so that a word found in a text is found folded
// in the folded text: a voiced kana folds to its base and its mark, as a
// half-width kana and its ﾞ do.
void appendFolded(char32_t c, std::u32string& out)
{
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;
    } else if (c == 0x3000) {
        c = U' ';
    } else if (c >= 0xFF66 && c <= 0xFF9D) {
        c = HalfKana[c - 0xFF66];
    } else if (c >= 0xFF61 && c <= 0xFF65) {
        static constexpr char16_t Signs[] = {u'。', u'「', u'」', u'、', u'・'};
        c = Signs[c - 0xFF61];
    } else if (c == 0xFF9E || c == 0x3099) {
        c = U'゛';
    } else if (c == 0xFF9F || c == 0x309A) {
        c = U'゜';
    } else if (const char32_t twin = twinOf(c)) {
        c = twin;
    }
    if ((c >= U'ァ' && c <= U'ヶ') || c == U'ヽ' || c == U'ヾ')
        c -= 0x60;
    if (appendDecomposed(c, out))
        return;
    out.push_back(foldAscii(c));
}

void foldChars(const std::u32string& in, std::u32string& out)
{
    out.clear();
    out.reserve(in.size() + in.size() / 4);
    for (const char32_t c : in)
        appendFolded(c, out);
}

} // namespace

std::u32string jetCharacters(QStringView text)
{
    std::u32string out;
    decodeUtf16(text, out);
    return out;
}

QString textOfCharacters(std::u32string_view chars)
{
    QString out;
    out.reserve(qsizetype(chars.size()));
    for (const char32_t c : chars)
        out += QChar::fromUcs4(c);
    return out;
}

bool jetLike(const QString& pattern, const QString& text)
{
    return JetPattern(pattern).matches(text);
}

JetPattern::JetPattern(const QString& pattern)
{
    std::u32string chars;
    decodeUtf16(pattern, chars);
    compile(chars);
}

JetPattern JetPattern::fromUtf8(std::string_view pattern)
{
    std::u32string chars;
    decodeUtf8(pattern, chars);
    JetPattern compiled;
    compiled.compile(chars);
    return compiled;
}

void JetPattern::compile(std::u32string_view p)
{
    for (size_t i = 0; i < p.size(); ++i) {
        const char32_t c = p[i];
        if (c == U'%') {
            if (m_elements.empty() || m_elements.back().kind != Kind::Any)
                m_elements.push_back({Kind::Any});
        } else if (c == U'_') {
            m_elements.push_back({Kind::One});
        } else if (const size_t close = c == U'[' ? p.find(U']', i + 1) : p.npos; close != p.npos) {
            const std::u32string_view inner = p.substr(i + 1, close - i - 1);
            CharClass cls;
            size_t k = 0;
            if (!inner.empty() && inner[0] == U'!') {
                cls.negate = true;
                k = 1;
            }
            while (k < inner.size()) {
                if (k + 2 < inner.size() && inner[k + 1] == U'-') {
                    cls.ranges.push_back({inner[k], inner[k + 2]});
                    k += 3;
                } else {
                    cls.ranges.push_back({inner[k], inner[k]});
                    ++k;
                }
            }
            // A bracketed single character is that character.
            if (!cls.negate && cls.ranges.size() == 1 && cls.ranges[0].low == cls.ranges[0].high) {
                m_elements.push_back({Kind::Char, cls.ranges[0].low});
            } else {
                m_elements.push_back({Kind::Class, 0, unsigned(m_classes.size())});
                m_classes.push_back(std::move(cls));
            }
            i = close;
        } else {
            // An unclosed bracket stands for itself.
            m_elements.push_back({Kind::Char, c});
        }
    }

    // "%text%" and "text%" with a text of plain characters are compared as
    // bytes (a character of the store's own UTF-8; no malformed bytes).
    if (m_elements.empty() || m_elements.back().kind != Kind::Any)
        return;
    // With no other %, only the first characters of a text can matter
    // ("[ｶ-ｺ]%" reads one).
    if (std::none_of(m_elements.begin(), m_elements.end() - 1,
                     [](const Element& e) { return e.kind == Kind::Any; }))
        m_anchoredLength = m_elements.size() - 1;
    const bool leading = m_elements.size() > 1 && m_elements.front().kind == Kind::Any;
    const size_t begin = leading ? 1 : 0;
    std::string literal;
    bool letters = false;
    for (size_t i = begin; i + 1 < m_elements.size(); ++i) {
        const Element& e = m_elements[i];
        if (e.kind != Kind::Char || (e.c >= 0xD800 && e.c <= 0xDFFF) || e.c > 0x10FFFF)
            return;
        letters |= isAsciiLetter(e.c);
        utf8::append(foldAscii(e.c), literal);
    }
    m_literal = std::move(literal);
    m_literalHasLetters = letters;
    m_form = m_elements.size() == 1 || leading ? Form::Contains : Form::Prefix;
}

bool JetPattern::inClass(const CharClass& cls, char32_t c)
{
    for (const Range& r : cls.ranges)
        if (c >= r.low && c <= r.high)
            return true;
    return false;
}

// A letter matches when either of its cases does; ranges compare codes.
bool JetPattern::accepts(const Element& e, char32_t c) const
{
    switch (e.kind) {
    case Kind::One:
        return true;
    case Kind::Char:
        return c == e.c || (isAsciiLetter(c) && (c ^ 0x20) == e.c);
    case Kind::Class: {
        const CharClass& cls = m_classes[e.cls];
        const bool hit = inClass(cls, c) || (isAsciiLetter(c) && inClass(cls, c ^ 0x20));
        return hit != cls.negate;
    }
    case Kind::Any:
        break;
    }
    return false;
}

// Wildcard matching with backtracking to the last %: never exponential.
bool JetPattern::matchDecoded(std::u32string_view t) const
{
    const size_t n = m_elements.size();
    size_t pi = 0, ti = 0;
    size_t starP = n, starT = 0;
    while (ti < t.size()) {
        if (pi < n && m_elements[pi].kind == Kind::Any) {
            if (++pi == n)
                return true; // a trailing % takes whatever is left
            starP = pi;
            starT = ti;
            continue;
        }
        if (pi < n && accepts(m_elements[pi], t[ti])) {
            ++pi;
            ++ti;
            continue;
        }
        if (starP == n)
            return false;
        pi = starP;
        ti = ++starT;
    }
    while (pi < n && m_elements[pi].kind == Kind::Any)
        ++pi;
    return pi == n;
}

bool JetPattern::matches(QStringView text) const
{
    // Decoded into a buffer kept between calls: a list query calls this for
    // every row, several times.
    thread_local std::u32string buffer;
    buffer.clear();
    decodeUtf16(text, buffer);
    return matchDecoded(buffer);
}

bool JetPattern::matchesUtf8(std::string_view text) const
{
    const size_t m = m_literal.size();
    switch (m_form) {
    case Form::Prefix:
        return text.size() >= m && sameFolded(text.data(), m_literal);
    case Form::Contains:
        if (!m_literalHasLetters)
            return text.find(m_literal) != std::string_view::npos;
        for (size_t at = 0; at + m <= text.size(); ++at)
            if (sameFolded(text.data() + at, m_literal))
                return true;
        return false;
    case Form::General:
        break;
    }
    thread_local std::u32string buffer;
    buffer.clear();
    decodeUtf8(text, buffer, m_anchoredLength);
    return matchDecoded(buffer);
}

QString likeLiteral(const QString& text)
{
    QString out;
    out.reserve(text.size() + 8);
    for (const QChar c : text) {
        if (c == u'%' || c == u'_' || c == u'[') {
            out += u'[';
            out += c;
            out += u']';
        } else {
            out += c;
        }
    }
    return out;
}

QString searchFolded(QStringView text)
{
    std::u32string in;
    decodeUtf16(text, in);
    std::u32string out;
    foldChars(in, out);
    return textOfCharacters(out);
}

std::string searchFoldedUtf8(std::string_view text)
{
    thread_local std::u32string in, out;
    in.clear();
    decodeUtf8(text, in);
    foldChars(in, out);
    std::string utf8;
    utf8.reserve(text.size());
    for (char32_t c : out)
        utf8::append(c, utf8);
    return utf8;
}

} // namespace horunea
