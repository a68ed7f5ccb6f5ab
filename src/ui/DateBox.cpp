#include "ui/DateBox.h"

#include "store/DateText.h"
#include "ui/Dialogs.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QTimer>

namespace horunea {

namespace {

// The characters a typed date is made of.
bool isDateCharacter(QChar c)
{
    return (c >= u'0' && c <= u'9') || (c >= u'０' && c <= u'９') ||
           u"/-. 　／－．年月日"_qs.contains(c);
}

bool allDateCharacters(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (QChar c : text)
        if (!isDateCharacter(c))
            return false;
    return true;
}

} // namespace

DateBox::DateBox(const QString& caption, QWidget* parent) : QDateEdit(parent), m_caption(caption) {}

void DateBox::type(const QString& text)
{
    if (!m_typed)
        m_typed = QString(); // the first key replaces the date shown
    *m_typed += text;
    showTyped();
}

void DateBox::showTyped()
{
    // The spin box must neither read nor mend the text as it goes (its
    // validator pads 2 to 02 and turns 30 into the month's last day): only
    // the whole is taken.
    if (lineEdit()->validator()) {
        m_validator = lineEdit()->validator();
        lineEdit()->setValidator(nullptr);
    }
    const QSignalBlocker quiet(lineEdit());
    lineEdit()->setText(*m_typed);
    lineEdit()->setCursorPosition(int(m_typed->size()));
}

void DateBox::dropTyped()
{
    m_typed.reset();
    const QSignalBlocker quiet(lineEdit());
    lineEdit()->setText(textFromDateTime(dateTime()));
    if (m_validator)
        lineEdit()->setValidator(m_validator);
}

bool DateBox::takeIfDate()
{
    const QDate date = DateFromTyped(*m_typed);
    if (!date.isValid() || date < minimumDate() || date > maximumDate())
        return false;
    setDate(date);
    dropTyped(); // shows the date in the box's own form
    return true;
}

bool DateBox::takeTyped()
{
    if (!m_typed || takeIfDate())
        return true;
    if (m_refusing)
        return false;
    m_refusing = true;
    const QString typed = *m_typed;
    Dialogs::instance().message(window(),
                                u"「"_qs + m_caption + u"」の日付「"_qs + typed +
                                    u"」は日付になりません。年・月・日を 2025/11/03 "
                                    u"のように入力してください。"_qs,
                                Dialogs::Icon::Exclamation);
    m_refusing = false;
    setFocus(Qt::OtherFocusReason);
    m_typed = typed;
    showTyped();
    return false;
}

bool DateBox::takeAllTyped(QWidget* form)
{
    for (DateBox* box : form->findChildren<DateBox*>())
        if (!box->takeTyped())
            return false;
    return true;
}

void DateBox::keyPressEvent(QKeyEvent* event)
{
    const bool plain = !(event->modifiers() & (Qt::ControlModifier | Qt::AltModifier));
    if (plain && allDateCharacters(event->text())) {
        type(event->text());
        return;
    }
    if (event->matches(QKeySequence::Paste)) {
        const QString pasted = QGuiApplication::clipboard()->text().trimmed();
        if (allDateCharacters(pasted)) {
            m_typed.reset(); // a paste replaces whatever is there
            type(pasted);
            return;
        }
    }
    if (m_typed) {
        switch (event->key()) {
        case Qt::Key_Backspace:
            m_typed->chop(1);
            showTyped();
            return;
        case Qt::Key_Escape:
            dropTyped(); // the next Escape is the form's
            return;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (!takeTyped())
                return;
            break;
        default:
            dropTyped();
            break;
        }
    }
    QDateEdit::keyPressEvent(event);
}

void DateBox::focusOutEvent(QFocusEvent* event)
{
    if (m_typed && !m_refusing && !takeIfDate()) {
        // Said once the focus has settled where it went, then brought back.
        QTimer::singleShot(0, this, [this] {
            if (m_typed && isVisible())
                takeTyped();
        });
    }
    QDateEdit::focusOutEvent(event);
    if (m_typed)
        showTyped(); // the spin box put its date back; the typed text stays
}

} // namespace horunea
