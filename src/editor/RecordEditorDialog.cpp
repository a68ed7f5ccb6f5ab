#include "editor/RecordEditorDialog.h"

#include "customer/CustomerView.h"
#include "editor/CustomerForms.h"
#include "editor/RepairForms.h"
#include "repair/RepairView.h"
#include "ui/ChangedElsewhere.h"
#include "ui/DateBox.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QPushButton>

namespace horunea {

RecordEditorDialog::RecordEditorDialog(const EditMode& mode, CustomerView* customer,
                                       QWidget* parent)
    : EditDialog(parent), m_mode(mode), m_view(customer), m_viewObject(customer)
{
    buildFrame();
    const EditorFrame frame{this,           m_title,       m_saveButton,
                            m_secondButton, m_closeButton, m_navigation};
    switch (mode.EditKind) {
    case RecordKind::User:
        m_form = std::make_unique<UserForm>(frame, customer);
        break;
    case RecordKind::Subject:
        m_form = std::make_unique<SubjectForm>(frame, customer);
        break;
    default:
        m_form = std::make_unique<LogForm>(frame, customer);
        break;
    }
    build();
}

RecordEditorDialog::RecordEditorDialog(const EditMode& mode, RepairView* repair, QWidget* parent)
    : EditDialog(parent), m_mode(mode), m_view(repair), m_viewObject(repair)
{
    buildFrame();
    const EditorFrame frame{this,           m_title,       m_saveButton,
                            m_secondButton, m_closeButton, m_navigation};
    if (mode.EditKind == RecordKind::Repair)
        m_form = std::make_unique<RepairForm>(frame, repair);
    else
        m_form = std::make_unique<RepairLogForm>(frame, repair);
    build();
}

RecordEditorDialog::~RecordEditorDialog() = default;

void RecordEditorDialog::buildFrame()
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
    placeTwips(m_title, 120, 60, editor::DialogWidth - 240, 330);

    m_saveButton = new QPushButton(this);
    m_saveButton->setObjectName(u"Command1"_qs);
    m_secondButton = new QPushButton(this);
    m_secondButton->setObjectName(u"Command2"_qs);
    m_closeButton = new QPushButton(u"閉じる"_qs, this);
    m_closeButton->setObjectName(u"Command3"_qs);
    for (QPushButton* b : {m_saveButton, m_secondButton, m_closeButton}) {
        b->setAutoDefault(false);
        m_navigation->pressesOnEnter(b);
    }
    connect(m_saveButton, &QPushButton::clicked, this, &RecordEditorDialog::save);
    connect(m_secondButton, &QPushButton::clicked, this, &RecordEditorDialog::secondButton);
    connect(m_closeButton, &QPushButton::clicked, this, &EditDialog::closeWithoutAsking);
}

void RecordEditorDialog::build()
{
    const bool isNew = m_mode.EditIsNew;
    m_form->build(isNew);
    m_saveButton->setText(isNew ? u"追加"_qs : u"変更"_qs);
    m_secondButton->setText(isNew ? u"初期化"_qs : u"削除"_qs);
    if (!isNew && m_viewObject)
        m_form->fill();
    markUnchanged();
}

void RecordEditorDialog::save()
{
    QGuiApplication::inputMethod()->commit();
    // A date typed and not yet taken is taken now, or nothing is stored.
    if (!DateBox::takeAllTyped(this))
        return;
    QString message;
    if (QWidget* empty = m_form->missing(&message)) {
        // The entries stay: the dialog remains open with the empty box focused.
        Dialogs::instance().message(this, message, Dialogs::Icon::Critical);
        empty->setFocus(Qt::OtherFocusReason);
        return;
    }
    if (!m_viewObject)
        return;
    StoreResult result = StoreResult::Stored;
    if (!runGuarded(this, [&] { result = m_form->store(m_mode.EditIsNew); }))
        return;
    switch (result) {
    case StoreResult::Stored:
        accept();
        return;
    case StoreResult::Gone:
        recordVanished();
        return;
    case StoreResult::ChangedElsewhere:
        // The dialog stays, showing the stored record and what was typed.
        Dialogs::instance().message(this, changedElsewhereMessage(), Dialogs::Icon::Exclamation);
        return;
    }
}

void RecordEditorDialog::secondButton()
{
    if (m_mode.EditIsNew) {
        m_form->reset();
        return;
    }
    if (!Dialogs::instance().confirm(this, u"削除しますか？"_qs) || !m_viewObject)
        return;
    bool deleted = false;
    if (runGuarded(this, [&] { deleted = m_form->remove(); }))
        deleted ? accept() : recordVanished();
}

void RecordEditorDialog::recordVanished()
{
    Dialogs::instance().message(this, u"この記録はすでに削除されています。一覧を読み直します。"_qs,
                                Dialogs::Icon::Exclamation);
    // What is gone is no longer current: nothing more can hang on it.
    if (m_viewObject)
        runGuarded(this, [&] { m_view->recordVanished(m_mode); });
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
