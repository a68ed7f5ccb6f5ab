#pragma once

#include <QMainWindow>

class QKeyEvent;

namespace horunea {

// What the two data windows share: they see every key pressed in them before
// their controls do, keep their last normal or maximised state in the
// session, lay themselves out as they are resized, and run their unload
// sequence once when they close. They delete themselves when closed.
class DataWindow : public QMainWindow
{
    Q_OBJECT
public:
    DataWindow(Qt::WindowStates* savedState, QWidget* parent = nullptr);
    ~DataWindow() override;

protected:
    // A key pressed anywhere in the window while no dialog is open; returning
    // true consumes it.
    virtual bool windowKeyPress(QKeyEvent* event) = 0;
    virtual void layoutChildren() = 0;
    virtual void unload() = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void saveState();

    Qt::WindowStates* m_savedState;
    bool m_unloaded = false;
};

} // namespace horunea
