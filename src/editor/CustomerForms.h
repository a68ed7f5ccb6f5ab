#pragma once

#include "customer/CustomerLists.h"
#include "editor/RecordForm.h"

#include <QList>
#include <QPointer>

namespace horunea {

class CustomerView;

// Kind 1: a user's fields (Text31 … Text51 in Frame1), 表示名 and its
// reading mandatory; each reading re-typed into its empty name on Enter.
class UserForm : public RecordForm
{
public:
    UserForm(const EditorFrame& frame, CustomerView* view);
    void build(bool isNew) override;
    void fill() override;
    void reset() override { ClearUserFields(); }
    QWidget* missing(QString* message) const override;
    StoreResult store(bool isNew) override;
    bool remove() override;

    void ClearUserFields();
    // Puts a reading into its empty name box as selected hiragana, so that the
    // input method can reconvert it; a name box that holds text is left alone.
    static void RetypeReading(QLineEdit* reading, QLineEdit* target);

private:
    void chainBoxes();
    QWidget* box(UserField field) const { return m_boxes[int(field)]; }

    QPointer<CustomerView> m_view;
    QList<QWidget*> m_boxes; // Text31 … Text51 in UserField order (Text46 of several lines)
    QStringList m_read;      // the user's fields as the form read them, for a change
};

// Kind 2: a subject of the current user (Frame2).
class SubjectForm : public RecordForm
{
public:
    SubjectForm(const EditorFrame& frame, CustomerView* view);
    void build(bool isNew) override;
    void fill() override;
    void reset() override { ResetSubjectFields(); }
    QWidget* missing(QString* message) const override;
    StoreResult store(bool isNew) override;
    bool remove() override;

    void ResetSubjectFields();

private:
    QPointer<CustomerView> m_view;
    QDateEdit* m_dtPicker1 = nullptr;
    QLineEdit* m_subjectTitle = nullptr;
    MultiLineBox* m_subjectRemarks = nullptr;
    QComboBox* m_subjectState = nullptr;
    QStringList m_read; // 登録日, 件名, 備考, 判定 as the list showed them, for a change
    QDate m_shownDate;  // the date the picker was given
};

// Kind 3: a log of the current subject (Frame3).
class LogForm : public RecordForm
{
public:
    LogForm(const EditorFrame& frame, CustomerView* view);
    void build(bool isNew) override;
    void fill() override;
    void reset() override { ResetLogFields(); }
    QWidget* missing(QString* message) const override;
    StoreResult store(bool isNew) override;
    bool remove() override;

    void ResetLogFields();

private:
    QPointer<CustomerView> m_view;
    editor::LogGroup m_group;
    QStringList m_read; // 登録日, 記録者, ログ as the list showed them, for a change
    QDate m_shownDate;
};

} // namespace horunea
