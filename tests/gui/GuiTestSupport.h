#pragma once

#include "TestSupport.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <functional>

namespace horunea::test {

template <typename T = QWidget>
T* child(QWidget* parent, const QString& name)
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

} // namespace horunea::test
