#pragma once

#include <QFont>

namespace horunea {

// "ＭＳ Ｐゴシック" first, then the free Japanese Gothic faces Debian ships,
// then the faces that draw what those lack: JIS X 0213 beyond JIS X 0208,
// ㋿, emoji.
QFont programFont(qreal pointSize = 9);

} // namespace horunea
