#include "ui/MultiLineBox.h"

#include <QKeyEvent>
#include <QMimeData>

namespace horunea {

MultiLineBox::MultiLineBox(QWidget* parent) : QPlainTextEdit(parent)
{
    setTabChangesFocus(true);
    setLineWrapMode(QPlainTextEdit::WidgetWidth);
    setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    document()->setDocumentMargin(1);
}

void MultiLineBox::keyPressEvent(QKeyEvent* event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (enter && (event->modifiers() & Qt::ShiftModifier)) {
        insertPlainText(u"\n"_qs); // a plain line break, never a soft separator
        return;
    }
    if (enter && !(event->modifiers() & ~Qt::KeypadModifier)) {
        event->ignore(); // the dialog's Enter order, not a new line
        return;
    }
    QPlainTextEdit::keyPressEvent(event);
}

void MultiLineBox::insertFromMimeData(const QMimeData* source)
{
    if (!source->hasText())
        return;
    // Text from Windows arrives with CR LF; one line break each.
    QString text = source->text();
    text.replace(u"\r\n"_qs, u"\n"_qs);
    text.replace(u'\r', u'\n');
    insertPlainText(text);
}

} // namespace horunea
