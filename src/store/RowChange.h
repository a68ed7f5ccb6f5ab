#pragma once

#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

namespace horunea {

class Database;

// What became of a change made against a record as it was read.
enum class ChangeOutcome {
    Changed,
    Gone,             // the record is no longer there
    ChangedElsewhere, // another PC changed it since: nothing was written
};

// What a record's text box writes: adding leaves an empty box unwritten
// (Null); changing writes it as empty text. The rule of every record the
// editor adds or changes, customer and repair alike.
inline QVariant addedText(const QString& text)
{
    return text.isEmpty() ? QVariant() : QVariant(text);
}
inline QVariant changedText(const QString& text)
{
    return QVariant(QString(text.isNull() ? u""_qs : text));
}

// Runs `write` in a transaction only while the one row meeting the Jet
// condition still holds `read` in `fields` (as list texts: Null as empty),
// the row held against other connections meanwhile. Otherwise nothing is
// written and *stored gets the fields as they are now.
ChangeOutcome changeIfAsRead(Database& db, const QString& table, const QString& condition,
                             const QStringList& fields, const QStringList& read,
                             QStringList* stored, const std::function<void()>& write);

} // namespace horunea
