#include "editor/CustomerForms.h"

#include "customer/CustomerStorage.h"
#include "customer/CustomerView.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "store/TextForms.h"
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

#include <algorithm>

namespace horunea {

using namespace editor;

// ---------------------------------------------------------------- user

UserForm::UserForm(const EditorFrame& frame, CustomerView* view) : RecordForm(frame), m_view(view)
{}

void UserForm::build(bool isNew)
{
    QFrame* userGroup = group(m_frame.dialog, u"Frame1"_qs);
    placeTwips(userGroup, 60, 420, DialogWidth - 120, 4020);

    const int HalfKana = int(InputMode::HalfKana), Kana = int(InputMode::Kana),
              Off = int(InputMode::Off);
    const int modes[21] = {HalfKana, Kana, HalfKana, Kana, Off,  Off,  Kana,
                           HalfKana, Kana, Kana,     Off,  Off,  Kana, Off,
                           Off,      Kana, Kana,     Kana, Kana, Kana, Kana};
    for (int i = 0; i < 21; ++i) {
        const QString name = QStringLiteral("Text%1").arg(31 + i);
        if (i == RemarksBox)
            m_boxes << multiLine(userGroup, name);
        else
            m_boxes << lineEdit(userGroup, name, modes[i]);
    }

    // Left column: 表示名 (必須), 個人情報, then mail, URL and remarks.
    const int left = 60, right = 4020, box = 1140, boxWidth = 2700;
    heading(userGroup, u"表示名"_qs, left, 60, 1000);
    auto* required = plainLabel(u"必須"_qs, userGroup);
    required->setObjectName(u"Label2"_qs);
    required->setStyleSheet(u"color: #c0392b; font-weight: bold;"_qs);
    placeTwips(required, left + 1000, 60, 800, 270);
    const QStringList leftCaptions{u"ﾌﾘｶﾞﾅ"_qs, u"表示名"_qs};
    const int leftTops[] = {330, 630};
    for (int i = 0; i < 2; ++i) {
        caption(userGroup, leftCaptions[i], left, leftTops[i]);
        placeTwips(m_boxes[i], left + box, leftTops[i], boxWidth, BoxHeight);
    }
    heading(userGroup, u"個  人  情  報"_qs, left, 960);
    const QStringList personal{u"ﾌﾘｶﾞﾅ"_qs, u"ﾕｰｻﾞｰ名"_qs, u"自宅TEL"_qs, u"自宅FAX"_qs,
                               u"自宅住所"_qs};
    for (int i = 0; i < 5; ++i) {
        const int top = 1230 + i * RowHeight;
        caption(userGroup, personal[i], left, top);
        placeTwips(m_boxes[2 + i], left + box, top, boxWidth, BoxHeight);
    }
    const QStringList other{u"E-MAIL"_qs, u"URL"_qs, u"備考"_qs};
    for (int i = 0; i < 3; ++i) {
        const int top = 2760 + i * RowHeight;
        caption(userGroup, other[i], left, top);
        placeTwips(m_boxes[13 + i], left + box, top, boxWidth, BoxHeight);
    }
    // Right column: 会社情報, then the free fields.
    heading(userGroup, u"会　社　情　報"_qs, right, 60);
    const QStringList company{u"ﾌﾘｶﾞﾅ"_qs,   u"会社名"_qs,  u"部署"_qs,
                              u"会社TEL"_qs, u"会社FAX"_qs, u"会社住所"_qs};
    for (int i = 0; i < 6; ++i) {
        const int top = 330 + i * RowHeight;
        caption(userGroup, company[i], right, top);
        placeTwips(m_boxes[7 + i], right + box, top, boxWidth, BoxHeight);
    }
    heading(userGroup, u"自　由　項　目"_qs, right, 2160);
    const QStringList captions = m_view ? m_view->freeFieldCaptions() : QStringList();
    for (int i = 0; i < 5; ++i) {
        const int top = 2430 + i * RowHeight;
        QLabel* label = caption(userGroup, captions.value(i), right, top);
        label->setObjectName(QStringLiteral("Label%1").arg(11 + i));
        placeTwips(m_boxes[16 + i], right + box, top, boxWidth, BoxHeight);
    }

    chainBoxes();
    userGroup->show();
    placeButtons(4500, DialogWidth - 120);
    setDialogSize(DialogWidth, 5655);
    if (isNew) {
        ClearUserFields();
        m_frame.title->setText(u"ユーザーを追加します"_qs);
    }
    m_boxes[0]->setFocus();
}

// Enter order: each box to the next, readings re-typed into their names.
void UserForm::chainBoxes()
{
    EnterNavigation& navigation = *m_frame.navigation;
    const int readings[] = {0, 2, 7};
    for (int i = 0; i < 21; ++i) {
        QWidget* from = m_boxes[i];
        if (std::find(std::begin(readings), std::end(readings), i) != std::end(readings)) {
            auto* reading = static_cast<QLineEdit*>(from);
            auto* target = static_cast<QLineEdit*>(m_boxes[i + 1]);
            navigation.chain(from, [reading, target] { RetypeReading(reading, target); });
        } else {
            navigation.chain(from, i == 20 ? static_cast<QWidget*>(m_frame.save) : m_boxes[i + 1]);
        }
    }
    // The Up key in ユーザー名ふりがな and 会社名ふりがな copies 表示ふりがな.
    for (int i : {2, 7}) {
        auto* readingBox = static_cast<QLineEdit*>(m_boxes[i]);
        navigation.onKey(readingBox, Qt::Key_Up,
                         [this, readingBox] { readingBox->setText(boxText(m_boxes[0])); });
    }
}

void UserForm::ClearUserFields()
{
    for (QWidget* box : std::as_const(m_boxes))
        setBoxText(box, QString());
}

void UserForm::fill()
{
    if (!m_view)
        return;
    const QStringList& values = m_view->userDetail();
    for (int i = 0; i < m_boxes.size(); ++i)
        setBoxText(m_boxes[i], values.value(i));
    m_frame.title->setText(m_view->detail(DetailField::Name) + u"の情報を編集します"_qs);
}

void UserForm::RetypeReading(QLineEdit* reading, QLineEdit* target)
{
    // A name that is there is the user's: only an empty one gets the reading.
    const QString hiragana = toHiraganaReading(reading->text());
    focusByKeyboard(target);
    if (!target->text().isEmpty() || hiragana.isEmpty())
        return;
    // In as hiragana and selected, so that the input method's reconversion
    // (the 変換 key on a selection) turns it into kanji.
    target->setText(hiragana);
    target->selectAll();
}

QWidget* UserForm::missing(QString* message) const
{
    if (!boxText(m_boxes[0]).isEmpty() && !boxText(m_boxes[1]).isEmpty())
        return nullptr;
    *message = u"表示ﾌﾘｶﾞﾅ・表示名は空白禁止です。"_qs;
    return boxText(m_boxes[0]).isEmpty() ? m_boxes[0] : m_boxes[1];
}

bool UserForm::store(bool isNew)
{
    CustomerView& v = *m_view;
    QStringList values;
    for (QWidget* box : std::as_const(m_boxes))
        values << boxText(box);
    if (isNew)
        AddUser(v.database(), values);
    else if (!UpdateUser(v.database(), v.SelectedUserId, values))
        return false;
    v.userStored(isNew, values.value(int(DetailField::Name)));
    return true;
}

bool UserForm::remove()
{
    if (!DeleteUser(m_view->database(), m_view->SelectedUserId))
        return false;
    m_view->recordDeleted(RecordKind::User);
    return true;
}

// ---------------------------------------------------------------- subject

SubjectForm::SubjectForm(const EditorFrame& frame, CustomerView* view)
    : RecordForm(frame), m_view(view)
{}

void SubjectForm::build(bool isNew)
{
    QFrame* subjectGroup = group(m_frame.dialog, u"Frame2"_qs);
    placeTwips(subjectGroup, 60, 420, DialogWidth - 120, 1380);
    const int box = 1140, boxWidth = DialogWidth - 120 - box - 180;
    m_dtPicker1 = datePicker(subjectGroup, u"DTPicker1"_qs);
    m_text22 = lineEdit(subjectGroup, u"Text22"_qs, int(InputMode::Kana));
    m_text23 = multiLine(subjectGroup, u"Text23"_qs);
    m_combo1 = new QComboBox(subjectGroup);
    m_combo1->setObjectName(u"Combo1"_qs);
    m_combo1->addItems({u"続行"_qs, u"完了"_qs});
    setInputMode(m_combo1, InputMode::Kana);
    const QStringList captions{u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs};
    const QList<QWidget*> boxes{m_dtPicker1, m_text22, m_text23, m_combo1};
    for (int i = 0; i < 4; ++i) {
        const int top = 60 + i * 330;
        caption(subjectGroup, captions[i], 60, top);
        placeTwips(boxes[i], 60 + box, top, i == 0 || i == 3 ? 1800 : boxWidth, BoxHeight);
    }
    EnterNavigation& navigation = *m_frame.navigation;
    navigation.chain(m_dtPicker1, m_text22);
    navigation.chain(m_text22, m_text23);
    navigation.chain(m_text23, m_combo1);
    navigation.chain(m_combo1, m_frame.save);

    subjectGroup->show();
    placeButtons(1890, DialogWidth - 120);
    setDialogSize(DialogWidth, 2900);
    if (isNew) {
        ResetSubjectFields();
        m_frame.title->setText((m_view ? m_view->SelectedUserName : QString()) + u" の件名追加"_qs);
    }
    m_text22->setFocus();
}

void SubjectForm::ResetSubjectFields()
{
    m_dtPicker1->setDate(Clock::today());
    m_text22->clear();
    m_text23->clear();
    m_combo1->setCurrentIndex(0);
}

void SubjectForm::fill()
{
    if (!m_view)
        return;
    const QStringList subject = m_view->selectedSubject();
    showStoredDate(m_dtPicker1, cell(subject, SubjectColumn::Date));
    m_text22->setText(cell(subject, SubjectColumn::Title));
    m_text23->setText(cell(subject, SubjectColumn::Remarks));
    m_combo1->setCurrentIndex(cell(subject, SubjectColumn::State) == u"完了" ? 1 : 0);
    m_frame.title->setText(m_view->SelectedUserName + u" の件名を変更・削除します"_qs);
}

QWidget* SubjectForm::missing(QString* message) const
{
    if (!m_text22->text().isEmpty())
        return nullptr;
    *message = u"件名は空白禁止です。"_qs;
    return m_text22;
}

bool SubjectForm::store(bool isNew)
{
    CustomerView& v = *m_view;
    SubjectRecord subject{m_dtPicker1->date(), m_text22->text(), m_text23->text(),
                          m_combo1->currentText()};
    subject.keepDate = keepsStoredDate(m_dtPicker1);
    if (isNew ? AddSubject(v.database(), v.SelectedUserId, subject) == 0
              : !UpdateSubject(v.database(), v.SelectedSubjectId, subject))
        return false;
    v.subjectStored(isNew, subject.title);
    return true;
}

bool SubjectForm::remove()
{
    if (!DeleteSubject(m_view->database(), m_view->SelectedSubjectId))
        return false;
    m_view->recordDeleted(RecordKind::Subject);
    return true;
}

// ---------------------------------------------------------------- log

LogForm::LogForm(const EditorFrame& frame, CustomerView* view) : RecordForm(frame), m_view(view) {}

void LogForm::build(bool isNew)
{
    m_group =
        buildLogGroup({u"Frame3"_qs, u"DTPicker2"_qs, u"Combo2"_qs, u"Text24"_qs, u"登録日"_qs},
                      m_view ? m_view->OperatorNames() : QStringList());
    if (isNew) {
        ResetLogFields();
        m_frame.title->setText((m_view ? m_view->SelectedSubjectTitle : QString()) +
                               u" の件名追加"_qs);
    }
    m_group.text->setFocus();
}

void LogForm::ResetLogFields()
{
    m_group.date->setDate(Clock::today());
    m_group.recorder->setEditText(SessionState::instance().CustomerAccountName);
    m_group.text->clear();
}

void LogForm::fill()
{
    if (!m_view)
        return;
    const QStringList log = m_view->selectedLog();
    showStoredDate(m_group.date, cell(log, LogColumn::Date));
    m_group.recorder->setEditText(cell(log, LogColumn::Recorder));
    m_group.text->setText(cell(log, LogColumn::Text));
    m_frame.title->setText(m_view->SelectedSubjectTitle + u" のログを変更・削除します"_qs);
}

QWidget* LogForm::missing(QString* message) const
{
    if (!m_group.text->text().isEmpty())
        return nullptr;
    *message = u"ログは空白禁止です。"_qs;
    return m_group.text;
}

bool LogForm::store(bool isNew)
{
    CustomerView& v = *m_view;
    LogRecord log{m_group.date->date(), m_group.recorder->currentText(), m_group.text->text()};
    log.keepDate = keepsStoredDate(m_group.date);
    // A new log goes only to the shown subject; it may be gone since.
    if (isNew ? AddLog(v.database(), v.SelectedSubjectId, v.SelectedUserId, log) == 0
              : !UpdateLog(v.database(), v.SelectedLogId, log))
        return false;
    v.logStored();
    return true;
}

bool LogForm::remove()
{
    if (!DeleteLog(m_view->database(), m_view->SelectedLogId))
        return false;
    m_view->recordDeleted(RecordKind::Log);
    return true;
}

} // namespace horunea
