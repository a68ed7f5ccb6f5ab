#pragma once

#include <QList>
#include <QString>
#include <QStringList>

class QLineEdit;
class QWidget;

namespace horunea {

// Said when a change is refused because another PC changed the record since
// it was read: "他の端末で変更されています。最新の内容を表示します。".
QString changedElsewhereMessage();

// Marks a box whose typed value the user is to decide on beside the stored
// one (a colour, the stored value as its tooltip), or takes the mark off.
void markChangedElsewhere(QWidget* box, bool marked, const QString& stored);

// Line edits after another PC changed their record: each shows the stored
// value, except where the user typed something other than what was read
// and other than what is stored, which stays, marked.
void showStoredBeside(const QList<QLineEdit*>& boxes, const QStringList& read,
                      const QStringList& stored);

} // namespace horunea
