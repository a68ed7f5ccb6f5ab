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

} // namespace horunea
