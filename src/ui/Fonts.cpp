#include "ui/Fonts.h"

#include <QStringList>

namespace horunea {

QFont programFont(qreal pointSize)
{
    QFont font;
    font.setFamilies(
        {u"ＭＳ Ｐゴシック"_qs, u"IPAPGothic"_qs, u"Noto Sans CJK JP"_qs, u"IPAGothic"_qs});
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace horunea
