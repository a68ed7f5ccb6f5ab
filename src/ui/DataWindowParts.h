#pragma once

#include "store/Accounts.h"

#include <QColor>
#include <QList>

#include <functional>

class QAction;
class QMainWindow;
class QMenu;
class QToolBar;

namespace horunea {

// Tile colours of the toolbar icons.
namespace tiles {
inline const QColor Blue(0x2f, 0x6d, 0xb5);
inline const QColor Green(0x3a, 0x8a, 0x4f);
inline const QColor Orange(0xc9, 0x73, 0x1c);
inline const QColor Purple(0x7a, 0x4f, 0xa8);
inline const QColor Teal(0x1f, 0x86, 0x8a);
inline const QColor Grey(0x5f, 0x67, 0x72);
inline const QColor Red(0xb0, 0x3a, 0x2e);
} // namespace tiles

struct ToolbarButton
{
    int index;
    const char16_t* glyph;
    const char16_t* tip; // names the function key
    QColor tile;
};

struct MenuItem
{
    const char16_t* caption;
    const char16_t* key;
};

// A data window's print drop-down, from the one table of print items.
QList<MenuItem> printMenuItems(AccountKind kind);

// The data windows' toolbar Toolbar1: buttons 1 … count (objects Button1 …),
// the indexes without a button being separators. Returns the actions with
// index n at [n].
QList<QAction*> createDataToolbar(QMainWindow* window, int count,
                                  const QList<ToolbarButton>& buttons,
                                  const std::function<void(int)>& triggered);

// A drop-down menu on a toolbar button; each item, named by its key, reports
// that key.
QMenu* attachDropDown(QMainWindow* window, QAction* button, const QList<MenuItem>& items,
                      const std::function<void(const QString&)>& chosen);

// As wide as the screen and 400 twips less high than it.
void fitDataWindowToScreen(QMainWindow* window);

} // namespace horunea
