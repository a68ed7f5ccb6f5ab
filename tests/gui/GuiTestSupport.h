#pragma once

#include "TestSupport.h"

#include "customer/CustomerWindow.h"
#include "repair/RepairWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/ShellController.h"
#include "ui/ReportListView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace horunea::test {

template <typename T = QWidget> T* child(QWidget* parent, const QString& name)
{
    T* found = parent->findChild<T*>(name);
    if (!found)
        qWarning("no child named %s", qPrintable(name));
    return found;
}

// Clicks the row of a list as a user would, on its first visible column.
inline void clickRow(QAbstractItemView* view, int row, bool doubleClick = false)
{
    QModelIndex index;
    for (int c = 0; c < view->model()->columnCount(); ++c) {
        index = view->model()->index(row, c);
        if (!view->visualRect(index).isEmpty())
            break;
    }
    const QPoint at = view->visualRect(index).center();
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, at);
    if (doubleClick)
        QTest::mouseDClick(view->viewport(), Qt::LeftButton, {}, at);
}

// Runs the code that drives a modal dialog once the dialog is up.
inline void whenModal(std::function<void(QWidget*)> drive)
{
    QTimer::singleShot(0, [drive] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal) {
            // The dialog may need one more turn of the event loop.
            QTimer::singleShot(50, [drive] { drive(QApplication::activeModalWidget()); });
            return;
        }
        drive(modal);
    });
}

// Every list of the window lies inside it, a few rows high at least.
inline void checkListsInside(QWidget* w)
{
    const QList<ReportListView*> lists = w->findChildren<ReportListView*>();
    QVERIFY(!lists.isEmpty());
    for (ReportListView* list : lists) {
        if (!list->isVisible())
            continue;
        const QRect place(list->mapTo(w, QPoint(0, 0)), list->size());
        QVERIFY2(w->rect().contains(place), qPrintable(list->objectName()));
        QVERIFY2(list->height() >= 55, qPrintable(list->objectName()));
    }
}

// The same at 960 × 540 logical pixels (a small screen, or a large scale).
// With HORUNEA_SCREENSHOTS set, the window is kept there as a picture.
inline void checkListsInsideAt960By540(QWidget* w, const QString& picture)
{
    w->resize(960, 540);
    QTRY_COMPARE(w->size(), QSize(960, 540));
    checkListsInside(w);
    if (const QString pictures = qEnvironmentVariable("HORUNEA_SCREENSHOTS"); !pictures.isEmpty())
        w->grab().save(QDir(pictures).filePath(picture));
}

// The texts of one column of a list, top to bottom.
inline QStringList column(ReportListView* list, int c)
{
    QStringList out;
    for (int i = 0; i < list->rowCount(); ++i)
        out << list->text(i, c);
    return out;
}

// Runs an action that opens a modal dialog, drives the dialog once it is the
// active window, and closes it afterwards if the driving left it open.
// A progress dialog on the way (a report being laid out) is not the one:
// the dialog is waited for, up to five seconds.
inline void withModal(const std::function<void()>& open, const std::function<void(QDialog*)>& drive)
{
    bool driven = false;
    int tries = 0;
    std::function<void()> attempt = [&] {
        auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if ((!dialog || qobject_cast<QProgressDialog*>(dialog)) && ++tries < 500) {
            QTimer::singleShot(10, attempt);
            return;
        }
        QVERIFY2(dialog, "no dialog opened");
        dialog->activateWindow();
        QTRY_COMPARE(QApplication::activeWindow(), static_cast<QWidget*>(dialog));
        driven = true;
        drive(dialog);
        if (dialog->isVisible())
            dialog->reject();
    };
    QTimer::singleShot(0, attempt);
    open();
    QVERIFY(driven);
}

// Opens the first account of the main menu's list (ListView1 operators with
// Command12, ListView2 repair accounts with Command13) as a user does, and
// returns its data window once it is on screen; nullptr if it did not open.
inline QWidget* openFirstAccount(ShellController& shell, bool repair)
{
    if (!shell.mainMenu())
        shell.start(false);
    MainMenuWindow* menu = shell.mainMenu();
    clickRow(child<QTreeView>(menu, repair ? u"ListView2"_qs : u"ListView1"_qs), 0);
    child<QPushButton>(menu, repair ? u"Command13"_qs : u"Command12"_qs)->click();
    QWidget* window = repair ? static_cast<QWidget*>(shell.repairWindow())
                             : static_cast<QWidget*>(shell.customerWindow());
    if (window && !QTest::qWaitForWindowExposed(window))
        return nullptr;
    return window;
}
inline CustomerWindow* openCustomerWindow(ShellController& shell)
{
    return static_cast<CustomerWindow*>(openFirstAccount(shell, false));
}
inline RepairWindow* openRepairWindow(ShellController& shell)
{
    return static_cast<RepairWindow*>(openFirstAccount(shell, true));
}

} // namespace horunea::test
