#pragma once

#include <QString>

class QWidget;

namespace horunea {

class CustomerView;
class RepairView;

// The print commands of the two data windows: each builds its report from
// the open database and the view's current record and sort pieces, and
// shows it in the modal preview. A store error ends the command with its
// message before any preview opens; the window's lists stay as they were.

// The customer window's print drop-down, by item key ("agyou" … "sonota",
// "zokkou", "kanryou").
void PrintCustomerItem(QWidget* parent, CustomerView& view, const QString& key);
// Button 5 / F4: the sheet of the current user.
void PrintUserSheet(QWidget* parent, CustomerView& view);
// The repair window's print drop-down ("zokou", "kanryou", "subete",
// "minyu", "meka"). A search of the window does not apply to prints.
void PrintRepairItem(QWidget* parent, RepairView& view, const QString& key);
// Button 5 / F4: the report of the current repair.
void PrintRepairReport(QWidget* parent, RepairView& view);

} // namespace horunea
