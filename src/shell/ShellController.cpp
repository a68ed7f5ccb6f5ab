#include "shell/ShellController.h"
#include "store/Store.h"

#include "admin/AdministratorWindows.h"

#include "admin/AccountRecovery.h"
#include "admin/WindowsMigration.h"
#include "customer/CustomerWindow.h"
#include "editor/RecordEditorDialog.h"
#include "import/ImportWindow.h"
#include "import/TransferSupport.h"
#include "print/PrintCommands.h"
#include "repair/MakerWindow.h"
#include "repair/OwnCompanyWindow.h"
#include "repair/RepairWindow.h"
#include "search/SearchWindow.h"
#include "settings/SettingsWindow.h"
#include "shell/MainMenuWindow.h"
#include "shell/SplashWindow.h"
#include "store/Accounts.h"
#include "store/Connections.h"
#include "store/DataFolder.h"
#include "store/Database.h"
#include "store/SessionState.h"
#include "store/ShippedFiles.h"
#include "ui/Application.h"
#include "ui/Dialogs.h"
#include "ui/UserSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLockFile>

namespace horunea {

ShellController::ShellController(QObject* parent) : QObject(parent)
{
    returnFocusAfterDialogs();
}

ShellController::~ShellController()
{
    if (m_mainMenu)
        delete m_mainMenu.data();
    if (m_customerWindow) {
        m_customerWindow->disconnect(this);
        delete m_customerWindow.data();
    }
    if (m_repairWindow) {
        m_repairWindow->disconnect(this);
        delete m_repairWindow.data();
    }
}

ShellController::StartResult ShellController::start(bool withSplash)
{
    Dialogs& dialogs = Dialogs::instance();
    if (!QDir().mkpath(DataFolder::path())) {
        dialogs.message(nullptr, u"データフォルダーを作成できません。\n"_qs + DataFolder::path(),
                        Dialogs::Icon::Critical);
        return StartResult::Failed;
    }

    DataFolder::protect();
    transfer::RemoveStaleTransferFolders();
    m_lock = std::make_unique<QLockFile>(DataFolder::lockPath());
    m_lock->setStaleLockTime(0);
    if (!m_lock->tryLock(0)) {
        const bool running = m_lock->error() == QLockFile::LockFailedError;
        if (running) {
            dialogs.message(nullptr, u"すでに「ホルネア」は起動されています。"_qs,
                            Dialogs::Icon::Exclamation);
        } else {
            dialogs.message(nullptr,
                            u"データフォルダーに書き込めません。\n"_qs + DataFolder::path(),
                            Dialogs::Icon::Critical);
        }
        m_lock.reset();
        return running ? StartResult::AlreadyRunning : StartResult::Failed;
    }

    try {
        // An account operation or a restore a crash interrupted is put right
        // first: a restore may have moved main.mdb aside.
        // A move from the Windows version that stopped in its switch is
        // finished; a folder of the Windows version's files is offered the move.
        FinishDataFolderMove(DataFolder::path(), true);
        if (!QFileInfo(DataFolder::serverConfPath()).isFile() &&
            IsWindowsDataFolder(DataFolder::path()) && !OfferMoveFromWindows())
            return StartResult::Failed;
        Store::followDataFolder();
        RecoverAccountOperation(true);
        EnsureShippedFiles();
        OpenMaster().close();
    } catch (const Failure& e) {
        dialogs.message(nullptr, e.message(), Dialogs::Icon::Critical);
        return StartResult::Failed;
    }

    if (!withSplash) {
        return showMainMenu() ? StartResult::Started : StartResult::Failed;
    }
    auto* splash = new SplashWindow();
    connect(splash, &SplashWindow::finished, this, [this] {
        if (!showMainMenu())
            QCoreApplication::exit(1);
    });
    splash->show();
    return StartResult::Started;
}

MainMenuWindow* ShellController::showMainMenu()
{
    auto* menu = new MainMenuWindow();
    if (!menu->load()) {
        delete menu;
        return nullptr;
    }
    wireMainMenu(menu);
    m_mainMenu = menu;
    menu->show();
    emit mainMenuShown(menu);
    return menu;
}

void ShellController::wireMainMenu(MainMenuWindow* menu)
{
    connect(menu, &MainMenuWindow::quitRequested, this, [] { QCoreApplication::exit(0); });
    connect(menu, &MainMenuWindow::openCustomerRequested, this,
            [this, menu] { OpenCustomerData(menu); });
    connect(menu, &MainMenuWindow::openRepairRequested, this,
            [this, menu] { OpenRepairData(menu); });
    connect(menu, &MainMenuWindow::convertRequested, this, [menu] {
        ImportWindow import(menu);
        import.exec();
    });
    connect(menu, &MainMenuWindow::administratorRequested, this,
            [this, menu] { showAdministratorMenu(menu); });
    connect(menu, &MainMenuWindow::compactCustomerRequested, this,
            [this, menu] { compact(menu, AccountKind::Operator); });
    connect(menu, &MainMenuWindow::compactRepairRequested, this,
            [this, menu] { compact(menu, AccountKind::Repair); });
}

void ShellController::showAdministratorMenu(MainMenuWindow* menu)
{
    AdministratorLoginWindow login(menu);
    if (login.exec() != QDialog::Accepted) {
        menu->raise();
        menu->activateWindow();
        return;
    }
    {
        AdministratorMenuWindow administration(menu);
        administration.exec();
    }
    // The menu shows the accounts as they now are.
    runGuarded(menu, [menu] {
        menu->LoadMenuOperatorList();
        menu->LoadMenuRepairList();
    });
}

void ShellController::compact(MainMenuWindow* menu, AccountKind kind)
{
    const QString name =
        kind == AccountKind::Operator ? menu->selectedOperatorName() : menu->selectedRepairName();
    if (name.isEmpty())
        return; // no account chosen (最適化 is disabled then)
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    bool done = false;
    QString failure;
    try {
        CompactAccountDatabase(kind, name);
        done = true;
    } catch (const Failure& e) {
        failure = e.message();
    }
    QGuiApplication::restoreOverrideCursor();
    if (done)
        Dialogs::instance().message(menu, u"最適化が終了しました。"_qs, Dialogs::Icon::Information);
    else
        Dialogs::instance().message(menu, failure, Dialogs::Icon::Critical);
}

void ShellController::showReducedMenu(MainMenuWindow::Layout layout, QWidget* over)
{
    auto* menu = new MainMenuWindow(over);
    if (!menu->load()) {
        delete menu;
        return;
    }
    menu->setMenuLayout(layout);
    wireMainMenu(menu);
    menu->setWindowModality(Qt::ApplicationModal);
    menu->exec();
}

void ShellController::OpenCustomerData(MainMenuWindow* menu)
{
    openData(menu, AccountKind::Operator);
}

void ShellController::OpenRepairData(MainMenuWindow* menu)
{
    openData(menu, AccountKind::Repair);
}

void ShellController::openData(MainMenuWindow* menu, AccountKind kind)
{
    const bool repair = kind == AccountKind::Repair;
    const QString name = repair ? menu->selectedRepairName() : menu->selectedOperatorName();
    const QString number = repair ? menu->repairNumber() : menu->operatorNumber();
    const QString typed = repair ? menu->repairPassword() : menu->operatorPassword();
    if (name.isEmpty())
        return; // no account chosen (開く is disabled then)

    // The account is opened, and its file checked, before anything is
    // released, so that a missing or unreadable file leaves the menu and any
    // open data as they were.
    std::optional<OpenedAccount> opened;
    if (!runGuarded(menu, [&] {
            opened.emplace(OpenAccount(MasterConnection(), kind, FindBy::Number, number, typed));
        }))
        return;

    Connections& connections = Connections::instance();
    SessionState& session = SessionState::instance();
    QMainWindow* window = nullptr;
    const bool ok = runGuarded(menu, [&] {
        connections.adoptAccount(kind, std::move(*opened));
        if (repair) {
            session.RepairAccountName = name;
            if (!m_repairWindow) {
                m_repairWindow = new RepairWindow();
                wireRepairWindow(m_repairWindow);
            }
            window = m_repairWindow;
            m_repairWindow->OpenRepairWindow();
            m_repairWindow->setOperatorNames(menu->operatorNames());
        } else {
            session.CustomerAccountName = name;
            if (!m_customerWindow) {
                m_customerWindow = new CustomerWindow();
                wireCustomerWindow(m_customerWindow);
            }
            window = m_customerWindow;
            m_customerWindow->OpenCustomerWindow();
            m_customerWindow->setOperatorNames(menu->operatorNames());
        }
    });
    if (!ok) {
        // A half-opened account is not left behind.
        if (window && !window->isVisible())
            delete window;
        if (repair) {
            connections.CloseRepairDatabase();
            session.RepairAccountName.clear();
        } else {
            connections.CloseCustomerDatabase();
            session.CustomerAccountName.clear();
        }
        return;
    }
    // Shown before the menu goes, so that the program never stands without a window.
    if (!window->isVisible()) {
        // Where, how large and whether maximised the user last left it.
        restoreWindowPlace(window);
        window->show();
        (repair ? session.RepairWindowState : session.CustomerWindowState) =
            window->windowState() & Qt::WindowMaximized;
    }
    menu->close();
    window->activateWindow();
}

void ShellController::bringBack(QMainWindow* window, Qt::WindowStates state)
{
    window->setWindowState(state);
    window->show();
    window->raise();
    window->activateWindow();
}

namespace {

// What both data windows ask for alike: the editor, the settings and the
// search, on the view of the account that is open.
template <typename Window> void wireSharedRequests(Window* window)
{
    QObject::connect(window, &DataWindow::editorRequested, window,
                     [window](RecordKind kind, bool isNew) {
                         if (window->view())
                             RecordEditorDialog::OpenEditor(*window->view(), kind, isNew, window);
                     });
    QObject::connect(window, &DataWindow::settingsRequested, window, [window] {
        if (window->view()) {
            SettingsWindow settings(*window->view(), window);
            settings.exec();
        }
    });
    QObject::connect(window, &DataWindow::searchRequested, window, [window] {
        if (window->view()) {
            SearchWindow search(*window->view(), window);
            if (search.exec() == QDialog::Accepted)
                static_cast<DataWindow*>(window)->focusFound(search.request().kind);
        }
    });
}

} // namespace

void ShellController::wireRepairWindow(RepairWindow* window)
{
    wireSharedRequests(window);
    connect(window, &RepairWindow::switchRequested, this, &ShellController::SwitchToCustomerWindow);
    connect(window, &RepairWindow::changeAccountRequested, this,
            [this, window] { showReducedMenu(MainMenuWindow::Layout::RepairOnlyMenu, window); });
    connect(window, &RepairWindow::unloading, this, [this] {
        if (SessionState::instance().CustomerAccountName.isEmpty())
            showMainMenu();
        else if (m_customerWindow)
            bringBack(m_customerWindow, SessionState::instance().CustomerWindowState);
    });
    connect(window, &RepairWindow::makersRequested, window, [window] {
        MakerWindow makers(window);
        makers.exec();
        runGuarded(window, [window] {
            if (window->view())
                window->view()->LoadMakerCombo();
        });
    });
    connect(window, &RepairWindow::ownCompanyRequested, window, [window] {
        OwnCompanyWindow company(window);
        company.exec();
    });
    connect(window, &RepairWindow::printListRequested, window, [window](const QString& key) {
        if (window->view())
            PrintRepairItem(window, *window->view(), key);
    });
    connect(window, &RepairWindow::printRequested, window, [window] {
        if (window->view())
            PrintRepairReport(window, *window->view());
    });
}

void ShellController::SwitchToCustomerWindow()
{
    SessionState& session = SessionState::instance();
    if (m_repairWindow)
        session.RepairWindowState = m_repairWindow->windowState();
    if (session.CustomerAccountName.isEmpty() || !m_customerWindow) {
        showReducedMenu(MainMenuWindow::Layout::CustomerOnlyMenu, m_repairWindow);
        return;
    }
    bringBack(m_customerWindow, session.CustomerWindowState);
    m_repairWindow->showMinimized();
    m_customerWindow->activateWindow();
}

void ShellController::wireCustomerWindow(CustomerWindow* window)
{
    wireSharedRequests(window);
    connect(window, &CustomerWindow::switchRequested, this, &ShellController::SwitchToRepairWindow);
    connect(window, &CustomerWindow::changeAccountRequested, this,
            [this, window] { showReducedMenu(MainMenuWindow::Layout::CustomerOnlyMenu, window); });
    connect(window, &CustomerWindow::unloading, this, &ShellController::customerWindowUnloading);
    connect(window, &CustomerWindow::printListRequested, window, [window](const QString& key) {
        if (window->view())
            PrintCustomerItem(window, *window->view(), key);
    });
    connect(window, &CustomerWindow::printRequested, window, [window] {
        if (window->view())
            PrintUserSheet(window, *window->view());
    });
}

void ShellController::SwitchToRepairWindow()
{
    SessionState& session = SessionState::instance();
    if (m_customerWindow)
        session.CustomerWindowState = m_customerWindow->windowState();
    if (session.RepairAccountName.isEmpty() || !m_repairWindow) {
        showReducedMenu(MainMenuWindow::Layout::RepairOnlyMenu, m_customerWindow);
        return;
    }
    bringBack(m_repairWindow, session.RepairWindowState);
    m_customerWindow->showMinimized();
    m_repairWindow->activateWindow();
}

void ShellController::customerWindowUnloading()
{
    if (SessionState::instance().RepairAccountName.isEmpty())
        showMainMenu();
    else if (m_repairWindow)
        bringBack(m_repairWindow, SessionState::instance().RepairWindowState);
}

} // namespace horunea
