#pragma once

#include <QColor>
#include <QIcon>
#include <QString>

namespace horunea {

// A toolbar icon drawn from a short glyph on a coloured tile; the program ships
// no picture files.
QIcon glyphIcon(const QString& glyph, const QColor& tile, const QColor& ink = Qt::white);

} // namespace horunea
