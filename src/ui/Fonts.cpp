#include "ui/Fonts.h"

#include <QStringList>

namespace horunea {

QFont programFont(qreal pointSize)
{
    QFont font;
    // IPA (or MS P Gothic) draws what it has; Noto Sans CJK JP the rest of
    // JIS X 0213 (𠮷, 𩸽) and the era sign ㋿; Symbola emoji in outline, which
    // a PDF and a printer carry as they carry text.
    font.setFamilies({u"ＭＳ Ｐゴシック"_qs, u"IPAPGothic"_qs, u"Noto Sans CJK JP"_qs,
                      u"IPAGothic"_qs, u"Symbola"_qs, u"Noto Color Emoji"_qs});
    font.setPointSizeF(pointSize);
    return font;
}

} // namespace horunea
