#include "ui/EnterNavigation.h"

#include "ui/InputMode.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTimer>

namespace horunea {

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
    chain(from, [to] { to->setFocus(Qt::TabFocusReason); });
}

void EnterNavigation::pressesOnEnter(QAbstractButton* button)
{
    if (m_buttons.contains(button))
        return;
    button->installEventFilter(this);
    m_buttons.insert(button, button);
}

void EnterNavigation::chain(QWidget* from, std::function<void()> onEnter)
{
    watch(from);
    m_enter.insert(from, std::move(onEnter));
}

void EnterNavigation::dropsDownOnEntry(QComboBox* combo)
{
    watch(combo);
    m_dropDowns.insert(combo, combo);
}

void EnterNavigation::onKey(QWidget* box, int key, std::function<void()> action)
{
    watch(box);
    m_keys[box].insert(key, std::move(action));
}

bool EnterNavigation::eventFilter(QObject* watched, QEvent* event)
{
    if (QAbstractButton* button = m_buttons.value(watched);
        button && event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
        if (enter && (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            if (button->isEnabled() && button->isVisible())
                button->click();
            return true;
        }
    }
    QWidget* box = m_boxOf.value(watched);
    if (!box)
        return false;
    if (event->type() == QEvent::FocusIn && watched == box) {
        if (QComboBox* combo = m_dropDowns.value(box)) {
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                QTimer::singleShot(0, combo, [combo] {
                    if (combo->hasFocus() && combo->isVisible() && combo->count() > 0)
                        combo->showPopup();
                });
            }
        }
        return false;
    }
    if (event->type() != QEvent::KeyPress)
        return false;
    auto* key = static_cast<QKeyEvent*>(event);
    // The combo's inner line edit and the combo both see the key: act once.
    if (watched != box && qobject_cast<QComboBox*>(box))
        return false;
    if (auto keys = m_keys.constFind(box); keys != m_keys.constEnd()) {
        if (auto action = keys->constFind(key->key()); action != keys->constEnd()) {
            (*action)();
            return false;
        }
    }
    const bool enter = key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!enter || !plain)
        return false;
    if (isComposing(box))
        return false; // this Enter commits the composition; the focus stays
    auto step = m_enter.constFind(box);
    if (step == m_enter.constEnd())
        return false;
    (*step)();
    return true;
}

} // namespace horunea
