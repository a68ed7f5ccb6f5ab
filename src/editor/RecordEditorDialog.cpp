#include "editor/RecordEditorDialog.h"

#include "customer/CustomerStorage.h"
#include "customer/CustomerView.h"
#include "repair/RepairStorage.h"
#include "repair/RepairView.h"
#include "store/Connections.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "store/TextForms.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/MultiLineBox.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace horunea {

namespace {

constexpr int DialogWidth = 8090;
constexpr int RowHeight = 300;
constexpr int BoxHeight = 285;
constexpr int LogExtra = 570; // a log box shows three lines

QFrame* group(QWidget* parent, const QString& name)
{
    auto* frame = new QFrame(parent);
    frame->setObjectName(name);
    frame->setFrameShape(QFrame::StyledPanel);
    frame->hide();
    return frame;
}

QLabel* heading(QWidget* parent, const QString& text, int left, int top, int width = 2700)
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

QDateEdit* datePicker(QWidget* parent, const QString& name)
{
    auto* picker = new QDateEdit(parent);
    picker->setObjectName(name);
    picker->setCalendarPopup(true);
    picker->setDisplayFormat(u"yyyy/MM/dd"_qs);
    picker->setDate(Clock::today());
    return picker;
}

} // namespace

QLineEdit* RecordEditorDialog::lineEdit(QWidget* parent, const QString& name, int mode)
{
    auto* edit = new QLineEdit(parent);
    edit->setObjectName(name);
    setInputMode(edit, InputMode(mode));
    return edit;
}

MultiLineBox* RecordEditorDialog::multiLine(QWidget* parent, const QString& name)
{
    auto* box = new MultiLineBox(parent);
    box->setObjectName(name);
    setInputMode(box, InputMode::Kana);
    box->setToolTip(u"Shift+Enterで改行します"_qs);
    return box;
}

QLabel* RecordEditorDialog::caption(QWidget* parent, const QString& text, int left, int top,
                                    int width)
{
    auto* label = plainLabel(text, parent);
    placeTwips(label, left, top, width, BoxHeight);
    return label;
}

RecordEditorDialog::RecordEditorDialog(const EditMode& mode, CustomerView* customer,
                                       QWidget* parent)
    : EditDialog(parent), m_mode(mode), m_customer(customer)
{
    build();
}

RecordEditorDialog::RecordEditorDialog(const EditMode& mode, RepairView* repair, QWidget* parent)
    : EditDialog(parent), m_mode(mode), m_repair(repair)
{
    build();
}

void RecordEditorDialog::build()
{
    setObjectName(u"Form7"_qs);
    setWindowTitle(u"ホルネア→ﾃﾞｰﾀ編集"_qs);
    setFont(programFont());
    m_navigation = new EnterNavigation(this);

    m_title = plainLabel(this);
    m_title->setObjectName(u"Label1"_qs);
    QFont titleFont = programFont(11);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    placeTwips(m_title, 120, 60, DialogWidth - 240, 330);

    m_command1 = new QPushButton(this);
    m_command1->setObjectName(u"Command1"_qs);
    m_command2 = new QPushButton(this);
    m_command2->setObjectName(u"Command2"_qs);
    m_command3 = new QPushButton(u"閉じる"_qs, this);
    m_command3->setObjectName(u"Command3"_qs);
    for (QPushButton* b : {m_command1, m_command2, m_command3}) {
        b->setAutoDefault(false);
        m_navigation->pressesOnEnter(b);
    }
    connect(m_command1, &QPushButton::clicked, this, &RecordEditorDialog::save);
    connect(m_command2, &QPushButton::clicked, this, &RecordEditorDialog::secondButton);
    connect(m_command3, &QPushButton::clicked, this, &EditDialog::closeWithoutAsking);

    const bool isNew = m_mode.EditIsNew;
    switch (m_mode.EditKind) {
    case RecordKind::User:
        buildUserGroup();
        break;
    case RecordKind::Subject:
        buildSubjectGroup();
        break;
    case RecordKind::Log:
        buildLogGroup();
        break;
    case RecordKind::Repair:
        buildRepairGroup();
        break;
    case RecordKind::RepairLog:
        buildRepairLogGroup();
        break;
    }
    if (isNew) {
        m_command1->setText(u"追加"_qs);
        m_command2->setText(u"初期化"_qs);
    } else {
        m_command1->setText(u"変更"_qs);
        m_command2->setText(u"削除"_qs);
        if (m_repair)
            fillRepairForChange();
        else
            fillForChange();
    }
    markUnchanged();
}

// ---------------------------------------------------------------- groups

void RecordEditorDialog::buildUserGroup()
{
    m_userGroup = group(this, u"Frame1"_qs);
    placeTwips(m_userGroup, 60, 420, DialogWidth - 120, 4020);

    const int HalfKana = int(InputMode::HalfKana), Kana = int(InputMode::Kana),
              Off = int(InputMode::Off);
    const int modes[21] = {HalfKana, Kana, HalfKana, Kana, Off,  Off,  Kana,
                           HalfKana, Kana, Kana,     Off,  Off,  Kana, Off,
                           Off,      Kana, Kana,     Kana, Kana, Kana, Kana};
    for (int i = 0; i < 21; ++i) {
        const QString name = QStringLiteral("Text%1").arg(31 + i);
        if (i == RemarksBox)
            m_userBoxes << multiLine(m_userGroup, name);
        else
            m_userBoxes << lineEdit(m_userGroup, name, modes[i]);
    }

    // Left column: 表示名 (必須), 個人情報, then mail, URL and remarks.
    const int left = 60, right = 4020, box = 1140, boxWidth = 2700;
    heading(m_userGroup, u"表示名"_qs, left, 60, 1000);
    auto* required = plainLabel(u"必須"_qs, m_userGroup);
    required->setObjectName(u"Label2"_qs);
    required->setStyleSheet(u"color: #c0392b; font-weight: bold;"_qs);
    placeTwips(required, left + 1000, 60, 800, 270);
    const QStringList leftCaptions{u"ﾌﾘｶﾞﾅ"_qs, u"表示名"_qs};
    const int leftTops[] = {330, 630};
    for (int i = 0; i < 2; ++i) {
        caption(m_userGroup, leftCaptions[i], left, leftTops[i]);
        placeTwips(m_userBoxes[i], left + box, leftTops[i], boxWidth, BoxHeight);
    }
    heading(m_userGroup, u"個  人  情  報"_qs, left, 960);
    const QStringList personal{u"ﾌﾘｶﾞﾅ"_qs, u"ﾕｰｻﾞｰ名"_qs, u"自宅TEL"_qs, u"自宅FAX"_qs,
                               u"自宅住所"_qs};
    for (int i = 0; i < 5; ++i) {
        const int top = 1230 + i * RowHeight;
        caption(m_userGroup, personal[i], left, top);
        placeTwips(m_userBoxes[2 + i], left + box, top, boxWidth, BoxHeight);
    }
    const QStringList other{u"E-MAIL"_qs, u"URL"_qs, u"備考"_qs};
    for (int i = 0; i < 3; ++i) {
        const int top = 2760 + i * RowHeight;
        caption(m_userGroup, other[i], left, top);
        placeTwips(m_userBoxes[13 + i], left + box, top, boxWidth, BoxHeight);
    }
    // Right column: 会社情報, then the free fields.
    heading(m_userGroup, u"会　社　情　報"_qs, right, 60);
    const QStringList company{u"ﾌﾘｶﾞﾅ"_qs,   u"会社名"_qs,  u"部署"_qs,
                              u"会社TEL"_qs, u"会社FAX"_qs, u"会社住所"_qs};
    for (int i = 0; i < 6; ++i) {
        const int top = 330 + i * RowHeight;
        caption(m_userGroup, company[i], right, top);
        placeTwips(m_userBoxes[7 + i], right + box, top, boxWidth, BoxHeight);
    }
    heading(m_userGroup, u"自　由　項　目"_qs, right, 2160);
    const QStringList captions = m_customer ? m_customer->freeFieldCaptions() : QStringList();
    for (int i = 0; i < 5; ++i) {
        const int top = 2430 + i * RowHeight;
        QLabel* label = caption(m_userGroup, captions.value(i), right, top);
        label->setObjectName(QStringLiteral("Label%1").arg(11 + i));
        m_freeCaptions << label;
        placeTwips(m_userBoxes[16 + i], right + box, top, boxWidth, BoxHeight);
    }

    // Enter order: each box to the next, readings re-typed into their names.
    const int readings[] = {0, 2, 7};
    for (int i = 0; i < 21; ++i) {
        QWidget* from = m_userBoxes[i];
        if (std::find(std::begin(readings), std::end(readings), i) != std::end(readings)) {
            auto* reading = static_cast<QLineEdit*>(from);
            auto* target = static_cast<QLineEdit*>(m_userBoxes[i + 1]);
            m_navigation->chain(from, [this, reading, target] { RetypeReading(reading, target); });
        } else {
            m_navigation->chain(from,
                                i == 20 ? static_cast<QWidget*>(m_command1) : m_userBoxes[i + 1]);
        }
    }
    // The Up key in ユーザー名ふりがな and 会社名ふりがな copies 表示ふりがな.
    for (int i : {2, 7}) {
        auto* readingBox = static_cast<QLineEdit*>(m_userBoxes[i]);
        m_navigation->onKey(readingBox, Qt::Key_Up,
                            [this, readingBox] { readingBox->setText(boxText(m_userBoxes[0])); });
    }

    m_userGroup->show();
    placeButtons(4500, DialogWidth - 120);
    setFixedSize(twips(DialogWidth), twips(5655));
    if (m_mode.EditIsNew) {
        ClearUserFields();
        m_title->setText(u"ユーザーを追加します"_qs);
    }
    m_userBoxes[0]->setFocus();
}

void RecordEditorDialog::buildSubjectGroup()
{
    m_subjectGroup = group(this, u"Frame2"_qs);
    placeTwips(m_subjectGroup, 60, 420, DialogWidth - 120, 1380);
    const int box = 1140, boxWidth = DialogWidth - 120 - box - 180;
    m_dtPicker1 = datePicker(m_subjectGroup, u"DTPicker1"_qs);
    m_text22 = lineEdit(m_subjectGroup, u"Text22"_qs, int(InputMode::Kana));
    m_text23 = multiLine(m_subjectGroup, u"Text23"_qs);
    m_combo1 = new QComboBox(m_subjectGroup);
    m_combo1->setObjectName(u"Combo1"_qs);
    m_combo1->addItems({u"続行"_qs, u"完了"_qs});
    setInputMode(m_combo1, InputMode::Kana);
    const QStringList captions{u"登録日"_qs, u"件名"_qs, u"備考"_qs, u"判定"_qs};
    const QList<QWidget*> boxes{m_dtPicker1, m_text22, m_text23, m_combo1};
    for (int i = 0; i < 4; ++i) {
        const int top = 60 + i * 330;
        caption(m_subjectGroup, captions[i], 60, top);
        placeTwips(boxes[i], 60 + box, top, i == 0 || i == 3 ? 1800 : boxWidth, BoxHeight);
    }
    m_navigation->chain(m_dtPicker1, m_text22);
    m_navigation->chain(m_text22, m_text23);
    m_navigation->chain(m_text23, m_combo1);
    m_navigation->chain(m_combo1, m_command1);

    m_subjectGroup->show();
    placeButtons(1890, DialogWidth - 120);
    setFixedSize(twips(DialogWidth), twips(2900));
    if (m_mode.EditIsNew) {
        ResetSubjectFields();
        m_title->setText((m_customer ? m_customer->SelectedUserName : QString()) +
                         u" の件名追加"_qs);
    }
    m_text22->setFocus();
}

void RecordEditorDialog::buildLogGroup()
{
    m_logGroup = group(this, u"Frame3"_qs);
    placeTwips(m_logGroup, 60, 420, DialogWidth - 120, 1080 + LogExtra);
    const int box = 1140, boxWidth = DialogWidth - 120 - box - 180;
    m_dtPicker2 = datePicker(m_logGroup, u"DTPicker2"_qs);
    m_combo2 = new QComboBox(m_logGroup);
    m_combo2->setObjectName(u"Combo2"_qs);
    m_combo2->setEditable(true);
    m_combo2->setInsertPolicy(QComboBox::NoInsert);
    setInputMode(m_combo2, InputMode::Kana);
    if (m_customer)
        m_combo2->addItems(m_customer->OperatorNames());
    m_text24 = multiLine(m_logGroup, u"Text24"_qs);
    const QStringList captions{u"登録日"_qs, u"記録者"_qs, u"ログ"_qs};
    const QList<QWidget*> boxes{m_dtPicker2, m_combo2, m_text24};
    for (int i = 0; i < 3; ++i) {
        const int top = 60 + i * 330;
        caption(m_logGroup, captions[i], 60, top);
        placeTwips(boxes[i], 60 + box, top, i == 2 ? boxWidth : 2400,
                   i == 2 ? BoxHeight + LogExtra : BoxHeight);
    }
    m_navigation->chain(m_dtPicker2, m_combo2);
    m_navigation->dropsDownOnEntry(m_combo2);
    m_navigation->chain(m_combo2, m_text24);
    m_navigation->chain(m_text24, m_command1);

    m_logGroup->show();
    placeButtons(1590 + LogExtra, DialogWidth - 120);
    setFixedSize(twips(DialogWidth), twips(2600 + LogExtra));
    if (m_mode.EditIsNew) {
        ResetLogFields();
        m_title->setText((m_customer ? m_customer->SelectedSubjectTitle : QString()) +
                         u" の件名追加"_qs);
    }
    m_text24->setFocus();
}

void RecordEditorDialog::buildRepairGroup()
{
    constexpr int Width = 13970;
    m_repairGroup = group(this, u"Frame4"_qs);
    placeTwips(m_repairGroup, 60, 420, Width - 120, 3240);
    placeTwips(m_title, 120, 60, Width - 240, 330);
    const int Kana = int(InputMode::Kana), Off = int(InputMode::Off);

    auto combo = [this](const QString& name, bool editable, InputMode mode) {
        auto* c = new QComboBox(m_repairGroup);
        c->setObjectName(name);
        c->setEditable(editable);
        if (editable)
            c->setInsertPolicy(QComboBox::NoInsert);
        setInputMode(c, mode);
        m_navigation->dropsDownOnEntry(c);
        return c;
    };
    m_check1 = new QCheckBox(u"この修理は終了しました"_qs, m_repairGroup);
    m_check1->setObjectName(u"Check1"_qs);
    m_dtPicker4 = datePicker(m_repairGroup, u"DTPicker4"_qs);
    m_check2 = new QCheckBox(u"見積必要"_qs, m_repairGroup);
    m_check2->setObjectName(u"Check2"_qs);
    m_check3 = new QCheckBox(u"納期必要"_qs, m_repairGroup);
    m_check3->setObjectName(u"Check3"_qs);
    m_combo6 = combo(u"Combo6"_qs, true, InputMode::Off);
    m_combo7 = combo(u"Combo7"_qs, true, InputMode::Kana);
    m_combo8 = combo(u"Combo8"_qs, false, InputMode::Kana);
    m_combo8->addItems({QString(), u"無償"_qs, u"有償"_qs});
    m_combo9 = combo(u"Combo9"_qs, false, InputMode::Kana);
    m_combo9->addItems({QString(), u"未入"_qs, u"済み"_qs});
    if (m_repair) {
        m_combo6->addItems(m_repair->MakerNames());
        m_combo7->addItems(m_repair->OperatorNames());
    }
    auto text = [this](int n, int mode) {
        return lineEdit(m_repairGroup, QStringLiteral("Text%1").arg(n), mode);
    };
    QLineEdit* t[79] = {};
    const int modes[] = {Kana, Kana, Off,  Kana, Off, Kana, Off,  Off,  Kana,
                         Kana, Off,  Kana, Kana, Off, Off,  Kana, Kana, Kana};
    const int numbers[] = {61, 62, 63, 64, 65, 66, 67, 68, 69, 70, 71, 72, 73, 74, 75, 76, 77, 78};
    for (int i = 0; i < 18; ++i)
        t[numbers[i]] = text(numbers[i], modes[i]);
    m_repairTexts = {t[61], t[62], t[63],    t[64], t[65], t[66], m_combo6, t[67],
                     t[68], t[69], m_combo7, t[70], t[71], t[72], t[73],    m_combo8,
                     t[74], t[75], m_combo9, t[76], t[77], t[78]};

    // Three columns of caption and box.
    struct Place
    {
        const char16_t* caption;
        QWidget* box;
        int column, line, width;
    };
    const QStringList free = m_repair ? m_repair->freeFieldCaptions() : QStringList();
    const Place places[] = {
        {u"受付日", m_dtPicker4, 0, 1, 1800},
        {u"お客様", t[61], 0, 2, 0},
        {u"会社名", t[62], 0, 3, 0},
        {u"会社TEL", t[63], 0, 4, 0},
        {u"会社住所", t[64], 0, 5, 0},
        {u"自宅TEL", t[65], 0, 6, 0},
        {u"自宅住所", t[66], 0, 7, 0},
        {u"ﾒｰｶｰ", m_combo6, 0, 8, 0},
        {u"型番", t[67], 0, 9, 0},
        {u"ｼﾘｱﾙ", t[68], 1, 0, 0},
        {u"付属品", t[69], 1, 1, 0},
        {u"担当者", m_combo7, 1, 2, 0},
        {u"故障内容", t[70], 1, 4, 0},
        {u"ﾒｰｶｰ受付番号", t[71], 1, 5, 0},
        {u"有無償", m_combo8, 1, 6, 1400},
        {u"診断内容", t[72], 1, 7, 0},
        {u"交換部品", t[73], 1, 8, 0},
        {u"仕切", t[74], 2, 0, 0},
        {u"売値", t[75], 2, 1, 0},
        {u"入金", m_combo9, 2, 2, 1400},
        {nullptr, t[76], 2, 3, 0},
        {nullptr, t[77], 2, 4, 0},
        {nullptr, t[78], 2, 5, 0},
    };
    int freeIndex = 0;
    for (const Place& p : places) {
        const int left = 60 + p.column * 4600;
        const int top = 60 + p.line * RowHeight;
        QLabel* label = caption(m_repairGroup,
                                p.caption ? QString::fromUtf16(p.caption) : free.value(freeIndex),
                                left, top, 1300);
        if (!p.caption) {
            label->setObjectName(QStringLiteral("Label%1").arg(21 + freeIndex));
            m_repairFreeCaptions << label;
            ++freeIndex;
        }
        placeTwips(p.box, left + 1340, top, p.width ? p.width : 3140, BoxHeight);
    }
    placeTwips(m_check1, 60, 60, 4400, BoxHeight);
    placeTwips(m_check2, 4600 + 60 + 1340, 60 + 3 * RowHeight, 1500, BoxHeight);
    placeTwips(m_check3, 4600 + 60 + 1340 + 1600, 60 + 3 * RowHeight, 1500, BoxHeight);

    const QList<QWidget*> order{m_check1, m_dtPicker4, t[61], t[62],    t[63], t[64],     t[65],
                                t[66],    m_combo6,    t[67], t[68],    t[69], m_combo7,  m_check2,
                                m_check3, t[70],       t[71], m_combo8, t[72], t[73],     t[74],
                                t[75],    m_combo9,    t[76], t[77],    t[78], m_command1};
    for (int i = 0; i + 1 < order.size(); ++i)
        m_navigation->chain(order[i], order[i + 1]);

    m_repairGroup->show();
    placeTwips(m_command1, 60, 3720, (Width - 120) / 2, 420);
    placeTwips(m_command2, 60 + (Width - 120) / 2, 3720, (Width - 120) / 2, 420);
    placeTwips(m_command3, 60, 4200, Width - 120, 420);
    setFixedSize(twips(Width), twips(4690));
    if (m_mode.EditIsNew) {
        ResetRepairFields();
        m_title->setText(u"修理を追加します"_qs);
    }
    t[61]->setFocus();
}

void RecordEditorDialog::buildRepairLogGroup()
{
    m_repairLogGroup = group(this, u"Frame5"_qs);
    placeTwips(m_repairLogGroup, 60, 420, DialogWidth - 120, 1080 + LogExtra);
    const int box = 1140, boxWidth = DialogWidth - 120 - box - 180;
    m_dtPicker3 = datePicker(m_repairLogGroup, u"DTPicker3"_qs);
    m_combo4 = new QComboBox(m_repairLogGroup);
    m_combo4->setObjectName(u"Combo4"_qs);
    m_combo4->setEditable(true);
    m_combo4->setInsertPolicy(QComboBox::NoInsert);
    setInputMode(m_combo4, InputMode::Kana);
    if (m_repair)
        m_combo4->addItems(m_repair->OperatorNames());
    m_text19 = multiLine(m_repairLogGroup, u"Text19"_qs);
    const QStringList captions{u"記録日"_qs, u"記録者"_qs, u"ログ"_qs};
    const QList<QWidget*> boxes{m_dtPicker3, m_combo4, m_text19};
    for (int i = 0; i < 3; ++i) {
        const int top = 60 + i * 330;
        caption(m_repairLogGroup, captions[i], 60, top);
        placeTwips(boxes[i], 60 + box, top, i == 2 ? boxWidth : 2400,
                   i == 2 ? BoxHeight + LogExtra : BoxHeight);
    }
    m_navigation->chain(m_dtPicker3, m_combo4);
    m_navigation->dropsDownOnEntry(m_combo4);
    m_navigation->chain(m_combo4, m_text19);
    m_navigation->chain(m_text19, m_command1);

    m_repairLogGroup->show();
    placeButtons(1590 + LogExtra, DialogWidth - 120);
    setFixedSize(twips(DialogWidth), twips(2600 + LogExtra));
    if (m_mode.EditIsNew) {
        ResetRepairLogFields();
        m_title->setText((m_repair ? m_repair->SelectedRepairName : QString()) +
                         u" の修理ﾛｸﾞ追加"_qs);
    }
    m_text19->setFocus();
}

void RecordEditorDialog::ResetRepairFields()
{
    for (QWidget* box : std::as_const(m_repairTexts))
        setBoxText(box, QString());
    // A new repair is free of charge and unpaid until the user says otherwise:
    // left empty, it would never reach the unpaid list.
    m_combo8->setCurrentIndex(m_combo8->findText(u"無償"_qs));
    m_combo9->setCurrentIndex(m_combo9->findText(u"未入"_qs));
    for (QCheckBox* c : {m_check1, m_check2, m_check3})
        c->setChecked(false);
    m_dtPicker4->setDate(Clock::today());
}

void RecordEditorDialog::ResetRepairLogFields()
{
    m_dtPicker3->setDate(Clock::today());
    m_combo4->setEditText(SessionState::instance().CustomerAccountName);
    m_text19->clear();
}

void RecordEditorDialog::showStoredDate(QDateEdit* picker, const QString& stored)
{
    // A stored text that is no date shows today, but is written back as it
    // stands unless the user picks another date.
    const QDate date = DateFromText(stored);
    picker->setDate(date.isValid() ? date : Clock::today());
    m_keptDate = date.isValid() ? std::nullopt : std::optional<QDate>(picker->date());
}

bool RecordEditorDialog::keepsStoredDate(const QDateEdit* picker) const
{
    return m_keptDate && picker->date() == *m_keptDate;
}

void RecordEditorDialog::fillRepairForChange()
{
    if (!m_repair)
        return;
    RepairView& v = *m_repair;
    if (m_mode.EditKind == RecordKind::Repair) {
        const QHash<QString, QString>& f = v.repairDetail();
        m_check1->setChecked(f.value(u"判定"_qs) != u"続行");
        showStoredDate(m_dtPicker4, f.value(u"受付日"_qs));
        const QStringList fields = repairTextFields();
        for (int i = 0; i < fields.size(); ++i)
            setBoxText(m_repairTexts[i], f.value(fields[i]));
        m_check2->setChecked(estimateFlag(f.value(u"見積納期"_qs)));
        m_check3->setChecked(deliveryFlag(f.value(u"見積納期"_qs)));
        m_title->setText(v.SelectedRepairName + u"の情報を編集します"_qs);
    } else {
        const QStringList log = v.selectedRepairLog();
        showStoredDate(m_dtPicker3, cell(log, RepairLogColumn::Date));
        m_combo4->setEditText(cell(log, RepairLogColumn::Recorder));
        m_text19->setText(cell(log, RepairLogColumn::Text));
        m_title->setText(v.SelectedRepairName + u" の修理ログを変更・削除します"_qs);
    }
}

void RecordEditorDialog::storeRepairRecord()
{
    RepairView& v = *m_repair;
    Database& db = v.database();
    if (m_mode.EditKind == RecordKind::Repair) {
        RepairRecord repair;
        repair.finished = m_check1->isChecked();
        repair.accepted = m_dtPicker4->date();
        repair.keepAccepted = keepsStoredDate(m_dtPicker4);
        repair.estimate = m_check2->isChecked();
        repair.delivery = m_check3->isChecked();
        for (QWidget* box : std::as_const(m_repairTexts))
            repair.texts << boxText(box);
        if (m_mode.EditIsNew) {
            AddRepair(db, repair);
        } else if (!UpdateRepair(db, v.SelectedRepairId, repair)) {
            recordVanished();
            return;
        }
        v.repairStored(m_mode.EditIsNew);
    } else {
        RepairLogRecord log{m_dtPicker3->date(), m_combo4->currentText(), m_text19->text()};
        log.keepDate = keepsStoredDate(m_dtPicker3);
        if (m_mode.EditIsNew) {
            // OpenEditor let this through only for the shown repair; it may be gone since.
            if (AddRepairLog(db, v.SelectedRepairId, log) == 0) {
                recordVanished();
                return;
            }
        } else if (!UpdateRepairLog(db, v.SelectedRepairLogId, log)) {
            recordVanished();
            return;
        }
        v.repairLogStored();
    }
    accept();
}

void RecordEditorDialog::deleteRepairRecord()
{
    RepairView& v = *m_repair;
    Database& db = v.database();
    if (m_mode.EditKind == RecordKind::Repair) {
        if (!DeleteRepair(db, v.SelectedRepairId)) {
            recordVanished();
            return;
        }
    } else if (!DeleteRepairLog(db, v.SelectedRepairLogId)) {
        recordVanished();
        return;
    }
    v.recordDeleted(m_mode.EditKind);
    accept();
}

void RecordEditorDialog::placeButtons(int top, int width)
{
    placeTwips(m_command1, 60, top, width / 2, 420);
    placeTwips(m_command2, 60 + width / 2, top, width - width / 2, 420);
    placeTwips(m_command3, 60, top + 480, width, 420);
}

// ---------------------------------------------------------------- filling

void RecordEditorDialog::ClearUserFields()
{
    for (QWidget* box : std::as_const(m_userBoxes))
        setBoxText(box, QString());
}

void RecordEditorDialog::ResetSubjectFields()
{
    m_dtPicker1->setDate(Clock::today());
    m_text22->clear();
    m_text23->clear();
    m_combo1->setCurrentIndex(0);
}

void RecordEditorDialog::ResetLogFields()
{
    m_dtPicker2->setDate(Clock::today());
    m_combo2->setEditText(SessionState::instance().CustomerAccountName);
    m_text24->clear();
}

void RecordEditorDialog::fillForChange()
{
    if (!m_customer)
        return;
    CustomerView& v = *m_customer;
    switch (m_mode.EditKind) {
    case RecordKind::User: {
        const QStringList& values = v.userDetail();
        for (int i = 0; i < m_userBoxes.size(); ++i)
            setBoxText(m_userBoxes[i], values.value(i));
        m_title->setText(v.detail(DetailField::Name) + u"の情報を編集します"_qs);
        break;
    }
    case RecordKind::Subject: {
        const QStringList subject = v.selectedSubject();
        showStoredDate(m_dtPicker1, cell(subject, SubjectColumn::Date));
        m_text22->setText(cell(subject, SubjectColumn::Title));
        m_text23->setText(cell(subject, SubjectColumn::Remarks));
        m_combo1->setCurrentIndex(cell(subject, SubjectColumn::State) == u"完了" ? 1 : 0);
        m_title->setText(v.SelectedUserName + u" の件名を変更・削除します"_qs);
        break;
    }
    case RecordKind::Log: {
        const QStringList log = v.selectedLog();
        showStoredDate(m_dtPicker2, cell(log, LogColumn::Date));
        m_combo2->setEditText(cell(log, LogColumn::Recorder));
        m_text24->setText(cell(log, LogColumn::Text));
        m_title->setText(v.SelectedSubjectTitle + u" のログを変更・削除します"_qs);
        break;
    }
    default:
        break;
    }
}

// ---------------------------------------------------------------- typing aids

void RecordEditorDialog::RetypeReading(QLineEdit* reading, QLineEdit* target)
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

// ---------------------------------------------------------------- saving

bool RecordEditorDialog::checkMandatory()
{
    QString message;
    QWidget* empty = nullptr;
    switch (m_mode.EditKind) {
    case RecordKind::User:
        if (boxText(m_userBoxes[0]).isEmpty() || boxText(m_userBoxes[1]).isEmpty()) {
            message = u"表示ﾌﾘｶﾞﾅ・表示名は空白禁止です。"_qs;
            empty = boxText(m_userBoxes[0]).isEmpty() ? m_userBoxes[0] : m_userBoxes[1];
        }
        break;
    case RecordKind::Subject:
        if (m_text22->text().isEmpty()) {
            message = u"件名は空白禁止です。"_qs;
            empty = m_text22;
        }
        break;
    case RecordKind::Log:
        if (m_text24->text().isEmpty()) {
            message = u"ログは空白禁止です。"_qs;
            empty = m_text24;
        }
        break;
    case RecordKind::Repair:
        if (boxText(m_repairTexts[0]).isEmpty() && boxText(m_repairTexts[1]).isEmpty()) {
            message = u"お客様名・会社名はどちらか入力必要です。"_qs;
            empty = m_repairTexts[0];
        }
        break;
    case RecordKind::RepairLog:
        if (m_text19->text().isEmpty()) {
            message = u"ログは空白禁止です。"_qs;
            empty = m_text19;
        }
        break;
    }
    if (!empty)
        return true;
    // The entries stay: the dialog remains open with the empty box focused.
    Dialogs::instance().message(this, message, Dialogs::Icon::Critical);
    empty->setFocus(Qt::OtherFocusReason);
    return false;
}

void RecordEditorDialog::save()
{
    QGuiApplication::inputMethod()->commit();
    if (!checkMandatory())
        return;
    if (m_repair)
        runGuarded(this, [&] { storeRepairRecord(); });
    else if (m_customer)
        runGuarded(this, [&] { storeCustomerRecord(); });
}

void RecordEditorDialog::recordVanished()
{
    Dialogs::instance().message(this, u"この記録はすでに削除されています。一覧を読み直します。"_qs,
                                Dialogs::Icon::Exclamation);
    // What is gone is no longer current: nothing more can hang on it.
    if (m_repair)
        m_repair->recordVanished(m_mode);
    else if (m_customer)
        m_customer->recordVanished(m_mode);
    accept();
}

void RecordEditorDialog::storeCustomerRecord()
{
    CustomerView& v = *m_customer;
    Database& db = v.database();
    const bool isNew = m_mode.EditIsNew;
    switch (m_mode.EditKind) {
    case RecordKind::User: {
        QStringList values;
        for (QWidget* box : std::as_const(m_userBoxes))
            values << boxText(box);
        if (isNew) {
            AddUser(db, values);
        } else if (!UpdateUser(db, v.SelectedUserId, values)) {
            recordVanished();
            return;
        }
        v.userStored(isNew, values.value(int(DetailField::Name)));
        break;
    }
    case RecordKind::Subject: {
        SubjectRecord subject{m_dtPicker1->date(), m_text22->text(), m_text23->text(),
                              m_combo1->currentText()};
        subject.keepDate = keepsStoredDate(m_dtPicker1);
        if (isNew) {
            if (AddSubject(db, v.SelectedUserId, subject) == 0) {
                recordVanished();
                return;
            }
        } else if (!UpdateSubject(db, v.SelectedSubjectId, subject)) {
            recordVanished();
            return;
        }
        v.subjectStored(isNew, subject.title);
        break;
    }
    case RecordKind::Log: {
        LogRecord log{m_dtPicker2->date(), m_combo2->currentText(), m_text24->text()};
        log.keepDate = keepsStoredDate(m_dtPicker2);
        if (isNew) {
            // OpenEditor let this through only for the shown subject; it may be gone since.
            if (AddLog(db, v.SelectedSubjectId, v.SelectedUserId, log) == 0) {
                recordVanished();
                return;
            }
        } else if (!UpdateLog(db, v.SelectedLogId, log)) {
            recordVanished();
            return;
        }
        v.logStored();
        break;
    }
    default:
        break;
    }
    accept();
}

void RecordEditorDialog::secondButton()
{
    if (m_mode.EditIsNew) {
        switch (m_mode.EditKind) {
        case RecordKind::User:
            ClearUserFields();
            break;
        case RecordKind::Subject:
            ResetSubjectFields();
            break;
        case RecordKind::Log:
            ResetLogFields();
            break;
        case RecordKind::Repair:
            ResetRepairFields();
            break;
        case RecordKind::RepairLog:
            ResetRepairLogFields();
            break;
        }
        return;
    }
    if (!Dialogs::instance().confirm(this, u"削除しますか？"_qs))
        return;
    if (m_repair)
        runGuarded(this, [&] { deleteRepairRecord(); });
    else if (m_customer)
        runGuarded(this, [&] { deleteCustomerRecord(); });
}

void RecordEditorDialog::deleteCustomerRecord()
{
    CustomerView& v = *m_customer;
    Database& db = v.database();
    bool deleted = false;
    switch (m_mode.EditKind) {
    case RecordKind::User:
        deleted = DeleteUser(db, v.SelectedUserId);
        break;
    case RecordKind::Subject:
        deleted = DeleteSubject(db, v.SelectedSubjectId);
        break;
    case RecordKind::Log:
        deleted = DeleteLog(db, v.SelectedLogId);
        break;
    default:
        return;
    }
    if (!deleted) {
        recordVanished();
        return;
    }
    v.recordDeleted(m_mode.EditKind);
    accept();
}

void RecordEditorDialog::OpenEditor(CustomerView& view, RecordKind kind, bool isNew, QWidget* over)
{
    // A new subject needs a user, a new log the subject whose logs are shown;
    // a change needs the item it changes.
    if (isNew && kind == RecordKind::Subject && !view.canAddSubject())
        return;
    if (isNew && kind == RecordKind::Log && !view.canAddLog())
        return;
    if (!isNew) {
        const int row = kind == RecordKind::User      ? view.selectedUserRow()
                        : kind == RecordKind::Subject ? view.selectedSubjectRow()
                                                      : view.selectedLogRow();
        if (row < 0)
            return;
    }
    RecordEditorDialog dialog(EditMode{kind, isNew}, &view, over);
    dialog.exec();
}

void RecordEditorDialog::OpenEditor(RepairView& view, RecordKind kind, bool isNew, QWidget* over)
{
    if (isNew && kind == RecordKind::RepairLog && !view.canAddRepairLog())
        return;
    if (!isNew) {
        // A change needs the item it changes.
        const bool chosen = kind == RecordKind::RepairLog
                                ? view.selectedRepairLogRow() >= 0
                                : view.selectedRepairRow() >= 0 && view.SelectedRepairId != u"0";
        if (!chosen)
            return;
    }
    RecordEditorDialog dialog(EditMode{kind, isNew}, &view, over);
    dialog.exec();
}

} // namespace horunea
