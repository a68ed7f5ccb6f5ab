#pragma once

#include "store/InputModeKind.h"

class QWidget;

namespace horunea {

// Sets the input method's mode for a box (see InputMode), applied each time
// it gets the focus.
void setInputMode(QWidget* box, InputMode mode);
InputMode inputModeOf(const QWidget* box);

// True while the box holds an uncommitted input-method composition; an Enter
// then commits it and must not move the focus.
bool isComposing(const QWidget* box);

} // namespace horunea
