#include "store/TextForms.h"

#include <QHash>

namespace horunea {

namespace {

const QHash<QChar, QString>& katakanaTable()
{
    static const QHash<QChar, QString> table = [] {
        QHash<QChar, QString> t;
        const QString plain =
            u"アイウエオカキクケコサシスセソタチツテトナニヌネノハヒフヘホマミムメモヤユヨラリルレロワヲンァィゥェォャュョッー。「」、・"_qs;
        const QString half = u"ｱｲｳｴｵｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾅﾆﾇﾈﾉﾊﾋﾌﾍﾎﾏﾐﾑﾒﾓﾔﾕﾖﾗﾘﾙﾚﾛﾜｦﾝｧｨｩｪｫｬｭｮｯｰ｡｢｣､･"_qs;
        for (qsizetype i = 0; i < plain.size(); ++i)
            t.insert(plain[i], QString(half[i]));
        const QString voiced = u"ガギグゲゴザジズゼゾダヂヅデドバビブベボ"_qs;
        const QString voicedBase = u"ｶｷｸｹｺｻｼｽｾｿﾀﾁﾂﾃﾄﾊﾋﾌﾍﾎ"_qs;
        for (qsizetype i = 0; i < voiced.size(); ++i)
            t.insert(voiced[i], QString(voicedBase[i]) + u'ﾞ');
        const QString semi = u"パピプペポ"_qs;
        const QString semiBase = u"ﾊﾋﾌﾍﾎ"_qs;
        for (qsizetype i = 0; i < semi.size(); ++i)
            t.insert(semi[i], QString(semiBase[i]) + u'ﾟ');
        t.insert(u'ヴ', u"ｳﾞ"_qs);
        t.insert(u'ヮ', u"ﾜ"_qs);
        t.insert(u'ヰ', u"ｲ"_qs);
        t.insert(u'ヱ', u"ｴ"_qs);
        t.insert(u'゛', u"ﾞ"_qs);
        t.insert(u'゜', u"ﾟ"_qs);
        return t;
    }();
    return table;
}

QChar asciiForm(QChar c)
{
    const char16_t u = c.unicode();
    if (u >= 0xFF01 && u <= 0xFF5E)
        return QChar(char16_t(u - 0xFF01 + 0x21));
    if (u == 0x3000)
        return QChar(u' ');
    if (u == 0xFFE5) // ￥
        return QChar(u'\\');
    return c;
}

// Half-width katakana, alone or with its voicing mark, to full-width katakana.
const QHash<QString, QChar>& fullWidthTable()
{
    static const QHash<QString, QChar> table = [] {
        QHash<QString, QChar> t;
        const auto& half = katakanaTable();
        for (auto it = half.constBegin(); it != half.constEnd(); ++it) {
            // ヮ, ヰ and ヱ share their half-width forms with ワ, イ and エ.
            if (QStringView(u"ヮヰヱ").contains(it.key()))
                continue;
            t.insert(it.value(), it.key());
        }
        return t;
    }();
    return table;
}

bool isHalfWidthKana(QChar c)
{
    return c.unicode() >= 0xFF61 && c.unicode() <= 0xFF9F;
}

} // namespace

QString toHiraganaReading(const QString& text)
{
    const auto& full = fullWidthTable();
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        QChar c = text[i];
        if (isHalfWidthKana(c)) {
            const QChar next = i + 1 < text.size() ? text[i + 1] : QChar();
            if (next == u'ﾞ' || next == u'ﾟ') {
                if (auto joined = full.constFind(QString(c) + next); joined != full.constEnd()) {
                    c = *joined;
                    ++i;
                }
            }
            if (isHalfWidthKana(c))
                c = full.value(QString(c), c);
        }
        c = asciiForm(c);
        if (c == u' ')
            continue;
        char16_t u = c.unicode();
        // Katakana ァ..ヶ sit 0x60 above their hiragana.
        if (u >= 0x30A1 && u <= 0x30F6)
            u = char16_t(u - 0x60);
        out += QChar(u);
    }
    return out;
}

QString toAsciiForms(const QString& text)
{
    QString out = text;
    for (qsizetype i = 0; i < out.size(); ++i) {
        QChar& c = out[i];
        const bool afterDigit =
            i > 0 && out[i - 1].unicode() >= u'0' && out[i - 1].unicode() <= u'9';
        if (c == u'\u2212' || c == u'ｰ' || (c == u'ー' && afterDigit))
            c = u'-';
        else if (c.unicode() != 0xFFE5) // a yen sign stays what it is
            c = asciiForm(c);
    }
    return out;
}

QString toHalfWidthAscii(const QString& text)
{
    QString out = text;
    for (QChar& c : out)
        c = asciiForm(c);
    return out;
}

QString toHalfWidthKana(const QString& text)
{
    const auto& table = katakanaTable();
    QString out;
    out.reserve(text.size());
    for (QChar c : text) {
        char16_t u = c.unicode();
        // Hiragana ぁ..ゖ and ゔ sit 0x60 below their katakana.
        if (u >= 0x3041 && u <= 0x3096)
            u = char16_t(u + 0x60);
        auto it = table.constFind(QChar(u));
        if (it != table.constEnd())
            out += it.value();
        else
            out += asciiForm(QChar(u));
    }
    return out;
}

QString readingSortKey(const QString& text)
{
    const QString reading = toHiraganaReading(text);
    if (reading.isEmpty())
        return reading;
    QString plain;
    plain.reserve(reading.size());
    for (QChar c : reading.normalized(QString::NormalizationForm_D)) {
        const char16_t u = c.unicode();
        if (u == 0x3099 || u == 0x309A)
            continue; // a voicing mark, taken apart from its kana
        switch (u) {
        case u'ぁ':
        case u'ぃ':
        case u'ぅ':
        case u'ぇ':
        case u'ぉ':
        case u'っ':
        case u'ゃ':
        case u'ゅ':
        case u'ょ':
        case u'ゎ':
            plain += QChar(u + 1);
            break;
        case u'ゕ':
            plain += u'か';
            break;
        case u'ゖ':
            plain += u'け';
            break;
        default:
            plain += c;
        }
    }
    // The whole reading breaks the ties the plain one leaves.
    return plain + QChar(0x0001) + reading;
}

} // namespace horunea
