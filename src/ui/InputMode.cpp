#include "ui/InputMode.h"

#include "store/TextForms.h"

#include <QComboBox>
#include <QEvent>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>
#include <QVariant>

namespace horunea {

namespace {

const char* const ModeProperty = "horuneaInputMode";
const char* const ComposingProperty = "horuneaComposing";

// Watches a box's input-method events to know whether a composition is under way.
class CompositionWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethod) {
            const auto* im = static_cast<QInputMethodEvent*>(event);
            watched->setProperty(ComposingProperty, !im->preeditString().isEmpty());
        } else if (event->type() == QEvent::FocusOut) {
            watched->setProperty(ComposingProperty, false);
        }
        return false;
    }
};

CompositionWatcher* watcher()
{
    static auto* w = new CompositionWatcher();
    return w;
}

void convertLineEdit(QLineEdit* edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit](const QString& text) {
        const QString half = toHalfWidthKana(text);
        if (half == text)
            return;
        // Keep the cursor after the same characters it followed.
        const int cursor = edit->cursorPosition();
        const int grown = int(toHalfWidthKana(text.left(cursor)).size());
        edit->setText(half);
        edit->setCursorPosition(grown);
    });
}

} // namespace

void setInputMode(QWidget* box, InputMode mode)
{
    box->setProperty(ModeProperty, int(mode));
    QWidget* target = box;
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        target = combo->lineEdit();
    target->setAttribute(Qt::WA_InputMethodEnabled, mode != InputMode::Off);
    target->installEventFilter(watcher());
    if (mode == InputMode::HalfKana) {
        if (auto* edit = qobject_cast<QLineEdit*>(target))
            convertLineEdit(edit);
    }
}

InputMode inputModeOf(const QWidget* box)
{
    const QVariant v = box->property(ModeProperty);
    return v.isValid() ? InputMode(v.toInt()) : InputMode::Kana;
}

bool isComposing(const QWidget* box)
{
    const QWidget* target = box;
    if (auto* combo = qobject_cast<const QComboBox*>(box); combo && combo->lineEdit())
        target = combo->lineEdit();
    return target->property(ComposingProperty).toBool();
}

} // namespace horunea
