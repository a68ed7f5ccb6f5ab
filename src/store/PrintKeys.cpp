#include "store/PrintKeys.h"

#include <algorithm>

namespace horunea {

const std::array<PrintItem, 19>& printItems()
{
    constexpr AccountKind Customer = AccountKind::Operator, Repair = AccountKind::Repair;
    static const std::array<PrintItem, 19> items = {{
        {PrintKey::RowA, Customer, u"agyou", u"あ行"},
        {PrintKey::RowKa, Customer, u"kagyou", u"か行"},
        {PrintKey::RowSa, Customer, u"sagyou", u"さ行"},
        {PrintKey::RowTa, Customer, u"tagyou", u"た行"},
        {PrintKey::RowNa, Customer, u"nagyou", u"な行"},
        {PrintKey::RowHa, Customer, u"hagyou", u"は行"},
        {PrintKey::RowMa, Customer, u"magyou", u"ま行"},
        {PrintKey::RowYa, Customer, u"yagyou", u"や行"},
        {PrintKey::RowRa, Customer, u"ragyou", u"ら行"},
        {PrintKey::RowWa, Customer, u"wagyou", u"わ行"},
        {PrintKey::RowAbc, Customer, u"abc", u"ABC"},
        {PrintKey::RowOther, Customer, u"sonota", u"他行"},
        {PrintKey::ContinuingSubjects, Customer, u"zokkou", u"続行の件名"},
        {PrintKey::DoneSubjects, Customer, u"kanryou", u"完了の件名"},
        {PrintKey::ContinuingRepairs, Repair, u"zokou", u"続行中の修理"},
        {PrintKey::DoneRepairs, Repair, u"kanryou", u"完了分の修理"},
        {PrintKey::AllRepairs, Repair, u"subete", u"全ての修理"},
        {PrintKey::UnpaidRepairs, Repair, u"minyu", u"集金未入"},
        {PrintKey::Makers, Repair, u"meka", u"ﾒｰｶｰ情報"},
    }};
    return items;
}

QString printKeyText(PrintKey key)
{
    for (const PrintItem& item : printItems())
        if (item.key == key)
            return QString::fromUtf16(item.text);
    return QString();
}

std::optional<PrintKey> printKeyOf(AccountKind kind, QStringView text)
{
    const auto& items = printItems();
    const auto found = std::find_if(items.begin(), items.end(), [&](const PrintItem& item) {
        return item.kind == kind && text == QStringView(item.text);
    });
    if (found == items.end())
        return std::nullopt;
    return found->key;
}

} // namespace horunea
