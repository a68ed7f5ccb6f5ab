#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace horunea {

// One record of a previous-version file (.ssk): the values of one line,
// and the number of the line it starts on (from 1).
struct SskRecord
{
    QStringList values;
    qint64 line = 0;
};

// Reads the records of a previous-version file: Shift_JIS (CP932) text, one
// record per line, values separated by commas, text in double quotes. A
// quoted value may hold commas and line breaks, and a quote that is not
// followed by a comma or the end of the line is part of the text (the old
// version wrote quotes inside text as they were). A backslash is plain text:
// in those files it is the yen sign. Blank lines are skipped; a value in
// #…# (a date or a flag as the old version wrote it) loses its hashes.
class SskReader
{
public:
    explicit SskReader(QByteArray bytes);
    // The next record; false at the end of the data.
    bool next(SskRecord* record);

private:
    QByteArray m_bytes;
    qsizetype m_at = 0;
    qint64 m_line = 1;
};

// The users of the previous version in the bytes of ユーザー.ssk: groups of a
// count followed by that many names, to the end. Failure names `file`
// and the line when a count is not a number or names are missing.
QStringList previousUsersFrom(const QByteArray& bytes, const QString& file);

// A previous-version date as a record stores it, "yyyy/mm/dd(aaa)"; a value
// that is not a date comes back unchanged. Takes 2001/4/5, 2001-04-05,
// 2001.4.5, 2001年4月5日, 01/04/05, the eras (H13.4.5, 平成13年4月5日, 令和元年…),
// with or without a weekday in parentheses or a time after a space.
QString previousDateText(const QString& value);

} // namespace horunea
