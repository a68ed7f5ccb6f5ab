#include "ui/DataWindow.h"

#include "ui/UserSettings.h"

#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/ValueLabel.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QComboBox>
#include <QKeyEvent>
#include <QLabel>

namespace horunea {

DataWindow::DataWindow(Qt::WindowStates* savedState, QWidget* parent)
    : QMainWindow(parent), m_savedState(savedState)
{
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(programFont());
    m_central = new QWidget(this);
    m_central->setObjectName(u"Client"_qs);
    setCentralWidget(m_central);
    qApp->installEventFilter(this);
}

DataWindow::~DataWindow()
{
    qApp->removeEventFilter(this);
}

void DataWindow::createToolbar(int count, const QList<ToolbarButton>& specs,
                               const QList<int>& hidden, const QList<MenuItem>& printItems)
{
    m_buttons = createDataToolbar(this, count, specs, [this](int index) { triggerButton(index); });
    for (int index : hidden)
        m_buttons[index]->setVisible(false);
    attachDropDown(this, m_buttons[5], printItems,
                   [this](const QString& key) { emit printListRequested(key); });
}

void DataWindow::setButtonVisible(int index, bool visible)
{
    m_buttons[index]->setVisible(visible);
}

QAction* DataWindow::toolbarButton(int index) const
{
    return index >= 1 && index < m_buttons.size() ? m_buttons[index] : nullptr;
}

void DataWindow::triggerButton(int index)
{
    runGuarded(this, [&] { command(index); });
}

bool DataWindow::sharedCommand(int index)
{
    switch (index) {
    case SwitchButton:
        emit switchRequested();
        return true;
    case CloseButton:
        close();
        return true;
    case ChangeAccountButton:
        emit changeAccountRequested();
        return true;
    case PrintButton:
        emit printRequested();
        return true;
    case SettingsButton:
        emit settingsRequested();
        return true;
    case SearchButton:
        emit searchRequested();
        return true;
    }
    return false;
}

QStringList DataWindow::itemsOf(const QComboBox* combo)
{
    QStringList items;
    for (int i = 0; i < combo->count(); ++i)
        items << combo->itemText(i);
    return items;
}

QLabel* DataWindow::valueLabel(const QString& name, QWidget* parent)
{
    auto* value = new ValueLabel(parent);
    value->setObjectName(name);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    value->setStyleSheet(valueBoxStyle());
    return value;
}

void DataWindow::setTexts(const QList<QLabel*>& labels, const QStringList& texts)
{
    for (int i = 0; i < labels.size(); ++i)
        labels[i]->setText(texts.value(i));
}

QStringList DataWindow::textsOf(const QList<QLabel*>& labels)
{
    QStringList texts;
    for (const QLabel* label : labels)
        texts << label->text();
    return texts;
}

bool DataWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() != QEvent::KeyPress || !watched->isWidgetType() ||
        static_cast<QWidget*>(watched)->window() != this || QApplication::activeModalWidget())
        return QMainWindow::eventFilter(watched, event);
    const auto key = functionKeyOf(static_cast<QKeyEvent*>(event));
    if (!key)
        return consumesKey(static_cast<QKeyEvent*>(event));
    const int index = buttonForKey(*key);
    if (index > 0 && (!keyNeedsVisibleButton(index) || m_buttons[index]->isVisible()))
        triggerButton(index);
    return true;
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

// A window manager bringing a maximised window back may pass it through
// the normal state: a state change saves only a maximised window; the
// normal state is saved by the resize that comes with it, and at a switch.
void DataWindow::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMaximized() && !isMinimized())
        saveState();
}

void DataWindow::closeEvent(QCloseEvent* event)
{
    if (!m_unloaded)
        saveWindowPlace(this);
    if (!m_unloaded) {
        m_unloaded = true;
        clearLists();
        emit unloading();
        closeAccount();
    }
    QMainWindow::closeEvent(event);
}

} // namespace horunea
