#pragma once

#include <QLabel>

namespace horunea {

// A one-line box that shows a stored value. A value holding a character the
// first font lacks (𠮷 and ㋿ come from Noto Sans CJK JP, emoji from
// Symbola) would be laid out with that font's ascent, a third larger, and
// sit low in the box with its bottom cut off; this box draws every value on
// the baseline of its own font, centred as a value of that font is.
class ValueLabel : public QLabel
{
public:
    explicit ValueLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

} // namespace horunea
