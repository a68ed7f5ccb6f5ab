#pragma once

#include "store/Accounts.h"
#include "store/EditMode.h"
#include "store/SearchConditions.h"
#include "store/TextRow.h"

namespace horunea {

class Database;

// What the search window, the settings window and the record editor need of
// the view behind a data window, whichever kind of data it holds.
class DataView
{
public:
    virtual ~DataView() = default;

    // Customer data (an operator's account) or repair data.
    virtual AccountKind kind() const = 0;
    virtual Database& database() const = 0;

    // What the window's main list shows now, and so what a search looks in
    // first: users, repairs, or the unpaid repairs.
    virtual SearchKind mainSearchKind() const = 0;
    // Shows a search's result in the view's lists.
    virtual void Search(const SearchRequest& request) = 0;

    // The settings row changed: the lists take its order again, the panel
    // its free-field captions.
    virtual void applySortOrder() = 0;
    virtual void applyFieldCaptions() = 0;

    // The record the editor was opened on is gone (another program deleted
    // it): nothing more may hang on it, and the lists are read again.
    virtual void recordVanished(const EditMode& mode) = 0;
    // The current record of that kind was deleted: it is forgotten with what
    // hung on it, and the lists that showed it are read again.
    virtual void recordDeleted(RecordKind kind) = 0;
    // After another PC (or program) changed the account's `tables` (all of
    // them when none is named): the lists and the panel that show those
    // tables read again, the current records kept and still chosen in their
    // lists; one another PC deleted is left as a delete here leaves it.
    virtual void reloadKeepingCurrent(const QStringList& tables = {}) = 0;
    // The rows chosen in the view's lists, in the order the window lists
    // them (-1 for none).
    virtual QList<int> chosenRows() const = 0;
};

// The row of a list whose first cell (its key) is `key`; -1 for none.
int rowOfKey(const ListRows& rows, const QString& key);
// True when a current record (key not "0") is no longer in its table.
bool recordGone(Database& db, const QString& table, const QString& keyField, const QString& key);

} // namespace horunea
