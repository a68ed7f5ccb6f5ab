#pragma once

#include <QListView>

class QComboBox;
class QKeyEvent;

namespace horunea {

// The list of a drop-down box as the keyboard uses it: shown under the box
// while the keyboard stays in the box. The input method keeps composing in
// the box's own window (a list that took the keyboard would be a window of
// its own, with an input method state of its own, and the first key typed
// would reach the box raw), and the arrow keys move in the list without
// changing the box. Enter takes the entry moved to; Escape, typing, or the
// focus leaving close it and leave the box as it was.
class DropList : public QListView
{
    Q_OBJECT
public:
    explicit DropList(QComboBox* combo);

    // Shows the list under its box, the box's text highlighted (nothing
    // when the text is none of its entries).
    void open();
    void close();
    bool isOpen() const { return isVisible(); }

    // A key pressed in the box while the list is open: true when the list
    // used it. Enter takes the highlighted entry into the box and closes the
    // list, and is left to the box (to move on).
    bool keyInBox(const QKeyEvent* key);

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void move(int rows);
    void take(const QModelIndex& index);

    QComboBox* m_combo;
};

} // namespace horunea
