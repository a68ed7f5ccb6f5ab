#pragma once

#include <QString>
#include <QStringList>

#include <functional>

namespace horunea {

class Database;

// What became of a change made against a record as it was read.
enum class ChangeOutcome {
    Changed,
    Gone,             // the record is no longer there
    ChangedElsewhere, // another PC changed it since: nothing was written
};

// Runs `write` in a transaction only while the one row meeting the Jet
// condition still holds `read` in `fields` (as list texts: Null as empty),
// the row held against other connections meanwhile. Otherwise nothing is
// written and *stored gets the fields as they are now.
ChangeOutcome changeIfAsRead(Database& db, const QString& table, const QString& condition,
                             const QStringList& fields, const QStringList& read,
                             QStringList* stored, const std::function<void()>& write);

} // namespace horunea
