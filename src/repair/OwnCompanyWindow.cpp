#include "repair/OwnCompanyWindow.h"

#include "repair/MakerStorage.h"
#include "store/Connections.h"
#include "ui/ChangedElsewhere.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/Twips.h"

#include <QGuiApplication>
#include <QInputMethod>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace horunea {

OwnCompanyWindow::OwnCompanyWindow(QWidget* parent) : EditDialog(parent)
{
    setObjectName(u"Form12"_qs);
    setWindowTitle(u"ホルネア→修理管理→自社情報"_qs);
    setFont(programFont());

    QLabel* heading = headingLabel(u"自　社　情　報"_qs, this);
    heading->setObjectName(u"Label7"_qs);
    placeTwips(heading, 60, 60, 6600, 420);
    const InputMode K = InputMode::Kana, O = InputMode::Off;
    m_fields =
        fieldRows(this, {u"会社名"_qs, u"住所"_qs, u"TEL"_qs, u"FAX"_qs, u"E-MAIL"_qs, u"URL"_qs},
                  {K, K, O, O, O, O}, 60, 600, 6600);

    auto* save = commandButton(u"Command1"_qs, u"変更"_qs, this);
    auto* close = commandButton(u"Command2"_qs, u"閉じる"_qs, this);
    for (QPushButton* b : {save, close})
        b->setAutoDefault(false);
    placeTwips(save, 60, 2880, 3260, 420);
    placeTwips(close, 3400, 2880, 3260, 420);
    connect(save, &QPushButton::clicked, this, &OwnCompanyWindow::SaveOwnCompany);
    connect(close, &QPushButton::clicked, this, &EditDialog::closeWithoutAsking);

    auto* navigation = new EnterNavigation(this);
    for (int i = 0; i + 1 < m_fields.size(); ++i)
        navigation->chain(m_fields[i], m_fields[i + 1]);
    navigation->chain(m_fields.last(), save);

    setFixedSize(twips(6720), twips(3420));
    runGuarded(this, [this] { LoadOwnCompany(); });
}

void OwnCompanyWindow::LoadOwnCompany()
{
    const QStringList values = horunea::LoadOwnCompany(RepairConnection());
    for (int i = 0; i < m_fields.size(); ++i)
        m_fields[i]->setText(values.value(i));
    m_read = values;
    markUnchanged();
}

void OwnCompanyWindow::SaveOwnCompany()
{
    QGuiApplication::inputMethod()->commit();
    QStringList values;
    for (QLineEdit* f : std::as_const(m_fields))
        values << f->text();
    QStringList stored;
    ChangeOutcome outcome = ChangeOutcome::Changed;
    if (!runGuarded(this, [&] {
            outcome = ChangeOwnCompany(RepairConnection(), m_read, values, &stored);
            if (outcome == ChangeOutcome::Gone)
                throw Failure(u"自社の行がありません。"_qs);
        }))
        return;
    if (outcome == ChangeOutcome::ChangedElsewhere) {
        Dialogs::instance().message(this, changedElsewhereMessage(), Dialogs::Icon::Exclamation);
        showStoredBeside(m_fields, m_read, stored);
        m_read = stored;
        return;
    }
    m_read = values;
    markUnchanged();
}

} // namespace horunea
