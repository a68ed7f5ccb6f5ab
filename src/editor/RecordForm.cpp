#include "editor/RecordForm.h"

#include "store/DateText.h"
#include "ui/ChangedElsewhere.h"
#include "ui/DateBox.h"
#include "ui/EnterNavigation.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/MultiLineBox.h"
#include "ui/Twips.h"

#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace horunea {

namespace editor {

QFrame* group(QWidget* parent, const QString& name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->hide();
    return frame;
}

QLabel* heading(QWidget* parent, const QString& text, int left, int top, int width)
{
    auto* label = plainLabel(text, parent);
    QFont bold = label->font();
    bold.setBold(true);
    label->setFont(bold);
    label->setStyleSheet(headingTextStyle());
    placeTwips(label, left, top, width, 270);
    return label;
}

QString boxText(const QWidget* box)
{
    if (auto* edit = qobject_cast<const QLineEdit*>(box))
        return edit->text();
    if (auto* lines = qobject_cast<const MultiLineBox*>(box))
        return lines->text();
    if (auto* combo = qobject_cast<const QComboBox*>(box))
        return combo->currentText();
    return QString();
}

void setBoxText(QWidget* box, const QString& text)
{
    if (auto* edit = qobject_cast<QLineEdit*>(box)) {
        edit->setText(text);
    } else if (auto* lines = qobject_cast<MultiLineBox*>(box)) {
        lines->setText(text);
    } else if (auto* combo = qobject_cast<QComboBox*>(box)) {
        if (combo->isEditable()) {
            combo->setEditText(text);
        } else {
            // A fixed list shows the text when it is one of its entries, else
            // its empty entry.
            const int at = combo->findText(text);
            combo->setCurrentIndex(at < 0 ? 0 : at);
        }
    }
}

QDateEdit* datePicker(QWidget* parent, const QString& name, const QString& caption)
{
    auto* picker = new DateBox(caption, parent);
    picker->setObjectName(name);
    // Digits are typed as they are: the input method has nothing to compose.
    setInputMode(picker, InputMode::Off);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(u"yyyy/MM/dd"_qs);
    picker->setDate(Clock::today());
    return picker;
}

} // namespace editor

using namespace editor;

QLineEdit* RecordForm::lineEdit(QWidget* parent, const QString& name, int mode)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    setInputMode(edit, InputMode(mode));
    return edit;
}

MultiLineBox* RecordForm::multiLine(QWidget* parent, const QString& name)
{
    auto* box = new MultiLineBox(parent);
    box->setObjectName(name);
    setInputMode(box, InputMode::Kana);
    box->setToolTip(u"Shift+Enterで改行します"_qs);
    return box;
}

QLabel* RecordForm::caption(QWidget* parent, const QString& text, int left, int top, int width)
{
    auto* label = plainLabel(text, parent);
    placeTwips(label, left, top, width, BoxHeight);
    return label;
}

void RecordForm::showStoredDate(QDateEdit* picker, const QString& stored)
{
    // A stored text that is no date shows today, but is written back as it
    // stands unless the user picks another date.
    const QDate date = DateFromText(stored);
    picker->setDate(date.isValid() ? date : Clock::today());
    m_keptDate = date.isValid() ? std::nullopt : std::optional<QDate>(picker->date());
}

bool RecordForm::keepsStoredDate(const QDateEdit* picker) const
{
    return m_keptDate && picker->date() == *m_keptDate;
}

void RecordForm::placeButtons(int top, int width)
{
    placeTwips(m_frame.save, 60, top, width / 2, 420);
    placeTwips(m_frame.second, 60 + width / 2, top, width - width / 2, 420);
    placeTwips(m_frame.close, 60, top + 480, width, 420);
}

void RecordForm::setDialogSize(int width, int height)
{
    m_frame.dialog->setFixedSize(twips(width), twips(height));
}

LogGroup RecordForm::buildLogGroup(const LogGroupNames& names, const QStringList& recorders)
{
    QWidget* dialog = m_frame.dialog;
    LogGroup g;
    g.frame = group(dialog, names.frame);
    placeTwips(g.frame, 60, 420, DialogWidth - 120, 1080 + LogExtra);
    const int box = 1140, boxWidth = DialogWidth - 120 - box - 180;
    g.date = datePicker(g.frame, names.date, names.dateCaption);
    g.recorder = new QComboBox(g.frame);
    g.recorder->setObjectName(names.recorder);
    g.recorder->setEditable(true);
    g.recorder->setInsertPolicy(QComboBox::NoInsert);
    setInputMode(g.recorder, InputMode::Kana);
    g.recorder->addItems(recorders);
    g.text = multiLine(g.frame, names.text);
    const QStringList captions{names.dateCaption, u"記録者"_qs, u"ログ"_qs};
    const QList<QWidget*> boxes{g.date, g.recorder, g.text};
    for (int i = 0; i < 3; ++i) {
        const int top = 60 + i * 330;
        caption(g.frame, captions[i], 60, top);
        placeTwips(boxes[i], 60 + box, top, i == 2 ? boxWidth : 2400,
                   i == 2 ? BoxHeight + LogExtra : BoxHeight);
    }
    EnterNavigation& navigation = *m_frame.navigation;
    navigation.chain(g.date, g.recorder);
    navigation.dropsDownOnEntry(g.recorder);
    navigation.chain(g.recorder, g.text);
    navigation.chain(g.text, m_frame.save);

    g.frame->show();
    placeButtons(1590 + LogExtra, DialogWidth - 120);
    setDialogSize(DialogWidth, 2600 + LogExtra);
    return g;
}

void RecordForm::showStoredLog(const editor::LogGroup& group, QStringList* read, QDate* shown,
                               const QStringList& stored)
{
    showStoredDateBeside(group.date, shown, stored.value(0));
    showStoredBeside({group.recorder, group.text}, read->mid(1), stored.mid(1));
    *read = stored;
}

StoreResult RecordForm::afterChange(ChangeOutcome outcome, const std::function<void()>& showStored)
{
    switch (outcome) {
    case ChangeOutcome::Gone:
        return StoreResult::Gone;
    case ChangeOutcome::ChangedElsewhere:
        showStored();
        return StoreResult::ChangedElsewhere;
    case ChangeOutcome::Changed:
        break;
    }
    return StoreResult::Stored;
}

} // namespace horunea

namespace horunea {

void RecordForm::showStoredBeside(const QList<QWidget*>& boxes, const QStringList& read,
                                  const QStringList& stored)
{
    for (qsizetype i = 0; i < boxes.size(); ++i) {
        QWidget* box = boxes[i];
        const QString typed = editor::boxText(box), value = stored.value(i);
        const bool differs = typed != read.value(i) && typed != value;
        if (!differs)
            editor::setBoxText(box, value);
        markChangedElsewhere(box, differs, value);
    }
}

void RecordForm::showStoredDateBeside(QDateEdit* picker, QDate* shown, const QString& stored)
{
    const bool differs = picker->date() != *shown && picker->date() != DateFromText(stored);
    if (!differs) {
        showStoredDate(picker, stored);
        *shown = picker->date();
    }
    markChangedElsewhere(picker, differs, stored);
}

} // namespace horunea
