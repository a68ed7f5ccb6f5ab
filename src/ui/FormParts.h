#pragma once

#include "ui/InputMode.h"

#include <QList>
#include <QStringList>

class QLabel;
class QLineEdit;
class QPushButton;
class QWidget;

namespace horunea {

// A label that shows its text as it is: a stored or typed value holding
// markup (<b>, <img …>) is never drawn as rich text.
QLabel* plainLabel(QWidget* parent);
QLabel* plainLabel(const QString& text, QWidget* parent);

// The banner heading of the small record windows (makers, own company).
QLabel* headingLabel(const QString& text, QWidget* parent);

// Colours that read under any theme: the style sheet of a heading's text
// (the program's blue, lightened on a dark palette), and of a value box (the
// palette's base and text, with a border of its own).
QString headingTextStyle();
QString valueBoxStyle();

// A command button with its object name that Enter does not press by
// default (the windows say which buttons Enter presses).
QPushButton* commandButton(const QString& name, const QString& caption, QWidget* parent);

// Caption and box rows from the top given (boxes Text1, Text2, …), each box
// in its input mode; returns the boxes in order.
QList<QLineEdit*> fieldRows(QWidget* parent, const QStringList& captions,
                            const QList<InputMode>& modes, int left, int top, int width);

} // namespace horunea
