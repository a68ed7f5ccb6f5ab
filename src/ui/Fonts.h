#pragma once

#include <QFont>

namespace horunea {

// "ＭＳ Ｐゴシック" first, then the free Japanese Gothic faces Debian ships.
QFont programFont(qreal pointSize = 9);

} // namespace horunea
