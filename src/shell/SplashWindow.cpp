#include "shell/SplashWindow.h"

#include "ui/Fonts.h"
#include "ui/FormParts.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace horunea {

QPixmap SplashWindow::picture()
{
    QPixmap pixmap(480, 300);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient sky(0, 0, 0, 300);
    sky.setColorAt(0, QColor(0x1d, 0x4e, 0x89));
    sky.setColorAt(1, QColor(0x6f, 0xa8, 0xdc));
    p.fillRect(pixmap.rect(), sky);
    // A ledger and a spanner: customers and repairs.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(255, 255, 255, 40));
    p.drawEllipse(QPointF(390, 70), 140, 140);
    p.setBrush(QColor(0xf4, 0xf1, 0xe8));
    p.drawRoundedRect(QRectF(40, 70, 120, 150), 8, 8);
    p.setPen(QPen(QColor(0x9a, 0xb0, 0xc8), 3));
    for (int y = 100; y <= 190; y += 22)
        p.drawLine(58, y, 142, y);
    p.setPen(Qt::white);
    QFont title = programFont(40);
    title.setBold(true);
    p.setFont(title);
    p.drawText(QRectF(180, 70, 290, 90), Qt::AlignLeft | Qt::AlignVCenter, u"ホルネア"_qs);
    p.setFont(programFont(13));
    p.drawText(QRectF(184, 160, 290, 40), Qt::AlignLeft | Qt::AlignVCenter,
               u"顧客管理・修理管理"_qs);
    p.setFont(programFont(10));
    p.drawText(QRectF(184, 200, 290, 30), Qt::AlignLeft | Qt::AlignVCenter,
               u"Version 2.0.1　データベース版"_qs);
    p.end();
    return pixmap;
}

SplashWindow::SplashWindow(QWidget* parent)
    : QWidget(parent, Qt::SplashScreen | Qt::FramelessWindowHint)
{
    setObjectName(u"Form3"_qs);
    setWindowTitle(u"ホルネア"_qs);
    setAttribute(Qt::WA_DeleteOnClose);
    m_image = plainLabel(this);
    m_image->setObjectName(u"Image1"_qs);
    const QPixmap pixmap = picture();
    m_image->setPixmap(pixmap);
    m_image->setGeometry(0, 0, pixmap.width(), pixmap.height());
    m_image->installEventFilter(this);
    setFixedSize(pixmap.size());
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());

    m_timer = new QTimer(this);
    m_timer->setObjectName(u"Timer1"_qs);
    m_timer->setInterval(1000);
    connect(m_timer, &QTimer::timeout, this, &SplashWindow::tick);
    m_loaded.start();
    m_timer->start();
}

void SplashWindow::tick()
{
    if (m_loaded.elapsed() > 1000)
        close();
}

bool SplashWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_image && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void SplashWindow::closeEvent(QCloseEvent* event)
{
    m_timer->stop();
    QWidget::closeEvent(event);
    if (!m_done) {
        m_done = true;
        emit finished();
    }
}

} // namespace horunea
