#include "print/Report.h"

namespace horunea {

QString noDataText()
{
    return u"該当するデータがありません。"_qs;
}

QString printedAtText(const QDateTime& at)
{
    return at.toString(u"yyyy/MM/dd"_qs) + u" / "_qs + at.toString(u"HH:mm"_qs);
}

QString pageNumberText(int page, int pageCount)
{
    return QString::number(page) + u" / "_qs + QString::number(pageCount);
}

} // namespace horunea
