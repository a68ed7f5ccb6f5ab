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
            while (pi < p.size() && p[pi] == U'%')
                ++pi;
            if (pi == p.size())
                return true; // a trailing % takes whatever is left
            starP = pi;
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

// ---------------------------------------------------------------- UTF-8

// Appends the characters of UTF-8 text, ASCII letters in lower case. A
// malformed byte stands for itself.
void decodeUtf8(std::string_view text, std::u32string& out)
{
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        const unsigned char b = *p;
        char32_t c = b;
        int extra = 0;
        if (b >= 0xF0 && b < 0xF8) {
            c = b & 0x07;
            extra = 3;
        } else if (b >= 0xE0) {
            c = b & 0x0F;
            extra = 2;
        } else if (b >= 0xC0) {
            c = b & 0x1F;
            extra = 1;
        }
        if (extra > 0 && end - p > extra) {
            for (int k = 1; k <= extra; ++k)
                c = (c << 6) | (p[k] & 0x3F);
            p += extra + 1;
        } else {
            c = b;
            ++p;
        }
        out.push_back(foldAscii(c));
    }
}

void appendUtf8(char32_t c, std::string& out)
{
    if (c < 0x80) {
        out.push_back(char(c));
    } else if (c < 0x800) {
        out.push_back(char(0xC0 | (c >> 6)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(char(0xE0 | (c >> 12)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
    } else {
        out.push_back(char(0xF0 | (c >> 18)));
        out.push_back(char(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(char(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(char(0x80 | (c & 0x3F)));
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

bool isHalfVoicing(char32_t c)
{
    return c == 0xFF9E || c == 0xFF9F;
}

// The katakana with the voicing mark (ﾞ) or the semi-voicing mark (ﾟ) added,
// or 0 when it takes none.
char32_t voiced(char32_t kana, char32_t mark)
{
    const bool semi = mark == 0xFF9F;
    if (kana >= U'ハ' && kana <= U'ホ' && (kana - U'ハ') % 3 == 0)
        return kana + (semi ? 2 : 1);
    if (semi)
        return 0;
    if ((kana >= U'カ' && kana <= U'チ' && (kana - U'カ') % 2 == 0) || kana == U'ツ' ||
        kana == U'テ' || kana == U'ト')
        return kana + 1;
    if (kana == U'ウ')
        return U'ヴ';
    if (kana == U'ワ')
        return U'ヷ';
    if (kana == U'ヲ')
        return U'ヺ';
    return 0;
}

// Folds the characters at in[i…]; returns how many it took (1, or 2 for a
// half-width kana with its voicing mark).
size_t foldOne(const char32_t* in, size_t n, size_t i, char32_t& out)
{
    char32_t c = in[i];
    size_t used = 1;
    if (c >= 0xFF01 && c <= 0xFF5E) {
        c -= 0xFEE0;
    } else if (c == 0x3000) {
        c = U' ';
    } else if (c >= 0xFF66 && c <= 0xFF9D) {
        c = HalfKana[c - 0xFF66];
        if (i + 1 < n && isHalfVoicing(in[i + 1])) {
            if (const char32_t v = voiced(c, in[i + 1])) {
                c = v;
                used = 2;
            }
        }
    } else if (c >= 0xFF61 && c <= 0xFF65) {
        static constexpr char16_t Signs[] = {u'。', u'「', u'」', u'、', u'・'};
        c = Signs[c - 0xFF61];
    } else if (c == 0xFF9E) {
        c = U'゛';
    } else if (c == 0xFF9F) {
        c = U'゜';
    }
    if (c >= U'ァ' && c <= U'ヶ')
        c -= 0x60;
    else if (c == U'ヽ' || c == U'ヾ')
        c -= 0x60;
    out = foldAscii(c);
    return used;
}

void foldChars(const std::u32string& in, std::u32string& out)
{
    out.clear();
    for (size_t i = 0; i < in.size();) {
        char32_t c = 0;
        i += foldOne(in.data(), in.size(), i, c);
        out.push_back(c);
    }
}

} // namespace

bool jetLike(const QString& pattern, const QString& text)
{
    return JetPattern(pattern).matches(text);
}

JetPattern::JetPattern(const QString& pattern) : m_pattern(folded(pattern))
{
    // "%text%" or "text%", where text holds no wildcard (a bracketed single
    // character stands for itself), is compared as bytes.
    const std::u32string& p = m_pattern;
    if (p.empty() || p.back() != U'%')
        return;
    const bool leading = p.size() > 1 && p.front() == U'%';
    const size_t begin = leading ? 1 : 0;
    const size_t end = p.size() - 1;
    std::u32string literal;
    for (size_t i = begin; i < end; ++i) {
        const char32_t c = p[i];
        if (c == U'%' || c == U'_')
            return;
        if (c == U'[') {
            if (i + 2 >= end || p[i + 2] != U']' || p[i + 1] == U'!' || p[i + 1] == U']')
                return;
            literal.push_back(p[i + 1]);
            i += 2;
            continue;
        }
        literal.push_back(c);
    }
    for (char32_t c : literal)
        appendUtf8(c, m_literal);
    m_form = leading ? Form::Contains : Form::Prefix;
}

bool JetPattern::matches(QStringView text) const
{
    if (m_form != Form::General)
        return matchesUtf8(text.toUtf8().toStdString());
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

bool JetPattern::matchesUtf8(std::string_view text) const
{
    const size_t m = m_literal.size();
    switch (m_form) {
    case Form::Prefix:
        return text.size() >= m && sameFolded(text.data(), m_literal);
    case Form::Contains:
        if (text.size() < m)
            return false;
        for (size_t at = 0; at + m <= text.size(); ++at)
            if (sameFolded(text.data() + at, m_literal))
                return true;
        return false;
    case Form::General:
        break;
    }
    thread_local std::u32string buffer;
    buffer.clear();
    decodeUtf8(text, buffer);
    return likeMatch(m_pattern, buffer);
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
    const QList<uint> ucs = text.toUcs4();
    const std::u32string in(ucs.begin(), ucs.end());
    std::u32string out;
    foldChars(in, out);
    return QString::fromUcs4(out.data(), qsizetype(out.size()));
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
        appendUtf8(c, utf8);
    return utf8;
}

} // namespace horunea
