#include "store/Cp932.h"

#include "store/StoreError.h"

#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <vector>

namespace horunea {

namespace {

const char* const CodePage = "windows-31j";

QString characterAt(const QString& text, qsizetype i)
{
    if (text[i].isHighSurrogate() && i + 1 < text.size())
        return text.mid(i, 2);
    return text.mid(i, 1);
}

// "U+1F600 😀": a character named so that the user finds it, even when the
// font shows it as a box.
QString describe(const QString& character)
{
    const char32_t code = character.toUcs4().value(0);
    return QStringLiteral("「%1」(U+%2)")
        .arg(character, QString::number(uint(code), 16).rightJustified(4, u'0').toUpper());
}

// One converter each per thread: opening the code page costs far more than
// converting a line.
QStringEncoder& encoder()
{
    static thread_local QStringEncoder e(CodePage, QStringConverter::Flag::Stateless);
    return e;
}
QStringDecoder& decoder()
{
    static thread_local QStringDecoder d(CodePage, QStringConverter::Flag::Stateless);
    return d;
}

} // namespace

namespace {

// Whether the text comes back unchanged through CP932; its bytes if so. A
// converter that met an error is made anew: its error would stay.
bool roundTrips(const QString& text, QByteArray* bytes)
{
    QStringEncoder& e = encoder();
    e.resetState();
    QByteArray encoded = e.encode(text);
    if (e.hasError())
        e = QStringEncoder(CodePage, QStringConverter::Flag::Stateless);
    QStringDecoder& d = decoder();
    d.resetState();
    const QString back = d.decode(encoded);
    if (d.hasError())
        d = QStringDecoder(CodePage, QStringConverter::Flag::Stateless);
    if (back != text)
        return false;
    *bytes = std::move(encoded);
    return true;
}

} // namespace

namespace {

// Which characters of the basic plane come back unchanged through CP932,
// found once: a text is then checked by lookup and converted only one way.
const std::vector<bool>& cp932Characters()
{
    static const std::vector<bool> table = [] {
        std::vector<bool> known(0x10000, false);
        for (char32_t c = 0; c < 0x80; ++c)
            known[c] = true;
        for (char32_t c = 0x80; c < 0x10000; ++c) {
            if (c >= 0xD800 && c < 0xE000)
                continue;
            const QChar ch{char16_t(c)};
            QByteArray bytes;
            known[c] = roundTrips(QString(ch), &bytes);
        }
        return known;
    }();
    return table;
}

} // namespace

QByteArray encodeCp932(const QString& text, QString* refused)
{
    bool ascii = true;
    for (QChar c : text)
        if (c.unicode() >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii)
        return text.toLatin1();
    const std::vector<bool>& known = cp932Characters();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (!c.isSurrogate() && known[c.unicode()])
            continue;
        if (refused)
            *refused = characterAt(text, i);
        return {};
    }
    QStringEncoder& e = encoder();
    e.resetState();
    QByteArray bytes = e.encode(text);
    if (e.hasError())
        e = QStringEncoder(CodePage, QStringConverter::Flag::Stateless);
    return bytes;
}

QString decodeCp932(const QByteArray& bytes)
{
    QStringDecoder& d = decoder();
    d.resetState();
    const QString text = d.decode(bytes);
    if (d.hasError())
        d = QStringDecoder(CodePage, QStringConverter::Flag::Stateless);
    return text;
}

QByteArray csvBytes(const QStringList& headers, const std::vector<QStringList>& rows)
{
    QString text;
    auto line = [&text](const QStringList& fields) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            if (i > 0)
                text += u',';
            QString field = fields[i];
            field.replace(u'"', u"\"\""_qs);
            text += u'"' + field + u'"';
        }
        text += u"\r\n";
    };
    line(headers);
    for (const QStringList& row : rows)
        line(row);
    QString refused;
    QByteArray bytes = encodeCp932(text, &refused);
    if (bytes.isEmpty() && !text.isEmpty())
        throw StoreError(describe(refused) + u" は CSV (シフトJIS) に書けない文字です。"_qs +
                         u"その文字を直してから保存してください。"_qs);
    return bytes;
}

void writeCsvFile(const QString& path, const QStringList& headers,
                  const std::vector<QStringList>& rows)
{
    const QByteArray bytes = csvBytes(headers, rows);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw StoreError(u"ファイルに書き込めません: "_qs + path + u"\n"_qs + file.errorString());
}

} // namespace horunea
