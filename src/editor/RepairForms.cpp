#include "editor/RepairForms.h"

#include "repair/RepairStorage.h"
#include "repair/RepairView.h"
#include "store/DateText.h"
#include "store/SessionState.h"
#include "ui/EnterNavigation.h"
#include "ui/InputMode.h"
#include "ui/MultiLineBox.h"
#include "ui/Twips.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace horunea {

using namespace editor;

// ---------------------------------------------------------------- repair

RepairForm::RepairForm(const EditorFrame& frame, RepairView* view) : RecordForm(frame), m_view(view)
{}

QComboBox* RepairForm::combo(QWidget* parent, const QString& name, bool editable, int mode)
{
    auto* c = new QComboBox(parent);
    c->setObjectName(name);
    c->setEditable(editable);
    if (editable)
        c->setInsertPolicy(QComboBox::NoInsert);
    setInputMode(c, InputMode(mode));
    m_frame.navigation->dropsDownOnEntry(c);
    return c;
}

void RepairForm::build(bool isNew)
{
    constexpr int Width = 13970;
    QFrame* repairGroup = group(m_frame.dialog, u"Frame4"_qs);
    placeTwips(repairGroup, 60, 420, Width - 120, 3240);
    placeTwips(m_frame.title, 120, 60, Width - 240, 330);
    const int Kana = int(InputMode::Kana), Off = int(InputMode::Off);

    m_finished = new QCheckBox(u"この修理は終了しました"_qs, repairGroup);
    m_finished->setObjectName(u"Check1"_qs);
    m_dtPicker4 = datePicker(repairGroup, u"DTPicker4"_qs, u"受付日"_qs);
    m_estimate = new QCheckBox(u"見積必要"_qs, repairGroup);
    m_estimate->setObjectName(u"Check2"_qs);
    m_delivery = new QCheckBox(u"納期必要"_qs, repairGroup);
    m_delivery->setObjectName(u"Check3"_qs);
    QComboBox* combo6 = combo(repairGroup, u"Combo6"_qs, true, Off);
    QComboBox* combo7 = combo(repairGroup, u"Combo7"_qs, true, Kana);
    m_charged = combo(repairGroup, u"Combo8"_qs, false, Kana);
    m_charged->addItems({QString(), u"無償"_qs, u"有償"_qs});
    m_paid = combo(repairGroup, u"Combo9"_qs, false, Kana);
    m_paid->addItems({QString(), u"未入"_qs, u"済み"_qs});
    if (m_view) {
        combo6->addItems(m_view->MakerNames());
        combo7->addItems(m_view->OperatorNames());
    }
    QLineEdit* t[79] = {};
    const int modes[] = {Kana, Kana, Off,  Kana, Off, Kana, Off,  Off,  Kana,
                         Kana, Off,  Kana, Kana, Off, Off,  Kana, Kana, Kana};
    for (int i = 0; i < 18; ++i)
        t[61 + i] = lineEdit(repairGroup, QStringLiteral("Text%1").arg(61 + i), modes[i]);
    m_texts = {t[61], t[62], t[63], t[64], t[65],     t[66], combo6, t[67],  t[68], t[69], combo7,
               t[70], t[71], t[72], t[73], m_charged, t[74], t[75],  m_paid, t[76], t[77], t[78]};

    placeBoxes(repairGroup, t, combo6, combo7);
    placeTwips(m_finished, 60, 60, 4400, BoxHeight);
    placeTwips(m_estimate, 4600 + 60 + 1340, 60 + 3 * RowHeight, 1500, BoxHeight);
    placeTwips(m_delivery, 4600 + 60 + 1340 + 1600, 60 + 3 * RowHeight, 1500, BoxHeight);

    const QList<QWidget*> order{
        m_finished, m_dtPicker4, t[61], t[62],  t[63],      t[64],      t[65], t[66], combo6,
        t[67],      t[68],       t[69], combo7, m_estimate, m_delivery, t[70], t[71], m_charged,
        t[72],      t[73],       t[74], t[75],  m_paid,     t[76],      t[77], t[78], m_frame.save};
    // Tab goes the way Enter does, down each column, then the buttons.
    for (int i = 0; i + 1 < order.size(); ++i) {
        m_frame.navigation->chain(order[i], order[i + 1]);
        QWidget::setTabOrder(order[i], order[i + 1]);
    }
    QWidget::setTabOrder(m_frame.save, m_frame.second);
    QWidget::setTabOrder(m_frame.second, m_frame.close);

    repairGroup->show();
    placeTwips(m_frame.save, 60, 3720, (Width - 120) / 2, 420);
    placeTwips(m_frame.second, 60 + (Width - 120) / 2, 3720, (Width - 120) / 2, 420);
    placeTwips(m_frame.close, 60, 4200, Width - 120, 420);
    setDialogSize(Width, 4690);
    if (isNew) {
        ResetRepairFields();
        m_frame.title->setText(u"修理を追加します"_qs);
    }
    t[61]->setFocus();
}

// Three columns of caption and box; the free fields under their captions.
void RepairForm::placeBoxes(QWidget* repairGroup, QLineEdit* const* t, QComboBox* combo6,
                            QComboBox* combo7)
{
    struct Place
    {
        const char16_t* caption;
        QWidget* box;
        int column, line, width;
    };
    const QStringList free = m_view ? m_view->freeFieldCaptions() : QStringList();
    const Place places[] = {
        {u"受付日", m_dtPicker4, 0, 1, 1800},
        {u"お客様", t[61], 0, 2, 0},
        {u"会社名", t[62], 0, 3, 0},
        {u"会社TEL", t[63], 0, 4, 0},
        {u"会社住所", t[64], 0, 5, 0},
        {u"自宅TEL", t[65], 0, 6, 0},
        {u"自宅住所", t[66], 0, 7, 0},
        {u"ﾒｰｶｰ", combo6, 0, 8, 0},
        {u"型番", t[67], 0, 9, 0},
        {u"ｼﾘｱﾙ", t[68], 1, 0, 0},
        {u"付属品", t[69], 1, 1, 0},
        {u"担当者", combo7, 1, 2, 0},
        {u"故障内容", t[70], 1, 4, 0},
        {u"ﾒｰｶｰ受付番号", t[71], 1, 5, 0},
        {u"有無償", m_charged, 1, 6, 1400},
        {u"診断内容", t[72], 1, 7, 0},
        {u"交換部品", t[73], 1, 8, 0},
        {u"仕切", t[74], 2, 0, 0},
        {u"売値", t[75], 2, 1, 0},
        {u"入金", m_paid, 2, 2, 1400},
        {nullptr, t[76], 2, 3, 0},
        {nullptr, t[77], 2, 4, 0},
        {nullptr, t[78], 2, 5, 0},
    };
    int freeIndex = 0;
    for (const Place& p : places) {
        const int left = 60 + p.column * 4600;
        const int top = 60 + p.line * RowHeight;
        QLabel* label =
            caption(repairGroup, p.caption ? QString::fromUtf16(p.caption) : free.value(freeIndex),
                    left, top, 1300);
        if (!p.caption)
            label->setObjectName(QStringLiteral("Label%1").arg(21 + freeIndex++));
        placeTwips(p.box, left + 1340, top, p.width ? p.width : 3140, BoxHeight);
    }
}

void RepairForm::ResetRepairFields()
{
    for (QWidget* box : std::as_const(m_texts))
        setBoxText(box, QString());
    // A new repair is free of charge and unpaid until the user says otherwise:
    // left empty, it would never reach the unpaid list.
    m_charged->setCurrentIndex(m_charged->findText(u"無償"_qs));
    m_paid->setCurrentIndex(m_paid->findText(u"未入"_qs));
    for (QCheckBox* c : {m_finished, m_estimate, m_delivery})
        c->setChecked(false);
    m_dtPicker4->setDate(Clock::today());
}

void RepairForm::fill()
{
    if (!m_view)
        return;
    const QHash<QString, QString>& f = m_view->repairDetail();
    m_finished->setChecked(f.value(u"判定"_qs) != u"続行");
    showStoredDate(m_dtPicker4, f.value(u"受付日"_qs));
    const QStringList fields = repairTextFields();
    for (int i = 0; i < fields.size(); ++i)
        setBoxText(m_texts[i], f.value(fields[i]));
    m_estimate->setChecked(estimateFlag(f.value(u"見積納期"_qs)));
    m_delivery->setChecked(deliveryFlag(f.value(u"見積納期"_qs)));
    m_frame.title->setText(m_view->SelectedRepairName + u"の情報を編集します"_qs);
    m_read.clear();
    for (const QString& field : repairCheckedFields())
        m_read << f.value(field);
    m_shownDate = m_dtPicker4->date();
    m_shownChecks = {m_finished->isChecked(), m_estimate->isChecked(), m_delivery->isChecked()};
}

QWidget* RepairForm::missing(QString* message) const
{
    if (!boxText(m_texts[0]).isEmpty() || !boxText(m_texts[1]).isEmpty())
        return nullptr;
    *message = u"お客様名・会社名はどちらか入力必要です。"_qs;
    return m_texts[0];
}

// After another PC changed the repair: the check boxes the user left as
// shown follow the stored repair; the date and the texts as in every form.
void RepairForm::showStoredRepair(const QStringList& stored)
{
    const QString flags = stored.value(2);
    const std::array<bool, 3> now{stored.value(0) != u"続行", estimateFlag(flags),
                                  deliveryFlag(flags)};
    const std::array<QCheckBox*, 3> checks{m_finished, m_estimate, m_delivery};
    for (size_t i = 0; i < checks.size(); ++i) {
        if (checks[i]->isChecked() == m_shownChecks[i])
            checks[i]->setChecked(now[i]);
    }
    m_shownChecks = now;
    showStoredDateBeside(m_dtPicker4, &m_shownDate, stored.value(1));
    showStoredBeside(m_texts, m_read.mid(3), stored.mid(3));
    m_read = stored;
}

StoreResult RepairForm::store(bool isNew)
{
    RepairView& v = *m_view;
    RepairRecord repair;
    repair.finished = m_finished->isChecked();
    repair.accepted = m_dtPicker4->date();
    repair.keepAccepted = keepsStoredDate(m_dtPicker4);
    repair.estimate = m_estimate->isChecked();
    repair.delivery = m_delivery->isChecked();
    for (QWidget* box : std::as_const(m_texts))
        repair.texts << boxText(box);
    if (isNew) {
        AddRepair(v.database(), repair);
    } else {
        QStringList stored;
        const StoreResult result =
            afterChange(ChangeRepair(v.database(), v.SelectedRepairId, m_read, repair, &stored),
                        [&] { showStoredRepair(stored); });
        if (result != StoreResult::Stored)
            return result;
    }
    v.repairStored(isNew);
    return StoreResult::Stored;
}

bool RepairForm::remove()
{
    if (!DeleteRepair(m_view->database(), m_view->SelectedRepairId))
        return false;
    m_view->recordDeleted(RecordKind::Repair);
    return true;
}

// ---------------------------------------------------------------- repair log

RepairLogForm::RepairLogForm(const EditorFrame& frame, RepairView* view)
    : RecordForm(frame), m_view(view)
{}

void RepairLogForm::build(bool isNew)
{
    m_group =
        buildLogGroup({u"Frame5"_qs, u"DTPicker3"_qs, u"Combo4"_qs, u"Text19"_qs, u"記録日"_qs},
                      m_view ? m_view->OperatorNames() : QStringList());
    if (isNew) {
        ResetRepairLogFields();
        m_frame.title->setText((m_view ? m_view->SelectedRepairName : QString()) +
                               u" の修理ﾛｸﾞ追加"_qs);
    }
    m_group.text->setFocus();
}

void RepairLogForm::ResetRepairLogFields()
{
    m_group.date->setDate(Clock::today());
    m_group.recorder->setEditText(SessionState::instance().CustomerAccountName);
    m_group.text->clear();
}

void RepairLogForm::fill()
{
    if (!m_view)
        return;
    const QStringList log = m_view->selectedRepairLog();
    showStoredDate(m_group.date, cell(log, RepairLogColumn::Date));
    m_shownDate = m_group.date->date();
    m_read = {cell(log, RepairLogColumn::Date), cell(log, RepairLogColumn::Recorder),
              cell(log, RepairLogColumn::Text)};
    m_group.recorder->setEditText(cell(log, RepairLogColumn::Recorder));
    m_group.text->setText(cell(log, RepairLogColumn::Text));
    m_frame.title->setText(m_view->SelectedRepairName + u" の修理ログを変更・削除します"_qs);
}

QWidget* RepairLogForm::missing(QString* message) const
{
    if (!m_group.text->text().isEmpty())
        return nullptr;
    *message = u"ログは空白禁止です。"_qs;
    return m_group.text;
}

StoreResult RepairLogForm::store(bool isNew)
{
    RepairView& v = *m_view;
    RepairLogRecord log{m_group.date->date(), m_group.recorder->currentText(),
                        m_group.text->text()};
    log.keepDate = keepsStoredDate(m_group.date);
    // A new log goes only to the shown repair; it may be gone since.
    if (isNew) {
        if (AddRepairLog(v.database(), v.SelectedRepairId, log) == 0)
            return StoreResult::Gone;
    } else {
        QStringList stored;
        const StoreResult result =
            afterChange(ChangeRepairLog(v.database(), v.SelectedRepairLogId, m_read, log, &stored),
                        [&] { showStoredLog(m_group, &m_read, &m_shownDate, stored); });
        if (result != StoreResult::Stored)
            return result;
    }
    v.repairLogStored();
    return StoreResult::Stored;
}

bool RepairLogForm::remove()
{
    if (!DeleteRepairLog(m_view->database(), m_view->SelectedRepairLogId))
        return false;
    m_view->recordDeleted(RecordKind::RepairLog);
    return true;
}

} // namespace horunea
