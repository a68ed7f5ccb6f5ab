#pragma once

namespace horunea {

// How a field is typed, as the box that edits it sets the input method on
// getting the focus:
// Kana - the input method on (hiragana composition);
// HalfKana - on, and whatever kana is committed becomes half-width katakana
//   (no Linux input method can be told to compose half-width katakana);
// Off - the input method off (numbers, addresses, mail).
// Declared with the store's field tables; the boxes apply it (ui/InputMode.h).
enum class InputMode { Kana, HalfKana, Off };

} // namespace horunea
