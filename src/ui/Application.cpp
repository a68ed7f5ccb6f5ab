#include "ui/Application.h"

#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/ProgramIcon.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace horunea {

namespace {

// A dialog that closes gives the keyboard back to the window beneath, to the
// control that had it: some window managers activate nothing then, and the
// keys would go nowhere until the user clicks.
class FocusReturn : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Hide || !watched->isWidgetType())
            return false;
        auto* closed = static_cast<QWidget*>(watched);
        if (!closed->isWindow() || closed->windowType() != Qt::Dialog || !closed->parentWidget())
            return false;
        QPointer<QWidget> beneath = closed->parentWidget()->window();
        QTimer::singleShot(0, beneath, [beneath] {
            // Only when no window has it: one the user went to keeps it,
            // and a dialog shown meanwhile takes it itself.
            if (!beneath || !beneath->isVisible() || QApplication::activeWindow() ||
                QApplication::activeModalWidget() || QApplication::activePopupWidget())
                return;
            for (QWidget* top : QApplication::topLevelWidgets())
                if (top != beneath && top->isVisible() && top->windowType() == Qt::Dialog)
                    return;
            beneath->activateWindow();
            if (QWidget* had = beneath->focusWidget())
                had->setFocus(Qt::ActiveWindowFocusReason);
        });
        return false;
    }
};

} // namespace

void configureApplication(QApplication& app)
{
    // A display name would make the desktop add " — ホルネア" to every title.
    QApplication::setApplicationName(u"horunea"_qs);
    installJapaneseTranslations(app);
    QApplication::setFont(programFont());
    QApplication::setWindowIcon(programIcon());
}

void returnFocusAfterDialogs()
{
    static QPointer<FocusReturn> installed;
    if (installed || !qApp)
        return;
    installed = new FocusReturn(qApp);
    qApp->installEventFilter(installed);
}

} // namespace horunea
