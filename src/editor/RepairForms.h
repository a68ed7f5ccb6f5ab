#pragma once

#include "editor/RecordForm.h"

#include <QDate>
#include <QList>
#include <QPointer>

#include <array>

class QCheckBox;

namespace horunea {

class RepairView;

// Kind 4: a repair's fields in three columns (Frame4), お客様 or 会社名
// mandatory; a new repair is free of charge and unpaid until said otherwise.
class RepairForm : public RecordForm
{
public:
    RepairForm(const EditorFrame& frame, RepairView* view);
    void build(bool isNew) override;
    void fill() override;
    void reset() override { ResetRepairFields(); }
    QWidget* missing(QString* message) const override;
    StoreResult store(bool isNew) override;
    bool remove() override;

    void ResetRepairFields();

private:
    void showStoredRepair(const QStringList& stored);
    QComboBox* combo(QWidget* parent, const QString& name, bool editable, int mode);
    void placeBoxes(QWidget* repairGroup, QLineEdit* const* t, QComboBox* combo6,
                    QComboBox* combo7);

    QPointer<RepairView> m_view;
    QCheckBox* m_finished = nullptr;
    QDateEdit* m_dtPicker4 = nullptr;
    QCheckBox* m_estimate = nullptr;
    QCheckBox* m_delivery = nullptr;
    QComboBox* m_charged = nullptr;
    QComboBox* m_paid = nullptr;
    QList<QWidget*> m_texts; // repairTextFields() order: boxes and combos
    QStringList m_read;      // repairCheckedFields() as the detail showed them, for a change
    QDate m_shownDate;
    std::array<bool, 3> m_shownChecks{}; // 判定, 見積, 納期 as shown
};

// Kind 5: a repair log of the current repair (Frame5).
class RepairLogForm : public RecordForm
{
public:
    RepairLogForm(const EditorFrame& frame, RepairView* view);
    void build(bool isNew) override;
    void fill() override;
    void reset() override { ResetRepairLogFields(); }
    QWidget* missing(QString* message) const override;
    StoreResult store(bool isNew) override;
    bool remove() override;

    void ResetRepairLogFields();

private:
    QPointer<RepairView> m_view;
    editor::LogGroup m_group;
    QStringList m_read; // 記録日, 記録者, ログ as the list showed them, for a change
    QDate m_shownDate;
};

} // namespace horunea
