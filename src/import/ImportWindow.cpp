#include "import/ImportWindow.h"
#include "store/Store.h"

#include "store/Accounts.h"

#include "import/PreviousVersion.h"
#include "import/Transfers.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/Failure.h"
#include "ui/Dialogs.h"
#include "ui/EnterNavigation.h"
#include "ui/FormParts.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextDocument>
#include <QVBoxLayout>

#include <cmath>

namespace horunea {

namespace {

const QString StartCaption = u"取　込　開　始"_qs;

QComboBox* chooser(const QString& name, QWidget* parent)
{
    auto* combo = new QComboBox(parent);
    combo->setObjectName(name);
    combo->setMinimumWidth(220);
    return combo;
}

QLabel* caption(const QString& text, QWidget* parent)
{
    return plainLabel(text, parent);
}

} // namespace

ImportWindow::ImportWindow(QWidget* parent) : QDialog(parent)
{
    setObjectName(u"Form8"_qs);
    setWindowTitle(u"外部ﾃﾞｰﾀ読込"_qs);
    setModal(true);

    m_tabs = new QTabWidget(this);
    m_tabs->setObjectName(u"SSTab1"_qs);
    auto* note = new QWidget(m_tabs);
    auto* noteLayout = new QVBoxLayout(note);
    auto* version = caption(u"＊＊＊前ﾊﾞｰｼﾞｮﾝは1.0.3です＊＊＊"_qs, note);
    version->setAlignment(Qt::AlignCenter);
    noteLayout->addWidget(version);
    m_tabs->addTab(note, u"コンバート"_qs);
    m_tabs->addTab(accountTab(AccountKind::Operator), u"顧客管理"_qs);
    m_tabs->addTab(accountTab(AccountKind::Repair), u"修理管理"_qs);
    m_tabs->addTab(previousVersionTab(true), u"前ﾊﾞｰｼﾞｮﾝ→顧客管理"_qs);
    m_tabs->addTab(previousVersionTab(false), u"前ﾊﾞｰｼﾞｮﾝ→修理管理"_qs);

    // The passwords of the listed accounts, at the same positions: never shown.
    m_customerSourcePasswords = chooser(u"Combo8"_qs, this);
    m_repairSourcePasswords = chooser(u"Combo9"_qs, this);
    m_customerSourcePasswords->hide();
    m_repairSourcePasswords->hide();

    m_progress = new QProgressBar(this);
    m_progress->setObjectName(u"ProgressBar1"_qs);
    m_progress->setRange(0, 100);
    m_progress->setValue(0);
    m_progress->setTextVisible(false);
    m_statusBar = new QStatusBar(this);
    m_statusBar->setObjectName(u"StatusBar1"_qs);
    m_statusBar->setSizeGripEnabled(false);
    m_panel = plainLabel(m_statusBar);
    m_panel->setObjectName(u"Panel1"_qs);
    m_statusBar->addWidget(m_panel, 1);
    auto* close = commandButton(u"Command4"_qs, u"閉　じ　る"_qs, this);

    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(caption(u"0%"_qs, this));
    progressRow->addWidget(m_progress, 1);
    progressRow->addWidget(caption(u"100%"_qs, this));
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_tabs);
    layout->addWidget(caption(u"進行状態"_qs, this));
    layout->addLayout(progressRow);
    auto* closeRow = new QHBoxLayout;
    closeRow->addStretch();
    closeRow->addWidget(close);
    layout->addLayout(closeRow);
    layout->addWidget(m_statusBar);

    connect(m_tabs, &QTabWidget::currentChanged, this,
            [this] { runGuarded(this, [this] { FillImportAccountLists(); }); });
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    resize(560, 360);
}

QWidget* ImportWindow::accountTab(AccountKind kind)
{
    auto* tab = new QWidget(m_tabs);
    auto* grid = new QGridLayout(tab);
    const bool repair = kind == AccountKind::Repair;
    QComboBox* source = chooser(repair ? u"Combo2"_qs : u"Combo1"_qs, tab);
    QComboBox* destination = chooser(repair ? u"Combo4"_qs : u"Combo3"_qs, tab);
    QPushButton* start = commandButton(repair ? u"Command2"_qs : u"Command1"_qs, StartCaption, tab);
    grid->addWidget(caption(u"取込元"_qs, tab), 0, 0);
    grid->addWidget(source, 0, 1);
    grid->addWidget(caption(u"取込先"_qs, tab), 1, 0);
    grid->addWidget(destination, 1, 1);
    int row = 2;
    if (repair) {
        const QStringList captions = {u"自社情報取り込み"_qs, u"メーカー取り込み"_qs,
                                      u"修理取り込み"_qs};
        for (int i = 0; i < 3; ++i) {
            m_repairParts[i] = new QCheckBox(captions[i], tab);
            m_repairParts[i]->setObjectName(QStringLiteral("Check2_%1").arg(i));
            grid->addWidget(m_repairParts[i], row++, 1);
        }
    }
    grid->addWidget(start, row, 1, Qt::AlignRight);
    grid->setRowStretch(row + 1, 1);
    grid->setColumnStretch(1, 1);
    source->installEventFilter(this);
    destination->installEventFilter(this);
    if (repair) {
        m_repairSource = source;
        m_repairDestination = destination;
        m_repairStart = start;
        connect(source, &QComboBox::activated, this, &ImportWindow::ChooseRepairSource);
        connect(start, &QPushButton::clicked, this, &ImportWindow::TransferRepairData);
    } else {
        m_customerSource = source;
        m_customerDestination = destination;
        m_customerStart = start;
        connect(source, &QComboBox::activated, this, &ImportWindow::ChooseCustomerSource);
        connect(start, &QPushButton::clicked, this, &ImportWindow::TransferCustomerData);
    }
    return tab;
}

QWidget* ImportWindow::previousVersionTab(bool customer)
{
    auto* tab = new QWidget(m_tabs);
    auto* grid = new QGridLayout(tab);
    auto* folder = plainLabel(tab);
    folder->setObjectName(customer ? u"Label19"_qs : u"Label20"_qs);
    folder->setFrameShape(QFrame::Panel);
    folder->setFrameShadow(QFrame::Sunken);
    folder->setMinimumWidth(300);
    // A long folder does not widen the window; its tooltip shows it whole.
    folder->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    auto* browse = commandButton(customer ? u"Command6"_qs : u"Command7"_qs, u"参照"_qs, tab);
    grid->addWidget(caption(u"場所"_qs, tab), 0, 0);
    grid->addWidget(folder, 0, 1);
    grid->addWidget(browse, 0, 2);
    int row = 1;
    QComboBox* destination = nullptr;
    if (customer) {
        m_previousCustomerFolder = folder;
        m_previousUsers = chooser(u"Combo7"_qs, tab);
        grid->addWidget(caption(u"取込元"_qs, tab), row, 0);
        grid->addWidget(m_previousUsers, row++, 1);
        m_previousCustomerDestination = destination = chooser(u"Combo5"_qs, tab);
    } else {
        m_previousRepairFolder = folder;
        m_previousRepairDestination = destination = chooser(u"Combo6"_qs, tab);
    }
    grid->addWidget(caption(u"取込先"_qs, tab), row, 0);
    grid->addWidget(destination, row++, 1);
    auto* start = commandButton(customer ? u"Command3"_qs : u"Command5"_qs, StartCaption, tab);
    grid->addWidget(start, row, 1, Qt::AlignRight);
    grid->setRowStretch(row + 1, 1);
    grid->setColumnStretch(1, 1);
    connect(browse, &QPushButton::clicked, this, [this, folder] { browsePrevious(folder); });
    destination->installEventFilter(this);
    if (customer) {
        m_previousUsers->installEventFilter(this);
        m_previousCustomerStart = start;
        connect(start, &QPushButton::clicked, this, &ImportWindow::ConvertPreviousCustomerData);
    } else {
        m_previousRepairStart = start;
        connect(start, &QPushButton::clicked, this, &ImportWindow::ConvertPreviousRepairData);
    }
    return tab;
}

void ImportWindow::browsePrevious(QLabel* folder)
{
    const QString chosen =
        Dialogs::instance().openFile(this, u"前バージョンの場所"_qs, folder->text(),
                                     u"ホルネア.exe (ホルネア.exe);;All(*.*) (*)"_qs);
    if (chosen.isEmpty())
        return;
    // The folder of the chosen file, whatever the file is called.
    folder->setText(QFileInfo(chosen).absolutePath() + u'/');
    folder->setToolTip(Qt::convertFromPlainText(folder->text(), Qt::WhiteSpaceNoWrap));
    if (folder != m_previousCustomerFolder)
        return;
    m_previousUsers->clear();
    QStringList users;
    try {
        users = PreviousVersionUsers(folder->text());
    } catch (const Failure& e) {
        Dialogs::instance().message(this, e.message(), Dialogs::Icon::Plain);
        return;
    }
    m_previousUsers->addItems(users);
    m_previousUsers->setCurrentIndex(-1); // which old user is the user's choice
}

void ImportWindow::runImport(const std::function<TransferResult()>& work)
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
    TransferResult result;
    const bool done = runGuarded(this, [&] { result = work(); });
    QApplication::restoreOverrideCursor();
    m_progress->setValue(0);
    if (done)
        Dialogs::instance().message(this, result.summary(), Dialogs::Icon::Information);
    else
        ShowImportStatus(u"取り込みに失敗しました。"_qs);
}

void ImportWindow::ConvertPreviousCustomerData()
{
    if (m_previousUsers->currentText().isEmpty() ||
        m_previousCustomerDestination->currentText().isEmpty()) {
        Dialogs::instance().message(this, u"取り込み元・取り込み先を指定してください。"_qs,
                                    Dialogs::Icon::Critical);
        return;
    }
    runImport([&] {
        return horunea::ConvertPreviousCustomerData(
            m_previousCustomerFolder->text(), m_previousUsers->currentIndex() + 1,
            m_previousCustomerDestination->currentText(), progress());
    });
}

void ImportWindow::ConvertPreviousRepairData()
{
    if (m_previousRepairFolder->text().isEmpty()) {
        Dialogs::instance().message(this, u"前ﾊﾞｰｼﾞｮﾝの場所を指定してください。"_qs,
                                    Dialogs::Icon::Critical);
        return;
    }
    if (m_previousRepairDestination->currentText().isEmpty()) {
        Dialogs::instance().message(this, u"取り込み先を指定してください。"_qs,
                                    Dialogs::Icon::Critical);
        return;
    }
    runImport([&] {
        return horunea::ConvertPreviousRepairData(
            m_previousRepairFolder->text(), m_previousRepairDestination->currentText(), progress());
    });
}

void ImportWindow::FillImportAccountLists()
{
    const int tab = m_tabs->currentIndex();
    if (tab == 0)
        return;
    Database master = OpenMaster();
    const QList<Account> accounts =
        LoadAccounts(master, tab == 1 || tab == 3 ? AccountKind::Operator : AccountKind::Repair);
    if (tab == 1 || tab == 2) {
        QComboBox* source = tab == 1 ? m_customerSource : m_repairSource;
        QComboBox* passwords = tab == 1 ? m_customerSourcePasswords : m_repairSourcePasswords;
        source->clear();
        passwords->clear();
        source->addItem(QString());
        passwords->addItem(QString());
        for (const Account& a : accounts) {
            source->addItem(a.name, a.number);
            passwords->addItem(a.password.toString());
        }
        return;
    }
    QComboBox* list = tab == 3 ? m_previousCustomerDestination : m_previousRepairDestination;
    list->clear();
    for (const Account& a : accounts)
        list->addItem(a.name);
    list->setCurrentIndex(-1); // nothing is converted into an account the user did not choose
}

void ImportWindow::ChooseCustomerSource(int index)
{
    chooseSource(m_customerSource, m_customerSourcePasswords, m_customerDestination, index);
}

void ImportWindow::ChooseRepairSource(int index)
{
    chooseSource(m_repairSource, m_repairSourcePasswords, m_repairDestination, index);
}

void ImportWindow::chooseSource(QComboBox* source, QComboBox* passwords, QComboBox* destination,
                                int index)
{
    // The password is checked where it is kept: a clerk's PC on the server
    // cannot read it, and asks the server.
    if (index > 0) {
        const QString number = source->itemData(index).toString();
        const AccountKind kind =
            passwords == m_customerSourcePasswords ? AccountKind::Operator : AccountKind::Repair;
        Database master = OpenMaster();
        if (!CheckAccountPassword(master, kind, number, QString())) {
            const auto typed = Dialogs::instance().input(
                this, u"ﾊﾟｽﾜｰﾄﾞﾛｯｸされています,ﾊﾟｽﾜｰﾄﾞを入力して下さい。"_qs);
            if (!typed || !CheckAccountPassword(master, kind, number, *typed)) {
                if (typed)
                    Dialogs::instance().message(this, u"ﾊﾟｽﾜｰﾄﾞが違います。"_qs,
                                                Dialogs::Icon::Critical);
                source->setCurrentIndex(0);
                chooseSource(source, passwords, destination, 0);
                return;
            }
        }
    }
    destination->clear();
    for (int i = 0; i < source->count(); ++i)
        if (source->itemText(i) != source->currentText())
            destination->addItem(source->itemText(i));
}

bool ImportWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::KeyPress) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if ((key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) &&
            key->modifiers() == Qt::NoModifier) {
            QWidget* next = nullptr;
            if (watched == m_customerSource)
                next = m_customerDestination;
            else if (watched == m_customerDestination)
                next = m_customerStart;
            else if (watched == m_repairSource)
                next = m_repairDestination;
            else if (watched == m_repairDestination)
                next = m_repairStart;
            else if (watched == m_previousUsers)
                next = m_previousCustomerDestination;
            else if (watched == m_previousCustomerDestination)
                next = m_previousCustomerStart;
            else if (watched == m_previousRepairDestination)
                next = m_previousRepairStart;
            if (next) {
                focusByKeyboard(next);
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void ImportWindow::ShowImportProgress(const QString& text, qint64 done, qint64 total)
{
    m_panel->setText(importProgressText(text, done, total));
    m_progress->setValue(importPercent(done, total));
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void ImportWindow::ShowImportStatus(const QString& text)
{
    m_panel->setText(text);
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

QString ImportWindow::statusText() const
{
    return m_panel->text();
}

ImportProgress ImportWindow::progress()
{
    ImportProgress p;
    int shown = -1;
    QString shownText;
    p.progress = [this, shown, shownText](const QString& text, qint64 done, qint64 total) mutable {
        // The panel follows whole percents: a million rows are not a million repaints.
        const int percent = importPercent(done, total);
        if (percent == shown && text == shownText)
            return;
        shown = percent;
        shownText = text;
        ShowImportProgress(text, done, total);
    };
    p.status = [this](const QString& text) { ShowImportStatus(text); };
    return p;
}

void ImportWindow::TransferCustomerData()
{
    if (m_customerSource->currentText().isEmpty() ||
        m_customerDestination->currentText().isEmpty()) {
        Dialogs::instance().message(this, u"取り込み元・取り込み先を指定してください。"_qs,
                                    Dialogs::Icon::Critical);
        return;
    }
    runImport([&] {
        return horunea::TransferCustomerData(m_customerSource->currentText(),
                                             m_customerDestination->currentText(), progress());
    });
}

void ImportWindow::TransferRepairData()
{
    if (m_repairSource->currentText().isEmpty() || m_repairDestination->currentText().isEmpty()) {
        Dialogs::instance().message(this, u"取り込み元・取り込み先を指定してください。"_qs,
                                    Dialogs::Icon::Critical);
        return;
    }
    const RepairParts parts{m_repairParts[0]->isChecked(), m_repairParts[1]->isChecked(),
                            m_repairParts[2]->isChecked()};
    runImport([&] {
        return horunea::TransferRepairData(m_repairSource->currentText(),
                                           m_repairDestination->currentText(), parts, progress());
    });
}

} // namespace horunea
