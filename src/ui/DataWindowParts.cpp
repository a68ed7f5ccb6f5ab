#include "ui/DataWindowParts.h"

#include "store/PrintKeys.h"

#include "ui/ToolbarIcons.h"
#include "ui/Twips.h"

#include <QAction>
#include <QGuiApplication>
#include <QHash>
#include <QMainWindow>
#include <QMenu>
#include <QScreen>
#include <QToolBar>
#include <QToolButton>

namespace horunea {

QList<QAction*> createDataToolbar(QMainWindow* window, int count,
                                  const QList<ToolbarButton>& buttons,
                                  const std::function<void(int)>& triggered)
{
    auto* toolbar = new QToolBar(window);
    toolbar->setObjectName(u"Toolbar1"_qs);
    toolbar->setMovable(false);
    toolbar->setFloatable(false);
    toolbar->setIconSize(QSize(24, 24));
    toolbar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar->setContextMenuPolicy(Qt::PreventContextMenu);
    toolbar->toggleViewAction()->setVisible(false);
    window->addToolBar(Qt::TopToolBarArea, toolbar);

    QHash<int, ToolbarButton> byIndex;
    for (const ToolbarButton& b : buttons)
        byIndex.insert(b.index, b);
    QList<QAction*> actions(count + 1, nullptr);
    for (int index = 1; index <= count; ++index) {
        QAction* action;
        if (!byIndex.contains(index)) {
            action = toolbar->addSeparator();
        } else {
            const ToolbarButton& b = byIndex[index];
            const QString tip = QString::fromUtf16(b.tip);
            action = toolbar->addAction(glyphIcon(QString::fromUtf16(b.glyph), b.tile), tip);
            action->setToolTip(tip);
            QObject::connect(action, &QAction::triggered, window,
                             [triggered, index] { triggered(index); });
        }
        action->setObjectName(QStringLiteral("Button%1").arg(index));
        actions[index] = action;
    }
    return actions;
}

QMenu* attachDropDown(QMainWindow* window, QAction* button, const QList<MenuItem>& items,
                      const std::function<void(const QString&)>& chosen)
{
    auto* menu = new QMenu(window);
    menu->setObjectName(u"PrintMenu"_qs);
    for (const MenuItem& item : items) {
        QAction* entry = menu->addAction(QString::fromUtf16(item.caption));
        const QString key = QString::fromUtf16(item.key);
        entry->setObjectName(key);
        QObject::connect(entry, &QAction::triggered, window, [chosen, key] { chosen(key); });
    }
    button->setMenu(menu);
    const auto toolbars = window->findChildren<QToolBar*>();
    for (QToolBar* toolbar : toolbars)
        if (auto* tool = qobject_cast<QToolButton*>(toolbar->widgetForAction(button)))
            tool->setPopupMode(QToolButton::MenuButtonPopup);
    return menu;
}

void fitDataWindowToScreen(QMainWindow* window)
{
    QScreen* screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect available = screen->availableGeometry();
    const int height = std::min(screen->geometry().height() - twips(400), available.height());
    window->resize(available.width(), height);
    window->move(available.topLeft());
}

QList<MenuItem> printMenuItems(AccountKind kind)
{
    QList<MenuItem> menu;
    for (const PrintItem& item : printItems())
        if (item.kind == kind)
            menu.append(MenuItem{item.caption, item.text});
    return menu;
}

} // namespace horunea
