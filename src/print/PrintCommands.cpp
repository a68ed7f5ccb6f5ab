#include "print/PrintCommands.h"

#include "customer/CustomerView.h"
#include "print/ReportPreview.h"
#include "print/Reports.h"
#include "repair/RepairView.h"
#include "ui/Dialogs.h"

#include <QApplication>

namespace horunea {

namespace {

// Builds the report under a wait cursor, then shows it.
template <typename Build> void preview(QWidget* parent, Build build)
{
    std::optional<Report> report;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const bool built = runGuarded(parent, [&] { report = build(); });
    QApplication::restoreOverrideCursor();
    if (built && report)
        showReportPreview(parent, std::move(*report));
}

} // namespace

void PrintCustomerItem(QWidget* parent, CustomerView& view, const QString& key)
{
    if (const QString state = subjectListState(key); !state.isEmpty()) {
        preview(parent,
                [&] { return SubjectListReport(view.database(), state, subjectListTitle(state)); });
        return;
    }
    const auto request =
        customerListPrint(key, view.query().UserOrderBy.text, view.query().UserOrderDesc.text);
    if (request)
        preview(parent, [&] { return ListReport(view.database(), *request); });
}

void PrintUserSheet(QWidget* parent, CustomerView& view)
{
    preview(parent, [&] { return UserSheetReport(view.database(), view.SelectedUserId); });
}

void PrintRepairItem(QWidget* parent, RepairView& view, const QString& key)
{
    const RepairListQuery& q = view.query();
    const auto request = repairListPrint(key, {q.RepairOrderBy.text, q.RepairOrderDesc.text,
                                               q.UnpaidOrderBy.text, q.UnpaidOrderDesc.text});
    if (request)
        preview(parent, [&] { return ListReport(view.database(), *request); });
}

void PrintRepairReport(QWidget* parent, RepairView& view)
{
    preview(parent, [&] { return RepairSheetReport(view.database(), view.SelectedRepairId); });
}

} // namespace horunea
