#pragma once

#include <QDialog>
#include <QList>
#include <QPointer>

class QCheckBox;
class QComboBox;
class QDateEdit;
class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;

namespace horunea {

class CustomerWindow;
class EnterNavigation;
class RepairWindow;

// What the editor is asked to do: the record kind and whether it adds one.
struct EditMode
{
    int EditKind = 1; // 1 user, 2 subject, 3 log, 4 repair, 5 repair log
    bool EditIsNew = true;
};

// Form7, "ホルネア→ﾃﾞｰﾀ編集": adds, changes, resets or deletes one record and
// then reloads the calling window's lists.
class RecordEditorDialog : public QDialog
{
    Q_OBJECT
public:
    RecordEditorDialog(const EditMode& mode, CustomerWindow* customer, QWidget* parent = nullptr);
    RecordEditorDialog(const EditMode& mode, RepairWindow* repair, QWidget* parent = nullptr);

    // Sets the mode and shows the editor modally over the calling window.
    static void OpenEditor(CustomerWindow* customer, int kind, bool isNew);
    static void OpenEditor(RepairWindow* repair, int kind, bool isNew);

    const EditMode& mode() const { return m_mode; }

    void ClearUserFields();
    void ResetSubjectFields();
    void ResetLogFields();
    void ResetRepairFields();
    void ResetRepairLogFields();
    // Re-types a reading into its name box so that the input method can work on it.
    void RetypeReading(QLineEdit* reading, QLineEdit* target);

private:
    void build();
    void buildUserGroup();
    void buildRepairGroup();
    void buildRepairLogGroup();
    void fillRepairForChange();
    void storeRepairRecord();
    void deleteRepairRecord();
    void reloadRepairLists();
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
    QLabel* caption(QWidget* parent, const QString& text, int left, int top, int width = 1000);

    EditMode m_mode;
    QPointer<CustomerWindow> m_customer;
    QPointer<RepairWindow> m_repair;
    EnterNavigation* m_navigation;
    QLabel* m_title;
    QPushButton* m_command1;
    QPushButton* m_command2;
    QPushButton* m_command3;

    QFrame* m_userGroup = nullptr;
    QList<QLineEdit*> m_userBoxes; // Text31 … Text51
    QList<QLabel*> m_freeCaptions;

    QFrame* m_subjectGroup = nullptr;
    QDateEdit* m_dtPicker1 = nullptr;
    QLineEdit* m_text22 = nullptr;
    QLineEdit* m_text23 = nullptr;
    QComboBox* m_combo1 = nullptr;

    QFrame* m_logGroup = nullptr;
    QDateEdit* m_dtPicker2 = nullptr;
    QComboBox* m_combo2 = nullptr;
    QLineEdit* m_text24 = nullptr;

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
    QLineEdit* m_text19 = nullptr;
};

} // namespace horunea
