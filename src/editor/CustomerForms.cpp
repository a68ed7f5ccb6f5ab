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

namespace {

// Where each user field's box sits in Frame1: its caption, the column
// (表示名, 個人情報 and the rest on the left; 会社情報 and the free fields on
// the right) and its top, in twips. The free fields' captions are the
// account's own.
struct UserBoxPlace
{
    UserField field;
    const char16_t* caption;
    int column;
    int top;
};

constexpr int LeftColumn = 60, RightColumn = 4020;

constexpr UserBoxPlace UserBoxPlaces[] = {
    {UserField::Reading, u"ﾌﾘｶﾞﾅ", LeftColumn, 330},
    {UserField::Name, u"表示名", LeftColumn, 630},
    {UserField::NameReading, u"ﾌﾘｶﾞﾅ", LeftColumn, 1230},
    {UserField::UserName, u"ﾕｰｻﾞｰ名", LeftColumn, 1230 + RowHeight},
    {UserField::HomeTel, u"自宅TEL", LeftColumn, 1230 + 2 * RowHeight},
    {UserField::HomeFax, u"自宅FAX", LeftColumn, 1230 + 3 * RowHeight},
    {UserField::HomeAddress, u"自宅住所", LeftColumn, 1230 + 4 * RowHeight},
    {UserField::CompanyReading, u"ﾌﾘｶﾞﾅ", RightColumn, 330},
    {UserField::Company, u"会社名", RightColumn, 330 + RowHeight},
    {UserField::Department, u"部署", RightColumn, 330 + 2 * RowHeight},
    {UserField::CompanyTel, u"会社TEL", RightColumn, 330 + 3 * RowHeight},
    {UserField::CompanyFax, u"会社FAX", RightColumn, 330 + 4 * RowHeight},
    {UserField::CompanyAddress, u"会社住所", RightColumn, 330 + 5 * RowHeight},
    {UserField::Mail, u"E-MAIL", LeftColumn, 2760},
    {UserField::Url, u"URL", LeftColumn, 2760 + RowHeight},
    {UserField::Remarks, u"備考", LeftColumn, 2760 + 2 * RowHeight},
    {UserField::Free1, nullptr, RightColumn, 2430},
    {UserField::Free2, nullptr, RightColumn, 2430 + RowHeight},
    {UserField::Free3, nullptr, RightColumn, 2430 + 2 * RowHeight},
    {UserField::Free4, nullptr, RightColumn, 2430 + 3 * RowHeight},
    {UserField::Free5, nullptr, RightColumn, 2430 + 4 * RowHeight},
};
static_assert(std::size(UserBoxPlaces) == std::size_t(UserFieldCount));

// A reading re-typed into its name box on Enter; Up in the two name readings
// copies 表示ふりがな.
constexpr std::pair<UserField, UserField> ReadingTargets[] = {
    {UserField::Reading, UserField::Name},
    {UserField::NameReading, UserField::UserName},
    {UserField::CompanyReading, UserField::Company},
};

} // namespace

void UserForm::build(bool isNew)
{
    QFrame* userGroup = group(m_frame.dialog, u"Frame1"_qs);
    placeTwips(userGroup, 60, 420, DialogWidth - 120, 4020);

    for (int i = 0; i < UserFieldCount; ++i) {
        const QString name = QStringLiteral("Text%1").arg(31 + i);
        const auto field = UserField(i);
        if (field == UserField::Remarks)
            m_boxes << multiLine(userGroup, name);
        else
            m_boxes << lineEdit(userGroup, name, int(userFieldInput(field)));
    }

    heading(userGroup, u"表示名"_qs, LeftColumn, 60, 1000);
    auto* required = plainLabel(u"必須"_qs, userGroup);
    required->setObjectName(u"Label2"_qs);
    required->setStyleSheet(u"color: #c0392b; font-weight: bold;"_qs);
    placeTwips(required, LeftColumn + 1000, 60, 800, 270);
    heading(userGroup, u"個  人  情  報"_qs, LeftColumn, 960);
    heading(userGroup, u"会　社　情　報"_qs, RightColumn, 60);
    heading(userGroup, u"自　由　項　目"_qs, RightColumn, 2160);

    const int boxLeft = 1140, boxWidth = 2700;
    const QStringList freeCaptions = m_view ? m_view->freeFieldCaptions() : QStringList();
    for (const UserBoxPlace& place : UserBoxPlaces) {
        const int free = int(place.field) - int(UserField::Free1);
        QLabel* label = caption(
            userGroup, place.caption ? QString::fromUtf16(place.caption) : freeCaptions.value(free),
            place.column, place.top);
        if (free >= 0)
            label->setObjectName(QStringLiteral("Label%1").arg(11 + free));
        placeTwips(box(place.field), place.column + boxLeft, place.top, boxWidth, BoxHeight);
    }

    chainBoxes();
    userGroup->show();
    placeButtons(4500, DialogWidth - 120);
    setDialogSize(DialogWidth, 5655);
    if (isNew) {
        ClearUserFields();
        m_frame.title->setText(u"ユーザーを追加します"_qs);
    }
    box(UserField::Reading)->setFocus();
}

// Enter order: each box to the next, readings re-typed into their names.
void UserForm::chainBoxes()
{
    EnterNavigation& navigation = *m_frame.navigation;
    for (int i = 0; i < UserFieldCount; ++i) {
        QWidget* from = m_boxes[i];
        const auto reading = std::find_if(std::begin(ReadingTargets), std::end(ReadingTargets),
                                          [i](const auto& pair) { return int(pair.first) == i; });
        if (reading != std::end(ReadingTargets)) {
            auto* readingBox = static_cast<QLineEdit*>(from);
            auto* target = static_cast<QLineEdit*>(box(reading->second));
            navigation.chain(from, [readingBox, target] { RetypeReading(readingBox, target); });
        } else {
            navigation.chain(from, i + 1 == UserFieldCount ? static_cast<QWidget*>(m_frame.save)
                                                           : m_boxes[i + 1]);
        }
    }
    for (UserField field : {UserField::NameReading, UserField::CompanyReading}) {
        auto* readingBox = static_cast<QLineEdit*>(box(field));
        navigation.onKey(readingBox, Qt::Key_Up, [this, readingBox] {
            readingBox->setText(boxText(box(UserField::Reading)));
        });
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
    m_read = values;
    m_frame.title->setText(m_view->detail(UserField::Name) + u"の情報を編集します"_qs);
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
    QWidget* reading = box(UserField::Reading);
    QWidget* name = box(UserField::Name);
    if (!boxText(reading).isEmpty() && !boxText(name).isEmpty())
        return nullptr;
    *message = u"表示ﾌﾘｶﾞﾅ・表示名は空白禁止です。"_qs;
    return boxText(reading).isEmpty() ? reading : name;
}

StoreResult UserForm::store(bool isNew)
{
    CustomerView& v = *m_view;
    QStringList values;
    for (QWidget* box : std::as_const(m_boxes))
        values << boxText(box);
    if (isNew) {
        AddUser(v.database(), values);
    } else {
        QStringList stored;
        const StoreResult result =
            afterChange(ChangeUser(v.database(), v.SelectedUserId, m_read, values, &stored), [&] {
                showStoredBeside(m_boxes, m_read, stored);
                m_read = stored;
                v.ShowUserDetail();
            });
        if (result != StoreResult::Stored)
            return result;
    }
    v.userStored(isNew, values.value(int(UserField::Name)));
    return StoreResult::Stored;
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
    m_dtPicker1 = datePicker(subjectGroup, u"DTPicker1"_qs, u"登録日"_qs);
    m_subjectTitle = lineEdit(subjectGroup, u"Text22"_qs, int(InputMode::Kana));
    m_subjectRemarks = multiLine(subjectGroup, u"Text23"_qs);
    m_subjectState = new QComboBox(subjectGroup);
    m_subjectState->setObjectName(u"Combo1"_qs);
    m_subjectState->addItems({u"続行"_qs, u"完了"_qs});
    setInputMode(m_subjectState, InputMode::Kana);
    const QStringList captions{u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs};
    const QList<QWidget*> boxes{m_dtPicker1, m_subjectTitle, m_subjectRemarks, m_subjectState};
    for (int i = 0; i < 4; ++i) {
        const int top = 60 + i * 330;
        caption(subjectGroup, captions[i], 60, top);
        placeTwips(boxes[i], 60 + box, top, i == 0 || i == 3 ? 1800 : boxWidth, BoxHeight);
    }
    EnterNavigation& navigation = *m_frame.navigation;
    navigation.chain(m_dtPicker1, m_subjectTitle);
    navigation.chain(m_subjectTitle, m_subjectRemarks);
    navigation.chain(m_subjectRemarks, m_subjectState);
    navigation.chain(m_subjectState, m_frame.save);

    subjectGroup->show();
    placeButtons(1890, DialogWidth - 120);
    setDialogSize(DialogWidth, 2900);
    if (isNew) {
        ResetSubjectFields();
        m_frame.title->setText((m_view ? m_view->SelectedUserName : QString()) + u" の件名追加"_qs);
    }
    m_subjectTitle->setFocus();
}

void SubjectForm::ResetSubjectFields()
{
    m_dtPicker1->setDate(Clock::today());
    m_subjectTitle->clear();
    m_subjectRemarks->clear();
    m_subjectState->setCurrentIndex(0);
}

void SubjectForm::fill()
{
    if (!m_view)
        return;
    const QStringList subject = m_view->selectedSubject();
    showStoredDate(m_dtPicker1, cell(subject, SubjectColumn::Date));
    m_shownDate = m_dtPicker1->date();
    m_read = {cell(subject, SubjectColumn::Date), cell(subject, SubjectColumn::Title),
              cell(subject, SubjectColumn::Remarks), cell(subject, SubjectColumn::State)};
    m_subjectTitle->setText(cell(subject, SubjectColumn::Title));
    m_subjectRemarks->setText(cell(subject, SubjectColumn::Remarks));
    m_subjectState->setCurrentIndex(cell(subject, SubjectColumn::State) == u"完了" ? 1 : 0);
    m_frame.title->setText(m_view->SelectedUserName + u" の件名を変更・削除します"_qs);
}

QWidget* SubjectForm::missing(QString* message) const
{
    if (!m_subjectTitle->text().isEmpty())
        return nullptr;
    *message = u"件名は空白禁止です。"_qs;
    return m_subjectTitle;
}

StoreResult SubjectForm::store(bool isNew)
{
    CustomerView& v = *m_view;
    SubjectRecord subject{m_dtPicker1->date(), m_subjectTitle->text(), m_subjectRemarks->text(),
                          m_subjectState->currentText()};
    subject.keepDate = keepsStoredDate(m_dtPicker1);
    if (isNew) {
        if (AddSubject(v.database(), v.SelectedUserId, subject) == 0)
            return StoreResult::Gone;
    } else {
        QStringList stored;
        const StoreResult result = afterChange(
            ChangeSubject(v.database(), v.SelectedSubjectId, m_read, subject, &stored), [&] {
                showStoredDateBeside(m_dtPicker1, &m_shownDate, stored.value(0));
                showStoredBeside({m_subjectTitle, m_subjectRemarks, m_subjectState}, m_read.mid(1),
                                 stored.mid(1));
                m_read = stored;
            });
        if (result != StoreResult::Stored)
            return result;
    }
    v.subjectStored(isNew, subject.title);
    return StoreResult::Stored;
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
    m_shownDate = m_group.date->date();
    m_read = {cell(log, LogColumn::Date), cell(log, LogColumn::Recorder),
              cell(log, LogColumn::Text)};
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

StoreResult LogForm::store(bool isNew)
{
    CustomerView& v = *m_view;
    LogRecord log{m_group.date->date(), m_group.recorder->currentText(), m_group.text->text()};
    log.keepDate = keepsStoredDate(m_group.date);
    // A new log goes only to the shown subject; it may be gone since.
    if (isNew) {
        if (AddLog(v.database(), v.SelectedSubjectId, v.SelectedUserId, log) == 0)
            return StoreResult::Gone;
    } else {
        QStringList stored;
        const StoreResult result =
            afterChange(ChangeLog(v.database(), v.SelectedLogId, m_read, log, &stored),
                        [&] { showStoredLog(m_group, &m_read, &m_shownDate, stored); });
        if (result != StoreResult::Stored)
            return result;
    }
    v.logStored();
    return StoreResult::Stored;
}

bool LogForm::remove()
{
    if (!DeleteLog(m_view->database(), m_view->SelectedLogId))
        return false;
    m_view->recordDeleted(RecordKind::Log);
    return true;
}

} // namespace horunea
