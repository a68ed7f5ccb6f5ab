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
