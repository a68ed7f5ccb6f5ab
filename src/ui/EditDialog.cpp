#include "ui/EditDialog.h"

#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>

namespace horunea {

QStringList EditDialog::inputsOf(const QWidget* root)
{
    // Date pickers and editable lists hold line edits: their text is read there.
    QStringList values;
    for (const QWidget* w : root->findChildren<QWidget*>()) {
        if (auto* edit = qobject_cast<const QLineEdit*>(w))
            values << edit->text();
        else if (auto* lines = qobject_cast<const QPlainTextEdit*>(w))
            values << lines->toPlainText();
        else if (auto* combo = qobject_cast<const QComboBox*>(w); combo && !combo->isEditable())
            values << combo->currentText();
        else if (auto* button = qobject_cast<const QAbstractButton*>(w);
                 button && button->isCheckable())
            values << (button->isChecked() ? u"1"_qs : u"0"_qs);
    }
    return values;
}

void EditDialog::markUnchanged()
{
    m_unchanged = inputsOf(this);
}

bool EditDialog::isChanged() const
{
    return inputsOf(this) != m_unchanged;
}

void EditDialog::reject()
{
    // What is typed is never thrown away unasked (input-method users press
    // Escape to cancel a conversion, and one press too many closes the window).
    if (isChanged() && !Dialogs::instance().confirm(this, u"入力内容を破棄しますか？"_qs))
        return;
    QDialog::reject();
}

void EditDialog::closeWithoutAsking()
{
    QDialog::reject();
}

} // namespace horunea
