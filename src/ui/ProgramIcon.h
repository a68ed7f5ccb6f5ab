#pragma once

#include <QByteArray>
#include <QIcon>

class QPainter;

namespace horunea {

// The program's icon: a blue tile with a white ホ. The window icon, the
// picture of the desktop entry (PNG) and its scalable form (SVG) are drawn
// from this one figure.
void paintProgramIcon(QPainter& painter, int size);
QIcon programIcon();
// The same figure as an SVG document (the glyph as its outline).
QByteArray programIconSvg();

} // namespace horunea
