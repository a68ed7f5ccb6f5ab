#include "import/PreviousFiles.h"

#include "store/Cp932.h"
#include "store/DateText.h"
#include "store/Failure.h"

#include <QDate>
#include <QRegularExpression>

namespace horunea {

namespace {

constexpr char EndOfData = 0x1a; // Ctrl+Z, which old DOS-era programs put at the end

bool isBlank(char c)
{
    return c == ' ' || c == '\t';
}

bool endsValue(const QByteArray& b, qsizetype i)
{
    return i >= b.size() || b[i] == ',' || b[i] == '\r' || b[i] == '\n' || b[i] == EndOfData;
}

} // namespace

SskReader::SskReader(QByteArray bytes) : m_bytes(std::move(bytes)) {}

bool SskReader::next(SskRecord* record)
{
    const QByteArray& b = m_bytes;
    const qsizetype n = b.size();
    auto skipBlanks = [&] {
        while (m_at < n && isBlank(b[m_at]))
            ++m_at;
    };
    auto endOfLine = [&] {
        if (b[m_at] == '\r' && m_at + 1 < n && b[m_at + 1] == '\n')
            ++m_at;
        ++m_at;
        ++m_line;
    };
    // Blank lines are no records.
    for (;;) {
        skipBlanks();
        if (m_at >= n || b[m_at] == EndOfData) {
            m_at = n;
            return false;
        }
        if (b[m_at] != '\r' && b[m_at] != '\n')
            break;
        endOfLine();
    }
    record->values.clear();
    record->line = m_line;
    for (;;) {
        skipBlanks();
        QByteArray value;
        if (m_at < n && b[m_at] == '"') {
            // A Shift_JIS second byte is never a quote, a comma or a line
            // break, so the bytes can be split before they are decoded.
            const qsizetype start = ++m_at;
            qsizetype close = -1;
            for (qsizetype j = start; j < n; ++j) {
                if (b[j] == '"') {
                    qsizetype k = j + 1;
                    while (k < n && isBlank(b[k]))
                        ++k;
                    if (endsValue(b, k)) {
                        close = j;
                        m_at = k;
                        break;
                    }
                } else if (b[j] == '\n' || (b[j] == '\r' && (j + 1 >= n || b[j + 1] != '\n'))) {
                    ++m_line;
                }
            }
            if (close < 0) { // no closing quote: the rest is the value
                close = n;
                m_at = n;
            }
            value = b.mid(start, close - start);
        } else {
            const qsizetype start = m_at;
            while (!endsValue(b, m_at))
                ++m_at;
            value = b.mid(start, m_at - start);
            while (!value.isEmpty() && isBlank(value.back()))
                value.chop(1);
            if (value.size() >= 2 && value.front() == '#' && value.back() == '#')
                value = value.mid(1, value.size() - 2);
        }
        record->values << decodeCp932(value);
        if (m_at < n && b[m_at] == ',') {
            ++m_at;
            continue;
        }
        if (m_at < n && (b[m_at] == '\r' || b[m_at] == '\n'))
            endOfLine();
        else
            m_at = n; // the end of the data, or Ctrl+Z
        return true;
    }
}

QStringList previousUsersFrom(const QByteArray& bytes, const QString& file)
{
    // The old version read this file value by value: its lines do not matter.
    SskReader reader(bytes);
    QStringList names;
    SskRecord record;
    qint64 wanted = 0, countLine = 0;
    while (reader.next(&record)) {
        for (const QString& value : record.values) {
            if (wanted > 0) {
                names << value;
                --wanted;
                continue;
            }
            bool ok = false;
            wanted = value.trimmed().toLongLong(&ok);
            countLine = record.line;
            if (!ok || wanted < 0)
                throw Failure(QStringLiteral("%1 の %2 行目: 人数のはずの値が数ではありません: %3")
                                  .arg(file)
                                  .arg(record.line)
                                  .arg(value));
        }
    }
    if (wanted > 0)
        throw Failure(QStringLiteral("%1 の %2 行目の人数だけ名前がありません（あと %3 人）。")
                          .arg(file)
                          .arg(countLine)
                          .arg(wanted));
    return names;
}

QString previousDateText(const QString& value)
{
    // Full-width digits and signs, and the one-character era names (㍻),
    // read as their plain forms.
    QString text = value.normalized(QString::NormalizationForm_KC).trimmed();
    if (text.size() >= 2 && text.front() == u'#' && text.back() == u'#')
        text = text.mid(1, text.size() - 2).trimmed();
    // A time after the date, or the weekday the old version may have added.
    const qsizetype space = text.indexOf(QRegularExpression(u"[ \u3000]"_qs));
    if (space > 0)
        text = text.left(space);
    static const QRegularExpression weekday(u"\\([日月火水木金土]\\)$"_qs);
    text.remove(weekday);

    static const QRegularExpression western(
        u"^(\\d{1,4})(?:[/.\\-](\\d{1,2})[/.\\-](\\d{1,2})|年(\\d{1,2})月(\\d{1,2})日)$"_qs);
    static const QRegularExpression era(
        u"^(明治|大正|昭和|平成|令和|[MTSHRmtshr])(\\d{1,2}|元)(?:[/.\\-](\\d{1,2})[/.\\-](\\d{1,2})|年(\\d{1,2})月(\\d{1,2})日)$"_qs);
    int year = 0, month = 0, day = 0;
    if (const auto m = western.match(text); m.hasMatch()) {
        year = m.captured(1).toInt();
        const bool kanji = m.capturedLength(2) == 0;
        month = m.captured(kanji ? 4 : 2).toInt();
        day = m.captured(kanji ? 5 : 3).toInt();
        if (m.capturedLength(1) <= 2)
            year += year < 30 ? 2000 : 1900; // as Windows reads a two-digit year
        else if (m.capturedLength(1) == 3)
            return value;
    } else if (const auto e = era.match(text); e.hasMatch()) {
        static const QHash<QString, int> starts = {
            {u"明治"_qs, 1868}, {u"M"_qs, 1868}, {u"大正"_qs, 1912}, {u"T"_qs, 1912},
            {u"昭和"_qs, 1926}, {u"S"_qs, 1926}, {u"平成"_qs, 1989}, {u"H"_qs, 1989},
            {u"令和"_qs, 2019}, {u"R"_qs, 2019}};
        const int inEra = e.captured(2) == u"元" ? 1 : e.captured(2).toInt();
        if (inEra < 1)
            return value;
        year = starts.value(e.captured(1).toUpper()) + inEra - 1;
        const bool kanji = e.capturedLength(3) == 0;
        month = e.captured(kanji ? 5 : 3).toInt();
        day = e.captured(kanji ? 6 : 4).toInt();
    } else {
        return value;
    }
    const QDate date(year, month, day);
    return date.isValid() ? DateText(date) : value;
}

} // namespace horunea
