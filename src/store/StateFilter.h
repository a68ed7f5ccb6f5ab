#pragma once

#include <QString>

namespace horunea {

// The state filters of the subject and repair lists: "続行", "完了" or "全て".
// A filter other than 全て keeps the rows whose state field holds its word.
// Returns the condition (" <field> = '<word>'"), or empty for 全て, and sets
// *all for 全て so that the caller drops its joining word too.
inline QString stateCondition(const QString& field, const QString& filter, bool* all)
{
    *all = filter == u"全て";
    if (*all)
        return QString();
    const QString word = filter == u"完了" ? u"完了"_qs : u"続行"_qs;
    return u" "_qs + field + u" = '"_qs + word + u"'"_qs;
}

} // namespace horunea
