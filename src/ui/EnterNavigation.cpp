#include "ui/EnterNavigation.h"

#include "ui/DropList.h"
#include "ui/InputMode.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace horunea {

namespace {

bool isPlainEnter(const QKeyEvent* key)
{
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    return enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
}

// Typed text, not a movement or a shortcut.
bool isTyping(const QKeyEvent* key)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
        return false;
    const QString text = key->text();
    return !text.isEmpty() && text.at(0).isPrint();
}

// Presses a focused button on Enter; one filter for every button.
class EnterPresses : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::KeyPress || !isPlainEnter(static_cast<QKeyEvent*>(event)))
            return false;
        auto* button = static_cast<QAbstractButton*>(watched);
        if (button->isEnabled() && button->isVisible())
            button->click();
        return true;
    }
};

} // namespace

void pressesOnEnter(QAbstractButton* button)
{
    static auto* presses = new EnterPresses(qApp);
    button->removeEventFilter(presses);
    button->installEventFilter(presses);
}

void focusByKeyboard(QWidget* widget)
{
    widget->setFocus(Qt::TabFocusReason);
    widget->window()->setAttribute(Qt::WA_KeyboardFocusChange);
    widget->update();
}

void EnterNavigation::watch(QWidget* box)
{
    box->installEventFilter(this);
    m_boxOf.insert(box, box);
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit()) {
        combo->lineEdit()->installEventFilter(this);
        m_boxOf.insert(combo->lineEdit(), box);
    }
}

void EnterNavigation::chain(QWidget* from, QWidget* to)
{
    if (auto* button = qobject_cast<QAbstractButton*>(to); button && !qobject_cast<QCheckBox*>(to))
        pressesOnEnter(button);
    chain(from, [to] { focusByKeyboard(to); });
}

void EnterNavigation::pressesOnEnter(QAbstractButton* button)
{
    horunea::pressesOnEnter(button);
}

void EnterNavigation::chain(QWidget* from, std::function<void()> onEnter)
{
    watch(from);
    m_enter.insert(from, std::move(onEnter));
}

void EnterNavigation::dropsDownOnEntry(QComboBox* combo)
{
    watch(combo);
    m_lists.insert(combo, new DropList(combo));
    QAbstractItemView* view = combo->view();
    view->installEventFilter(this);
    m_popupOf.insert(view, combo);
    // The list composes with the input method only where its box does.
    QWidget* box = combo->lineEdit() ? static_cast<QWidget*>(combo->lineEdit()) : combo;
    view->setAttribute(Qt::WA_InputMethodEnabled, box->testAttribute(Qt::WA_InputMethodEnabled));
}

void EnterNavigation::enterStep(QWidget* box)
{
    if (auto step = m_enter.constFind(box); step != m_enter.constEnd())
        (*step)();
}

bool EnterNavigation::popupEvent(QComboBox* combo, QEvent* event)
{
    QAbstractItemView* view = combo->view();
    if (event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        if (isPlainEnter(key)) {
            // The entry the user moved to, or the text as it stands.
            const QModelIndex picked = view->currentIndex();
            combo->hidePopup();
            if (picked.isValid() && (picked.flags() & Qt::ItemIsEnabled))
                combo->setCurrentIndex(picked.row());
            enterStep(combo);
            return true;
        }
        if (combo->lineEdit() && isTyping(key)) {
            combo->hidePopup();
            combo->lineEdit()->setFocus(Qt::OtherFocusReason);
            QKeyEvent typed(QEvent::KeyPress, key->key(), key->modifiers(), key->text(),
                            key->isAutoRepeat(), ushort(key->count()));
            QApplication::sendEvent(combo->lineEdit(), &typed);
            return true;
        }
        return false;
    }
    if (event->type() == QEvent::InputMethod && combo->lineEdit()) {
        // The input method composes in the box, not in its list.
        combo->hidePopup();
        combo->lineEdit()->setFocus(Qt::OtherFocusReason);
        QApplication::sendEvent(combo->lineEdit(), event);
        return true;
    }
    return false;
}

void EnterNavigation::onKey(QWidget* box, int key, std::function<void()> action)
{
    watch(box);
    m_keys[box].insert(key, std::move(action));
}

bool EnterNavigation::eventFilter(QObject* watched, QEvent* event)
{
    if (QComboBox* combo = m_popupOf.value(watched))
        return popupEvent(combo, event);
    QWidget* box = m_boxOf.value(watched);
    if (!box)
        return false;
    DropList* list = m_lists.value(box);
    if (event->type() == QEvent::FocusIn && watched == box) {
        if (list) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                QTimer::singleShot(0, list, [list, box] {
                    if (box->hasFocus() && box->isVisible())
                        list->open();
                });
            }
        }
        return false;
    }
    if (event->type() == QEvent::FocusOut && list) {
        list->close();
        return false;
    }
    if (event->type() == QEvent::InputMethod && list) {
        // A composition starts in the box: the list has done its part.
        const auto* im = static_cast<QInputMethodEvent*>(event);
        if (!im->preeditString().isEmpty() || !im->commitString().isEmpty())
            list->close();
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // The combo's inner line edit and the combo both see the key: act once.
    if (watched != box && qobject_cast<QComboBox*>(box))
        return false;
    if (list) {
        if (list->keyInBox(key))
            return true;
        // ↑ and ↓ in a closed box open its list; they never change the box
        // by themselves.
        const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
        if (plain && !list->isOpen() && (key->key() == Qt::Key_Up || key->key() == Qt::Key_Down)) {
            list->open();
            return true;
        }
    }
    if (auto keys = m_keys.constFind(box); keys != m_keys.constEnd()) {
        if (auto action = keys->constFind(key->key()); action != keys->constEnd()) {
            (*action)();
            return false;
        }
    }
    if (!isPlainEnter(key))
        return false;
    if (isComposing(box))
        return false; // this Enter commits the composition; the focus stays
    if (!m_enter.contains(box))
        return false;
    enterStep(box);
    return true;
}

} // namespace horunea
