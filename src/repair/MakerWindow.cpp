#include "repair/MakerWindow.h"

#include "repair/MakerStorage.h"
#include "store/Connections.h"
#include "ui/ChangedElsewhere.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/ReportListView.h"
#include "ui/ToolbarIcons.h"
#include "ui/Twips.h"

#include <QAction>
#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QToolBar>

namespace horunea {

MakerWindow::MakerWindow(QWidget* parent) : EditDialog(parent)
{
    setObjectName(u"Form11"_qs);
    setWindowTitle(u"ホルネア→修理管理→ﾒｰｶｰ情報"_qs);
    setFont(programFont());

    auto* toolbar = new QToolBar(this);
    toolbar->setObjectName(u"Toolbar1"_qs);
    toolbar->setIconSize(QSize(24, 24));
    QAction* close =
        toolbar->addAction(glyphIcon(u"閉"_qs, QColor(0x5f, 0x67, 0x72)), u"閉じる (Esc)"_qs);
    close->setObjectName(u"Button1"_qs);
    QAction* fresh =
        toolbar->addAction(glyphIcon(u"新"_qs, QColor(0x3a, 0x8a, 0x4f)), u"新規入力 (F2)"_qs);
    fresh->setObjectName(u"Button2"_qs);
    fresh->setShortcut(Qt::Key_F2);
    m_buttons = {close, fresh};
    connect(close, &QAction::triggered, this, &QDialog::accept);
    connect(fresh, &QAction::triggered, this, &MakerWindow::newEntry);
    toolbar->setGeometry(0, 0, twips(10200), 36);

    QLabel* heading = headingLabel(u"メ　　ー　　カ　　ー　　情　　報"_qs, this);
    heading->setObjectName(u"Label11"_qs);
    placeTwips(heading, 60, 600, 10080, 420);

    m_list = new ReportListView(u"ListView1"_qs, {u"修理先ID"_qs, u"メーカー名"_qs}, this);
    m_list->setColumnWidthsTwips({1000, 2400});
    placeTwips(m_list, 60, 1140, 3700, 3600);
    connect(m_list, &ReportListView::itemClicked, this, &MakerWindow::makerClicked);

    const InputMode K = InputMode::Kana, O = InputMode::Off;
    m_fields = fieldRows(this,
                         {u"ﾒｰｶｰ名"_qs, u"住所"_qs, u"TEL"_qs, u"FAX"_qs, u"E-MAIL"_qs,
                          u"ﾒｰｶｰ担当者"_qs, u"処理方法"_qs, u"決済方法"_qs, u"備考"_qs},
                         {K, K, O, O, O, K, K, K, K}, 3900, 1140, 6240);

    m_add = commandButton(u"Command1"_qs, u"追加"_qs, this);
    m_change = commandButton(u"Command3"_qs, u"変更"_qs, this);
    m_delete = commandButton(u"Command4"_qs, u"削除"_qs, this);
    placeTwips(m_add, 3900, 4500, 6240, 420);
    placeTwips(m_change, 3900, 4500, 3100, 420);
    placeTwips(m_delete, 7040, 4500, 3100, 420);
    for (QPushButton* b : {m_add, m_change, m_delete})
        b->setAutoDefault(false);
    connect(m_add, &QPushButton::clicked, this, &MakerWindow::add);
    connect(m_change, &QPushButton::clicked, this, &MakerWindow::change);
    connect(m_delete, &QPushButton::clicked, this, &MakerWindow::remove);

    m_selected = plainLabel(u"0"_qs, this);
    m_selected->setObjectName(u"Label10"_qs);
    m_selected->hide();

    auto* navigation = new EnterNavigation(this);
    for (int i = 0; i + 1 < m_fields.size(); ++i)
        navigation->chain(m_fields[i], m_fields[i + 1]);
    navigation->chain(m_fields.last(), [this] {
        if (m_add->isVisible())
            m_add->setFocus(Qt::TabFocusReason);
    });
    for (QPushButton* b : {m_add, m_change, m_delete})
        navigation->pressesOnEnter(b);

    setFixedSize(twips(10260), twips(5100));
    runGuarded(this, [this] { LoadMakerList(); });
    markUnchanged();
    ClearMakerFields();
    showButtons(false, false);
}

void MakerWindow::showButtons(bool add, bool changeAndDelete)
{
    m_add->setVisible(add);
    m_change->setVisible(changeAndDelete);
    m_delete->setVisible(changeAndDelete);
}

void MakerWindow::LoadMakerList()
{
    m_list->setRows(horunea::LoadMakerList(RepairConnection()));
}

void MakerWindow::ClearMakerFields()
{
    for (QLineEdit* f : std::as_const(m_fields))
        f->clear();
}

QStringList MakerWindow::fieldValues() const
{
    QStringList values;
    for (QLineEdit* f : m_fields)
        values << f->text();
    return values;
}

void MakerWindow::makerClicked(int row)
{
    runGuarded(this, [&] {
        SelectedMakerId = m_list->text(row, 0);
        m_selected->setText(SelectedMakerId);
        const auto values = ReadMaker(RepairConnection(), SelectedMakerId);
        if (!values) {
            Dialogs::instance().message(this, u"このメーカーはすでに削除されています。"_qs,
                                        Dialogs::Icon::Exclamation);
            LoadMakerList();
            return;
        }
        for (int i = 0; i < m_fields.size(); ++i) {
            m_fields[i]->setText(values->value(i));
            markChangedElsewhere(m_fields[i], false, QString());
        }
        m_read = *values;
        showButtons(false, true);
    });
    markUnchanged();
}

void MakerWindow::newEntry()
{
    ClearMakerFields();
    showButtons(true, false);
    markUnchanged();
    m_fields.first()->setFocus();
}

void MakerWindow::add()
{
    QGuiApplication::inputMethod()->commit();
    const bool stored = runGuarded(this, [&] {
        AddMaker(RepairConnection(), fieldValues());
        LoadMakerList();
        ClearMakerFields();
        showButtons(false, false);
    });
    if (stored)
        markUnchanged();
}

void MakerWindow::change()
{
    QGuiApplication::inputMethod()->commit();
    bool conflict = false;
    const bool stored = runGuarded(this, [&] {
        QStringList now;
        switch (ChangeMaker(RepairConnection(), SelectedMakerId, m_read, fieldValues(), &now)) {
        case ChangeOutcome::Gone:
            Dialogs::instance().message(this, u"このメーカーはすでに削除されています。"_qs,
                                        Dialogs::Icon::Exclamation);
            break;
        case ChangeOutcome::ChangedElsewhere:
            // The maker stays chosen, shown as stored beside what was typed.
            conflict = true;
            Dialogs::instance().message(this, changedElsewhereMessage(),
                                        Dialogs::Icon::Exclamation);
            showStoredBeside(m_fields, m_read, now);
            m_read = now;
            LoadMakerList();
            return;
        case ChangeOutcome::Changed:
            break;
        }
        LoadMakerList();
        showButtons(false, false);
    });
    if (stored && !conflict)
        markUnchanged();
}

void MakerWindow::remove()
{
    if (!Dialogs::instance().confirm(this, u"削除しますか？"_qs))
        return;
    const bool stored = runGuarded(this, [&] {
        DeleteMaker(RepairConnection(), SelectedMakerId);
        LoadMakerList();
        ClearMakerFields();
        showButtons(false, false);
    });
    if (stored)
        markUnchanged();
}

} // namespace horunea
