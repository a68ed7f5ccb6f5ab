#include "ui/DataWindow.h"

#include "ui/Fonts.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>

namespace horunea {

DataWindow::DataWindow(Qt::WindowStates* savedState, QWidget* parent)
    : QMainWindow(parent), m_savedState(savedState)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(programFont());
    qApp->installEventFilter(this);
}

DataWindow::~DataWindow()
{
    qApp->removeEventFilter(this);
}

bool DataWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->window() == this && !QApplication::activeModalWidget())
        return windowKeyPress(static_cast<QKeyEvent*>(event));
    return QMainWindow::eventFilter(watched, event);
}

void DataWindow::saveState()
{
    if (!isMinimized())
        *m_savedState = windowState() & Qt::WindowMaximized;
}

void DataWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    if (isMinimized())
        return;
    layoutChildren();
    saveState();
}

void DataWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange)
        saveState();
}

void DataWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded) {
        m_unloaded = true;
        unload();
    }
    QMainWindow::closeEvent(event);
}

} // namespace horunea
