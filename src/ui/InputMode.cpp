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

// Watches a box's input-method events to know whether a composition is under
// way, and tells the input method that a box of mode Off takes no input from
// it (QLineEdit answers ImEnabled with true whatever its attribute says).
class CompositionWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() == QEvent::InputMethodQuery &&
            InputMode(watched->property(ModeProperty).toInt()) == InputMode::Off) {
            auto* query = static_cast<QInputMethodQueryEvent*>(event);
            auto* widget = static_cast<QWidget*>(watched);
            for (int bit = 0; bit < 32; ++bit) {
                const auto q = Qt::InputMethodQuery(int(query->queries() & (1u << bit)));
                if (q)
                    query->setValue(q, q == Qt::ImEnabled ? QVariant(false)
                                                          : widget->inputMethodQuery(q));
            }
            query->accept();
            return true;
        }
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

// One line as a one-line box shows it: each line break (CR, LF or CR LF)
// becomes a space, and those at the end go.
QString oneLine(const QString& text)
{
    if (!text.contains(u'\n') && !text.contains(u'\r'))
        return text;
    QString line = text;
    line.replace(u"\r\n"_qs, u"\n"_qs);
    while (line.endsWith(u'\n') || line.endsWith(u'\r'))
        line.chop(1);
    line.replace(u'\r', u' ');
    line.replace(u'\n', u' ');
    return line;
}

// Rewrites what the user typed, pasted or committed into a one-line box in
// the form the box keeps (none: the text only loses its line breaks).
void convertLineEdit(QLineEdit* edit, QString (*form)(const QString&))
{
    QObject::connect(edit, &QLineEdit::textEdited, edit, [edit, form](const QString& text) {
        // A password is compared exactly as it was set: it is never rewritten.
        if (edit->echoMode() != QLineEdit::Normal)
            return;
        auto keep = [form](const QString& t) { return form ? form(oneLine(t)) : oneLine(t); };
        const QString converted = keep(text);
        if (converted == text)
            return;
        // Keep the cursor after the same characters it followed.
        const int cursor = edit->cursorPosition();
        const int moved = int(keep(text.left(cursor)).size());
        edit->setText(converted);
        edit->setCursorPosition(moved);
    });
}

} // namespace

void setInputMode(QWidget* box, InputMode mode)
{
    box->setProperty(ModeProperty, int(mode));
    QWidget* target = box;
    if (auto* combo = qobject_cast<QComboBox*>(box); combo && combo->lineEdit())
        target = combo->lineEdit();
    target->setProperty(ModeProperty, int(mode));
    target->setAttribute(Qt::WA_InputMethodEnabled, mode != InputMode::Off);
    target->installEventFilter(watcher());
    // An editable drop-down box is itself what the input method asks and
    // tells; it hands both on to its line edit directly.
    if (target != box) {
        box->setAttribute(Qt::WA_InputMethodEnabled, mode != InputMode::Off);
        box->installEventFilter(watcher());
    }
    if (auto* edit = qobject_cast<QLineEdit*>(target)) {
        convertLineEdit(edit, mode == InputMode::HalfKana ? toHalfWidthKana
                              : mode == InputMode::Off    ? toAsciiForms
                                                          : nullptr);
    }
}

InputMode inputModeOf(const QWidget* box)
{
    const QVariant v = box->property(ModeProperty);
    return v.isValid() ? InputMode(v.toInt()) : InputMode::Kana;
}

bool isComposing(const QWidget* box)
{
    if (box->property(ComposingProperty).toBool())
        return true;
    auto* combo = qobject_cast<const QComboBox*>(box);
    return combo && combo->lineEdit() && combo->lineEdit()->property(ComposingProperty).toBool();
}

} // namespace horunea
