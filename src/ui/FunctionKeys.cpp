#include "ui/FunctionKeys.h"

#include <QKeyEvent>

namespace horunea {

std::optional<FunctionKey> functionKeyOf(const QKeyEvent* event)
{
    const int key = event->key();
    if (key < Qt::Key_F1 || key > Qt::Key_F12)
        return std::nullopt;
    const Qt::KeyboardModifiers held =
        event->modifiers() &
        (Qt::ShiftModifier | Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier);
    return FunctionKey{key - Qt::Key_F1 + 1, held == Qt::ShiftModifier};
}

} // namespace horunea
