#pragma once

#include "store/EditMode.h"

#include "ui/EditDialog.h"

#include <QPointer>

#include <memory>

class QLabel;
class QPushButton;

namespace horunea {

class CustomerView;
class DataView;
class EnterNavigation;
class RecordForm;
class RepairView;

// Form7, "ホルネア→ﾃﾞｰﾀ編集": adds, changes, resets or deletes one record of
// the calling window's view, which then reads its lists again. The dialog is
// the frame (its title line, 追加/変更, 初期化/削除, 閉じる and the Enter
// order); each record kind's fields are a form of their own (CustomerForms,
// RepairForms).
class RecordEditorDialog : public EditDialog
{
    Q_OBJECT
public:
    RecordEditorDialog(const EditMode& mode, CustomerView* customer, QWidget* parent = nullptr);
    RecordEditorDialog(const EditMode& mode, RepairView* repair, QWidget* parent = nullptr);
    ~RecordEditorDialog() override;

    // Sets the mode and shows the editor modally over the calling window;
    // does nothing when the record to add to or to change is not current.
    static void OpenEditor(CustomerView& view, RecordKind kind, bool isNew, QWidget* over);
    static void OpenEditor(RepairView& view, RecordKind kind, bool isNew, QWidget* over);

    const EditMode& mode() const { return m_mode; }

private:
    void buildFrame();
    void build();
    void save();
    void secondButton();
    // The record (or the one a new record goes to) is gone: said, forgotten
    // by the view, and the dialog closes.
    void recordVanished();

    EditMode m_mode;
    DataView* m_view = nullptr;
    QPointer<QObject> m_viewObject; // the view, while it lives
    std::unique_ptr<RecordForm> m_form;
    EnterNavigation* m_navigation = nullptr;
    QLabel* m_title = nullptr;
    QPushButton* m_saveButton = nullptr;
    QPushButton* m_secondButton = nullptr;
    QPushButton* m_closeButton = nullptr;
};

} // namespace horunea
