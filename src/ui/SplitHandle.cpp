#include "ui/SplitHandle.h"

#include <QMouseEvent>
#include <QPainter>

namespace horunea {

SplitHandle::SplitHandle(const QString& name, QWidget* parent) : QWidget(parent)
{
    setObjectName(name);
    setCursor(Qt::SplitHCursor);
    setToolTip(u"ドラッグして一覧の幅を変えます"_qs);
}

void SplitHandle::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_grab = int(event->position().x());
}

void SplitHandle::mouseMoveEvent(QMouseEvent* event)
{
    if (m_grab < 0 || !(event->buttons() & Qt::LeftButton))
        return;
    emit moved(mapToParent(event->position().toPoint()).x() - m_grab);
}

void SplitHandle::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.fillRect(rect(), palette().color(QPalette::Mid));
}

} // namespace horunea
