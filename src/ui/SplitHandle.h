#pragma once

#include <QWidget>

namespace horunea {

// A thin bar between two parts of a window that the user drags to give one
// of them more room; it reports where he takes it (its left edge, in its
// parent's pixels). The window lays itself out anew.
class SplitHandle : public QWidget
{
    Q_OBJECT
public:
    explicit SplitHandle(const QString& name, QWidget* parent);

signals:
    void moved(int x);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int m_grab = -1; // where in the handle the mouse took it
};

} // namespace horunea
