#pragma once

#include <QDateEdit>
#include <QPointer>
#include <QValidator>

#include <optional>

namespace horunea {

// A date box that takes a date as it is typed, whole: typing starts a text
// of its own in place of the date shown (2025/11/3, 20251103, ２０２５年１１月３日),
// taken when the box is left or the form is stored; a text that is no real
// date is refused with a message naming the box, and the box keeps it for
// correcting. Escape drops what was typed. The arrow keys and the calendar
// work on the date shown, as before.
class DateBox : public QDateEdit
{
    Q_OBJECT
public:
    DateBox(const QString& caption, QWidget* parent = nullptr);

    // Takes what was typed, if anything: true when nothing waits or it was
    // a date, now shown; else says so and keeps the focus in the box.
    bool takeTyped();

    // Every box of a form that takes what was typed; false at the first
    // that refuses.
    static bool takeAllTyped(QWidget* form);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    void type(const QString& text);
    void showTyped();
    void dropTyped();
    // Takes what was typed when it is a date the box can hold.
    bool takeIfDate();

    QString m_caption;
    std::optional<QString> m_typed;
    bool m_refusing = false;
    QPointer<const QValidator> m_validator; // the spin box's, set aside while typing
};

} // namespace horunea
