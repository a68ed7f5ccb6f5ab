#pragma once

#include "store/Accounts.h"
#include "store/EditMode.h"
#include "store/SearchConditions.h"

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
};

} // namespace horunea
