#include "ui/ValueLabel.h"

#include <QFontMetricsF>
#include <QPainter>

namespace horunea {

ValueLabel::ValueLabel(QWidget* parent) : QLabel(parent)
{
    setTextFormat(Qt::PlainText);
}

void ValueLabel::paintEvent(QPaintEvent* event)
{
    const QString shown = text();
    const QFontMetricsF metrics(font());
    // Drawn as a label draws it where its own font's line holds it, and
    // while a part of it is selected (the label shows the selection).
    const bool fallbackTaller = metrics.boundingRect(shown).height() > metrics.height() + 0.5;
    if (!fallbackTaller || hasSelectedText() || shown.contains(u'\n') ||
        !(alignment() & Qt::AlignLeft)) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    drawFrame(&painter);
    const QRectF box = contentsRect();
    painter.setClipRect(box);
    painter.setPen(palette().color(foregroundRole()));
    const qreal baseline = box.top() + (box.height() - metrics.height()) / 2 + metrics.ascent();
    painter.drawText(QPointF(box.left() + qMax(0, indent()), baseline), shown);
}

} // namespace horunea
