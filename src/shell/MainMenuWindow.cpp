#include "shell/MainMenuWindow.h"

#include "shell/HelpWindow.h"
#include "shell/VersionWindow.h"
#include "store/Accounts.h"
#include "store/Connections.h"
#include "store/DataFolder.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/FormParts.h"
#include "ui/InputMode.h"
#include "ui/ReportListView.h"
#include "ui/Twips.h"

#include <QCloseEvent>
#include <QDir>
#include <QFrame>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace horunea {

namespace {

// Window and frame sizes in twips.
constexpr int FullWidth = 13020;
constexpr int WindowHeight = 5090;
constexpr int ReducedWidth = 4900;
constexpr int SideWidth = 4690;
constexpr int CustomerSideLeft = 60;
constexpr int RepairSideLeft = 5030;

QLabel* label(const QString& name, const QString& caption, QWidget* parent)
{
    auto* l = plainLabel(caption, parent);
    l->setObjectName(name);
    return l;
}

ListRows accountRows(const QList<Account>& accounts)
{
    ListRows rows;
    rows.reserve(size_t(accounts.size()));
    for (const Account& a : accounts)
        rows.push_back({a.number, a.name});
    return rows;
}

} // namespace

MainMenuWindow::MainMenuWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"Form4"_qs);
    setWindowTitle(u"ホルネア Version 2.0.1 　データベース版"_qs);
    setAttribute(Qt::WA_DeleteOnClose);
    setFont(programFont());
    createMenuFrame();
    createDataFrame();
    setMenuLayout(Layout::Full);
}

MainMenuWindow::~MainMenuWindow()
{
    unload();
}

void MainMenuWindow::createMenuFrame()
{
    m_menuFrame = new QFrame(this);
    m_menuFrame->setObjectName(u"Frame3"_qs);
    m_menuFrame->setFrameShape(QFrame::StyledPanel);
    placeTwips(m_menuFrame, 120, 60, 2760, 4900);

    m_menuHeading = label(u"Label1"_qs, u"メ  イ  ン  メ  ニ  ュ  ー"_qs, m_menuFrame);
    m_menuHeading->setAlignment(Qt::AlignCenter);
    placeTwips(m_menuHeading, 120, 240, 2520, 300);

    m_convert = commandButton(u"Command3"_qs, u"コンバート"_qs, m_menuFrame);
    m_administrator = commandButton(u"Command1"_qs, u"管理者メニュー"_qs, m_menuFrame);
    m_version = commandButton(u"Command10"_qs, u"バージョン情報"_qs, m_menuFrame);
    m_help = commandButton(u"Command9"_qs, u"ヘルプ"_qs, m_menuFrame);
    m_quit = commandButton(u"Command8"_qs, u"終　　　　了"_qs, m_menuFrame);
    int top = 780;
    for (QPushButton* b : {m_convert, m_administrator, m_version, m_help, m_quit}) {
        placeTwips(b, 120, top, 2520, 660);
        top += 810;
    }

    connect(m_convert, &QPushButton::clicked, this, &MainMenuWindow::convertRequested);
    connect(m_administrator, &QPushButton::clicked, this, &MainMenuWindow::administratorRequested);
    connect(m_version, &QPushButton::clicked, this, &MainMenuWindow::showVersion);
    connect(m_help, &QPushButton::clicked, this, &MainMenuWindow::openHelp);
    connect(m_quit, &QPushButton::clicked, this, &MainMenuWindow::quitRequested);
}

void MainMenuWindow::createDataFrame()
{
    m_dataFrame = new QFrame(this);
    m_dataFrame->setObjectName(u"Frame2"_qs);
    m_dataFrame->setFrameShape(QFrame::StyledPanel);

    m_dataHeading = label(u"Label2"_qs, u"データを開く"_qs, m_dataFrame);
    m_dataHeading->setAlignment(Qt::AlignCenter);

    m_customerLabel = label(u"Label3"_qs, u"顧客管理　"_qs, m_dataFrame);
    m_operatorList =
        new ReportListView(u"ListView1"_qs, {u"使用者No"_qs, u"使用者"_qs}, m_dataFrame);
    m_operatorList->setColumnHidden(0, true);
    m_customerPasswordLabel = label(u"Label4"_qs, u"パ　ス　ワ　ー　ド"_qs, m_dataFrame);
    m_customerPassword = new QLineEdit(m_dataFrame);
    m_customerPassword->setObjectName(u"Text3"_qs);
    setInputMode(m_customerPassword, InputMode::Off);
    m_openCustomer = commandButton(u"Command12"_qs, u"開く"_qs, m_dataFrame);
    m_compactCustomer = commandButton(u"Command4"_qs, u"最適化"_qs, m_dataFrame);

    m_repairLabel = label(u"Label5"_qs, u"修理管理　"_qs, m_dataFrame);
    m_repairList = new ReportListView(u"ListView2"_qs, {u"修理No"_qs, u"修理"_qs}, m_dataFrame);
    m_repairList->setColumnHidden(0, true);
    m_repairPasswordLabel = label(u"Label6"_qs, u"パ　ス　ワ　ー　ド"_qs, m_dataFrame);
    m_repairPassword = new QLineEdit(m_dataFrame);
    m_repairPassword->setObjectName(u"Text4"_qs);
    setInputMode(m_repairPassword, InputMode::Off);
    m_openRepair = commandButton(u"Command13"_qs, u"開く"_qs, m_dataFrame);
    m_compactRepair = commandButton(u"Command5"_qs, u"最適化"_qs, m_dataFrame);

    m_close = commandButton(u"Command2"_qs, u"閉じる"_qs, m_dataFrame);

    m_selectedOperatorNumber = label(u"Label8"_qs, QString(), this);
    m_selectedOperatorNumber->hide();
    m_selectedRepairNumber = label(u"Label9"_qs, QString(), this);
    m_selectedRepairNumber->hide();

    for (QPushButton* b : {m_openCustomer, m_compactCustomer, m_openRepair, m_compactRepair})
        b->setEnabled(false);

    connect(m_operatorList, &ReportListView::itemClicked, this, &MainMenuWindow::operatorClicked);
    connect(m_repairList, &ReportListView::itemClicked, this, &MainMenuWindow::repairClicked);
    connect(m_openCustomer, &QPushButton::clicked, this, &MainMenuWindow::openCustomerRequested);
    connect(m_openRepair, &QPushButton::clicked, this, &MainMenuWindow::openRepairRequested);
    connect(m_compactCustomer, &QPushButton::clicked, this,
            &MainMenuWindow::compactCustomerRequested);
    connect(m_compactRepair, &QPushButton::clicked, this, &MainMenuWindow::compactRepairRequested);
    connect(m_close, &QPushButton::clicked, this, &QWidget::close);
    // Enter (or a double click) on an account goes on to its password box;
    // Enter in a password box is 開く, once an account has been chosen.
    connect(m_operatorList, &ReportListView::itemDoubleClicked, this, [this](int row) {
        operatorClicked(row);
        m_customerPassword->setFocus(Qt::OtherFocusReason);
    });
    connect(m_repairList, &ReportListView::itemDoubleClicked, this, [this](int row) {
        repairClicked(row);
        m_repairPassword->setFocus(Qt::OtherFocusReason);
    });
    for (auto [password, open] : {std::pair{m_customerPassword, m_openCustomer},
                                  std::pair{m_repairPassword, m_openRepair}}) {
        connect(password, &QLineEdit::returnPressed, this, [this, open] {
            if (!open->isVisible())
                return;
            if (open->isEnabled())
                open->click();
            else
                Dialogs::instance().message(this, u"アカウントを選んでください。"_qs,
                                            Dialogs::Icon::Exclamation);
        });
    }
}

void MainMenuWindow::placeSide(bool repair, int left, bool wideOpenButton)
{
    QLabel* sideLabel = repair ? m_repairLabel : m_customerLabel;
    ReportListView* list = repair ? m_repairList : m_operatorList;
    QLabel* passwordLabel = repair ? m_repairPasswordLabel : m_customerPasswordLabel;
    QLineEdit* password = repair ? m_repairPassword : m_customerPassword;
    QPushButton* open = repair ? m_openRepair : m_openCustomer;
    QPushButton* compact = repair ? m_compactRepair : m_compactCustomer;

    placeTwips(sideLabel, left, 560, SideWidth, 300);
    placeTwips(list, left, 880, SideWidth, 2460);
    placeTwips(passwordLabel, left, 3440, 1680, 300);
    placeTwips(password, left + 1740, 3400, SideWidth - 1740, 360);
    if (wideOpenButton) {
        placeTwips(open, left, 3840, SideWidth, 480);
    } else {
        placeTwips(open, left, 3840, 2300, 480);
        placeTwips(compact, left + 2390, 3840, 2300, 480);
    }
}

void MainMenuWindow::setMenuLayout(Layout layout)
{
    m_layout = layout;
    const bool full = layout == Layout::Full;
    const bool customer = layout != Layout::RepairOnlyMenu;
    const bool repair = layout != Layout::CustomerOnlyMenu;

    m_menuFrame->setVisible(full);
    for (QWidget* w :
         {static_cast<QWidget*>(m_customerLabel), static_cast<QWidget*>(m_operatorList),
          static_cast<QWidget*>(m_customerPasswordLabel), static_cast<QWidget*>(m_customerPassword),
          static_cast<QWidget*>(m_openCustomer)})
        w->setVisible(customer);
    for (QWidget* w :
         {static_cast<QWidget*>(m_repairLabel), static_cast<QWidget*>(m_repairList),
          static_cast<QWidget*>(m_repairPasswordLabel), static_cast<QWidget*>(m_repairPassword),
          static_cast<QWidget*>(m_openRepair)})
        w->setVisible(repair);
    m_compactCustomer->setVisible(full);
    m_compactRepair->setVisible(full);
    // コンバート sits in the menu frame, hidden with it in both reduced layouts.
    m_convert->setVisible(layout != Layout::RepairOnlyMenu);

    if (full) {
        placeTwips(m_dataFrame, 3000, 60, 9900, 4900);
        placeTwips(m_dataHeading, 60, 160, 9780, 300);
        placeSide(false, CustomerSideLeft, false);
        placeSide(true, RepairSideLeft, false);
        placeTwips(m_close, 60, 4380, 9780, 420);
        setFixedSize(twips(FullWidth), twips(WindowHeight));
    } else {
        placeTwips(m_dataFrame, 0, 60, ReducedWidth, 4900);
        placeTwips(m_dataHeading, 0, 160, 4820, 300);
        placeSide(!customer, 60, true);
        placeTwips(m_close, 60, 4380, 4695, 420);
        setFixedSize(twips(ReducedWidth), twips(WindowHeight));
    }
}

bool MainMenuWindow::load()
{
    try {
        Connections::instance().OpenMasterDatabase();
        LoadMenuOperatorList();
        LoadMenuRepairList();
        return true;
    } catch (const Failure& e) {
        Connections::instance().CloseMasterDatabase();
        Dialogs::instance().message(this, e.message(), Dialogs::Icon::Critical);
        return false;
    }
}

void MainMenuWindow::LoadMenuOperatorList()
{
    m_operatorList->setRows(accountRows(LoadAccounts(MasterConnection(), AccountKind::Operator)));
    // The account whose password is checked is the one that opens: after a
    // refill none is chosen, nor highlighted, until the user clicks or picks
    // one again.
    m_operatorList->selectRow(-1);
    m_selectedOperatorNumber->clear();
    m_openCustomer->setEnabled(false);
    m_compactCustomer->setEnabled(false);
}

void MainMenuWindow::LoadMenuRepairList()
{
    m_repairList->setRows(accountRows(LoadAccounts(MasterConnection(), AccountKind::Repair)));
    m_repairList->selectRow(-1);
    m_selectedRepairNumber->clear();
    m_openRepair->setEnabled(false);
    m_compactRepair->setEnabled(false);
}

void MainMenuWindow::operatorClicked(int row)
{
    m_selectedOperatorNumber->setText(m_operatorList->text(row, 0));
    m_openCustomer->setEnabled(true);
    m_compactCustomer->setEnabled(true);
}

void MainMenuWindow::repairClicked(int row)
{
    m_selectedRepairNumber->setText(m_repairList->text(row, 0));
    m_openRepair->setEnabled(true);
    m_compactRepair->setEnabled(true);
}

namespace {

// The name of the account whose number the hidden label holds: the account
// whose password is checked is the account that opens or is compacted.
QString nameOfNumber(const ReportListView* list, const QString& number)
{
    if (number.isEmpty())
        return QString();
    for (int row = 0; row < list->rowCount(); ++row)
        if (list->text(row, 0) == number)
            return list->text(row, 1);
    return QString();
}

} // namespace

QString MainMenuWindow::selectedOperatorName() const
{
    return nameOfNumber(m_operatorList, m_selectedOperatorNumber->text());
}

QString MainMenuWindow::selectedRepairName() const
{
    return nameOfNumber(m_repairList, m_selectedRepairNumber->text());
}

QString MainMenuWindow::operatorNumber() const
{
    return m_selectedOperatorNumber->text();
}
QString MainMenuWindow::repairNumber() const
{
    return m_selectedRepairNumber->text();
}
QString MainMenuWindow::operatorPassword() const
{
    return m_customerPassword->text();
}
QString MainMenuWindow::repairPassword() const
{
    return m_repairPassword->text();
}

QStringList MainMenuWindow::operatorNames() const
{
    QStringList names;
    for (int i = 0; i < m_operatorList->rowCount(); ++i)
        names << m_operatorList->text(i, 1);
    return names;
}

void MainMenuWindow::openHelp()
{
    showManual(this);
}

void MainMenuWindow::showVersion()
{
    VersionWindow version(this);
    version.exec();
}

void MainMenuWindow::unload()
{
    if (m_unloaded)
        return;
    m_unloaded = true;
    Connections::instance().CloseMasterDatabase();
}

void MainMenuWindow::closeEvent(QCloseEvent* event)
{
    unload();
    QDialog::closeEvent(event);
}

void MainMenuWindow::keyPressEvent(QKeyEvent* event)
{
    // Escape closes the menu only where it is a dialog over a data window;
    // in the full layout closing would end the program.
    if (event->key() == Qt::Key_Escape && m_layout == Layout::Full) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

} // namespace horunea
