#pragma once

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QVariant>

namespace horunea {

// The one-character Japanese weekday name (日 月 火 水 木 金 土).
QString WeekdayShort(const QDate& date);
// The long weekday name (日曜日 … 土曜日).
QString WeekdayLong(const QDate& date);

// The stored date form "yyyy/mm/dd(aaa)", whatever the machine's locale.
QString DateText(const QDate& date);
// The date in the first 10 characters ("yyyy/mm/dd") of a stored date text;
// an invalid QDate when they are not a date.
QDate DateFromText(const QString& text);
// A date as a clerk types it: year, month and day, with separators (/ - .
// space 年 月 日) or as eight digits, full-width digits too; an invalid
// QDate when the text is no whole, real date (2026/13/45, 2026/2/30, 11/3).
QDate DateFromTyped(const QString& typed);
// A date as a record stores it: its DateText, or Null for no date.
inline QVariant StoredDate(const QDate& date)
{
    return date.isValid() ? QVariant(DateText(date)) : QVariant();
}
// "yyyy年mm月dd日 aaaa", as the repair detail shows it.
QString LongDateText(const QDate& date);
// The date in the first 11 characters ("yyyy年mm月dd日") of a long date text.
QDate DateFromLongText(const QString& text);

// Today, replaceable in tests.
class Clock
{
public:
    static QDate today();
    static void setToday(const QDate& date); // an invalid date restores the real clock
    // The time of day too (a report's print time, a backup's name); fixed,
    // it fixes today as well.
    static QDateTime now();
    static void setNow(const QDateTime& time); // an invalid time restores the real clock

private:
    static QDate s_fixed;
    static QDateTime s_fixedTime;
};

} // namespace horunea
