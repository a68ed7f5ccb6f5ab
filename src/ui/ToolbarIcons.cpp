#include "ui/ToolbarIcons.h"

#include "ui/Fonts.h"

#include <QPainter>
#include <QPixmap>

namespace horunea {

QIcon glyphIcon(const QString& glyph, const QColor& tile, const QColor& ink)
{
    QIcon icon;
    for (int size : {24, 48}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(tile);
        const qreal inset = size / 12.0;
        p.drawRoundedRect(QRectF(inset, inset, size - 2 * inset, size - 2 * inset), size / 6.0,
                          size / 6.0);
        QFont font = programFont();
        font.setBold(true);
        font.setPixelSize(glyph.size() > 2 ? size * 5 / 16
                                           : (glyph.size() > 1 ? size * 7 / 16 : size * 5 / 8));
        p.setFont(font);
        p.setPen(ink);
        p.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, glyph);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

} // namespace horunea
