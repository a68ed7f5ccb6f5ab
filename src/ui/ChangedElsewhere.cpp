#include "ui/ChangedElsewhere.h"

#include <QLineEdit>

namespace horunea {

QString changedElsewhereMessage()
{
    return u"他の端末で変更されています。最新の内容を表示します。"_qs;
}

void markChangedElsewhere(QWidget* box, bool marked, const QString& stored)
{
    box->setProperty("changedElsewhere", marked);
    box->setStyleSheet(marked ? u"background-color: #ffe08a;"_qs : QString());
    box->setToolTip(marked ? u"保存されている内容: "_qs + (stored.isEmpty() ? u"(空白)"_qs : stored)
                           : QString());
}

void showStoredBeside(const QList<QLineEdit*>& boxes, const QStringList& read,
                      const QStringList& stored)
{
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        const QString typed = boxes[i]->text(), value = stored.value(i);
        const bool differs = typed != read.value(i) && typed != value;
        if (!differs)
            boxes[i]->setText(value);
        markChangedElsewhere(boxes[i], differs, value);
    }
}

} // namespace horunea
