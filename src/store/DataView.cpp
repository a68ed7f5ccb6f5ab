#include "store/DataView.h"

#include "store/Database.h"

namespace horunea {

int rowOfKey(const ListRows& rows, const QString& key)
{
    if (key == u"0")
        return -1;
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i].value(0) == key)
            return int(i);
    }
    return -1;
}

bool recordGone(Database& db, const QString& table, const QString& keyField, const QString& key)
{
    return key != u"0" && db.scalar(u"SELECT COUNT(*) FROM "_qs + table + u" WHERE "_qs +
                                    keyCondition(keyField, key)) == 0;
}

} // namespace horunea
