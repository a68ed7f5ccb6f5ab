#include "store/Failure.h"
#include "store/JetDialect.h"
#include "store/server/ServerDialect.h"

#include <QRandomGenerator>
#include <QTest>

using namespace horunea;

namespace {

// The kana-row conditions of the customer window, as Like patterns: a row
// matches when every pattern of an "and" row holds, or any of an "or" row.
struct KanaRow
{
    const char* name;
    QStringList patterns;
    bool all; // "and" conditions (その他) rather than "or"
};

QList<KanaRow> kanaRows()
{
    return {
        {"あ", {u"[あ-お]%"_qs, u"[ぁ-ぉ]%"_qs, u"[ｱ-ｵ]%"_qs, u"[ｧ-ｫ]%"_qs}, false},
        {"か", {u"[ｶ-ｺ]%"_qs}, false},
        {"さ", {u"[ｻ-ｿ]%"_qs}, false},
        {"た", {u"[ﾀ-ﾄ]%"_qs}, false},
        {"な", {u"[ﾅ-ﾉ]%"_qs}, false},
        {"は", {u"[ﾊ-ﾎ]%"_qs}, false},
        {"ま", {u"[ﾏ-ﾓ]%"_qs}, false},
        {"や", {u"[ﾔ-ﾖ]%"_qs}, false},
        {"ら", {u"[ﾗ-ﾛ]%"_qs}, false},
        {"わ", {u"[ﾜ-ﾝ]%"_qs}, false},
        {"ABC", {u"[A-Z]%"_qs}, false},
        {"その他",
         {u"[!ｱ-ｵ]%"_qs, u"[!ｶ-ｺ]%"_qs, u"[!ｻ-ｿ]%"_qs, u"[!ﾀ-ﾄ]%"_qs, u"[!ﾅ-ﾉ]%"_qs, u"[!ﾊ-ﾎ]%"_qs,
          u"[!ﾏ-ﾓ]%"_qs, u"[!ﾔ-ﾖ]%"_qs, u"[!ﾗ-ﾛ]%"_qs, u"[!ﾜ-ﾝ]%"_qs, u"[!A-Z]%"_qs},
         true},
    };
}

QStringList rowsOf(const QString& reading)
{
    QStringList rows;
    for (const KanaRow& row : kanaRows()) {
        bool hit = row.all;
        for (const QString& p : row.patterns) {
            const bool m = jetLike(p, reading);
            hit = row.all ? (hit && m) : (hit || m);
        }
        if (hit)
            rows << QString::fromUtf8(row.name);
    }
    return rows;
}

// Text as the store keeps it: UTF-8, with a surrogate that has no partner
// written as its own three bytes.
std::string storedUtf8(const QString& text)
{
    std::string out;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text[i].unicode();
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        if (c < 0x80) {
            out += char(c);
        } else if (c < 0x800) {
            out += char(0xC0 | (c >> 6));
            out += char(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += char(0xE0 | (c >> 12));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        } else {
            out += char(0xF0 | (c >> 18));
            out += char(0x80 | ((c >> 12) & 0x3F));
            out += char(0x80 | ((c >> 6) & 0x3F));
            out += char(0x80 | (c & 0x3F));
        }
    }
    return out;
}

} // namespace

class TstJetDialect : public QObject
{
    Q_OBJECT
private slots:
    void serverTranslation_data();
    void serverTranslation();
    void serverRefusesALikeOfAnExpression();
    void jetsJoiningOfTextsIsRefused();
    void likeFollowsJet_data();
    void likeFollowsJet();
    void literalsFindThemselves_data();
    void literalsFindThemselves();
    void searchFoldingIgnoresWidthKanaAndCase_data();
    void searchFoldingIgnoresWidthKanaAndCase();
    void foldedSearchFindsWhatExactFinds();
    void everyFormOfAKanaFoldsAlike();
    void jisAndCp932FormsFindEachOther_data();
    void jisAndCp932FormsFindEachOther();
    void kanaRowsByFirstCharacter_data();
    void kanaRowsByFirstCharacter();
    void namesFoldAcrossWidthAndCase_data();
    void namesFoldAcrossWidthAndCase();
    void translationResolvesNamesButNotLiterals_data();
    void translationResolvesNamesButNotLiterals();
    void malformedUtf8StandsForItself();
    void statementsSplitOutsideLiteralsAndComments_data();
    void statementsSplitOutsideLiteralsAndComments();
};

void TstJetDialect::likeFollowsJet_data()
{
    QTest::addColumn<QString>("pattern");
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("match");

    QTest::newRow("percent any run") << u"%山%"_qs << u"富士山麓"_qs << true;
    QTest::newRow("percent empty run") << u"%"_qs << u""_qs << true;
    QTest::newRow("percent needs the rest") << u"%山"_qs << u"山田"_qs << false;
    QTest::newRow("underscore one char") << u"_田"_qs << u"山田"_qs << true;
    QTest::newRow("underscore not zero") << u"_山田"_qs << u"山田"_qs << false;
    QTest::newRow("range hit") << u"[ｱ-ｵ]%"_qs << u"ｲﾄｳ"_qs << true;
    QTest::newRow("range miss") << u"[ｱ-ｵ]%"_qs << u"ｶﾄｳ"_qs << false;
    QTest::newRow("exclusion") << u"[!ｱ-ｵ]%"_qs << u"ｶﾄｳ"_qs << true;
    QTest::newRow("exclusion miss") << u"[!ｱ-ｵ]%"_qs << u"ｱｲ"_qs << false;
    QTest::newRow("range needs a character") << u"[ｱ-ｵ]%"_qs << u""_qs << false;
    QTest::newRow("exclusion needs a character") << u"[!ｱ-ｵ]%"_qs << u""_qs << false;
    QTest::newRow("set of characters") << u"[abc]x"_qs << u"bx"_qs << true;
    QTest::newRow("ascii upper vs lower") << u"[A-Z]%"_qs << u"abc"_qs << true;
    QTest::newRow("ascii lower pattern") << u"%tanaka%"_qs << u"TANAKA Co."_qs << true;
    QTest::newRow("full-width letters keep case") << u"%ａ%"_qs << u"Ａ"_qs << false;
    QTest::newRow("star is literal") << u"a*"_qs << u"abc"_qs << false;
    QTest::newRow("question mark is literal") << u"%?%"_qs << u"abc"_qs << false;
    QTest::newRow("question mark found") << u"%?%"_qs << u"a?c"_qs << true;
    QTest::newRow("many percents") << u"%a%b%c%d%"_qs << u"xxaxxbxxcxxd"_qs << true;
    QTest::newRow("backtracking") << u"%ab%ab"_qs << u"abxabab"_qs << true;
    QTest::newRow("unclosed bracket is literal") << u"[abc"_qs << u"[abc"_qs << true;
    QTest::newRow("exact") << u"山田"_qs << u"山田"_qs << true;
    QTest::newRow("exact too long") << u"山田"_qs << u"山田太郎"_qs << false;
    // Ranges compare codes; a letter matches when either of its cases does.
    QTest::newRow("capital in a range of signs") << u"[ -_]"_qs << u"A"_qs << true;
    QTest::newRow("small letter whose capital is in range") << u"[ -_]"_qs << u"a"_qs << true;
    QTest::newRow("sign outside the range") << u"[ -_]"_qs << u"~"_qs << false;
    QTest::newRow("exclusion of small letters refuses a capital")
        << u"[!a-z]"_qs << u"Q"_qs << false;
    QTest::newRow("range of capitals takes a small letter") << u"[A-C]"_qs << u"b"_qs << true;
    QTest::newRow("backquote is no letter") << u"[A-Z]"_qs << u"`"_qs << false;
    QTest::newRow("lone high surrogate")
        << u"%"_qs + QChar(0xD800) + u"%"_qs << u"a"_qs + QChar(0xD800) + u"b"_qs << true;
    QTest::newRow("lone surrogate is not the replacement character")
        << u"%"_qs + QChar(0xD800) + u"%"_qs << u"a\uFFFDb"_qs << false;
    QTest::newRow("lone surrogate under underscore")
        << u"a_b"_qs << u"a"_qs + QChar(0xDC00) + u"b"_qs << true;
    QTest::newRow("empty class matches nothing") << u"[]a"_qs << u"a"_qs << false;
    QTest::newRow("many unclosed brackets") << QString(1000, u'[') << QString(10000, u'x') << false;
    QTest::newRow("unclosed brackets stand for themselves")
        << QString(300, u'[') + u'%' << QString(300, u'[') + u"abc"_qs << true;
    // The forms compared byte by byte.
    QTest::newRow("contains") << u"%山田%"_qs << u"東京の山田商店"_qs << true;
    QTest::newRow("contains miss") << u"%山田%"_qs << u"東京の山口商店"_qs << false;
    QTest::newRow("contains at the end") << u"%商店%"_qs << u"山田商店"_qs << true;
    QTest::newRow("contains case") << u"%TANAKA%"_qs << u"tanaka co."_qs << true;
    QTest::newRow("contains the empty text") << u"%%"_qs << u""_qs << true;
    QTest::newRow("contains a bracketed percent") << u"%100[%]%"_qs << u"100%還元"_qs << true;
    QTest::newRow("bracketed percent is no wildcard") << u"%100[%]%"_qs << u"1000"_qs << false;
    QTest::newRow("bracketed underscore") << u"%a[_]b%"_qs << u"axb"_qs << false;
    QTest::newRow("bracketed bracket") << u"%[[]株]%"_qs << u"[株]北村"_qs << true;
    QTest::newRow("prefix") << u"山田%"_qs << u"山田太郎"_qs << true;
    QTest::newRow("prefix miss") << u"山田%"_qs << u"小山田"_qs << false;
    QTest::newRow("prefix case") << u"ab%"_qs << u"ABC"_qs << true;
    QTest::newRow("prefix longer than the text") << u"山田太郎%"_qs << u"山田"_qs << false;
    QTest::newRow("supplementary character") << u"%𠮷%"_qs << u"𠮷野家"_qs << true;
    QTest::newRow("underscore over a supplementary character")
        << u"_野家"_qs << u"𠮷野家"_qs << true;
    QTest::newRow("trailing percent after a range") << u"[ｶ-ｺ]%"_qs << u"ｶﾄｳ"_qs << true;
}

void TstJetDialect::likeFollowsJet()
{
    QFETCH(QString, pattern);
    QFETCH(QString, text);
    QFETCH(bool, match);
    QCOMPARE(jetLike(pattern, text), match);
    const JetPattern prepared(pattern);
    QCOMPARE(prepared.matches(text), match);
    QCOMPARE(prepared.matchesUtf8(storedUtf8(text)), match);
    QCOMPARE(JetPattern::fromUtf8(storedUtf8(pattern)).matchesUtf8(storedUtf8(text)), match);
}

void TstJetDialect::malformedUtf8StandsForItself()
{
    // A lone lead byte is one character for _, and no other character.
    const std::string lead("a\xE3"
                           "b",
                           3);
    QVERIFY(JetPattern(u"a_b"_qs).matchesUtf8(lead));
    QVERIFY(!JetPattern(u"a__b"_qs).matchesUtf8(lead));
    QVERIFY(JetPattern::fromUtf8(lead).matchesUtf8(lead));
    QVERIFY(!JetPattern::fromUtf8(lead).matchesUtf8("a\xE3\x81\x82"
                                                    "b"));
    // An overlong slash is not a slash.
    QVERIFY(!JetPattern(u"%/%"_qs).matchesUtf8("\xC0\xAF"));
    QVERIFY(JetPattern(u"%b%"_qs).matchesUtf8(lead));
}

void TstJetDialect::statementsSplitOutsideLiteralsAndComments_data()
{
    QTest::addColumn<QString>("sql");
    QTest::addColumn<QStringList>("statements");
    QTest::newRow("one") << u"select 1"_qs << QStringList{u"select 1"_qs};
    QTest::newRow("two") << u"select 1; select 2;"_qs
                         << QStringList{u"select 1"_qs, u"select 2"_qs};
    QTest::newRow("semicolon in a literal")
        << u"select 'a;b', \"c;d\"; select 2"_qs
        << QStringList{u"select 'a;b', \"c;d\""_qs, u"select 2"_qs};
    QTest::newRow("doubled quote")
        << u"select 'it''s; here'"_qs << QStringList{u"select 'it''s; here'"_qs};
    QTest::newRow("bracketed name")
        << u"select [a;b] from t"_qs << QStringList{u"select [a;b] from t"_qs};
    QTest::newRow("line comment") << u"select 1 -- ; not here\n; select 2"_qs
                                  << QStringList{u"select 1 -- ; not here"_qs, u"select 2"_qs};
    QTest::newRow("block comment") << u"/* ; */ select 1"_qs << QStringList{u"/* ; */ select 1"_qs};
    QTest::newRow("only comments and blanks") << u" ; -- x\n ; /* y */ ;"_qs << QStringList{};
    QTest::newRow("unclosed literal") << u"select 'a;b"_qs << QStringList{u"select 'a;b"_qs};
}

void TstJetDialect::statementsSplitOutsideLiteralsAndComments()
{
    QFETCH(QString, sql);
    QFETCH(QStringList, statements);
    QCOMPARE(splitJetStatements(sql), statements);
}

void TstJetDialect::literalsFindThemselves_data()
{
    QTest::addColumn<QString>("word");
    QTest::addColumn<QString>("literal");
    QTest::newRow("plain") << u"山田"_qs << u"山田"_qs;
    QTest::newRow("percent") << u"100%"_qs << u"100[%]"_qs;
    QTest::newRow("underscore") << u"a_b"_qs << u"a[_]b"_qs;
    QTest::newRow("brackets") << u"[株]"_qs << u"[[]株]"_qs;
    QTest::newRow("apostrophe") << u"O'Neil"_qs << u"O'Neil"_qs;
    QTest::newRow("exclamation") << u"!"_qs << u"!"_qs;
}

void TstJetDialect::literalsFindThemselves()
{
    QFETCH(QString, word);
    QFETCH(QString, literal);
    QCOMPARE(likeLiteral(word), literal);
    const JetPattern pattern(u'%' + likeLiteral(word) + u'%');
    const QString text = u"前"_qs + word + u"後"_qs;
    QVERIFY(pattern.matches(text));
    QVERIFY(pattern.matchesUtf8(text.toStdString()));
}

void TstJetDialect::searchFoldingIgnoresWidthKanaAndCase_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("folded");
    QTest::newRow("ascii") << u"Yamada 03-1234"_qs << u"yamada 03-1234"_qs;
    QTest::newRow("full-width latin") << u"ＡＢＣ１２３－＠"_qs << u"abc123-@"_qs;
    QTest::newRow("ideographic space") << u"東京　都"_qs << u"東京 都"_qs;
    QTest::newRow("katakana") << u"ヤマダ"_qs << u"やまた゛"_qs;
    QTest::newRow("half-width kana") << u"ﾔﾏﾀﾞ"_qs << u"やまた゛"_qs;
    QTest::newRow("hiragana voiced") << u"やまだ"_qs << u"やまた゛"_qs;
    QTest::newRow("combining mark") << u"やまた\u3099"_qs << u"やまた゛"_qs;
    QTest::newRow("half-width handakuten") << u"ﾊﾟﾝ"_qs << u"は゜ん"_qs;
    QTest::newRow("wa with mark") << u"ヷヺ"_qs << u"わ゛を゛"_qs;
    QTest::newRow("iteration marks") << u"ヽヾゞ"_qs << u"ゝゝ゛ゝ゛"_qs;
    QTest::newRow("half-width small kana") << u"ｷｬｯﾁ"_qs << u"きゃっち"_qs;
    QTest::newRow("half-width long mark") << u"ｺｰﾋｰ"_qs << u"こーひー"_qs;
    QTest::newRow("voiced u") << u"ｳﾞｧ"_qs << u"う゛ぁ"_qs;
    QTest::newRow("JIS and CP932 forms") << u"〜～−－‖∥—―¢￠£￡¬￢"_qs << u"~~--∥∥――¢¢££¬¬"_qs;
    QTest::newRow("dashes") << u"‐‑‒–﹣-"_qs << u"------"_qs;
    QTest::newRow("lone voicing mark stays") << u"ﾞ"_qs << u"゛"_qs;
    QTest::newRow("kanji stays") << u"山田商店"_qs << u"山田商店"_qs;
    QTest::newRow("empty") << QString() << QString();
}

void TstJetDialect::searchFoldingIgnoresWidthKanaAndCase()
{
    QFETCH(QString, text);
    QFETCH(QString, folded);
    QCOMPARE(searchFolded(text), folded);
    QCOMPARE(QString::fromStdString(searchFoldedUtf8(text.toStdString())), folded);
}

namespace {

// The characters the property tests build words and texts from: every kana
// in its hiragana, katakana and half-width forms with and without marks,
// small kana, the long marks, a few letters and the JIS/CP932 twins.
QStringList searchAlphabet()
{
    QStringList chars;
    for (char16_t c = u'ぁ'; c <= u'ゖ'; ++c)
        chars << QString(QChar(c));
    for (char16_t c = u'ァ'; c <= u'ヺ'; ++c)
        chars << QString(QChar(c));
    for (char16_t c = 0xFF66; c <= 0xFF9F; ++c)
        chars << QString(QChar(c));
    chars << u"ー"_qs << u"ゝ"_qs << u"ゞ"_qs << u"ヽ"_qs << u"ヾ"_qs << u"\u3099"_qs
          << u"\u309A"_qs << u"゛"_qs << u"゜"_qs;
    for (const QChar c : u"aAzZ1-~ 　ＡａＺ１－～〜−‖∥—―¢￠山[%_"_qs)
        chars << QString(c);
    return chars;
}

bool found(const QString& word, const QString& text)
{
    return jetLike(u'%' + likeLiteral(word) + u'%', text);
}

// What the folded search of the store does: the folded column, read as
// UTF-8, against the pattern of the folded word.
bool foundFolded(const QString& word, const QString& text)
{
    const QString pattern = u'%' + likeLiteral(searchFolded(word)) + u'%';
    const bool asText = jetLike(pattern, searchFolded(text));
    const bool asBytes = JetPattern::fromUtf8(pattern.toStdString())
                             .matchesUtf8(searchFoldedUtf8(text.toStdString()));
    if (asText != asBytes)
        qWarning() << "folded paths differ" << word << text;
    return asText && asBytes;
}

QString flipAsciiCase(const QString& text, QRandomGenerator& random)
{
    QString out = text;
    for (QChar& c : out)
        if (c.unicode() < 0x80 && c.isLetter() && random.bounded(2))
            c = c.isUpper() ? c.toLower() : c.toUpper();
    return out;
}

} // namespace

// For any text and any word, the folded search finds the text whenever the
// exact search does: words cut out of generated texts anywhere (between a
// kana and its mark too), in other letter case, and words drawn at random.
void TstJetDialect::foldedSearchFindsWhatExactFinds()
{
    const QStringList alphabet = searchAlphabet();
    QRandomGenerator random(20261209);
    auto draw = [&](int length) {
        QString s;
        for (int i = 0; i < length; ++i)
            s += alphabet[random.bounded(int(alphabet.size()))];
        return s;
    };
    int exactHits = 0;
    for (int round = 0; round < 20000; ++round) {
        const QString text = draw(random.bounded(1, 12));
        QString word;
        if (random.bounded(4) == 0) {
            word = draw(random.bounded(1, 4));
        } else {
            const int from = random.bounded(int(text.size()));
            word = flipAsciiCase(text.mid(from, random.bounded(1, int(text.size()) - from + 1)),
                                 random);
        }
        if (!found(word, text))
            continue;
        ++exactHits;
        if (!foundFolded(word, text))
            QFAIL(qPrintable(u"exact finds 「"_qs + word + u"」 in 「"_qs + text +
                             u"」, folded does not"_qs));
    }
    QVERIFY(exactHits > 10000);
}

// Hiragana, katakana and half-width forms of one kana, with its mark
// precomposed, combining or half-width, all fold to one text, and each finds
// the others.
void TstJetDialect::everyFormOfAKanaFoldsAlike()
{
    int checked = 0;
    for (char16_t h = 0xFF66; h <= 0xFF9D; ++h) {
        for (const QString& mark : {QString(), u"ﾞ"_qs, u"ﾟ"_qs}) {
            const QString half = QString(QChar(h)) + mark;
            // The full-width katakana, composed when the kana takes the mark.
            const QString katakana = half.normalized(QString::NormalizationForm_KC);
            QString hiragana;
            for (const QChar c : katakana)
                hiragana += (c >= u'ァ' && c <= u'ヶ') ? QChar(c.unicode() - 0x60) : c;
            const QString decomposed = katakana.normalized(QString::NormalizationForm_D);
            for (const QString& form : {katakana, hiragana, decomposed}) {
                QVERIFY2(searchFolded(form) == searchFolded(half),
                         qPrintable(half + u" / "_qs + form));
                QVERIFY(foundFolded(form, u"x"_qs + half + u"y"_qs));
                QVERIFY(foundFolded(half, u"x"_qs + form + u"y"_qs));
            }
            ++checked;
        }
    }
    QCOMPARE(checked, 56 * 3);
}

void TstJetDialect::jisAndCp932FormsFindEachOther_data()
{
    QTest::addColumn<QString>("jis");
    QTest::addColumn<QString>("windows");
    QTest::newRow("wave dash") << u"〜"_qs << u"～"_qs;
    QTest::newRow("minus") << u"−"_qs << u"－"_qs;
    QTest::newRow("double vertical line") << u"‖"_qs << u"∥"_qs;
    QTest::newRow("em dash") << u"—"_qs << u"―"_qs;
    QTest::newRow("cent") << u"¢"_qs << u"￠"_qs;
    QTest::newRow("pound") << u"£"_qs << u"￡"_qs;
    QTest::newRow("not") << u"¬"_qs << u"￢"_qs;
    QTest::newRow("hyphen") << u"‐"_qs << u"-"_qs;
    QTest::newRow("non-breaking hyphen") << u"‑"_qs << u"-"_qs;
    QTest::newRow("figure dash") << u"‒"_qs << u"-"_qs;
    QTest::newRow("en dash") << u"–"_qs << u"-"_qs;
    QTest::newRow("small hyphen") << u"﹣"_qs << u"-"_qs;
}

void TstJetDialect::jisAndCp932FormsFindEachOther()
{
    QFETCH(QString, jis);
    QFETCH(QString, windows);
    const QString typed = u"10"_qs + jis + u"20"_qs;
    const QString stored = u"営業時間 10"_qs + windows + u"20 まで"_qs;
    QVERIFY(foundFolded(typed, stored));
    QVERIFY(foundFolded(u"10"_qs + windows + u"20"_qs, u"10"_qs + jis + u"20"_qs));
    // The exact search keeps them apart.
    QVERIFY(!found(typed, stored));
}

void TstJetDialect::kanaRowsByFirstCharacter_data()
{
    QTest::addColumn<QString>("reading");
    QTest::addColumn<QStringList>("rows");

    QTest::newRow("ｱ") << u"ｱｵｷ"_qs << QStringList{u"あ"_qs};
    QTest::newRow("ｵ") << u"ｵｶﾀﾞ"_qs << QStringList{u"あ"_qs};
    QTest::newRow("ｶ") << u"ｶﾄｳ"_qs << QStringList{u"か"_qs};
    QTest::newRow("ｿ") << u"ｿﾆｰ"_qs << QStringList{u"さ"_qs};
    QTest::newRow("ﾄ") << u"ﾄﾖﾀ"_qs << QStringList{u"た"_qs};
    QTest::newRow("ﾉ") << u"ﾉﾑﾗ"_qs << QStringList{u"な"_qs};
    QTest::newRow("ﾎ") << u"ﾎﾝﾀﾞ"_qs << QStringList{u"は"_qs};
    QTest::newRow("ﾓ") << u"ﾓﾘ"_qs << QStringList{u"ま"_qs};
    QTest::newRow("ﾖ") << u"ﾖｼﾀﾞ"_qs << QStringList{u"や"_qs};
    QTest::newRow("ﾛ") << u"ﾛｰｿﾝ"_qs << QStringList{u"ら"_qs};
    QTest::newRow("ﾜ") << u"ﾜﾀﾞ"_qs << QStringList{u"わ"_qs};
    QTest::newRow("ﾝ") << u"ﾝｼﾞｬﾒﾅ"_qs << QStringList{u"わ"_qs};
    QTest::newRow("ｦ") << u"ｦｦｦ"_qs << QStringList{u"その他"_qs};
    QTest::newRow("digit") << u"3M"_qs << QStringList{u"その他"_qs};
    QTest::newRow("A") << u"ABC商事"_qs << QStringList{u"ABC"_qs};
    QTest::newRow("a lower case") << u"abc"_qs << QStringList{u"ABC"_qs};
    // Hiragana of the あ row and small ｧ fall under あ and, since その他 only
    // excludes ｱ to ｵ, under その他 as well.
    QTest::newRow("あ") << u"あおき"_qs << QStringList{u"あ"_qs, u"その他"_qs};
    QTest::newRow("ぁ") << u"ぁ"_qs << QStringList{u"あ"_qs, u"その他"_qs};
    QTest::newRow("ｧ") << u"ｧｲ"_qs << QStringList{u"あ"_qs, u"その他"_qs};
    QTest::newRow("か hiragana") << u"かとう"_qs << QStringList{u"その他"_qs};
    QTest::newRow("ｬ small") << u"ｬ"_qs << QStringList{u"その他"_qs};
    QTest::newRow("ｰ") << u"ｰ"_qs << QStringList{u"その他"_qs};
    QTest::newRow("kanji") << u"山田"_qs << QStringList{u"その他"_qs};
    QTest::newRow("empty") << u""_qs << QStringList{};
}

void TstJetDialect::kanaRowsByFirstCharacter()
{
    QFETCH(QString, reading);
    QFETCH(QStringList, rows);
    QCOMPARE(rowsOf(reading), rows);
}

void TstJetDialect::namesFoldAcrossWidthAndCase_data()
{
    QTest::addColumn<QString>("written");
    QTest::addColumn<QString>("schema");

    QTest::newRow("half-width katakana table") << u"ﾕｰｻﾞｰ"_qs << u"ユーザー"_qs;
    QTest::newRow("half-width katakana key") << u"ﾕｰｻﾞｰID"_qs << u"ユーザーID"_qs;
    QTest::newRow("full-width letters") << u"自宅TEL"_qs << u"自宅ＴＥＬ"_qs;
    QTest::newRow("voiced half-width") << u"ﾊﾟｽﾜｰﾄﾞ"_qs << u"パスワード"_qs;
    QTest::newRow("maker") << u"ﾒｰｶｰ名"_qs << u"メーカー名"_qs;
    QTest::newRow("serial") << u"ｼﾘｱﾙ"_qs << u"シリアル"_qs;
    QTest::newRow("letter case") << u"E-mail"_qs << u"E-MAIL"_qs;
    QTest::newRow("full-width fax") << u"会社FAX"_qs << u"会社ＦＡＸ"_qs;
}

void TstJetDialect::namesFoldAcrossWidthAndCase()
{
    QFETCH(QString, written);
    QFETCH(QString, schema);
    QCOMPARE(foldName(written), foldName(schema));
}

void TstJetDialect::translationResolvesNamesButNotLiterals_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("translated");

    QTest::newRow("bare and qualified names")
        << u"SELECT 件名.*, ﾕｰｻﾞｰ.表示名 FROM 件名 INNER JOIN ﾕｰｻﾞｰ ON ﾕｰｻﾞｰ.ﾕｰｻﾞｰID = 件名.ユーザーID"_qs
        << u"SELECT \"件名\".*, \"ユーザー\".\"表示名\" FROM \"件名\" INNER JOIN \"ユーザー\" ON \"ユーザー\".\"ユーザーID\" = \"件名\".\"ユーザーID\""_qs;
    QTest::newRow("brackets") << u"SELECT [E-mail] FROM ユーザー ORDER BY [E-MAIL] DESC"_qs
                              << u"SELECT \"E-MAIL\" FROM \"ユーザー\" ORDER BY \"E-MAIL\" DESC"_qs;
    QTest::newRow("literal untouched")
        << u"SELECT * FROM ユーザー WHERE 表示名 = 'ユーザー[1]' and 自宅tel = 'it''s'"_qs
        << u"SELECT * FROM \"ユーザー\" WHERE \"表示名\" = 'ユーザー[1]' and \"自宅ＴＥＬ\" = 'it''s'"_qs;
    QTest::newRow("key after equals") << u"Select * From 件名 Where 件名ID =12"_qs
                                      << u"Select * From \"件名\" Where \"件名ID\" =12"_qs;
    QTest::newRow("alias and function kept")
        << u"Select max(ﾕｰｻﾞｰID) as ma1 From ﾕｰｻﾞｰ"_qs
        << u"Select max(\"ユーザーID\") as ma1 From \"ユーザー\""_qs;
    QTest::newRow("double-quoted string")
        << u"SELECT * FROM ユーザー WHERE 表示名 = \"O'Neil\""_qs
        << u"SELECT * FROM \"ユーザー\" WHERE \"表示名\" = 'O''Neil'"_qs;
    QTest::newRow("line comment kept as written")
        << u"SELECT 表示名 -- 表示名 'x\nFROM ユーザー"_qs
        << u"SELECT \"表示名\" -- 表示名 'x\nFROM \"ユーザー\""_qs;
    QTest::newRow("block comment kept as written")
        << u"SELECT /* 件名 \" */ 件名ID FROM 件名"_qs
        << u"SELECT /* 件名 \" */ \"件名ID\" FROM \"件名\""_qs;
    QTest::newRow("minus is no comment")
        << u"SELECT 件名ID -1 FROM 件名"_qs << u"SELECT \"件名ID\" -1 FROM \"件名\""_qs;
}

void TstJetDialect::translationResolvesNamesButNotLiterals()
{
    QFETCH(QString, jet);
    QFETCH(QString, translated);
    const NameMap names = buildNameMap({u"ユーザー"_qs, u"ユーザーID"_qs, u"表示名"_qs, u"件名"_qs,
                                        u"件名ID"_qs, u"自宅ＴＥＬ"_qs, u"E-MAIL"_qs});
    QCOMPARE(translateJetSql(jet, names), translated);
}

void TstJetDialect::serverTranslation_data()
{
    QTest::addColumn<QString>("jet");
    QTest::addColumn<QString>("server");
    QTest::addColumn<QList<int>>("patterns");
    auto row = [](const char* name, const QString& jet, const QString& server,
                  const QList<int>& patterns = {}) {
        QTest::newRow(name) << jet << server << patterns;
    };
    row("kana row", u"SELECT * FROM ユーザー WHERE 表示名 Like '[ｶ-ｺ]%' ORDER BY 表示名"_qs,
        u"SELECT * FROM \"ユーザー\" WHERE \"表示名\" ~ '^[ｶ-ｺ].*$' ORDER BY \"表示名\" NULLS FIRST"_qs);
    row("not like and and",
        u"Select * From ユーザー Where 表示名 Like '[!A-Z]%' and 表示名 Not Like 'a%'"_qs,
        u"Select * From \"ユーザー\" Where \"表示名\" ~ '^[^A-Z]*.*$' and \"表示名\" !~ '^[aA].*$'"_qs
            .replace(u"[^A-Z]*"_qs, u"[^A-Zabcdefghijklmnopqrstuvwxyz]"_qs));
    row("bound values numbered, patterns noted",
        u"SELECT * FROM 件名 WHERE 件名ID = ? AND 表示名 Like ? AND 自宅tel = ?"_qs,
        u"SELECT * FROM \"件名\" WHERE \"件名ID\" = $1 AND \"表示名\" ~ $2 AND \"自宅ＴＥＬ\" = $3"_qs,
        {1});
    row("a folded search matches the text itself, the fold's places last",
        u"SELECT * FROM 件名 WHERE (SearchFold(表示名) Like ? or SearchFold(Mid(表示名, 2)) "
        u"Not Like ?) AND 件名ID = ?"_qs,
        u"SELECT * FROM \"件名\" WHERE ((\"表示名\" LIKE ANY ($4::text[]) AND ($1::text IS NULL OR "
        u"\"表示名\" ~ $1) AND ($5::text IS NULL OR searchfold(\"表示名\") ~ $5)) or NOT "
        u"(Mid(\"表示名\", 2) LIKE ANY ($6::text[]) AND ($2::text IS NULL OR Mid(\"表示名\", 2) ~ "
        u"$2) "
        u"AND ($7::text IS NULL OR searchfold(Mid(\"表示名\", 2)) ~ $7))) AND \"件名ID\" = $3"_qs);
    row("a folded kanji run found by LIKE",
        u"SELECT * FROM 件名 WHERE SearchFold(表示名) Like '%山田%'"_qs,
        u"SELECT * FROM \"件名\" WHERE (\"表示名\" LIKE ANY ('{\"%山田%\"}'::text[]))"_qs);
    row("a folded kanji run, then kana",
        u"SELECT * FROM 件名 WHERE SearchFold(表示名) Like '%山_田か%'"_qs,
        u"SELECT * FROM \"件名\" WHERE SearchFold(\"表示名\") ~ '^.*山.田か.*$'"_qs);
    row("a folded kanji run with signs",
        u"SELECT * FROM 件名 WHERE SearchFold(表示名) Like '%山[_]田か%'"_qs,
        u"SELECT * FROM \"件名\" WHERE (\"表示名\" LIKE ANY "
        u"('{\"%山\\\\_田%\",\"%山＿田%\"}'::text[]) "
        u"AND \"表示名\" ~ '山[\\u005f＿]田[かがカガｶ]')"_qs);
    row("a folded literal", u"SELECT * FROM 件名 WHERE searchfold (表示名) Like '%か゛%'"_qs,
        u"SELECT * FROM \"件名\" WHERE (\"表示名\" ~ '(?:[かカｶ][゙゛ﾞ]|[がガ])')"_qs);
    row("a fold the text cannot answer",
        u"SELECT * FROM 件名 WHERE SearchFold(表示名) Like 'か%'"_qs,
        u"SELECT * FROM \"件名\" WHERE SearchFold(\"表示名\") ~ '^か.*$'"_qs);
    row("a quote in a pattern", u"Select * From ユーザー Where 表示名 Like 'O''N%'"_qs,
        u"Select * From \"ユーザー\" Where \"表示名\" ~ '^[Oo]\\u0027[Nn].*$'"_qs);
    row("order terms, down and up",
        u"SELECT * FROM 件名 ORDER BY ﾕｰｻﾞｰID DESC, 件名ID, 表示名 ASC"_qs,
        u"SELECT * FROM \"件名\" ORDER BY \"ユーザーID\" DESC NULLS LAST, \"件名ID\" NULLS FIRST, "
        u"\"表示名\" ASC NULLS FIRST"_qs);
    row("order inside parentheses", u"SELECT * FROM (SELECT * FROM 件名 ORDER BY 件名ID) x"_qs,
        u"SELECT * FROM (SELECT * FROM \"件名\" ORDER BY \"件名ID\" NULLS FIRST) x"_qs);
    row("order by a function", u"SELECT * FROM 件名 ORDER BY max(件名ID, 1) DESC;"_qs,
        u"SELECT * FROM \"件名\" ORDER BY max(\"件名ID\", 1) DESC NULLS LAST;"_qs);
    row("literals and comments untouched",
        u"SELECT '? Like x', 表示名 -- ? Like y\nFROM ユーザー"_qs,
        u"SELECT '? Like x', \"表示名\" -- ? Like y\nFROM \"ユーザー\""_qs);
}

// What the server is given for the system's own Jet statements.
void TstJetDialect::serverTranslation()
{
    QFETCH(QString, jet);
    QFETCH(QString, server);
    QFETCH(QList<int>, patterns);
    const NameMap names = buildNameMap({u"ユーザー"_qs, u"ユーザーID"_qs, u"表示名"_qs, u"件名"_qs,
                                        u"件名ID"_qs, u"自宅ＴＥＬ"_qs});
    const ServerStatement translated = translateForServer(jet, names);
    QCOMPARE(translated.sql, server);
    QCOMPARE(translated.patternParams, patterns);
}

void TstJetDialect::serverRefusesALikeOfAnExpression()
{
    QString said;
    try {
        translateForServer(u"SELECT * FROM t WHERE a Like b || '%'"_qs, {});
    } catch (const Failure& e) {
        said = e.message();
    }
    QCOMPARE(said, u"サーバーでは Like の右に文字列か ? だけを書けます。"_qs);
}

// Jet joins texts with &; the files' SQL would read it as a bitwise And
// and write a number instead: refused where it is an operator, kept where it
// is text or a name.
void TstJetDialect::jetsJoiningOfTextsIsRefused()
{
    const NameMap names = buildNameMap({u"ユーザー"_qs, u"表示名"_qs, u"A&B"_qs});
    QVERIFY_THROWS_EXCEPTION(
        Failure, translateJetSql(u"UPDATE ユーザー SET 表示名 = 表示名 & 'x'"_qs, names));
    QCOMPARE(translateJetSql(u"SELECT [A&B] FROM ユーザー WHERE 表示名 = 'A&B' -- &"_qs, names),
             u"SELECT \"A&B\" FROM \"ユーザー\" WHERE \"表示名\" = 'A&B' -- &"_qs);
}

QTEST_GUILESS_MAIN(TstJetDialect)
#include "tst_jetdialect.moc"
