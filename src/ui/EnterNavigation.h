#pragma once

#include <QHash>
#include <QObject>

#include <functional>

class QAbstractButton;
class QComboBox;
class QWidget;

namespace horunea {

class DropList;

// Keyboard aids of the entry dialogs: Enter moves the focus to the next box
// (never typed into the box), unless it commits an input-method composition;
// a box may run its own step instead of a plain move; drop-down boxes open
// their list (a DropList: the keyboard stays in the box) as they are
// entered, and ↑ or ↓ opens it again. An open list never changes its box by
// itself: it shows the box's text as its highlighted entry (none when the
// text is no entry), ↑ ↓ move in it, Enter takes the entry the user moved to
// (or keeps the text) and moves on, Escape closes it, and typing, with or
// without the input method, goes to the box and closes it. The list the
// mouse opens (the box's arrow) is the box's own, and is met alike.
class EnterNavigation : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;

    // Enter in from moves to to; when to is a button, Enter on it presses it.
    void chain(QWidget* from, QWidget* to);
    // Enter (or the keypad's Enter) on a focused button presses it.
    void pressesOnEnter(QAbstractButton* button);
    void chain(QWidget* from, std::function<void()> onEnter);
    void dropsDownOnEntry(QComboBox* combo);
    // An extra key of one box (the Up key of a reading box, say); the key is
    // still processed normally afterwards.
    void onKey(QWidget* box, int key, std::function<void()> action);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void watch(QWidget* box);
    bool popupEvent(QComboBox* combo, QEvent* event);
    void enterStep(QWidget* box);

    QHash<QObject*, std::function<void()>> m_enter;
    QHash<QObject*, QHash<int, std::function<void()>>> m_keys;
    QHash<QObject*, QWidget*> m_boxOf;     // inner line edits map to their box
    QHash<QObject*, QComboBox*> m_popupOf; // a drop-down's list view to its box
    QHash<QObject*, DropList*> m_lists;    // the keyboard's list of each drop-down
};

// Enter (or the keypad's Enter) on the focused button presses it, in any window.
void pressesOnEnter(QAbstractButton* button);

// Moves the focus as the Tab key does, with the focus frame a keyboard move shows.
void focusByKeyboard(QWidget* widget);

} // namespace horunea
