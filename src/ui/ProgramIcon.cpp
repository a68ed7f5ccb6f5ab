#include "ui/ProgramIcon.h"

#include "ui/Fonts.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace horunea {

namespace {

// The figure on a grid of 256.
constexpr qreal Grid = 256;
const QRectF Tile(Grid / 12, Grid / 12, Grid * 10 / 12, Grid * 10 / 12);
constexpr qreal Corner = Grid / 6;
const QColor TileColor(0x1d, 0x4e, 0x89);

QPainterPath glyph()
{
    QFont font = programFont();
    font.setBold(true);
    font.setPixelSize(int(Grid * 5 / 8));
    QPainterPath path;
    path.addText(0, 0, font, u"ホ"_qs);
    return path.translated(QPointF(Grid / 2, Grid / 2) - path.boundingRect().center());
}

QString number(qreal v)
{
    return QString::number(v, 'f', 2);
}

} // namespace

void paintProgramIcon(QPainter& painter, int size)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / Grid, size / Grid);
    painter.setPen(Qt::NoPen);
    painter.setBrush(TileColor);
    painter.drawRoundedRect(Tile, Corner, Corner);
    painter.setBrush(Qt::white);
    painter.drawPath(glyph());
    painter.restore();
}

QIcon programIcon()
{
    QIcon icon;
    for (int size : {16, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(size, size);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        paintProgramIcon(p, size);
        p.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

QByteArray programIconSvg()
{
    const QPainterPath path = glyph();
    QString d;
    for (int i = 0; i < path.elementCount(); ++i) {
        const QPainterPath::Element e = path.elementAt(i);
        if (e.isMoveTo())
            d += u'M' + number(e.x) + u' ' + number(e.y);
        else if (e.isLineTo())
            d += u'L' + number(e.x) + u' ' + number(e.y);
        else if (e.isCurveTo() && i + 2 < path.elementCount()) {
            const QPainterPath::Element c2 = path.elementAt(i + 1), to = path.elementAt(i + 2);
            d += u'C' + number(e.x) + u' ' + number(e.y) + u' ' + number(c2.x) + u' ' +
                 number(c2.y) + u' ' + number(to.x) + u' ' + number(to.y);
            i += 2;
        }
    }
    const QString svg =
        QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                       "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"256\" height=\"256\" "
                       "viewBox=\"0 0 256 256\">\n"
                       "  <title>ホルネア</title>\n"
                       "  <rect x=\"%1\" y=\"%2\" width=\"%3\" height=\"%4\" rx=\"%5\" ry=\"%5\" "
                       "fill=\"%6\"/>\n"
                       "  <path fill=\"#ffffff\" fill-rule=\"%7\" d=\"%8\"/>\n"
                       "</svg>\n")
            .arg(number(Tile.x()), number(Tile.y()), number(Tile.width()), number(Tile.height()),
                 number(Corner), TileColor.name(),
                 path.fillRule() == Qt::WindingFill ? u"nonzero"_qs : u"evenodd"_qs, d);
    return svg.toUtf8();
}

} // namespace horunea
