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

} // namespace

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

} // namespace horunea
