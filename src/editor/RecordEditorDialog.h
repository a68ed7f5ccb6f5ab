#pragma once

#include "store/EditMode.h"

#include "ui/EditDialog.h"
#include <QDate>

#include <QDialog>
#include <QList>
#include <QPointer>

#include <optional>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace horunea {

class CustomerView;
class EnterNavigation;
class MultiLineBox;
class RepairView;

// Form7, "ホルネア→ﾃﾞｰﾀ編集": adds, changes, resets or deletes one record of
// the calling window's view and then reloads the view's lists.
class RecordEditorDialog : public EditDialog
{
    Q_OBJECT
public:
    RecordEditorDialog(const EditMode& mode, CustomerView* customer, QWidget* parent = nullptr);
    RecordEditorDialog(const EditMode& mode, RepairView* repair, QWidget* parent = nullptr);

    // Sets the mode and shows the editor modally over the calling window;
    // does nothing when the record to add to or to change is not current.
    static void OpenEditor(CustomerView& view, RecordKind kind, bool isNew, QWidget* over);
    static void OpenEditor(RepairView& view, RecordKind kind, bool isNew, QWidget* over);

    const EditMode& mode() const { return m_mode; }

    void ClearUserFields();
    void ResetSubjectFields();
    void ResetLogFields();
    void ResetRepairFields();
    void ResetRepairLogFields();
    // Puts a reading into its empty name box as selected hiragana, so that the
    // input method can reconvert it; a name box that holds text is left alone.
    void RetypeReading(QLineEdit* reading, QLineEdit* target);

private:
    void build();
    void buildUserGroup();
    void buildRepairGroup();
    void buildRepairLogGroup();
    void fillRepairForChange();
    void storeRepairRecord();
    void deleteRepairRecord();
    void buildSubjectGroup();
    void buildLogGroup();
    void placeButtons(int top, int width);
    void fillForChange();
    void save();
    void secondButton();
    bool checkMandatory();
    void storeCustomerRecord();
    void deleteCustomerRecord();
    void recordVanished();

    QLineEdit* lineEdit(QWidget* parent, const QString& name, int mode);
    MultiLineBox* multiLine(QWidget* parent, const QString& name);
    // A change shows the stored date; one that is no date stays as stored
    // unless another date is picked.
    void showStoredDate(QDateEdit* picker, const QString& stored);
    bool keepsStoredDate(const QDateEdit* picker) const;
    QLabel* caption(QWidget* parent, const QString& text, int left, int top, int width = 1000);

    EditMode m_mode;
    QPointer<CustomerView> m_customer;
    QPointer<RepairView> m_repair;
    std::optional<QDate> m_keptDate; // the picker's date while it shows no stored date
    EnterNavigation* m_navigation;
    QLabel* m_title;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QPushButton* m_command3;

    QFrame* m_userGroup = nullptr;
    QList<QWidget*> m_userBoxes; // Text31 … Text51 (Text46 of several lines)
    static constexpr int RemarksBox = 15;
    QList<QLabel*> m_freeCaptions;

    QFrame* m_subjectGroup = nullptr;
    QDateEdit* m_dtPicker1 = nullptr;
    QLineEdit* m_text22 = nullptr;
    MultiLineBox* m_text23 = nullptr;
    QComboBox* m_combo1 = nullptr;

    QFrame* m_logGroup = nullptr;
    QDateEdit* m_dtPicker2 = nullptr;
    QComboBox* m_combo2 = nullptr;
    MultiLineBox* m_text24 = nullptr;

    QFrame* m_repairGroup = nullptr;
    QCheckBox* m_check1 = nullptr;
    QDateEdit* m_dtPicker4 = nullptr;
    QCheckBox* m_check2 = nullptr;
    QCheckBox* m_check3 = nullptr;
    QComboBox* m_combo6 = nullptr;
    QComboBox* m_combo7 = nullptr;
    QComboBox* m_combo8 = nullptr;
    QComboBox* m_combo9 = nullptr;
    QList<QWidget*> m_repairTexts; // repairTextFields() order: boxes and combos
    QList<QLabel*> m_repairFreeCaptions;

    QFrame* m_repairLogGroup = nullptr;
    QDateEdit* m_dtPicker3 = nullptr;
    QComboBox* m_combo4 = nullptr;
    MultiLineBox* m_text19 = nullptr;
};

} // namespace horunea
