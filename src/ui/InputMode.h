#pragma once

class QWidget;

namespace horunea {

// The input method's mode for a box, set as it gets the focus:
// Kana - the input method on (hiragana composition);
// HalfKana - on, and whatever kana is committed becomes half-width katakana
//   (no Linux input method can be told to compose half-width katakana);
// Off - the input method off (WA_InputMethodEnabled false).
enum class InputMode { Kana, HalfKana, Off };

void setInputMode(QWidget* box, InputMode mode);
InputMode inputModeOf(const QWidget* box);

// True while the box holds an uncommitted input-method composition; an Enter
// then commits it and must not move the focus.
bool isComposing(const QWidget* box);

} // namespace horunea
