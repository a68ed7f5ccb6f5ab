#include "store/CsvFile.h"

#include "store/Cp932.h"
#include "store/Failure.h"

#include <QSaveFile>

namespace horunea {

namespace {

// "U+1F600 😀": a character named so that the user finds it, even when the
// font shows it as a box.
QString describe(const QString& character)
{
    const char32_t code = character.toUcs4().value(0);
    return QStringLiteral("「%1」(U+%2)")
        .arg(character, QString::number(uint(code), 16).rightJustified(4, u'0').toUpper());
}

} // namespace

namespace {

// The JIS forms a Linux input method types go in as Windows and iconv write
// them, under their CP932 twins' codes; ¥ and ‾ as iconv writes them, in the
// one byte Japanese Windows shows as ¥ and ~.
void asWindowsWrites(QString& text)
{
    for (QChar& c : text) {
        switch (c.unicode()) {
        case 0x2212: // − → 817C (－)
            c = QChar(0xFF0D);
            break;
        case 0x301C: // 〜 → 8160 (～)
            c = QChar(0xFF5E);
            break;
        case 0x2016: // ‖ → 8161 (∥)
            c = QChar(0x2225);
            break;
        case 0x2014: // — → 815C (―)
            c = QChar(0x2015);
            break;
        case 0x00A2: // ¢ → 8191 (￠)
            c = QChar(0xFFE0);
            break;
        case 0x00A3: // £ → 8192 (￡)
            c = QChar(0xFFE1);
            break;
        case 0x00AC: // ¬ → 81CA (￢)
            c = QChar(0xFFE2);
            break;
        case 0x00A5: // ¥ → 5C
            c = QChar(u'\\');
            break;
        case 0x203E: // ‾ → 7E
            c = QChar(u'~');
            break;
        default:
            break;
        }
    }
}

} // namespace

QByteArray csvBytes(const QStringList& headers, const std::vector<QStringList>& rows)
{
    QByteArray bytes;
    // Each line on its own, so that a refusal names the row and the column.
    auto line = [&](const QStringList& fields, qsizetype row) {
        for (qsizetype i = 0; i < fields.size(); ++i) {
            QString field = fields[i];
            field.replace(u'"', u"\"\""_qs);
            asWindowsWrites(field);
            QString refused;
            const QByteArray encoded = encodeCp932(field, &refused);
            if (encoded.isEmpty() && !field.isEmpty()) {
                const QString where =
                    row == 0 ? u"見出しの"_qs
                             : QStringLiteral("%1 行目の「%2」の").arg(row).arg(headers.value(i));
                throw Failure(where + describe(refused) +
                              u" は CSV (シフトJIS) に書けない文字です。"_qs +
                              u"その文字を直してから保存してください。"_qs);
            }
            if (i > 0)
                bytes += ',';
            bytes += '"' + encoded + '"';
        }
        bytes += "\r\n";
    };
    line(headers, 0);
    for (size_t r = 0; r < rows.size(); ++r)
        line(rows[r], qsizetype(r) + 1);
    return bytes;
}

void writeCsvFile(const QString& path, const QStringList& headers,
                  const std::vector<QStringList>& rows)
{
    const QByteArray bytes = csvBytes(headers, rows);
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw Failure(u"ファイルに書き込めません: "_qs + path + u"\n"_qs + file.errorString());
}

} // namespace horunea
