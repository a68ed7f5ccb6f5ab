#pragma once

#include <QString>

namespace horunea {

// Hiragana and full-width katakana as half-width katakana (が -> ｶﾞ), and
// full-width Latin letters, digits and signs as their half-width forms. What
// has no half-width form (kanji, ゐ) stays as it is.
QString toHalfWidthKana(const QString& text);

// Full-width Latin letters, digits, signs and the ideographic space as their
// half-width forms; kana and kanji stay.
QString toHalfWidthAscii(const QString& text);

// A reading as full-width hiragana, ready for an input method's reconversion:
// half-width and full-width katakana become hiragana (ﾀﾞ -> だ), full-width
// Latin letters, digits and signs their half-width forms (￥ a backslash), and
// blanks are left out.
QString toHiraganaReading(const QString& text);

// What a reading sorts by, as a dictionary orders it: kana of either width
// and hiragana alike, first without voicing marks and small kana (がもう
// between かとう and かわい), then with them (かき before がき, きゃく
// before きやく); blanks are left out, and a reading of blanks only is empty.
QString readingSortKey(const QString& text);

// What a box that takes no Japanese keeps of what was typed or pasted into it:
// full-width Latin letters, digits and signs and the full-width blank in their
// ASCII forms, and the dashes an input method writes between digits (－, −,
// ｰ, and ー after a digit) as "-".
QString toAsciiForms(const QString& text);

} // namespace horunea
