#include "store/DateText.h"

namespace horunea {

QDate Clock::s_fixed;
QDateTime Clock::s_fixedTime;

QDate Clock::today()
{
    if (s_fixedTime.isValid())
        return s_fixedTime.date();
    return s_fixed.isValid() ? s_fixed : QDate::currentDate();
}

QDateTime Clock::now()
{
    return s_fixedTime.isValid() ? s_fixedTime : QDateTime::currentDateTime();
}

void Clock::setNow(const QDateTime& time)
{
    s_fixedTime = time;
}

void Clock::setToday(const QDate& date)
{
    s_fixed = date;
}

QString WeekdayShort(const QDate& date)
{
    // QDate::dayOfWeek: 1 Monday … 7 Sunday.
    static const QString names = u"月火水木金土日"_qs;
    return date.isValid() ? QString(names[date.dayOfWeek() - 1]) : QString();
}

QString WeekdayLong(const QDate& date)
{
    return date.isValid() ? WeekdayShort(date) + u"曜日"_qs : QString();
}

QString DateText(const QDate& date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1/%2/%3(%4)")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(WeekdayShort(date));
}

QDate DateFromText(const QString& text)
{
    return QDate::fromString(text.left(10), u"yyyy/MM/dd"_qs);
}

QDate DateFromTyped(const QString& typed)
{
    QString text;
    for (QChar c : typed.trimmed()) {
        if (c >= u'０' && c <= u'９')
            text += QChar(u'0' + (c.unicode() - u'０'));
        else
            text += c;
    }
    QList<int> parts;
    QString digits;
    auto endPart = [&] {
        if (!digits.isEmpty())
            parts << digits.toInt();
        digits.clear();
    };
    static const QString separators = u"/-. 　／－．年月日"_qs;
    for (QChar c : std::as_const(text)) {
        if (c.isDigit() && c.unicode() < 128) {
            digits += c;
        } else if (separators.contains(c)) {
            if (digits.isEmpty() && c != u'日' && c != u' ' && c != u'　')
                return {}; // two separators in a row: a part is missing
            endPart();
        } else {
            return {};
        }
    }
    if (parts.isEmpty() && digits.size() == 8)
        return QDate(digits.left(4).toInt(), digits.mid(4, 2).toInt(), digits.right(2).toInt());
    endPart();
    if (parts.size() != 3 || QString::number(parts[0]).size() != 4)
        return {};
    return QDate(parts[0], parts[1], parts[2]);
}

QString LongDateText(const QDate& date)
{
    if (!date.isValid())
        return QString();
    return QStringLiteral("%1年%2月%3日 %4")
        .arg(date.year(), 4, 10, QLatin1Char('0'))
        .arg(date.month(), 2, 10, QLatin1Char('0'))
        .arg(date.day(), 2, 10, QLatin1Char('0'))
        .arg(WeekdayLong(date));
}

QDate DateFromLongText(const QString& text)
{
    return QDate::fromString(text.left(11), u"yyyy年MM月dd日"_qs);
}

} // namespace horunea
