#pragma once

#include "store/Accounts.h"

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

namespace horunea {

// What the print drop-downs of the two data windows print: the customer
// window's twelve kana rows and two subject states, the repair window's
// three repair states, the unpaid repairs and the makers.
enum class PrintKey {
    RowA,
    RowKa,
    RowSa,
    RowTa,
    RowNa,
    RowHa,
    RowMa,
    RowYa,
    RowRa,
    RowWa,
    RowAbc,
    RowOther,
    ContinuingSubjects,
    DoneSubjects,
    ContinuingRepairs,
    DoneRepairs,
    AllRepairs,
    UnpaidRepairs,
    Makers,
};

// One item of a print drop-down: the window it belongs to, the key text its
// item carries ("agyou", "zokou" …) and its caption ("あ行", "続行中の修理" …).
struct PrintItem
{
    PrintKey key;
    AccountKind kind;
    const char16_t* text;
    const char16_t* caption;
};

// Every item, the customer window's first, each window's in drop-down order.
const std::array<PrintItem, 19>& printItems();
QString printKeyText(PrintKey key);
// The item of that window whose key text this is ("kanryou" is a subject
// state in one window and a repair state in the other).
std::optional<PrintKey> printKeyOf(AccountKind kind, QStringView text);

} // namespace horunea
