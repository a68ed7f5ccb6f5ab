#pragma once

#include <QElapsedTimer>
#include <QWidget>

class QLabel;
class QTimer;

namespace horunea {

// Form3: the product picture for one to two seconds; a click ends it at once.
class SplashWindow : public QWidget
{
    Q_OBJECT
public:
    explicit SplashWindow(QWidget* parent = nullptr);

    static QPixmap picture();

signals:
    // The splash has gone; the main menu comes next.
    void finished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void tick();

    QLabel* m_image;
    QTimer* m_timer;
    QElapsedTimer m_loaded;
    bool m_done = false;
};

} // namespace horunea
