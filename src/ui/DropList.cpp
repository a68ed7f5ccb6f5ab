#include "ui/DropList.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QScreen>

namespace horunea {

namespace {

// The rows a list shows at most before it scrolls.
constexpr int ShownRows = 10;

} // namespace

DropList::DropList(QComboBox* combo) : QListView(combo), m_combo(combo)
{
    setObjectName(u"DropList"_qs);
    // A window of its own that never takes the keyboard nor activates.
    setWindowFlags(Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setModel(combo->model());
    setModelColumn(combo->modelColumn());
}

void DropList::open()
{
    if (m_combo->count() == 0)
        return;
    const int rows = std::min(m_combo->count(), ShownRows);
    const int rowHeight = std::max(sizeHintForRow(0), fontMetrics().height());
    const QPoint under = m_combo->mapToGlobal(QPoint(0, m_combo->height()));
    setGeometry(under.x(), under.y(), m_combo->width(), rows * rowHeight + 2 * frameWidth());
    // Above the box where there is no room beneath it.
    if (const QScreen* screen = m_combo->screen();
        screen && geometry().bottom() > screen->availableGeometry().bottom())
        QListView::move(under.x(), m_combo->mapToGlobal(QPoint(0, 0)).y() - height());
    const int at =
        m_combo->findText(m_combo->currentText(), Qt::MatchExactly | Qt::MatchCaseSensitive);
    selectionModel()->clear();
    if (at >= 0) {
        const QModelIndex index = model()->index(at, modelColumn());
        setCurrentIndex(index);
        scrollTo(index);
    }
    show();
    raise();
}

void DropList::close()
{
    hide();
}

void DropList::move(int rows)
{
    const int count = model()->rowCount();
    if (count == 0)
        return;
    const QModelIndex now = currentIndex();
    // From no entry, ↓ goes to the first and ↑ to the last.
    int row = now.isValid() ? now.row() + rows : (rows > 0 ? 0 : count - 1);
    row = std::clamp(row, 0, count - 1);
    const QModelIndex index = model()->index(row, modelColumn());
    setCurrentIndex(index);
    scrollTo(index);
}

void DropList::take(const QModelIndex& index)
{
    close();
    if (index.isValid() && (index.flags() & Qt::ItemIsEnabled)) {
        m_combo->setCurrentIndex(index.row());
        if (QLineEdit* edit = m_combo->lineEdit())
            edit->selectAll();
    }
}

bool DropList::keyInBox(const QKeyEvent* key)
{
    if (!isOpen())
        return false;
    const bool plain = (key->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier;
    if (!plain) {
        close();
        return false;
    }
    switch (key->key()) {
    case Qt::Key_Down:
        move(1);
        return true;
    case Qt::Key_Up:
        move(-1);
        return true;
    case Qt::Key_PageDown:
        move(ShownRows);
        return true;
    case Qt::Key_PageUp:
        move(-ShownRows);
        return true;
    case Qt::Key_Escape:
        close();
        return true;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        take(currentIndex());
        return false;
    default:
        // Typing, Tab, Home, End: the box's, and the list goes.
        close();
        return false;
    }
}

void DropList::mouseReleaseEvent(QMouseEvent* event)
{
    const QModelIndex index = indexAt(event->position().toPoint());
    if (index.isValid())
        take(index);
    QListView::mouseReleaseEvent(event);
}

} // namespace horunea
