#pragma once

#include <QString>

class QSettings;
class QWidget;

namespace horunea {

class ReportListView;

// What a user arranges on his desktop (column widths, where and how large
// each window is, maximised or not) is his own: it is kept in
// $XDG_CONFIG_HOME/horunea/horunea.ini, never in the data folder or an
// account's file, and shared by no other user.
QSettings& userSettings();

// Gives the list the widths the user last gave it under that key, and
// keeps every width he gives it from now on.
void rememberColumns(ReportListView* list, const QString& key);

// A window's place, size and maximised state, under its object name.
void restoreWindowPlace(QWidget* window);
void saveWindowPlace(const QWidget* window);

} // namespace horunea
